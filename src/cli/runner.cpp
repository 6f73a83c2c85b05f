#include "cli/runner.h"

#include <filesystem>

#include "base/messages.h"
#include "base/safefile.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"

namespace korvel {

KModuleFinder FinderFor(const KRunnerOptions& opts) {
    KModuleFinder finder(opts.moduleFolders);
    std::filesystem::path folder = std::filesystem::path(opts.model).parent_path();
    finder.AddFolder(folder.empty() ? std::string(".") : folder.string());
    return finder;
}

int SaveAs(const KRunnerOptions& opts, Messages& messages) {
    KElements elements(messages);
    KModelHeader header;
    KModuleFinder finder = FinderFor(opts);
    KLoadOptions load;
    load.modules = &finder;
    if (!LoadModelFile(elements, opts.model, load, header, messages).Ok()) return kExitInput;
    KPosixFileSystem fs;
    if (!SaveModelFile(elements, header, opts.saveAs, false, fs, messages)) return kExitInput;
    return kExitOk;
}

}  // namespace korvel
