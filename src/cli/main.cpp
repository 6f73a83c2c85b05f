// korvel-run: the headless runner. Loads, checks and runs models without the
// editor, for batches, sweeps and automated checks.
#include <CLI/CLI.hpp>
#include <iostream>
#include <new>

#include "base/messages.h"
#include "base/streammessages.h"
#include "cli/instrumentout.h"
#include "cli/listtypes.h"
#include "cli/runner.h"
#include "cli/runsession.h"
#include "model/modulefinder.h"

namespace {

constexpr const char* kExitStatuses =
    "Exit status: 0 done (the run ended as the model or --until says); 1 the model does not "
    "compile or cannot be built; 2 a run-time error stopped the run (the rows before it are "
    "written); 3 a file cannot be read, the arguments are bad, or the CSV cannot be written "
    "(to --out or to standard output). With --out, status 1 or 3 leaves an existing FILE as "
    "it was; 0 or 2 replace it. An output file (--out, --save-as, --scope-out, --dsa-out) that "
    "is the model, a module or a workbook it uses is refused with status 3.";

}  // namespace

int main(int argc, char** argv) {
    using namespace korvel;
    // Rows go out through the stream's own buffer; a failed write shows in
    // the stream's state.
    std::ios::sync_with_stdio(false);
    CLI::App app{"Korvel headless runner: reads, checks and runs block-diagram models."};
    app.name("korvel-run");
    app.footer(kExitStatuses);
    bool listTypes = false;
    KRunnerOptions opts;
    app.add_flag("--list-types", listTypes,
                 "Print every block type: number, tag, display name, palette page, node count");
    app.add_option("model", opts.model, "Model design (.kvd) or custom module (.kvc) file");
    // Every option that takes a value takes exactly one, so an option never
    // swallows the model's path.
    app.add_option("--save-as", opts.saveAs,
                   "Read the model and write it back to FILE, without compiling")
        ->expected(1);
    app.add_option("--until", opts.until, "Run until the model time reaches T seconds")
        ->expected(1);
    app.add_option("--every", opts.every,
                   "Write a row at every multiple of DT seconds of model time, from the step "
                   "that ends nearest it (default: a row every solver step)")
        ->expected(1);
    auto* vars = app.add_option("--vars", opts.vars,
                                "Variables to write, in this order, separated by commas")
                     ->allow_extra_args(false)
                     ->delimiter(',');
    app.add_option("--out", opts.out,
                   "CSV file to write (default: standard output); it replaces FILE only when "
                   "the run has written its rows")
        ->expected(1);
    app.add_flag("--check", opts.check, "Compile only and print the compile messages");
    app.add_option("--set", opts.sets,
                   "Set a live constant, string constant, push button or live switch, by "
                   "block name, before the run starts: NAME=VALUE (repeatable)")
        ->allow_extra_args(false);
    app.add_option("--module-dir", opts.moduleFolders,
                   "Folder searched for custom module files (repeatable, at most 20); the "
                   "model's own folder is searched last")
        ->allow_extra_args(false);
    AddInstrumentOptions(app, opts);
    try {
        app.parse(argc, argv);
        opts.varsGiven = vars->count() > 0;
    } catch (const CLI::ParseError& e) {
        // Bad arguments are exit status 3, like an unreadable model.
        int code = app.exit(e);
        return code == 0 ? kExitOk : kExitInput;
    }
    KStreamMessages messages(std::cerr);
    try {
        if (listTypes) {
            ListTypes(std::cout);
            std::cout.flush();
            return std::cout ? kExitOk : kExitInput;
        }
        if (opts.model.empty()) {
            std::cerr << app.help();
            return kExitInput;
        }
        if (static_cast<int>(opts.moduleFolders.size()) > kMaxModuleFolders) {
            messages.ErrorBox("At most " + std::to_string(kMaxModuleFolders) +
                              " --module-dir folders can be given.");
            return kExitInput;
        }
        if (opts.saveAs) return SaveAs(opts, messages);
        return RunModel(opts, messages, std::cout);
    } catch (const KFatalError&) {
        // The sink has shown the message already.
        return kExitRun;
    } catch (const std::bad_alloc&) {
        messages.ErrorBox("Out of memory.");
        return kExitInput;
    }
}
