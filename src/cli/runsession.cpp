#include "cli/runsession.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <ostream>

#include "base/countingmessages.h"
#include "base/messages.h"
#include "base/numberformat.h"
#include "cli/setoptions.h"
#include "engine/benchtop.h"
#include "engine/buildbenchtop.h"
#include "engine/compilemessage.h"
#include "engine/solver.h"
#include "engine/variables.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"

namespace korvel {

namespace {

// Whether something in the model can end a run by itself.
void ShowCompileMessages(const std::vector<KCompileMessage>& list, Messages& messages) {
    for (const KCompileMessage& m : list) {
        if (m.warning)
            messages.WarningMessage(m.code, m.text, m.advice);
        else
            messages.ErrorMessage(m.code, m.text, m.advice);
    }
}

bool HasRunEnd(const KElements& elements) {
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        const auto& b = static_cast<const KBlock&>(*e);
        if (b.GetTypeTag() == "KStop" || b.HasProgram()) return true;
        // A single-shot scope will end a run too once scopes acquire.
        if (b.IsSolver() && b.Node(1).value > 0) return true;
    }
    return false;
}

struct Columns {
    std::vector<const KLibraryVar*> vars;
    bool ok = true;
};

Columns ChooseColumns(const KBenchTop& bench, const KRunnerOptions& opts, Messages& messages) {
    Columns c;
    const KVarVector& all = bench.Variables();
    auto visible = [](const KLibraryVar& v) { return !v.IsHidden() && !v.IsState(); };
    if (!opts.varsGiven) {
        for (int i = 0; i < all.Count(); ++i) {
            const KLibraryVar* v = all.All()[static_cast<std::size_t>(i)];
            if (v != bench.TimeVar() && visible(*v)) c.vars.push_back(v);
        }
        return c;
    }
    for (const std::string& name : opts.vars) {
        const KLibraryVar* found = nullptr;
        for (int i = 0; i < all.Count() && !found; ++i)
            if (all.All()[static_cast<std::size_t>(i)]->Name() == name &&
                visible(*all.All()[static_cast<std::size_t>(i)]))
                found = all.All()[static_cast<std::size_t>(i)];
        if (!found) {
            messages.ErrorBox("The model has no variable named \"" + name + "\" (--vars).");
            c.ok = false;
        }
        c.vars.push_back(found);
    }
    return c;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string Full(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

// Shows how far the run is, on a terminal only, at most twice a second.
class Progress {
public:
    Progress(double until) : until_(until), start_(Clock::now()), last_(start_) {}
    void Show(double time) {
        if (!tty_) return;
        auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(500))
            return;
        last_ = now;
        double wall = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "\rt = %s of %s  (%s model-s/s)   ", FormatGeneral(time, 6).c_str(),
                     FormatGeneral(until_, 6).c_str(), FormatGeneral(time / wall, 3).c_str());
        shown_ = true;
    }
    ~Progress() {
        if (shown_) std::fputc('\n', stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    double until_;
    Clock::time_point start_;
    Clock::time_point last_;
    bool tty_ = isatty(2) != 0;
    bool shown_ = false;
};

enum class Outcome { Running, Ended, Failed };

struct Session {
    KBenchTop& bench;
    KSolver& solver;
    const Columns& columns;
    std::ostream& csv;
    KCountingMessages& watch;

    // Runs to `target` (at least one step when target lies on the clock);
    // Ended when the model stopped itself, Failed after an error.
    Outcome RunTo(double target) {
        do {
            double t = std::min(bench.NextRunTime(), target);
            if (!(t > bench.time))
                t = std::nextafter(bench.time, std::numeric_limits<double>::infinity());
            double before = bench.time;
            bool ok = solver.RunUntil(t);
            if (watch.errors > 0) return Outcome::Failed;
            if (!ok) return Outcome::Ended;
            if (!(bench.time > before)) {
                watch.ErrorBox("The step \"h\" is too small to advance the time " +
                               FormatGeneral(bench.time, 15) + ".");
                return Outcome::Failed;
            }
            if (!bench.SampleInstruments())
                return watch.errors > 0 ? Outcome::Failed : Outcome::Ended;
            if (bench.AnyScopeWantsStop()) return Outcome::Ended;
        } while (bench.time < target);
        return Outcome::Running;
    }

    // One CSV row of the values at the clock's time; a value that is not a
    // number stops the run instead of reaching the file.
    bool WriteRow() {
        std::string row = Full(bench.time);
        for (const KLibraryVar* v : columns.vars) {
            double value = v->Value();
            if (!std::isfinite(value)) {
                watch.ErrorBox("Variable \"" + v->Name() + "\" is " + FormatGeneral(value, 6) +
                               " at time " + FormatGeneral(bench.time, 15) +
                               "; the run is stopped.");
                return false;
            }
            row += ',' + Full(value);
        }
        csv << row << '\n';
        return true;
    }
};

int Drive(Session& s, const KRunnerOptions& opts) {
    double until = opts.until.value_or(std::numeric_limits<double>::infinity());
    Progress progress(until);
    long long k = 1;
    while (s.bench.time < until) {
        double target =
            opts.every ? static_cast<double>(k) * *opts.every : std::nextafter(s.bench.time, until);
        const double before = s.bench.time;
        Outcome o = s.RunTo(std::min(target, until));
        if (o == Outcome::Failed) return kExitRun;
        if (o == Outcome::Ended) {
            // A run ended by the Solver's "Time Increment" (or an instrument)
            // completed its last step, which is a row like any other; a stop
            // request discards its step and leaves the clock where it was.
            bool completedRow = s.bench.time > before && s.bench.time >= std::min(target, until);
            if (completedRow && !s.WriteRow()) return kExitRun;
            return kExitOk;
        }
        if (!s.WriteRow()) return kExitRun;
        if (opts.every)
            while (static_cast<double>(k) * *opts.every <= s.bench.time) ++k;
        progress.Show(s.bench.time);
    }
    return kExitOk;
}

bool ValidOptions(const KRunnerOptions& opts, Messages& messages) {
    if (opts.until && !(std::isfinite(*opts.until) && *opts.until >= 0)) {
        messages.ErrorBox("--until needs a finite time of 0 or more.");
        return false;
    }
    if (opts.every && !(std::isfinite(*opts.every) && *opts.every > 0)) {
        messages.ErrorBox("--every needs a finite time greater than 0.");
        return false;
    }
    return true;
}

}  // namespace

int RunModel(const KRunnerOptions& opts, Messages& messages, std::ostream& csv) {
    if (!ValidOptions(opts, messages)) return kExitInput;
    // Errors seen tell a run stopped by an error from one that ended.
    KCountingMessages watch(messages);
    KElements elements(watch);
    KModelHeader header;
    KModuleFinder finder = FinderFor(opts);
    KLoadOptions load;
    load.modules = &finder;
    if (!LoadModelFile(elements, opts.model, load, header, watch).Ok()) return kExitInput;
    KCompileOptions compile;
    compile.modules = &finder;
    if (!CompileModel(elements, compile, watch)) return kExitCompile;
    std::unique_ptr<KBenchTop> bench;
    try {
        bench = BuildBenchTop(elements, watch);
    } catch (const KFatalError&) {
        // Too many states and the like: the model cannot be built, which is
        // a compile failure for the caller (the message has been shown).
        return kExitCompile;
    }
    if (bench) ShowCompileMessages(bench->CompileMessages(), watch);
    if (!bench || watch.errors > 0) return kExitCompile;
    if (opts.check) {
        watch.NoteBox("Compile Successful!");
        return kExitOk;
    }
    if (!opts.until && !HasRunEnd(elements)) {
        watch.ErrorBox(
            "Nothing in this model ends a run (a positive \"Time Increment\" of the Solver, a "
            "Stop block or a program block); give --until T.");
        return kExitInput;
    }
    Columns columns = ChooseColumns(*bench, opts, watch);
    if (!columns.ok) return kExitInput;
    if (!ApplyLiveSettings(*bench, opts.sets, watch)) return kExitInput;
    csv << "Time";
    for (const KLibraryVar* v : columns.vars) csv << ',' << CsvField(v->Name());
    csv << '\n';
    bench->PrepareScopes();
    bench->RestartSolver();
    Session session{*bench, *bench->Solver(), columns, csv, watch};
    int status = Drive(session, opts);
    csv.flush();
    return status;
}

}  // namespace korvel
