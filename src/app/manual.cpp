#include "app/manual.h"

#include "base/numberformat.h"
#include "model/blocktype.h"

namespace korvel {

namespace {

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string_view RoleText(KRole role) {
    switch (role) {
        case KRole::In:
            return "input";
        case KRole::MatedIn:
            return "input passed on to its page";
        case KRole::Out:
            return "output";
        case KRole::StateOut:
            return "output (a state, known at the start of a step)";
        case KRole::Out4:
            return "output";
        case KRole::Value:
            return "setting";
        case KRole::Doc:
            return "documentation";
        case KRole::Prog:
            return "program text";
    }
    return "";
}

std::string DefaultText(const KNodeDescriptor& node) {
    switch (node.kind) {
        case KValueKind::Choice: {
            const auto index = static_cast<std::size_t>(node.defaultValue);
            return index < node.choices.size() ? Escape(node.choices[index]) : "";
        }
        case KValueKind::Double:
        case KValueKind::Mult:
        case KValueKind::DisplayMult:
            return Escape(FormatGeneral(node.defaultValue, 6));
        case KValueKind::VarRef:
        case KValueKind::DctlRef:
        case KValueKind::ExcelRef:
            return "none";
        default:
            return "";
    }
}

// What the blocks of each palette sheet do, in a sentence.
std::string_view SheetText(KPalette page) {
    switch (page) {
        case KPalette::Instruments:
            return "An instrument: it watches variables of the running model.";
        case KPalette::Constants:
            return "A source of values set by the user, some adjustable during a run.";
        case KPalette::Meters:
            return "A display of a value on the diagram while the model runs.";
        case KPalette::Misc:
            return "A general block: variables, extenders, time, the solver and text.";
        case KPalette::Math:
            return "Arithmetic on its inputs, computed at every solver stage.";
        case KPalette::Compare:
            return "Compares its inputs; logical outputs are 1 or 0.";
        case KPalette::Logic:
            return "Logic on inputs counted true above 0.5; outputs are 1 or 0.";
        case KPalette::Waveforms:
            return "A waveform source whose output is a function of time.";
        case KPalette::Analog:
            return "A continuous-time element integrated by the solver.";
        case KPalette::AnalogFilters:
            return "A continuous-time filter; frequencies are in hertz.";
        case KPalette::Fs:
            return "A transfer function in the s domain.";
        case KPalette::Digital:
            return "A digital element computed at the sample times of its Digital Controller.";
        case KPalette::DigitalFilters:
            return "A digital filter computed at its controller's sample times.";
        case KPalette::Fz:
            return "A transfer function in the z domain, at its controller's sample times.";
        case KPalette::Program:
            return "A block whose outputs a program of the block language computes.";
        case KPalette::Custom:
            return "Part of a custom module: a module block or one of its interface blocks.";
        case KPalette::Motion:
            return "A motion profile, motor or load model.";
        case KPalette::Com:
            return "A link to a spreadsheet workbook.";
    }
    return "";
}

constexpr std::string_view kWindows = R"(<h2 id="MainWindow">The main window</h2>
<p>Menus File, Edit, View and Help; a tool bar with Open, Save, Compile, Run and Stop, the page
buttons and the simulation time in seconds; the palette of blocks on tabbed sheets; the page tabs
(right-click for Insert, Delete, Rename, Move Page Up and Move Page Down); and the diagram.</p>
<p>While a model runs, commands that would change it are refused with a warning; stop the model
with the Stop button or the Escape key first. Saving, copying, selecting, renaming pages, zooming
and "Zero All Stored Outputs" stay available.</p>
<h2 id="Placing">Placing blocks and Notes</h2>
<p>A block placed from the palette lands on the grid point under the mouse. Variables, Digital
Controllers, Excel Files, module inputs and outputs and program blocks take the next numbered
name; a block that needs a Digital Controller or an Excel File is bound to the model's only one
(with several, choose one through its node); a module Input or Output takes the lowest free
position on its edge. Pasted copies are bound and placed the same way. A custom module that
contains itself, directly or through the modules inside it, is not placed. Double-click a Note to
write its text: the Note shows it on the page; double-click its name to rename it.</p>
<h2 id="Files">Files</h2>
<p>Designs are ".kvd" files, custom modules ".kvc" files. Saving writes the whole file beside the
old one and then replaces it, so a failed save never damages the file. The File menu lists the
nine files used last.</p>
<h2 id="Compile">Compile and run</h2>
<p>Compile checks the model and builds its run-time model; "Auto save before compile?" saves
first. Run compiles when needed and runs until Stop, Escape, the Solver block's "Time Increment",
a Stop block, a program's stop(), a completed single-shot scope, or an error. Time and states are
kept, so Run continues where the model stopped. Warnings found while compiling are listed in one
window afterwards.</p>
<h2 id="ErrorDisplay">The error display</h2>
<p>Numbered messages show their number, what happened, what to do, and the block concerned with
its sheet, type and, for blocks inside a custom module, the module's file.</p>
<h2 id="Keys">Keys</h2>
<table>
<tr><td>Delete</td><td>delete the selected elements</td></tr>
<tr><td>Arrow keys</td><td>move the selection by 10 pixels</td></tr>
<tr><td>Page Down, Page Up, End, Home</td><td>next, previous, last, first page</td></tr>
<tr><td>F1</td><td>help on the block under the mouse pointer</td></tr>
<tr><td>Ctrl+W</td><td>the Wire tool</td></tr>
<tr><td>Escape</td><td>cancel what is in progress, stop a running model, clear the selection</td></tr>
<tr><td>Ctrl+S, Ctrl+C, Ctrl+X, Ctrl+V</td><td>save, copy, cut, paste</td></tr>
<tr><td>Ctrl+N, Ctrl+D</td><td>new page, delete page</td></tr>
<tr><td>Ctrl+I, Ctrl+O</td><td>zoom in, zoom out</td></tr>
</table>
<h2 id="CommandLine">The command line</h2>
<pre>korvel [MODEL.kvd | MODULE.kvc | --custom] [--log-messages]
korvel --help | --version
korvel-run MODEL.kvd [--until T] [--every DT] [--vars a,b] [--out FILE.csv] [--check]</pre>
<p>korvel-run runs a model without a window and writes the chosen variables as CSV rows.</p>
)";

}  // namespace

std::string ManualHtml() {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Korvel Reference Manual</title>\n"
        "<style>body{font-family:sans-serif;max-width:60em;margin:auto}"
        "table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:2px 6px}</style>\n"
        "</head>\n<body>\n<h1>Korvel Reference Manual</h1>\n";
    html += kWindows;
    html += "<h2 id=\"Blocks\">Blocks</h2>\n";
    for (int p = 0; p < kPaletteCount; ++p) {
        const auto page = static_cast<KPalette>(p);
        html += "<h3>" + Escape(PaletteCaption(page)) + "</h3>\n";
        for (const KBlockType& type : BlockTypes()) {
            if (type.palette != page) continue;
            html += "<h4 id=\"" + Escape(type.tag) + "\">" + Escape(type.displayName) + " (" +
                    Escape(type.tag) + ")</h4>\n<p>" + std::string(SheetText(page)) + "</p>\n";
            if (type.nodes.empty()) continue;
            html += "<table>\n<tr><th>Node</th><th>Role</th><th>Units</th><th>Default</th></tr>\n";
            for (const KNodeDescriptor& node : type.nodes)
                html += "<tr><td>" + Escape(node.name) + "</td><td>" +
                        std::string(RoleText(node.role)) + "</td><td>" + Escape(node.units) +
                        "</td><td>" + DefaultText(node) + "</td></tr>\n";
            html += "</table>\n";
        }
    }
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace korvel
