// korvel-run: the headless runner. Loads, checks and runs models without the
// editor, for batches, sweeps and automated checks.
#include <CLI/CLI.hpp>

#include <iostream>

#include "base/messages.h"
#include "base/streammessages.h"
#include "cli/listtypes.h"
#include "cli/runner.h"

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
    app.add_option("--module-dir", opts.moduleFolders,
                   "Folder searched for custom module files (repeatable); the model's own "
                   "folder is searched last");
    try {
        app.parse(argc, argv);
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
        std::cerr << "korvel-run: running models is not available yet; use --save-as\n";
        return kExitInput;
    } catch (const KFatalError&) {
        // The sink has shown the message already.
        return kExitRun;
    }
}
