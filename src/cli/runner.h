// The jobs of the headless runner, each answering the process exit status:
// 0 done, 1 the model did not compile, 2 a run-time error stopped the run,
// 3 the file could not be read or the arguments are bad.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/modulefinder.h"

namespace korvel {

class Messages;

enum KExitStatus { kExitOk = 0, kExitCompile = 1, kExitRun = 2, kExitInput = 3 };

struct KRunnerOptions {
    std::string model;
    std::vector<std::string> moduleFolders;  // searched before the model's own folder
    std::string saveAs;
    std::optional<double> until;
    std::optional<double> every;
    std::vector<std::string> vars;
    bool varsGiven = false;
    std::string out;  // empty: standard output
    bool check = false;
    std::vector<std::string> sets;  // NAME=VALUE live values set before the run
};

// Reads the model and writes it back through the writer to opts.saveAs.
int SaveAs(const KRunnerOptions& opts, Messages& messages);

// Where the runner looks for module files: the folders given, then the
// model's own folder.
KModuleFinder FinderFor(const KRunnerOptions& opts);

}  // namespace korvel
