#include "cli/runner.h"

#include <filesystem>

#include "base/messagerecorder.h"
#include "base/messages.h"
#include "base/safefile.h"
#include "engine/blocks_excel.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/custmod.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"

namespace korvel {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

KModuleFinder FinderFor(const KRunnerOptions& opts) {
    KModuleFinder finder(opts.moduleFolders);
    std::filesystem::path folder = std::filesystem::path(opts.model).parent_path();
    finder.AddFolderPastLimit(folder.empty() ? std::string(".") : folder.string());
    return finder;
}

bool OutputSparesInputs(const std::string& option, const std::string& path,
                        const KRunnerOptions& opts, const KElements& elements, Messages& messages) {
    std::string input;
    if (SameFile(path, opts.model)) input = "the model file " + opts.model;
    const std::string modelFolder = std::filesystem::path(opts.model).parent_path().string();
    for (const auto& e : elements.All()) {
        if (!input.empty()) break;
        const auto* module = dynamic_cast<const KCustMod*>(e.get());
        if (module && SameFile(path, module->ResolvedPath()))
            input = "the module file " + module->ResolvedPath() + " that the model uses";
        // A workbook is written back when the run ends, so it is an input too.
        const auto* block = dynamic_cast<const KBlock*>(e.get());
        const KNode* file = block && block->IsExcelFile() ? block->FindNode("File") : nullptr;
        if (file && SameFile(path, ResolveWorkbookPath(file->Text(), modelFolder)))
            input = "the workbook " + file->Text() + " that the model uses";
    }
    if (input.empty()) return true;
    messages.ErrorBox(option + " " + path + " is " + input +
                      "; it would be overwritten. Give another file name.");
    return false;
}

int SaveAs(const KRunnerOptions& opts, Messages& messages) {
    const std::string& target = *opts.saveAs;
    KElements none(messages);
    if (target.empty()) {
        messages.ErrorBox("--save-as needs a file name.");
        return kExitInput;
    }
    if (!OutputSparesInputs("--save-as", target, opts, none, messages)) return kExitInput;
    KElements elements(messages);
    KModelHeader header;
    KModuleFinder finder = FinderFor(opts);
    KLoadOptions load;
    load.modules = &finder;
    if (!LoadModelFile(elements, opts.model, load, header, messages).Ok()) return kExitInput;
    std::string text = SaveModelText(elements, header);
    bool usesModules = false;
    for (const auto& e : elements.All())
        if (const auto* b = dynamic_cast<const KBlock*>(e.get()))
            usesModules |= b->IsCustomModule();
    if (usesModules) {
        // The modules that modules use are found by expanding; a failure
        // there is the compile's business, not a reason to refuse the copy.
        KMessageRecorder quiet;
        KCompileOptions compile;
        compile.modules = &finder;
        KCompiled scratch;
        (void)ExpandModules(elements, scratch, compile, quiet);
    }
    if (!OutputSparesInputs("--save-as", target, opts, elements, messages)) return kExitInput;
    KPosixFileSystem fs;
    if (!SaveNewFile(fs, target, text, messages)) return kExitInput;
    return kExitOk;
}

}  // namespace korvel
