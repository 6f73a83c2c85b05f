// Running a model headless: load, compile, build the run-time model, then step
// it and write the chosen variables as CSV rows.
#pragma once

#include <iosfwd>

#include "cli/runner.h"

namespace korvel {

// Runs the model as the options say, writing CSV to --out or else to
// `standardOutput`. Answers the exit status (see KExitStatus).
int RunModel(const KRunnerOptions& opts, Messages& messages, std::ostream& standardOutput);

}  // namespace korvel
