// Fuzz target for the model file reader and what follows reading.
//
// An input is a design, optionally followed by a line "--module--" and a
// second file: that file then serves as every module the design names (it is
// written under each of those names in a scratch folder searched first). The
// design is read (then saved, read back, saved again and laid out as drawing
// would); a design that reads is compiled (modules expanded, nets built,
// blocks ordered), built into a run-time model and run for a few steps. The
// input is also read as a module file expanded into a compile, and as the
// interface of a module file. Besides not crashing, what the program wrote it
// must read back without complaint and write again byte for byte; a break of
// that is a trap, so the fuzzer keeps the input.
//
// Built with KORVEL_FUZZ_REPLAY the same file is a plain program (replaymain.h)
// that replays every file of the folders named on its command line, so saved
// inputs and past crashers run with every test run.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/messagerecorder.h"
#include "base/texthelpers.h"
#include "engine/benchtop.h"
#include "engine/buildbenchtop.h"
#include "engine/solver.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/lineio.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"
#include "replaymain.h"

#ifndef KORVEL_FUZZ_MODULES
#error "KORVEL_FUZZ_MODULES must name the folder of module files the inputs refer to"
#endif

namespace {

using namespace korvel;

// Steps a design that compiles is run for; enough to reach every block's
// step code and the first sample of the instruments.
constexpr int kStepBudget = 4;
// Module names of one input written to the scratch folder, at most.
constexpr int kMaxServedNames = 4;
const std::string kModuleSeparator = "\n--module--\n";

// A folder of this process for the second file of an input.
const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvel_fuzz_XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return made ? std::string(made) : std::string();
    }();
    return folder;
}

// The finder of one input: the scratch folder first, then the bundled modules.
KModuleFinder Modules() {
    return KModuleFinder(std::vector<std::string>{ScratchFolder(), KORVEL_FUZZ_MODULES});
}

// Empties the scratch folder, then writes `module` (when the input has a
// second file) into it under each module file name the design names (the
// value of a "FileName" line).
void ServeModule(const std::string& design, const std::optional<std::string>& module) {
    const std::string& folder = ScratchFolder();
    if (folder.empty()) return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        std::filesystem::remove(entry.path(), ec);
    if (!module) return;
    const std::string keyword = ",FileName";
    int served = 0;
    for (std::size_t end = design.find(keyword);
         end != std::string::npos && served < kMaxServedNames;
         end = design.find(keyword, end + 1)) {
        std::size_t start = design.rfind('\n', end);
        start = start == std::string::npos ? 0 : start + 1;
        std::string name = FileNameOnly(design.substr(start, end - start));
        if (name.empty() || name == "." || name == ".." || name.size() > 200 ||
            name.find_first_of(std::string("/\r\0", 3)) != std::string::npos)
            continue;
        std::ofstream(std::filesystem::path(folder) / name, std::ios::binary) << *module;
        ++served;
    }
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "model_reader_fuzz: %s\n", what);
    __builtin_trap();
}

KLoadResult Read(const std::string& text, KElements& elements, KModelHeader& header,
                 Messages& messages, int parentModule = -1) {
    static KModuleFinder finder;
    finder = Modules();
    KLoadOptions options;
    options.modules = &finder;
    options.parentModule = parentModule;
    KLineReader reader(text);
    return LoadModel(elements, reader, options, header, messages);
}

// What drawing and editing a loaded model computes: every node's point, each
// block's extents and label box, and a fresh route for every wire.
void TouchGeometry(KElements& elements) {
    // Summed one at a time in 64 bits: two coordinates near the limit may not
    // fit an int together.
    long long sum = 0;
    auto add = [&sum](long long v) { sum += v; };
    for (const auto& e : elements.All()) {
        if (e->IsBlock()) {
            const auto& b = static_cast<const KBlock&>(*e);
            for (int i = 0; i < b.NodeCount(); ++i) {
                add(b.NodePoint(i).x);
                add(b.NodePoint(i).y);
            }
            for (int v :
                 {b.ExtentLeft(), b.ExtentRight(), b.ExtentTop(), b.ExtentBottom(), b.BodyLeft(),
                  b.BodyRight(), b.LabelRect().bottom, b.FindNodeAt(b.Page(), b.X(), b.Y())})
                add(v);
        } else if (e->IsWire()) {
            auto& w = static_cast<KWire&>(*e);
            w.Route();
            add(static_cast<long long>(w.route.size()));
            add(w.Bounds().right);
        }
    }
    Require(sum != 0x7fffffffffffffffLL, "unreachable: keeps the sum alive");
}

// Compiles a design that read, builds its run-time model and runs a few
// steps. Fatal errors end the attempt as they end a compile or a run.
void CompileAndRun(KElements& elements, Messages& messages) {
    try {
        const KModuleFinder finder = Modules();
        KCompileOptions options;
        options.modules = &finder;
        const KCompiled compiled = CompileModel(elements, options, messages);
        if (!compiled.Ok()) return;
        std::unique_ptr<KBenchTop> bench = BuildBenchTop(compiled, messages);
        if (!bench || !bench->Solver()) return;
        bench->PrepareScopes();
        bench->RestartSolver();
        for (int i = 0; i < kStepBudget; ++i) {
            if (!bench->Solver()->Step(bench->time)) break;
            if (!bench->SampleInstruments()) break;
        }
    } catch (const KFatalError&) {
    }
}

void ReadAsDesign(const std::string& text) {
    KMessageRecorder messages;
    KElements elements(messages);
    KModelHeader header;
    KLoadResult result = Read(text, elements, header, messages);
    // A failed read leaves what it read so far; that too must save cleanly.
    // The header of a failed read means nothing, so a plain one is used.
    std::string saved = SaveModelText(elements, result.Ok() ? header : KModelHeader{});

    KMessageRecorder againMessages;
    KElements again(againMessages);
    KModelHeader againHeader;
    KLoadResult reread = Read(saved, again, againHeader, againMessages);
    Require(reread.Ok(), "a saved model does not read back");
    Require(again.Count() == elements.Count(), "a saved model reads back other elements");
    Require(SaveModelText(again, againHeader) == saved, "saving what was read changes the text");
    TouchGeometry(again);
    if (result.Ok()) CompileAndRun(elements, messages);
}

void ReadAsModule(const std::string& text) {
    KMessageRecorder messages;
    KElements elements(messages);
    KModelHeader header;
    (void)Read(text, elements, header, messages, 0);
    std::vector<KModuleNode> nodes;
    (void)ReadModuleInterface(text, "fuzz.kvc", nodes, messages);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t split = text.find(kModuleSeparator);
    std::optional<std::string> module;
    if (split != std::string::npos) module = text.substr(split + kModuleSeparator.size());
    ServeModule(text.substr(0, split), module);
    if (split != std::string::npos) text.resize(split + 1);
    ReadAsDesign(text);
    ReadAsModule(text);
    return 0;
}
