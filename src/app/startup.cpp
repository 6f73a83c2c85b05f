#include "app/startup.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace korvel {

namespace {

// Qt's own options (one dash) that take a value; Qt removes them all from
// the command line, so they are skipped here with their values.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "-platform",        "-platformpluginpath",
    "-platformtheme",   "-plugin",
    "-qwindowgeometry", "-qwindowicon",
    "-qwindowtitle",    "-display",
    "-geometry",        "-style",
    "-stylesheet",      "-session"};

}  // namespace

KStartup ParseStartup(const std::vector<std::string>& args) {
    KStartup s;
    int paths = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h")
            s.help = true;
        else if (a == "--version")
            s.version = true;
        else if (a == "--custom" || a == "\\Custom")
            s.customMode = true;
        else if (a == "--log-messages")
            s.logMessages = true;
        else if (a == "--write-manual") {
            if (i + 1 == args.size()) s.error = "--write-manual needs a file name.";
            else s.writeManual = args[++i];
        } else if (a == "--glyph-sheet" || a == "--render-glyphs") {
            if (i + 1 == args.size()) s.error = a + " needs a file name.";
            else (a == "--glyph-sheet" ? s.glyphSheet : s.renderGlyphs) = args[++i];
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            s.error = "Unknown option " + a + " (see --help).";
        } else if (a.size() > 1 && a[0] == '-') {
            if (std::ranges::find(kQtOptionsWithValue, a) != kQtOptionsWithValue.end()) ++i;
        } else {
            std::string path = a;
            if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
                path = path.substr(1, path.size() - 2);
            s.path = path;
            ++paths;
        }
    }
    if (paths > 1)
        s.error =
            "Korvel opens one model file at a time; " + std::to_string(paths) + " were given.";
    if (s.customMode && paths > 0 && s.error.empty())
        s.error = "Give either a model file or --custom, not both.";
    return s;
}

std::string StartupHelp() {
    return "Usage: korvel [MODEL.kvd | MODULE.kvc | --custom]\n"
           "\n"
           "Opens the Korvel block-diagram editor.\n"
           "\n"
           "  MODEL.kvd        open a design (quotation marks around the path are removed)\n"
           "  MODULE.kvc       open a custom module\n"
           "  --custom         start with a new custom module; \\Custom (quoted, as \"\\Custom\")\n"
           "                   means the same\n"
           "  --log-messages   also write every message to standard error (always on when\n"
           "                   started from a terminal)\n"
           "  --write-manual F write the reference manual to the file F and end\n"
           "  --glyph-sheet F  write every block glyph and its mirrored variant to the PNG\n"
           "                   file F and end\n"
           "  --render-glyphs D write the glyph bitmaps into the folder D and end\n"
           "  --version        print the version and end\n"
           "  --help           print this text and end\n"
           "\n"
           "Without a display, run models with korvel-run.\n";
}

}  // namespace korvel
