// The runner's instrument outputs: --scope-out DIR writes each oscilloscope's
// last captured screen, --dsa-out [NAME=]FILE starts every signal analyzer at
// the start of the run and writes one analyzer's gain and phase once its
// record is complete.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace korvel {

class KBenchTop;
class KElements;
class KLibraryDsa;
class Messages;
struct KRunnerOptions;

void AddInstrumentOptions(CLI::App& app, KRunnerOptions& opts);

// What the run owes the instrument options.
class KInstrumentOutputs {
public:
    // Checks the options against the built model and starts the analyzers.
    // False after an Error (bad name, --until shorter than a record): exit 3.
    bool Prepare(KBenchTop& bench, KElements& elements, const KRunnerOptions& opts,
                 Messages& messages);
    // Whether the run should end now: every started analyzer has completed.
    bool AnalyzersDone(const KBenchTop& bench) const;
    bool StartedAnalyzers() const { return started_; }
    // Writes the files after the run; answers the exit status.
    int Write(KBenchTop& bench, const KRunnerOptions& opts, Messages& messages);

private:
    struct DsaFile {
        KLibraryDsa* dsa;
        std::string name;
        std::string path;
    };
    std::vector<DsaFile> dsaFiles_;
    bool started_ = false;
};

}  // namespace korvel
