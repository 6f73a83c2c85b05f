// The command line of the korvel program: one optional model file, or
// "\Custom" (also "--custom", since shells eat an unquoted backslash) for
// custom-module mode; --help and --version answer without a window.
#pragma once

#include <string>
#include <vector>

namespace korvel {

struct KStartup {
    bool help = false;
    bool version = false;
    bool customMode = false;
    bool logMessages = false;
    std::string writeManual;  // --write-manual FILE: write the reference manual and end
    std::string glyphSheet;   // --glyph-sheet FILE.png: write every glyph on one sheet and end
    std::string renderGlyphs; // --render-glyphs FOLDER: write the glyph bitmaps and end
    std::string path;         // model file, enclosing quotation marks removed
    std::string error;        // set when the arguments make no sense
};

// `args` excludes the program name.
KStartup ParseStartup(const std::vector<std::string>& args);

// The text --help prints.
std::string StartupHelp();

}  // namespace korvel
