// korvel-run: the headless runner. Loads, checks and runs models without the
// editor, for batches, sweeps and automated checks.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>

#include "base/messages.h"
#include "base/streammessages.h"
#include "cli/listtypes.h"
#include "cli/runner.h"
#include "cli/runsession.h"

int main(int argc, char** argv) {
    using namespace korvel;
    CLI::App app{"Korvel headless runner: reads, checks and runs block-diagram models."};
    app.name("korvel-run");
    bool listTypes = false;
    KRunnerOptions opts;
    app.add_flag("--list-types", listTypes,
                 "Print every block type: number, tag, display name, palette page, node count");
    app.add_option("model", opts.model, "Model design (.kvd) or custom module (.kvc) file");
    app.add_option("--save-as", opts.saveAs,
                   "Read the model and write it back to this file, without compiling");
    app.add_option("--until", opts.until, "Run until the model time reaches T seconds");
    app.add_option("--every", opts.every,
                   "Write a row every DT seconds of model time (default: every solver step)");
    auto* vars =
        app.add_option("--vars", opts.vars, "Variables to write, in this order")->delimiter(',');
    app.add_option("--out", opts.out, "CSV file to write (default: standard output)");
    app.add_flag("--check", opts.check, "Compile only and print the compile messages");
    app.add_option("--set", opts.sets,
                   "Set a live constant, string constant, push button or live switch, by "
                   "block name, before the run starts: NAME=VALUE (repeatable)")
        ->allow_extra_args(false);
    app.add_option("--module-dir", opts.moduleFolders,
                   "Folder searched for custom module files (repeatable); the model's own "
                   "folder is searched last");
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
            return kExitOk;
        }
        if (opts.model.empty()) {
            std::cerr << app.help();
            return kExitInput;
        }
        if (!opts.saveAs.empty()) return SaveAs(opts, messages);
        if (opts.out.empty()) return RunModel(opts, messages, std::cout);
        // Rows go to a file beside the target first, so a failed run never
        // leaves half a table under the name the user asked for.
        std::string partial = opts.out + ".partial";
        int status;
        {
            std::ofstream csv(partial, std::ios::binary | std::ios::trunc);
            if (!csv) {
                messages.ErrorBox("Cannot write " + partial);
                return kExitInput;
            }
            status = RunModel(opts, messages, csv);
            csv.close();
            if (!csv) {
                messages.ErrorBox("Cannot write " + partial);
                status = kExitInput;
            }
        }
        if (std::rename(partial.c_str(), opts.out.c_str()) != 0) {
            messages.ErrorBox("Cannot write " + opts.out);
            std::remove(partial.c_str());
            return kExitInput;
        }
        return status;
    } catch (const KFatalError&) {
        // The sink has shown the message already.
        return kExitRun;
    }
}
