#include "cli/runsession.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>
#include <ostream>

#include "base/countingmessages.h"
#include "base/messages.h"
#include "base/numberformat.h"
#include "base/safefile.h"
#include "cli/csvfile.h"
#include "cli/instrumentout.h"
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

void ShowCompileMessages(const std::vector<KCompileMessage>& list, Messages& messages) {
    for (const KCompileMessage& m : list) {
        if (m.warning)
            messages.WarningMessage(m.code, m.text, m.advice);
        else
            messages.ErrorMessage(m.code, m.text, m.advice);
    }
}

// Whether something in the model can end a run by itself. A wired "Time
// Increment" takes its value from the model while it runs, so the value the
// file holds for it says nothing about whether the run ends.
bool HasRunEnd(const KElements& elements) {
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        const auto& b = static_cast<const KBlock&>(*e);
        if (b.GetTypeTag() == "KStop" || b.HasProgram()) return true;
        if (b.IsScope()) {
            const KNode* singleShot = b.FindNode("Single Shot?");
            if (singleShot != nullptr && std::floor(singleShot->value) == 1) return true;
        }
        const KNode& increment = b.Node(1);
        if (b.IsSolver() && !increment.connected && increment.value > 0) return true;
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
enum class RowWritten { Ok, BadValue, WriteFailed };

struct Session {
    KBenchTop& bench;
    KSolver& solver;
    const Columns& columns;
    std::ostream& csv;
    KCountingMessages& watch;
    const KInstrumentOutputs& instruments;
    int writeError = 0;  // errno of a failed write

    // Instruments that want a sample at the present time take it before the
    // model moves on, as the run loop's pass does (a started analyzer's first
    // sample at t = 0, or several scope samples within one long step).
    Outcome SampleDue() {
        for (double next = bench.NextRunTime(); next <= bench.time;) {
            if (Outcome o = Sample(); o != Outcome::Running) return o;
            const double after = bench.NextRunTime();
            if (!(after > next)) break;  // a sample time too fine to move on
            next = after;
        }
        return Outcome::Running;
    }

    Outcome Sample() {
        if (!bench.SampleInstruments()) return watch.errors > 0 ? Outcome::Failed : Outcome::Ended;
        if (watch.errors > 0) return Outcome::Failed;
        if (bench.AnyScopeWantsStop() || instruments.AnalyzersDone(bench)) return Outcome::Ended;
        return Outcome::Running;
    }

    // Runs to `target` (at least one step when target lies on the clock);
    // Ended when the model stopped itself, Failed after an error.
    Outcome RunTo(double target) {
        do {
            if (Outcome o = SampleDue(); o != Outcome::Running) return o;
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
            if (Outcome o = Sample(); o != Outcome::Running) return o;
        } while (bench.time < target);
        return Outcome::Running;
    }

    // One CSV row of the values at the clock's time; a value that is not a
    // number stops the run instead of reaching the file.
    RowWritten WriteRow() {
        std::string row = CsvNumber(bench.time);
        for (const KLibraryVar* v : columns.vars) {
            double value = v->Value();
            if (!std::isfinite(value)) {
                watch.ErrorBox("Variable \"" + v->Name() + "\" is " + FormatGeneral(value, 6) +
                               " at time " + FormatGeneral(bench.time, 15) +
                               "; the run is stopped.");
                return RowWritten::BadValue;
            }
            row += ',' + CsvNumber(value);
        }
        row += '\n';
        errno = 0;
        if (!csv.write(row.data(), static_cast<std::streamsize>(row.size()))) {
            writeError = errno;
            return RowWritten::WriteFailed;
        }
        return RowWritten::Ok;
    }
};

// The exit status of a row that was not written as asked.
int StatusOf(RowWritten r) {
    return r == RowWritten::BadValue ? kExitRun : kExitInput;
}

// Half the solver's step: a time within it of a row's or the run's end time
// has reached it, although step times are rounded sums (the tenth step of
// 0.1 ends at 0.9999999999999999).
double HalfStep(const KSolver& solver) {
    const double h = solver.StepSize();
    return std::isfinite(h) && h > 0 ? h / 2 : 0.0;
}

// The model time at which the next --every row is due: the first multiple of
// `every` beyond the clock, less half a step, so the step that ends nearest
// the multiple writes it. The index is computed, never counted up: a tiny
// `every` or a huge step costs nothing.
double NextRowTime(double time, double every, double half) {
    const double k = std::floor((time + half) / every) + 1;
    return k * every - half;
}

int Drive(Session& s, const KRunnerOptions& opts) {
    double until = opts.until.value_or(std::numeric_limits<double>::infinity());
    Progress progress(until);
    while (s.bench.time < until - HalfStep(s.solver)) {
        const double half = HalfStep(s.solver);
        // A target at or before the clock (every below h, or a multiple lost
        // in the clock's rounding) still runs one step.
        double target = opts.every ? NextRowTime(s.bench.time, *opts.every, half)
                                   : std::nextafter(s.bench.time, until);
        target = std::min(target, until - half);
        const double before = s.bench.time;
        Outcome o = s.RunTo(target);
        if (o == Outcome::Failed) return kExitRun;
        if (o == Outcome::Ended) {
            // A run ended by the Solver's "Time Increment" (or an instrument)
            // completed its last step, which is a row like any other; a stop
            // request discards its step and leaves the clock where it was.
            bool completedRow = s.bench.time > before && s.bench.time >= target;
            if (!completedRow) return kExitOk;
            RowWritten r = s.WriteRow();
            return r == RowWritten::Ok ? kExitOk : StatusOf(r);
        }
        if (RowWritten r = s.WriteRow(); r != RowWritten::Ok) return StatusOf(r);
        progress.Show(s.bench.time);
    }
    // The instruments take the samples due at the end time too, as the run
    // loop's next pass would.
    return s.SampleDue() == Outcome::Failed ? kExitRun : kExitOk;
}

// Destroys the run-time model, which writes back the workbooks Store blocks
// changed; a write that failed (and was reported) makes the run a failure.
int CloseRunModel(std::unique_ptr<KBenchTop>& bench, KCountingMessages& watch, int status) {
    const int errorsBefore = watch.errors;
    bench.reset();
    return watch.errors > errorsBefore && status == kExitOk ? kExitRun : status;
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
    if (opts.out && opts.out->empty()) {
        messages.ErrorBox("--out needs a file name.");
        return false;
    }
    return true;
}

std::string SystemReason(int error) {
    return error != 0 ? std::strerror(error) : "the output was closed or is full";
}

// Loads, compiles and builds the run-time model; the exit status when that
// fails (the messages have said why), else nullopt.
struct Built {
    KElements& elements;
    KCompiled compiled{};
    std::unique_ptr<KBenchTop> bench{};
};

std::optional<int> Build(const KRunnerOptions& opts, Built& built, KCountingMessages& watch) {
    KElements& elements = built.elements;
    KModelHeader header;
    KModuleFinder finder = FinderFor(opts);
    const char* doing = "reading";
    try {
        KLoadOptions load;
        load.modules = &finder;
        if (!LoadModelFile(elements, opts.model, load, header, watch).Ok()) return kExitInput;
        doing = "compiling (expanding custom modules and ordering the blocks of)";
        KCompileOptions compile;
        compile.modules = &finder;
        built.compiled = CompileModel(elements, compile, watch);
        if (!built.compiled.Ok()) return kExitCompile;
        if (opts.out && !OutputSparesInputs("--out", *opts.out, opts, elements, watch))
            return kExitInput;
        doing = "building the run-time model of";
        built.bench = BuildBenchTop(built.compiled, watch);
    } catch (const KFatalError&) {
        // Too many states and the like: the model cannot be built, which is
        // a compile failure for the caller (the message has been shown).
        return kExitCompile;
    } catch (const std::bad_alloc&) {
        built.bench.reset();
        watch.ErrorBox(std::string("Out of memory while ") + doing + " " + opts.model + " (" +
                       std::to_string(elements.Count()) + " elements).");
        return std::string_view(doing) == "reading" ? kExitInput : kExitCompile;
    }
    if (built.bench) ShowCompileMessages(built.bench->CompileMessages(), watch);
    if (!built.bench || watch.errors > 0) return kExitCompile;
    // Workbooks named relative to the model are found beside it.
    built.bench->SetModelFolder(std::filesystem::path(opts.model).parent_path().string());
    if (!built.bench->OpenFiles()) return kExitCompile;
    return std::nullopt;
}

// Writes the header and the rows of the run to `csv`; answers the status.
int WriteTable(KBenchTop& bench, const Columns& columns, const KRunnerOptions& opts,
               std::ostream& csv, bool toStandardOutput, KCountingMessages& watch,
               const KInstrumentOutputs& instruments) {
    Session session{bench, *bench.Solver(), columns, csv, watch, instruments};
    std::string header = "Time";
    for (const KLibraryVar* v : columns.vars) header += ',' + CsvField(v->Name());
    header += '\n';
    errno = 0;
    int status = kExitInput;
    if (csv.write(header.data(), static_cast<std::streamsize>(header.size()))) {
        bench.PrepareScopes();
        bench.RestartSolver();
        try {
            status = Drive(session, opts);
        } catch (const KFatalError&) {
            status = kExitRun;  // the message has been shown
        } catch (const std::bad_alloc&) {
            watch.ErrorBox("Out of memory while running " + opts.model + " at time " +
                           FormatGeneral(bench.time, 15) + "; the run is stopped.");
            status = kExitRun;
        }
        errno = 0;
        if (csv.flush() && status != kExitInput) return status;
    }
    // Standard output has no writer of its own to say what went wrong.
    if (toStandardOutput)
        watch.ErrorBox("Cannot write to standard output: " +
                       SystemReason(session.writeError != 0 ? session.writeError : errno) +
                       ". The table is incomplete.");
    return kExitInput;
}

}  // namespace

int RunModel(const KRunnerOptions& opts, Messages& messages, std::ostream& standardOutput) {
    if (!ValidOptions(opts, messages)) return kExitInput;
    // Errors seen tell a run stopped by an error from one that ended.
    KCountingMessages watch(messages);
    KElements elements(watch);
    if (opts.out && !OutputSparesInputs("--out", *opts.out, opts, elements, watch))
        return kExitInput;
    Built built{elements};
    if (std::optional<int> failed = Build(opts, built, watch)) return *failed;
    KBenchTop& bench = *built.bench;
    if (opts.check) {
        watch.NoteBox("Compile Successful!");
        return kExitOk;
    }
    if (!opts.until && !HasRunEnd(elements) && opts.dsaOut.empty()) {
        watch.ErrorBox(
            "Nothing in this model ends a run (a positive \"Time Increment\" of the Solver that "
            "is not wired, a Stop block, a program block or a single-shot scope); give --until "
            "T.");
        return kExitInput;
    }
    Columns columns = ChooseColumns(bench, opts, watch);
    if (!columns.ok) return kExitInput;
    if (!ApplyLiveSettings(bench, opts.sets, watch)) return kExitInput;
    KInstrumentOutputs instruments;
    if (!instruments.Prepare(bench, elements, opts, watch)) return kExitInput;
    // Instrument files are written while the run-time model stands; destroying
    // it then writes back the workbooks it changed, and a failed write-back
    // turns a finished run into a failed one.
    auto run = [&](std::ostream& out, bool toStandardOutput) {
        int status = WriteTable(bench, columns, opts, out, toStandardOutput, watch, instruments);
        if (status == kExitOk) status = instruments.Write(bench, opts, watch);
        return CloseRunModel(built.bench, watch, status);
    };
    if (!opts.out) return run(standardOutput, true);
    // The rows go to a temporary file that replaces the target only when
    // the run has written them: a run that never started leaves the target
    // as it was.
    KPosixFileSystem fs;
    KCsvFile file(fs, watch);
    if (!file.Open(*opts.out)) return kExitInput;
    int status = run(file.Stream(), false);
    bool keep = status == kExitOk || status == kExitRun;
    if (!file.Finish(keep) && keep) return kExitInput;
    return status;
}

}  // namespace korvel
