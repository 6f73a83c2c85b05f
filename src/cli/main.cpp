// korvel-run: the headless runner. Loads, checks and runs models without the
// editor, for batches, sweeps and automated checks.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/listtypes.h"

int main(int argc, char** argv) {
    CLI::App app{"Korvel headless runner"};
    app.name("korvel-run");
    bool listTypes = false;
    app.add_flag("--list-types", listTypes,
                 "Print every block type: number, tag, display name, palette page, node count");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Bad arguments are exit status 3, like an unreadable model.
        int code = app.exit(e);
        return code == 0 ? 0 : 3;
    }
    if (listTypes) {
        korvel::ListTypes(std::cout);
        return 0;
    }
    std::cerr << app.help();
    return 3;
}
