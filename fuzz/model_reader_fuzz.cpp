// Fuzz target for the model file reader.
//
// Each input is read three ways: as a design (then saved, read back, saved
// again and laid out as drawing would), as a module file expanded into a
// compile, and as the interface of a module file. Besides not crashing, what
// the program wrote it must read back without complaint and write again byte
// for byte; a break of that is a trap, so the fuzzer keeps the input.
//
// Built with KORVEL_FUZZ_REPLAY the same file is a plain program that replays
// every file of the folders named on its command line, so saved inputs and
// past crashers run with every test run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/lineio.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"

#ifndef KORVEL_FUZZ_MODULES
#error "KORVEL_FUZZ_MODULES must name the folder of module files the inputs refer to"
#endif

namespace {

using namespace korvel;

const KModuleFinder& Modules() {
    static const KModuleFinder finder(std::vector<std::string>{KORVEL_FUZZ_MODULES});
    return finder;
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "model_reader_fuzz: %s\n", what);
    __builtin_trap();
}

KLoadResult Read(const std::string& text, KElements& elements, KModelHeader& header,
                 Messages& messages, int parentModule = -1) {
    KLoadOptions options;
    options.modules = &Modules();
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
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReadAsDesign(text);
    ReadAsModule(text);
    return 0;
}

#ifdef KORVEL_FUZZ_REPLAY

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(arg)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    // A fixed order makes a failure name the same input on every run.
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::fprintf(stderr, "replaying %s\n", path.string().c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}

#endif
