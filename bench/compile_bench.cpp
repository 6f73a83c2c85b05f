// Compile time against model size. Users of large models wait on the
// compile, so its cost per element must stay flat from a thousand to a
// hundred thousand elements. Cases: a plain chain of algebraic blocks (the
// ordering worst case for repeated passes: each pass can take only the next
// block when the chain runs against collection order), extender pairs, digital
// blocks bound to controllers, and many instances of one custom module.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/custmod.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"

namespace korvel {
namespace {

constexpr int kAdd = 53;          // Input1 0, Input2 1, Output 2
constexpr int kVariable = 13;
constexpr int kSolver = 103;
constexpr int kScope = 105;
constexpr int kDctl = 107;
constexpr int kZFilter1 = 37;     // Output 0, Input 1, Controller 2
constexpr int kExtender = 43;
constexpr int kExtenderOutput = 44;
constexpr int kTime = 126;

struct Model {
    KMessageRecorder messages;
    KElements elements{messages};
    int next = 0;

    KBlock& Block(int type) {
        auto b = MakeBlock(type);
        b->SetIDNumber(next++);
        return static_cast<KBlock&>(elements.Add(std::move(b)));
    }
    void Wire(KBlock& from, int out, KBlock& to, int in) {
        auto w = std::make_unique<KWire>(next++, 0);
        w->SetStartBlockNode(out);
        w->SetEndBlockNode(in);
        (void)w->Connect(&from, &to, messages);
        elements.Add(std::move(w));
    }
    void Essentials() {
        Block(kSolver);
        Block(kScope);
    }
};

// n adders, each fed by the next one in collection order, so the execution
// order is the reverse of the collection order.
void Chain(Model& m, int n) {
    m.Essentials();
    KBlock& time = m.Block(kTime);
    std::vector<KBlock*> adds;
    for (int i = 0; i < n; ++i) adds.push_back(&m.Block(kAdd));
    for (std::size_t i = 0; i + 1 < adds.size(); ++i) m.Wire(*adds[i + 1], 2, *adds[i], 0);
    m.Wire(time, 0, *adds.back(), 0);
    m.Wire(*adds.front(), 2, m.Block(kVariable), 0);
}

// n extender pairs, each carrying a signal from one adder to the next.
void Extenders(Model& m, int n) {
    m.Essentials();
    KBlock* previous = &m.Block(kTime);
    int out = 0;
    for (int i = 0; i < n; ++i) {
        KBlock& ext = m.Block(kExtender);
        KBlock& mate = m.Block(kExtenderOutput);
        // Built with append: GCC 12 warns falsely (-Wrestrict) on "x" + to_string.
        std::string name = "x";
        name.append(std::to_string(i));
        ext.userString = mate.userString = name;
        m.Wire(*previous, out, ext, 0);
        KBlock& add = m.Block(kAdd);
        m.Wire(mate, 0, add, 0);
        previous = &add;
        out = 2;
    }
    m.Wire(*previous, out, m.Block(kVariable), 0);
}

// n digital filters spread over a hundred controllers.
void Digital(Model& m, int n) {
    m.Essentials();
    std::vector<int> controllers;
    for (int i = 0; i < 100; ++i) {
        KBlock& c = m.Block(kDctl);
        std::string name = "Controller";
        name.append(std::to_string(i + 1));
        c.userString = name;
        controllers.push_back(c.IDNumber());
    }
    KBlock& time = m.Block(kTime);
    for (int i = 0; i < n; ++i) {
        KBlock& f = m.Block(kZFilter1);
        f.Node(2).value = controllers[static_cast<std::size_t>(i % 100)];
        m.Wire(time, 0, f, 1);
    }
    m.Wire(time, 0, m.Block(kVariable), 0);
}

void Run(benchmark::State& state, void (*build)(Model&, int)) {
    const int n = static_cast<int>(state.range(0));
    int elements = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<Model>();
        build(*m, n);
        elements = m->elements.Count();
        state.ResumeTiming();
        bool ok = CompileModel(m->elements, {}, m->messages).Ok();
        benchmark::DoNotOptimize(ok);
        state.PauseTiming();
        if (!ok) {
            state.SkipWithError("compile failed");
            break;
        }
        m.reset();
        state.ResumeTiming();
    }
    state.counters["elements"] = elements;
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(elements) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CompileChain(benchmark::State& s) { Run(s, Chain); }
void BM_CompileExtenders(benchmark::State& s) { Run(s, Extenders); }
void BM_CompileDigital(benchmark::State& s) { Run(s, Digital); }

BENCHMARK(BM_CompileChain)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileExtenders)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileDigital)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Many instances of one module of fifty elements (a chain of adders between
// an input and an output), read from a module file each time as a compile does.
class ModuleFolder {
public:
    ModuleFolder() {
        dir_ = std::filesystem::temp_directory_path() / "korvel_compile_bench";
        std::filesystem::create_directories(dir_);
        Model m;
        KBlock& in = m.Block(46);  // Custom Module Input
        in.userString = "in";
        in.FindNode("Position")->value = 1;
        KBlock* previous = &in;
        int out = 0;
        for (int i = 0; i < 23; ++i) {
            KBlock& add = m.Block(kAdd);
            m.Wire(*previous, out, add, 0);
            previous = &add;
            out = 2;
        }
        KBlock& o = m.Block(47);  // Custom Module Output
        o.userString = "out";
        o.FindNode("Position")->value = 1;
        m.Wire(*previous, out, o, 0);
        KModelHeader header;
        header.custMod = true;
        header.pageNames = {"Module"};
        std::ofstream(dir_ / "chain.kvc", std::ios::binary) << SaveModelText(m.elements, header);
    }
    std::string Folder() const { return dir_.string(); }

private:
    std::filesystem::path dir_;
};

void BM_CompileModuleInstances(benchmark::State& state) {
    static ModuleFolder folder;
    KModuleFinder finder({folder.Folder()});
    const int n = static_cast<int>(state.range(0));
    int elements = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<Model>();
        m->Essentials();
        KBlock* previous = &m->Block(kTime);
        int out = 0;
        for (int i = 0; i < n; ++i) {
            auto b = std::make_unique<KCustMod>();
            b->SetIDNumber(m->next++);
            b->SetFileName("chain.kvc");
            (void)LoadNodeArray(*b, &finder, m->messages);
            KBlock& module = static_cast<KBlock&>(m->elements.Add(std::move(b)));
            m->Wire(*previous, out, module, 0);
            previous = &module;
            out = 1;
        }
        m->Wire(*previous, out, m->Block(kVariable), 0);
        state.ResumeTiming();
        KCompileOptions options;
        options.modules = &finder;
        bool ok = CompileModel(m->elements, options, m->messages).Ok();
        state.PauseTiming();
        if (!ok) {
            state.SkipWithError("compile failed");
            break;
        }
        elements = m->elements.Count();
        m.reset();
        state.ResumeTiming();
    }
    state.counters["elements"] = elements;
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(elements) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// A compile expands at most 999 instances (the thousandth is taken for a
// module that contains itself).
BENCHMARK(BM_CompileModuleInstances)->Arg(100)->Arg(999)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
