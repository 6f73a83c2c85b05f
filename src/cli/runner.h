// The jobs of the headless runner, each answering the process exit status:
// 0 done, 1 the model did not compile (or could not be built), 2 a run-time
// error stopped the run, 3 the file could not be read, the arguments are bad
// or the output could not be written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/modulefinder.h"

namespace korvel {

class KElements;
class Messages;

enum KExitStatus { kExitOk = 0, kExitCompile = 1, kExitRun = 2, kExitInput = 3 };

struct KRunnerOptions {
    std::string model;
    std::vector<std::string> moduleFolders;  // searched before the model's own folder
    std::optional<std::string> saveAs;
    std::optional<double> until;
    std::optional<double> every;
    std::vector<std::string> vars;
    bool varsGiven = false;
    std::optional<std::string> out;  // none: standard output
    bool check = false;
    std::string scopeOut;             // folder for the scopes' screens
    std::vector<std::string> dsaOut;  // [NAME=]FILE per analyzer
    std::vector<std::string> sets;  // NAME=VALUE live values set before the run
};

// Reads the model and writes it back through the writer to opts.saveAs.
int SaveAs(const KRunnerOptions& opts, Messages& messages);

// Where the runner looks for module files: the folders given, then the
// model's own folder (always, also after a full list).
KModuleFinder FinderFor(const KRunnerOptions& opts);

// Refuses, with a message naming the option, an output path that is the
// model file, a module file or a workbook the model uses (`elements` after
// expansion, so nested modules count): writing there would destroy the input.
[[nodiscard]] bool OutputSparesInputs(const std::string& option, const std::string& path,
                                      const KRunnerOptions& opts, const KElements& elements,
                                      Messages& messages);

}  // namespace korvel
