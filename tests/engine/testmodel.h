// A hand-compiled model for engine tests.
//
// Blocks are added in execution order; Compile nets every wire's source to
// the inputs it reaches, sets the nodes' net links and the ordered list
// (Solver first, then the other blocks in the order they were added) in
// `compiled`, as the model's compile would. Build then makes the bench top
// through the factory.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/messagerecorder.h"
#include "engine/benchtop.h"
#include "engine/buildbenchtop.h"
#include "engine/libraryclass.h"
#include "engine/runerror.h"
#include "engine/runobject.h"
#include "engine/solver.h"
#include "model/block.h"
#include "model/blocktype.h"
#include "model/compiled.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel::test {

using NodeValues = std::initializer_list<std::pair<const char*, double>>;

// An instrument that asks for a sample at `next` (none while negative), then
// every `period` seconds when one is given; records the sample times and
// fails the sample numbered `failAt` (counted from 1).
class KFakeInstrument : public KRunObject, public KSampledInstrument {
public:
    explicit KFakeInstrument(double first, double period = 0.0) : next(first), period_(period) {}
    double NextSampleTime() const override { return next; }
    bool Sample(double time) override {
        samples.push_back(time);
        if (period_ > 0 && time >= next - 1e-12) next += period_;
        return samples.size() != failAt;
    }
    void PrepareForRun() override { ++prepared; }
    bool WantsStop() const override { return wantsStop; }
    bool IsRunning() const override { return running; }

    double next;
    std::vector<double> samples;
    std::size_t failAt = 0;
    int prepared = 0;
    bool wantsStop = false;
    bool running = false;

private:
    double period_;
};

class KTestModel {
public:
    KTestModel() = default;
    // A model with its Solver block of step h and time limit.
    explicit KTestModel(double h, double limit = 0.0) { AddSolver(h, limit); }
    KTestModel(const KTestModel&) = delete;
    KTestModel& operator=(const KTestModel&) = delete;

    // A block of the tag, named `name` (the type's default name when empty).
    KBlock& Add(std::string_view tag, std::string name = {}, int page = 0) {
        const auto type = FindBlockTypeByTag(tag);
        EXPECT_TRUE(type.has_value()) << tag;
        auto block = MakeBlock(*type);
        block->SetIDNumber(nextNumber_++);
        block->SetPage(page);
        if (!name.empty()) block->userString = std::move(name);
        return static_cast<KBlock&>(elements.Add(std::move(block)));
    }

    // A block of the tag with its nodes set.
    KBlock& Add(std::string_view tag, NodeValues values, std::string name = {}) {
        return Set(Add(tag, std::move(name)), values);
    }

    // The Solver block with its step and time limit.
    KBlock& AddSolver(double h, double limit = 0.0) {
        KBlock& solver = Add("KSolver", "Solver");
        Set(solver, "h", h);
        Set(solver, "Time Increment", limit);
        return solver;
    }

    static void Set(KBlock& block, std::string_view node, double value) {
        KNode* n = block.FindNode(node);
        ASSERT_NE(n, nullptr) << node;
        n->value = value;
    }
    static KBlock& Set(KBlock& block, NodeValues values) {
        for (const auto& [node, value] : values) Set(block, node, value);
        return block;
    }

    void Wire(KBlock& from, std::string_view fromNode, KBlock& to, std::string_view toNode) {
        auto wire = std::make_unique<KWire>(nextNumber_++, from.Page());
        wire->SetStartBlockNode(from.NodeIndex(fromNode));
        wire->SetEndBlockNode(to.NodeIndex(toNode));
        ASSERT_GE(wire->StartBlockNode(), 0) << fromNode;
        ASSERT_GE(wire->EndBlockNode(), 0) << toNode;
        EXPECT_TRUE(wire->Connect(&from, &to, messages));
        elements.Add(std::move(wire));
    }

    // Wires each block's "Output" (a Time block's "Time") to the next one's "Input".
    void Chain(std::initializer_list<KBlock*> blocks) {
        KBlock* from = nullptr;
        for (KBlock* to : blocks) {
            if (from != nullptr)
                Wire(*from, from->FindNode("Output") ? "Output" : "Time", *to, "Input");
            from = to;
        }
    }

    void Compile() {
        compiled = KCompiled{};
        std::map<std::pair<KBlock*, int>, int> netOf;
        for (const auto& element : elements.All()) {
            if (!element->IsWire()) continue;
            auto& wire = static_cast<KWire&>(*element);
            KBlock* a = wire.StartBlockPtr();
            KBlock* b = wire.EndBlockPtr();
            int ai = wire.StartBlockNode();
            int bi = wire.EndBlockNode();
            if (!a->Node(ai).IsSource()) {
                std::swap(a, b);
                std::swap(ai, bi);
            }
            ASSERT_TRUE(a->Node(ai).IsSource());
            auto [it, added] = netOf.emplace(std::make_pair(a, ai), int(compiled.nets.size()));
            if (added) compiled.nets.push_back({a, ai});
            a->Node(ai).netLink = it->second;
            b->Node(bi).netLink = it->second;
        }
        for (const auto& element : elements.All()) {
            if (!element->IsBlock()) continue;
            auto* block = static_cast<KBlock*>(element.get());
            if (block->IsSolver()) compiled.ordered.insert(compiled.ordered.begin(), block);
        }
        for (const auto& element : elements.All()) {
            if (!element->IsBlock()) continue;
            auto* block = static_cast<KBlock*>(element.get());
            if (!block->IsSolver()) compiled.ordered.push_back(block);
        }
        compiled.Seal(elements, true);
    }

    KBenchTop& Build() {
        Compile();
        benchTop = BuildBenchTop(compiled, messages);
        EXPECT_NE(benchTop, nullptr) << (messages.boxes.empty() ? "" : messages.Last().text);
        return *benchTop;
    }

    // The arena value of a block's node.
    double Value(KBlock& block, std::string_view node) {
        const KNode* n = block.FindNode(node);
        EXPECT_NE(n, nullptr) << node;
        const int slot = benchTop->Arena().SlotOf(*n);
        EXPECT_GE(slot, 0) << node;
        return benchTop->Arena()[static_cast<std::size_t>(slot)];
    }
    double* Slot(KBlock& block, std::string_view node) { return NodeSlot(*benchTop, block, node); }

    KSolver& Solver() { return *benchTop->Solver(); }
    // One solver step from the bench-top clock; a run to t.
    bool Step() { return Solver().Step(benchTop->time); }
    bool RunUntil(double t) { return Solver().RunUntil(t); }

    // One step per expected value, each followed by a check of the node.
    void ExpectSteps(KBlock& block, std::string_view node, std::initializer_list<double> values,
                     double tolerance = 1e-12) {
        for (double value : values) {
            ASSERT_TRUE(Step());
            EXPECT_NEAR(Value(block, node), value, tolerance) << "t = " << benchTop->time;
        }
    }

    // Asserts that exactly one box was shown, with this caption and text.
    void ExpectOnlyBox(std::string_view caption, std::string_view text) {
        ASSERT_EQ(messages.boxes.size(), 1u)
            << (messages.boxes.empty() ? "" : messages.Last().text);
        EXPECT_EQ(messages.Last().caption, caption);
        EXPECT_EQ(messages.Last().text, text);
    }

    KMessageRecorder messages;
    KElements elements{messages};
    KCompiled compiled;
    std::unique_ptr<KBenchTop> benchTop;

private:
    int nextNumber_ = 1;
};

// A run-time object for tests: counts its evaluations, records the value it
// watches, and throws a chosen message at a chosen evaluation.
class KProbe : public KLibraryClass {
public:
    // Watches a node of its own block, resolved like any input.
    KProbe(KBenchTop& benchTop, KBlock& block, std::string_view watchedNode = {})
        : KLibraryClass(benchTop, block),
          watched_(watchedNode.empty() ? nullptr : In(watchedNode)) {}

    void Compute(double time) override {
        ++evaluations;
        times.push_back(time);
        if (watched_ != nullptr) seen.push_back(*watched_);
        if (evaluations == throwAt) throw KRunError(throwMessage);
    }
    void ZeroStoredOutputs() override { ++zeroed; }
    bool IsDigitalController() const override { return digitalController; }

    int evaluations = 0;
    int zeroed = 0;
    int throwAt = -1;
    std::string throwMessage = "stop()";
    bool digitalController = false;
    std::vector<double> times;
    std::vector<double> seen;

private:
    const double* watched_;
};

// One block with its nodes set, evaluated once at time t in plain and in
// batched order, which must agree to the bit; the output node's value.
inline double Evaluate(const char* tag, NodeValues values, const char* output = "Output",
                       double t = 0) {
    double results[2] = {0, 0};
    for (bool batched : {false, true}) {
        KTestModel model(1e-3);
        KBlock& block = model.Add(tag, values);
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        EXPECT_TRUE(benchTop.ComputeAll(t)) << tag;
        results[batched] = model.Value(block, output);
    }
    EXPECT_EQ(std::memcmp(&results[0], &results[1], sizeof(double)), 0) << tag;
    return results[0];
}

}  // namespace korvel::test
