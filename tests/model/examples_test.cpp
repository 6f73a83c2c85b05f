// The bundled example models are built here in code and written through the
// model writer, so they are valid by construction. The test checks that the
// committed files are exactly what the writer makes of these models, and that
// each reads back. Run with KORVEL_WRITE_EXAMPLES=1 to (re)write the files
// after changing a model here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/custmod.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"

namespace korvel {
namespace {

const std::filesystem::path kExamples = KORVEL_EXAMPLES;

class Builder {
public:
    Builder(KElements& elements, Messages& messages) : e_(elements), m_(messages) {}

    KBlock& Block(std::string_view tag, int x, int y, std::string_view name = {}) {
        auto b = MakeBlock(*FindBlockTypeByTag(tag));
        b->SetIDNumber(next_++);
        b->SetPosition(x, y);
        if (!name.empty()) b->userString = std::string(name);
        return static_cast<KBlock&>(e_.Add(std::move(b)));
    }
    KCustMod& Module(std::string_view file, int x, int y, const KModuleFinder& finder) {
        auto b = std::make_unique<KCustMod>();
        b->SetIDNumber(next_++);
        b->SetPosition(x, y);
        b->SetFileName(std::string(file));
        EXPECT_TRUE(LoadNodeArray(*b, &finder, m_));
        return static_cast<KCustMod&>(e_.Add(std::move(b)));
    }
    void Set(KBlock& b, std::string_view node, double value) {
        KNode* n = b.FindNode(node);
        ASSERT_NE(n, nullptr) << node;
        n->value = value;
    }
    void Doc(KBlock& b, std::string_view text) { b.FindNode("Documentation")->SetText(std::string(text)); }
    void Wire(KBlock& from, std::string_view out, KBlock& to, std::string_view in) {
        auto w = std::make_unique<KWire>(next_++, from.Page());
        w->SetStartBlockNode(from.NodeIndex(out));
        w->SetEndBlockNode(to.NodeIndex(in));
        ASSERT_GE(w->StartBlockNode(), 0) << out;
        ASSERT_GE(w->EndBlockNode(), 0) << in;
        ASSERT_TRUE(w->Connect(&from, &to, m_));
        w->Route();
        w->selected = false;
        e_.Add(std::move(w));
    }
    KBlock& Solver(double h, double increment) {
        KBlock& s = Block("KSolver", 20, 20);
        Set(s, "h", h);
        Set(s, "Time Increment", increment);
        return s;
    }
    KBlock& Variable(KBlock& from, std::string_view out, std::string_view name, int x, int y) {
        KBlock& v = Block("KVariable", x, y, name);
        Wire(from, out, v, "Input");
        return v;
    }

private:
    KElements& e_;
    Messages& m_;
    int next_ = 0;
};

void Oscillator(Builder& b) {
    KBlock& solver = b.Solver(0.001, 10);
    b.Doc(solver, "x'' = -x with x(0) = 1: x = cos t, v = -sin t.");
    KBlock& v = b.Block("KInt", 200, 100, "v");
    KBlock& x = b.Block("KInt", 340, 100, "x");
    b.Set(x, "Initial Value", 1);
    KBlock& minus = b.Block("KMinusX", 340, 220);
    b.Wire(v, "Output", x, "Input");
    b.Wire(x, "Output", minus, "Input");
    b.Wire(minus, "Output", v, "Input");
    b.Variable(x, "Output", "x", 480, 100);
    b.Variable(v, "Output", "v", 480, 180);
    b.Block("KScope", 20, 300);
}

void FilterStep(Builder& b) {
    KBlock& solver = b.Solver(1e-05, 0.05);
    b.Doc(solver, "Unit step into a 10 Hz one-pole low-pass: y = 1 - exp(-t / 15.9 ms).");
    KBlock& step = b.Block("KSimpleConstant", 60, 100, "step");
    KBlock& lpf = b.Block("KLpf1", 220, 100);
    b.Set(lpf, "Frequency", 10);
    b.Wire(step, "Output", lpf, "Input");
    b.Variable(step, "Output", "u", 220, 200);
    b.Variable(lpf, "Output", "y", 360, 100);
    b.Block("KScope", 20, 300);
}

// setpoint - y -> Kp + Ki/s -> plant (one pole at 1 Hz) -> y
void PiLoop(Builder& b) {
    KBlock& solver = b.Solver(0.0001, 2);
    b.Doc(solver, "A PI law (Kp 2, Ki 10) closing the loop on a 1 Hz first-order plant.");
    KBlock& setpoint = b.Block("KSimpleConstant", 40, 100, "setpoint");
    KBlock& sub = b.Block("KSub", 160, 100);
    KBlock& kp = b.Block("KScale", 260, 60, "Kp");
    b.Set(kp, "Scale by", 2);
    KBlock& ki = b.Block("KInt", 260, 160, "integral");
    b.Set(ki, "Gain", 10);
    KBlock& add = b.Block("KAdd", 380, 100);
    KBlock& plant = b.Block("KLpf1", 480, 100, "plant");
    b.Set(plant, "Frequency", 1);
    b.Wire(setpoint, "Output", sub, "Input1");
    b.Wire(plant, "Output", sub, "Input2");
    b.Wire(sub, "Output", kp, "Input");
    b.Wire(sub, "Output", ki, "Input");
    b.Wire(kp, "Output", add, "Input1");
    b.Wire(ki, "Output", add, "Input2");
    b.Wire(add, "Output", plant, "Input");
    b.Variable(plant, "Output", "y", 620, 100);
    b.Variable(add, "Output", "u", 480, 200);
    b.Variable(sub, "Output", "error", 160, 220);
    b.Block("KScope", 20, 300);
}

// The PI law of PiLoop as a custom module: "error" in, "u" out.
void PiModule(Builder& b) {
    KBlock& in = b.Block("KCustInput", 40, 100, "error");
    b.Set(in, "Edge", 0);
    b.Set(in, "Position", 2);
    KBlock& kp = b.Block("KScale", 160, 60, "Kp");
    b.Set(kp, "Scale by", 2);
    KBlock& ki = b.Block("KInt", 160, 160, "integral");
    b.Set(ki, "Gain", 10);
    KBlock& add = b.Block("KAdd", 280, 100);
    KBlock& out = b.Block("KCustOutput", 380, 100, "u");
    b.Set(out, "Edge", 2);
    b.Set(out, "Position", 2);
    b.Wire(in, "Input", kp, "Input");
    b.Wire(in, "Input", ki, "Input");
    b.Wire(kp, "Output", add, "Input1");
    b.Wire(ki, "Output", add, "Input2");
    b.Wire(add, "Output", out, "Output");
}

void ModuleLoop(Builder& b, const KModuleFinder& finder) {
    KBlock& solver = b.Solver(0.0001, 2);
    b.Doc(solver, "The PI loop with its control law kept in the module pi_module.kvc.");
    KBlock& setpoint = b.Block("KSimpleConstant", 40, 100, "setpoint");
    KBlock& sub = b.Block("KSub", 160, 100);
    KCustMod& pi = b.Module("pi_module.kvc", 260, 80, finder);
    KBlock& plant = b.Block("KLpf1", 400, 100, "plant");
    b.Set(plant, "Frequency", 1);
    b.Wire(setpoint, "Output", sub, "Input1");
    b.Wire(plant, "Output", sub, "Input2");
    b.Wire(sub, "Output", pi, "error");
    b.Wire(pi, "u", plant, "Input");
    b.Variable(plant, "Output", "y", 540, 100);
    b.Block("KScope", 20, 300);
}

struct Example {
    const char* file;
    bool custMod;
    const char* page;
    std::function<void(Builder&, const KModuleFinder&)> build;
};

const Example kExamplesList[] = {
    {"oscillator.kvd", false, "Oscillator", [](Builder& b, auto&) { Oscillator(b); }},
    {"filter_step.kvd", false, "Step response", [](Builder& b, auto&) { FilterStep(b); }},
    {"pi_loop.kvd", false, "PI loop", [](Builder& b, auto&) { PiLoop(b); }},
    {"pi_module.kvc", true, "PI law", [](Builder& b, auto&) { PiModule(b); }},
    {"module_loop.kvd", false, "Loop", [](Builder& b, auto& f) { ModuleLoop(b, f); }},
};

std::string ReadText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Examples, CommittedFilesAreWhatTheWriterMakesOfTheModels) {
    bool write = std::getenv("KORVEL_WRITE_EXAMPLES") != nullptr;
    KModuleFinder finder({kExamples.string()});
    for (const Example& ex : kExamplesList) {
        SCOPED_TRACE(ex.file);
        KMessageRecorder messages;
        KElements elements(messages);
        Builder builder(elements, messages);
        ex.build(builder, finder);
        KModelHeader header;
        header.custMod = ex.custMod;
        header.pageNames = {ex.page};
        std::string text = SaveModelText(elements, header);
        if (write) std::ofstream(kExamples / ex.file, std::ios::binary) << text;
        EXPECT_EQ(ReadText(kExamples / ex.file), text);
        EXPECT_TRUE(messages.boxes.empty()) << messages.Texts().front();
    }
}

TEST(Examples, EveryExampleReadsBackAndSavesTheSameBytes) {
    KModuleFinder finder({kExamples.string()});
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
        auto ext = entry.path().extension();
        if (ext != ".kvd" && ext != ".kvc") continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        KMessageRecorder messages;
        KElements elements(messages);
        KModelHeader header;
        KLoadOptions options;
        options.modules = &finder;
        ASSERT_TRUE(LoadModelFile(elements, entry.path().string(), options, header, messages).Ok());
        EXPECT_TRUE(messages.boxes.empty());
        EXPECT_GT(elements.Count(), 5);
        EXPECT_EQ(SaveModelText(elements, header), ReadText(entry.path()));
    }
    EXPECT_GE(files, 5);
}

}  // namespace
}  // namespace korvel
