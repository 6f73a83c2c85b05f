#include "cli/instrumentout.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <set>

#include "base/messages.h"
#include "base/numberformat.h"
#include "base/safefile.h"
#include "cli/csvfile.h"
#include "cli/runner.h"
#include "engine/benchtop.h"
#include "engine/blocks_instruments.h"
#include "model/block.h"
#include "model/elements.h"

namespace korvel {

namespace {

// A block name as a file name: path separators and control characters become
// "_", so a scope's name can never write outside the folder.
std::string FileNameFor(const std::string& name) {
    std::string out;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        out += (ch == '/' || ch == '\\' || c < 32 || c == 127) ? '_' : ch;
    }
    if (out.empty() || out == "." || out == "..") out = "_" + out;
    return out;
}

std::string ScopeCsv(const KScopeAcquisition& scope) {
    std::string text = "Time";
    for (int c = 0; c < scope.ChannelCount(); ++c) text += ',' + CsvField(scope.Channel(c).Name());
    text += '\n';
    const KCapturedScreen& screen = scope.CapturedScreen();
    for (int p = 0; p < screen.points; ++p) {
        text += CsvNumber(screen.time[static_cast<std::size_t>(p)]);
        for (const auto& values : screen.values) text += ',' + CsvNumber(values[static_cast<std::size_t>(p)]);
        text += '\n';
    }
    return text;
}

std::string DsaCsv(KXferAcquisition& xfer) {
    std::string text = "frequency_hz,gain_db,phase_deg\n";
    for (int k = 1; k < xfer.Points() / 2; ++k) {
        text += CsvNumber(xfer.BinFrequency(k)) + ',' + CsvNumber(xfer.TransferGain(0, k)) + ',' +
                CsvNumber(xfer.TransferPhase(0, k)) + '\n';
    }
    return text;
}

KLibraryDsa* AnalyzerOf(const KBenchTop& bench, const KBlock* block) {
    for (KSampledInstrument* instrument : bench.Analyzers()) {
        auto* dsa = dynamic_cast<KLibraryDsa*>(instrument);
        if (dsa != nullptr && (block == nullptr || &dsa->Block() == block)) return dsa;
    }
    return nullptr;
}

struct ScopeFile {
    KScope* scope;
    std::string path;
};

// Each scope's file in the --scope-out folder; scopes of the same name get
// numbered files rather than overwrite each other.
std::vector<ScopeFile> ScopeFiles(const KBenchTop& bench, const KRunnerOptions& opts) {
    std::vector<ScopeFile> files;
    if (opts.scopeOut.empty()) return files;
    std::set<std::string> used;
    for (KSampledInstrument* instrument : bench.Scopes()) {
        auto* scope = dynamic_cast<KScope*>(instrument);
        if (scope == nullptr || scope->Acquisition() == nullptr) continue;
        const std::string base = FileNameFor(scope->Name());
        std::string name = base;
        for (int i = 2; !used.insert(name).second; ++i) name = base + "_" + std::to_string(i);
        files.push_back({scope, (std::filesystem::path(opts.scopeOut) / (name + ".csv")).string()});
    }
    return files;
}

}  // namespace

void AddInstrumentOptions(CLI::App& app, KRunnerOptions& opts) {
    app.add_option("--scope-out", opts.scopeOut,
                   "After the run, write each scope's last captured screen to DIR/<scope>.csv");
    app.add_option("--dsa-out", opts.dsaOut,
                   "Start every signal analyzer at t = 0, run until its record is complete, and "
                   "write gain and phase to FILE (the first analyzer) or, as NAME=FILE, for the "
                   "analyzer named NAME (repeatable)");
}

bool KInstrumentOutputs::Prepare(KBenchTop& bench, KElements& elements,
                                 const KRunnerOptions& opts, Messages& messages) {
    // A file the run would write must not be the model, a module or a workbook it uses.
    for (const ScopeFile& file : ScopeFiles(bench, opts))
        if (!OutputSparesInputs("--scope-out", file.path, opts, elements, messages)) return false;
    if (opts.dsaOut.empty()) return true;
    for (const std::string& option : opts.dsaOut) {
        const auto eq = option.find('=');
        DsaFile file{nullptr, {}, option};
        if (eq != std::string::npos) {
            file.name = option.substr(0, eq);
            file.path = option.substr(eq + 1);
            for (const auto& element : elements.All()) {
                if (!element->IsBlock()) continue;
                const auto& block = static_cast<const KBlock&>(*element);
                if (block.IsDsa() && block.userString == file.name) {
                    file.dsa = AnalyzerOf(bench, &block);
                    break;
                }
            }
        } else {
            for (const auto& element : elements.All()) {
                if (element->IsBlock() && static_cast<const KBlock&>(*element).IsDsa()) {
                    file.dsa = AnalyzerOf(bench, static_cast<const KBlock*>(element.get()));
                    break;
                }
            }
        }
        if (file.dsa == nullptr) {
            messages.ErrorBox(eq == std::string::npos
                                  ? std::string("The model has no signal analyzer (--dsa-out).")
                                  : "The model has no signal analyzer named \"" + file.name +
                                        "\" (--dsa-out).");
            return false;
        }
        if (file.path.empty()) {
            messages.ErrorBox("--dsa-out needs a file name: " + option);
            return false;
        }
        if (!OutputSparesInputs("--dsa-out", file.path, opts, elements, messages)) return false;
        file.name = file.dsa->Name();
        dsaFiles_.push_back(file);
    }
    // Every analyzer starts as its run button would, at the present time.
    for (KSampledInstrument* instrument : bench.Analyzers()) {
        auto* dsa = dynamic_cast<KLibraryDsa*>(instrument);
        if (dsa == nullptr || dsa->Acquisition() == nullptr) continue;
        KXferAcquisition& xfer = *dsa->Acquisition();
        const double end = xfer.RecordEnd(bench.time);
        if (opts.until && *opts.until < end) {
            messages.ErrorBox("Signal analyzer \"" + dsa->Name() + "\" needs the run to reach " +
                              FormatGeneral(end, 15) + " s to complete its record; --until " +
                              FormatGeneral(*opts.until, 15) + " is shorter.");
            return false;
        }
        xfer.Start(bench.time);
        started_ = true;
    }
    return true;
}

bool KInstrumentOutputs::AnalyzersDone(const KBenchTop& bench) const {
    return started_ && !bench.AnyAnalyzerRunning();
}

int KInstrumentOutputs::Write(KBenchTop& bench, const KRunnerOptions& opts, Messages& messages) {
    // Through the safe save, as --out: a planted link beside the target or
    // a failure half-way never costs the file that was there.
    KPosixFileSystem fileSystem;
    int status = kExitOk;
    for (DsaFile& file : dsaFiles_) {
        KXferAcquisition& xfer = *file.dsa->Acquisition();
        if (xfer.State() != DsaState::Complete) {
            messages.ErrorBox("Signal analyzer \"" + file.name + "\" did not complete its record (" +
                              std::to_string(xfer.SampleCount()) + " of " +
                              std::to_string(xfer.Points()) + " samples); " + file.path +
                              " was not written.");
            status = kExitRun;
            continue;
        }
        if (!SaveNewFile(fileSystem, file.path, DsaCsv(xfer), messages)) status = kExitInput;
    }
    if (opts.scopeOut.empty()) return status;
    std::error_code error;
    std::filesystem::create_directories(opts.scopeOut, error);
    for (const auto& [scope, path] : ScopeFiles(bench, opts)) {
        const KScopeAcquisition& acquisition = *scope->Acquisition();
        if (acquisition.CapturedScreen().captures == 0) {
            messages.NoteBox("Scope \"" + scope->Name() + "\" captured no screen; " + path +
                             " holds the column names only.");
        }
        if (!SaveNewFile(fileSystem, path, ScopeCsv(acquisition), messages)) status = kExitInput;
    }
    return status;
}

}  // namespace korvel
