// Tests of the block type table: hand-typed records checked field by field,
// then properties every one of the 149 records must have. The expected values
// here are typed independently of the data files on purpose, so a slip in
// either shows up as a mismatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/blocktype.h"

namespace korvel {
namespace {

using enum KRole;
using enum KEdge;
using enum KValueKind;
using Choices = std::vector<std::string_view>;

const Choices kFalseTrue = {"False", "True"};
const Choices kNormalAuto = {"Normal", "Auto"};
const Choices kContAutoNormal = {"Cont", "Auto", "Normal"};
const Choices kEdges = {"Left", "Top", "Right", "Bottom"};
const Choices kQuantizeTypes = {"None", "Round", "Truncate"};
const Choices kWaveforms = {"Sine",          "Square",    "Triangle", "Sawtooth", "Pulse",
                            "Bipolar Pulse", "Trapezoid", "S-Curve",  "DC (None)"};
const Choices kOrientations = {"Horizontal", "Vertical"};
const Choices kJustifications = {"Left/Bottom", "Center", "Right/Top"};
const Choices kColours = {"Aqua",      "Black",       "Blue",       "Dark Gray",  "Fuchsia",
                          "Gray",      "Green",       "Light Gray", "Lime green", "Maroon",
                          "Navy blue", "Olive green", "Purple",     "Red",        "Silver",
                          "Teal",      "White",       "Yellow"};
const Choices kResolutionTypes = {"Lines/rev", "Counts/rev"};

struct ExpectedNode {
    std::string_view name;
    KRole role;
    KEdge edge;
    int position;
    double defaultValue;
    std::string_view units;
    KValueKind kind;
    Choices choices;
};

struct ExpectedType {
    int number;
    std::string_view tag;
    std::string_view displayName;
    KPalette palette;
    int width;
    int height;
    KShape shape;
    std::string_view bodyText1;
    std::string_view bodyText2;
    std::string_view defaultName;
    std::string_view glyph;
    std::uint32_t traits;
    std::string_view numberedNameBase;
    std::vector<ExpectedNode> nodes;
};

// gtest prints parameters in failure messages; the tag is what a reader needs.
void PrintTo(const ExpectedType& type, std::ostream* os) {
    *os << type.tag;
}

const std::vector<ExpectedType>& ExpectedRecords() {
    // clang-format off
    static const std::vector<ExpectedType> records = {
        {0, "KLpf1", "1-Pole Low-Pass Filter", KPalette::AnalogFilters, 50, 40, KShape::Rectangle,
         "Low Pass", "1 Pole", "Low-pass", "Glyphs\\IconLPF1", kTraitNone, "", {
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Output", StateOut, Right, 20, 0.0, "", Double, {}},
             {"Frequency", In, Top, 30, 100.0, "Hz", Double, {}},
             {"Documentation", Doc, Bottom, 40, 0.0, "", Documentation, {}},
         }},
        {6, "KDConstant", "Live Constant", KPalette::Constants, 60, 40, KShape::Rounded, "", "",
         "Constant", "Glyphs\\IconDirectConstantSmall", kTraitLiveAdjustable | kTraitLiveConstant,
         "", {
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"InitValue", Value, Top, 10, 1.0, "", Double, {}},
             {"Minimum", In, Top, 20, -1e10, "", Double, {}},
             {"Maximum", In, Top, 30, 1e10, "", Double, {}},
             {"Mult", In, Top, 40, 1.0, "", Mult, {}},
             {"Documentation", Doc, Right, 10, 0.0, "", Documentation, {}},
         }},
        {10, "KStringConstant", "String Live Constant", KPalette::Constants, 60, 40,
         KShape::Rounded, "", "", "Constant", "Glyphs\\IconSConstSmall",
         kTraitLiveAdjustable | kTraitLiveConstant | kTraitStringConstant, "", {
             {"Output", Out, Right, 20, 0.0, "", StringPick, {}},
             {"InitValue", Value, Left, 10, 0.0, "", StringPick, {}},
             {"Strings", Value, Left, 20, 0.0, "", StringList, {}},
             {"Documentation", Doc, Right, 10, 0.0, "", Documentation, {}},
         }},
        {13, "KVariable", "Variable", KPalette::Instruments, 40, 40, KShape::Rounded, "Var", "",
         "Variable", "Glyphs\\IconVarSmall", kTraitVariable | kTraitHasWindow, "Variable", {
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Scale", Value, Left, 10, 1.0, "", Double, {}},
             {"Offset", Value, Left, 30, 0.0, "", Double, {}},
             {"Show", Value, Right, 10, 1.0, "", Choice, kFalseTrue},
             {"Mult", Value, Right, 30, 1.0, "", DisplayMult, {}},
             {"Documentation", Doc, Bottom, 20, 0.0, "", Documentation, {}},
             {"AC Couple", Value, Right, 20, 0.0, "", Choice, kFalseTrue},
         }},
        {14, "KLiveVariable", "Live Scope", KPalette::Instruments, 160, 160, KShape::Rounded, "",
         "", "Variable", "", kTraitVariable | kTraitLiveScope | kTraitHasWindow, "Variable", {
             {"Input", In, Left, 10, 0.0, "", Double, {}},
             {"Scale", In, Left, 20, 1.0, "", Double, {}},
             {"Offset", In, Left, 30, 0.0, "", Double, {}},
             {"Time/Div", In, Left, 40, 0.1, "sec", Double, {}},
             {"Show", Value, Left, 50, 1.0, "", Choice, kFalseTrue},
             {"Mult", In, Left, 70, 1.0, "", DisplayMult, {}},
             {"Trigger Source", In, Left, 80, 0.0, "", Double, {}},
             {"Trigger Level", In, Left, 90, 0.0, "", Double, {}},
             {"Positive Trig?", In, Left, 100, 1.0, "", Choice, kFalseTrue},
             {"Trigger Position", In, Left, 110, 20.0, "", Double, {}},
             {"Trigger Mode", In, Left, 120, 1.0, "", Choice, kNormalAuto},
             {"Width", In, Left, 140, 160.0, "", Double, {}},
             {"Height", In, Left, 150, 160.0, "", Double, {}},
             {"Documentation", Doc, Right, 150, 0.0, "", Documentation, {}},
             {"AC Couple", In, Left, 60, 0.0, "", Choice, kFalseTrue},
             {"AC Trigger", In, Left, 130, 0.0, "", Choice, kFalseTrue},
         }},
        {19, "KInt", "Integrator", KPalette::Analog, 40, 40, KShape::Rectangle, "", "", "Integral",
         "Glyphs\\IconInt", kTraitNone, "", {
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Output", StateOut, Right, 20, 0.0, "", Double, {}},
             {"Gain", In, Top, 10, 1.0, "", Double, {}},
             {"Initial Value", Value, Bottom, 10, 0.0, "", Double, {}},
             {"Reset Value", In, Top, 20, 0.0, "", Double, {}},
             {"Reset", In, Top, 30, 0.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 30, 0.0, "", Documentation, {}},
         }},
        {31, "KSFilter1", "1st order s-domain filter", KPalette::Fs, 70, 30, KShape::Rectangle, "",
         "", "1st order", "Glyphs\\IconSFilter1", kTraitNone, "", {
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"A0", In, Top, 20, 0.0, "", Double, {}},
             {"A1", In, Top, 10, 1.0, "", Double, {}},
             {"B0", In, Top, 50, 0.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 50, 0.0, "", Documentation, {}},
         }},
        {37, "KZFilter1", "1st order z-domain filter", KPalette::Fz, 60, 40, KShape::Rectangle, "",
         "", "1st order", "Glyphs\\IconZFilter1", kTraitNeedsDctl, "", {
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Controller", Value, Left, 30, -1.0, "", DctlRef, {}},
             {"A1", In, Top, 10, 1.0, "", Double, {}},
             {"A0", In, Top, 20, 0.0, "", Double, {}},
             {"B1", In, Top, 40, 1.0, "", Double, {}},
             {"B0", In, Top, 50, 0.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 40, 0.0, "", Documentation, {}},
         }},
        {43, "KExtender", "Extender", KPalette::Misc, 20, 20, KShape::Frame, "", "", "Ext", "",
         kTraitExtender | kTraitHasWindow, "", {
             {"Connect", In, Left, 10, 0.0, "", Double, {}},
         }},
        {44, "KExtenderOutput", "Extender Output", KPalette::Misc, 20, 20, KShape::Frame, "", "",
         "Ext", "", kTraitExtender | kTraitHasWindow, "", {
             {"Connect", MatedIn, Right, 10, 0.0, "", Double, {}},
         }},
        {45, "KCustMod", "Custom Module", KPalette::Custom, 40, 40, KShape::Rectangle, "", "",
         "Custom Module", "Glyphs\\IconCustMod", kTraitCustomModule, "", {}},
        {46, "KCustInput", "Custom Module Input", KPalette::Custom, 50, 40, KShape::Rectangle, "",
         "", "Input", "Glyphs\\IconCustInputSmall", kTraitCustomInput | kTraitCustomInterface,
         "Input", {
             {"Input", MatedIn, Right, 20, 0.0, "", Double, {}},
             {"Edge", Value, Top, 20, 0.0, "", Choice, kEdges},
             {"Position", Value, Top, 30, 0.0, "", Double, {}},
             {"Initial Value", Value, Top, 40, 0.0, "", Double, {}},
             {"Documentation", Doc, Right, 30, 0.0, "", Documentation, {}},
         }},
        {52, "KSub", "Subtract", KPalette::Math, 40, 40, KShape::Ellipse, "--", "", "", "",
         kTraitNone, "", {
             {"Input1", In, Left, 20, 0.0, "", Double, {}},
             {"Input2", In, Bottom, 20, 0.0, "", Double, {}},
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
         }},
        {65, "KQuantize", "Quantize", KPalette::Math, 50, 40, KShape::Rectangle, "Quan", "",
         "Quantize", "Glyphs\\IconQuantizeSmall", kTraitNone, "", {
             {"Input", In, Left, 20, 1.0, "", Double, {}},
             {"Type", In, Top, 20, 0.0, "", Choice, kQuantizeTypes},
             {"Resolution", In, Top, 30, 1.0, "", Double, {}},
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 40, 0.0, "", Documentation, {}},
         }},
        {66, "KCompareEQ", "Equal To", KPalette::Compare, 40, 40, KShape::Rectangle, "", "", "EQ",
         "Glyphs\\IconCompareEQ", kTraitNone, "", {
             {"Input1", In, Left, 10, 0.0, "", Double, {}},
             {"Input2", In, Left, 30, 0.0, "", Double, {}},
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 30, 0.0, "", Documentation, {}},
         }},
        {72, "KLogicAnd", "And", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "AND",
         "Glyphs\\IconLogicAnd", kTraitNone, "", {
             {"Input1", In, Left, 10, 0.0, "", Double, {}},
             {"Input2", In, Left, 30, 0.0, "", Double, {}},
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 40, 0.0, "", Documentation, {}},
         }},
        {81, "KProgram2i2o", "2x2 Program", KPalette::Program, 50, 40, KShape::Rectangle, "", "",
         "2x2 Program", "Glyphs\\IconProgram", kTraitProgram | kTraitFeedthroughOutputs,
         "2x2 Program", {
             {"Input1", In, Left, 10, 0.0, "", Double, {}},
             {"Input2", In, Left, 20, 0.0, "", Double, {}},
             {"Output1", StateOut, Right, 10, 0.0, "", Double, {}},
             {"Output2", StateOut, Right, 20, 0.0, "", Double, {}},
             {"Program", Prog, Top, 30, 0.0, "", Program, {}},
             {"Documentation", Doc, Bottom, 30, 0.0, "", Documentation, {}},
         }},
        {84, "KProgramDigital2i2o", "2x2 Digital Program", KPalette::Program, 50, 40,
         KShape::Rectangle, "", "", "2x2 Program", "Glyphs\\IconProgramDigital",
         kTraitNeedsDctl | kTraitProgram | kTraitFeedthroughOutputs, "2x2 Program", {
             {"Input1", In, Left, 10, 0.0, "", Double, {}},
             {"Input2", In, Left, 20, 0.0, "", Double, {}},
             {"Output1", StateOut, Right, 10, 0.0, "", Double, {}},
             {"Output2", StateOut, Right, 20, 0.0, "", Double, {}},
             {"Program", Prog, Top, 30, 0.0, "", Program, {}},
             {"Controller", Value, Left, 30, -1.0, "", DctlRef, {}},
             {"Documentation", Doc, Bottom, 30, 0.0, "", Documentation, {}},
         }},
        {87, "KWaveGen", "Waveform Generator", KPalette::Instruments, 60, 50, KShape::Rectangle,
         "Wave", "", "Wave Gen", "Glyphs\\IconWaveGen", kTraitInstrument | kTraitHasWindow, "", {
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Waveform", Value, Top, 10, 1.0, "", Choice, kWaveforms},
             {"Frequency", Value, Top, 20, 10.0, "Hz", Double, {}},
             {"Amplitude", Value, Top, 30, 1.0, "", Double, {}},
             {"Offset", Value, Bottom, 10, 0.0, "", Double, {}},
             {"Phase", Value, Bottom, 20, 0.0, "Deg", Double, {}},
             {"DutyCycle", Value, Bottom, 30, 50.0, "%", Double, {}},
             {"Mult", Value, Bottom, 40, 1.0, "", Mult, {}},
             {"Enable", In, Top, 40, 1.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 50, 0.0, "", Documentation, {}},
         }},
        {90, "KMeterHarm", "Harmonic Meter", KPalette::Meters, 60, 50, KShape::Rectangle, "H-Meter",
         "  ", "Harmonic Meter", "Glyphs\\IconMeterHarmSmall", kTraitNone, "", {
             {"Magnitude", Out, Right, 20, 0.0, "", Double, {}},
             {"Mult", Value, Top, 40, 1.0, "", DisplayMult, {}},
             {"Angle", Out, Right, 30, 0.0, "rad", Double, {}},
             {"Input", In, Left, 10, 0.0, "", Double, {}},
             {"Reference", In, Left, 20, 0.0, "", Double, {}},
             {"Harmonic", In, Left, 30, 1.0, "", Double, {}},
             {"Hold", In, Top, 20, 0.0, "", Double, {}},
             {"Number Cycles", In, Top, 30, 1.0, "", Double, {}},
             {"TSample", Value, Top, 50, 0.0001, "sec", Double, {}},
             {"Documentation", Doc, Right, 40, 0.0, "", Documentation, {}},
         }},
        {97, "KBar", "Bar Meter", KPalette::Meters, 100, 40, KShape::Rectangle, "Bar", "", "Bar",
         "Glyphs\\IconBar", kTraitNone, "", {
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Mult", Value, Top, 10, 1.0, "", DisplayMult, {}},
             {"Minimum", In, Top, 20, 0.0, "", Double, {}},
             {"Maximum", In, Top, 30, 1.0, "", Double, {}},
             {"Orientation", In, Top, 40, 0.0, "", Choice, kOrientations},
             {"Justification", In, Top, 50, 0.0, "", Choice, kJustifications},
             {"Width", In, Top, 60, 80.0, "", Double, {}},
             {"Height", In, Top, 70, 40.0, "", Double, {}},
             {"Primary Color", Value, Top, 80, 0.0, "", Choice, kColours},
             {"Secondary Color", Value, Top, 90, 1.0, "", Choice, kColours},
             {"Documentation", Doc, Right, 20, 0.0, "", Documentation, {}},
         }},
        {98, "KDial", "Dial Meter", KPalette::Meters, 100, 100, KShape::Rectangle, "Dial", "",
         "Dial", "Glyphs\\IconDial", kTraitNone, "", {
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Mult", In, Left, 30, 1.0, "", DisplayMult, {}},
             {"Minimum", In, Top, 10, 0.0, "", Double, {}},
             {"Maximum", In, Top, 20, 1.0, "", Double, {}},
             {"Label Font", In, Top, 40, 10.0, "", Double, {}},
             {"Display Font", In, Top, 50, 16.0, "", Double, {}},
             {"Number Labels", In, Top, 70, 5.0, "", Double, {}},
             {"Ticks", In, Top, 80, 5.0, "", Double, {}},
             {"Width", In, Top, 100, 80.0, "", Double, {}},
             {"Needle Color", In, Top, 120, 14.0, "", Choice, kColours},
             {"Label Color", In, Top, 130, 16.0, "", Choice, kColours},
             {"Gauge Color", In, Top, 140, 15.0, "", Choice, kColours},
             {"Documentation", Doc, Right, 20, 0.0, "", Documentation, {}},
         }},
        {101, "KButton", "Push Button", KPalette::Constants, 40, 40, KShape::Rectangle, "", "",
         "Button", "", kTraitLiveAdjustable | kTraitLiveControl, "", {
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Initial Value", Value, Right, 10, 0.0, "", Choice, kFalseTrue},
             {"Documentation", Doc, Right, 30, 0.0, "", Documentation, {}},
         }},
        {103, "KSolver", "Solver", KPalette::Misc, 50, 30, KShape::Rectangle, "", "", "Solver",
         "Glyphs\\IconLightBulb", kTraitSolver, "", {
             {"h", In, Left, 10, 1e-05, "sec", Double, {}},
             {"Time Increment", In, Left, 20, 0.0, "", Double, {}},
             {"Documentation", Doc, Right, 20, 0.0, "", Documentation, {}},
         }},
        {105, "KScope", "Oscilloscope", KPalette::Instruments, 70, 50, KShape::Rectangle, "", "",
         "Scope", "Glyphs\\IconScope",
         kTraitScope | kTraitInstrument | kTraitComputedLast | kTraitHasWindow, "", {
             {"Trigger Source", Value, Top, 20, -1.0, "", VarRef, {}},
             {"Trigger Level", Value, Top, 30, 0.0, "", Double, {}},
             {"Positive Trig?", Value, Top, 40, 1.0, "", Choice, kFalseTrue},
             {"Trigger Position", Value, Top, 50, 20.0, "", Double, {}},
             {"Trigger Mode", Value, Top, 60, 1.0, "", Choice, kContAutoNormal},
             {"Roll?", Value, Bottom, 20, 0.0, "", Choice, kFalseTrue},
             {"Time/Div", Value, Top, 10, 0.02, "sec", Double, {}},
             {"x vs y?", Value, Bottom, 40, 0.0, "", Choice, kFalseTrue},
             {"H-Channel", Value, Bottom, 50, -1.0, "", VarRef, {}},
             {"Single Shot?", Value, Bottom, 30, 0.0, "", Choice, kFalseTrue},
             {"Documentation", Doc, Bottom, 60, 0.0, "", Documentation, {}},
             {"AC Trigger", Value, Bottom, 10, 0.0, "", Choice, kFalseTrue},
         }},
        {106, "KDsa", "Dynamic Signal Analyzer", KPalette::Instruments, 90, 50, KShape::Rectangle,
         "", "", "DSA", "Glyphs\\IconDSA", kTraitDsa | kTraitInstrument | kTraitHasWindow, "", {
             {"Switched Input Wave", In, Left, 20, 0.0, "", Double, {}},
             {"Unswitched Input Wave", In, Left, 30, 0.0, "", Double, {}},
             {"Excitation", Out, Right, 20, 0.0, "", Double, {}},
             {"DSA Inactive", StateOut, Right, 30, 0.0, "", Double, {}},
             {"Excitation Amplitude", In, Top, 10, 1.0, "", Double, {}},
             {"Input Channel", Value, Top, 20, -1.0, "", VarRef, {}},
             {"Output Channel", Value, Top, 30, -1.0, "", VarRef, {}},
             {"TSample", Value, Top, 40, 0.00025, "sec", Double, {}},
             {"Start Zero Time", Value, Top, 50, 0.2, "sec", Double, {}},
             {"End Zero Time", Value, Top, 60, 0.2, "sec", Double, {}},
             {"Order", Value, Top, 70, 11.0, "", Double, {}},
             {"Auto Frequency", Value, Bottom, 10, 1.0, "", Choice, kFalseTrue},
             {"Minimum Frequency", Value, Bottom, 20, 2.0, "Hz", Double, {}},
             {"Maximum Frequency", Value, Bottom, 30, 100.0, "Hz", Double, {}},
             {"Gain Scale", Value, Bottom, 40, 20.0, "dB", Double, {}},
             {"Gain Offset", Value, Bottom, 50, 0.0, "dB", Double, {}},
             {"Phase Scale", Value, Bottom, 60, 90.0, "deg", Double, {}},
             {"Phase Offset", Value, Bottom, 70, 0.0, "deg", Double, {}},
             {"Button Setup", Value, Top, 80, -1.0, "", DsaButtons, {}},
             {"Documentation", Doc, Bottom, 80, 0.0, "", Documentation, {}},
         }},
        {107, "KDctl", "Digital Controller", KPalette::Digital, 30, 30, KShape::Rectangle, "", "",
         "DController", "Glyphs\\IconDControllerSmall", kTraitDctl | kTraitHasWindow, "Controller",
         {
             {"TSample", In, Top, 10, 0.001, "sec", Double, {}},
             {"Documentation", Doc, Right, 20, 0.0, "", Documentation, {}},
         }},
        {113, "KDPi", "Digital PI Control Law", KPalette::DigitalFilters, 50, 40, KShape::Rectangle,
         "", "", "Digital PI", "Glyphs\\IconDPI", kTraitNeedsDctl, "", {
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Output", Out, Right, 20, 0.0, "", Double, {}},
             {"Controller", Value, Left, 30, -1.0, "", DctlRef, {}},
             {"KP", In, Top, 10, 1.0, "", Double, {}},
             {"KI", In, Top, 20, 0.0, "", Double, {}},
             {"Saturation", In, Top, 30, 10.0, "", Double, {}},
             {"Wind-up", In, Top, 40, 2.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 30, 0.0, "", Documentation, {}},
         }},
        {126, "KTime", "Time", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "", "Time",
         "Glyphs\\IconTime", kTraitNone, "", {
             {"Time", Out, Right, 10, 0.0, "sec", Double, {}},
             {"Documentation", Doc, Right, 20, 0.0, "", Documentation, {}},
         }},
        {135, "KMech2J", "Two-Body Compliant Load", KPalette::Motion, 110, 80, KShape::Rectangle,
         "Compliant", "Motor & Load", "Motor/Load", "Glyphs\\IconMech2J", kTraitNone, "", {
             {"tApplied", In, Left, 20, 0.0, "Nm", Double, {}},
             {"tMDist", In, Left, 40, 0.0, "Nm", Double, {}},
             {"tLDist", In, Left, 50, 0.0, "Nm", Double, {}},
             {"Jm", In, Top, 10, 0.001, "kg-m^2", Double, {}},
             {"Jl", In, Top, 20, 0.001, "kg-m^2", Double, {}},
             {"Ks", In, Top, 40, 1000.0, "Nm/rad", Double, {}},
             {"Kcv", In, Top, 50, 1.0, "Nm/rad/s", Double, {}},
             {"Kmv", In, Top, 70, 0.0, "Nm/rad/s", Double, {}},
             {"Klv", In, Top, 80, 0.0, "Nm/rad/s", Double, {}},
             {"Am", Out, Right, 10, 0.0, "rad/s^2", Double, {}},
             {"Vm", StateOut, Right, 20, 0.0, "rad/s", Double, {}},
             {"Pm", StateOut, Right, 30, 0.0, "rad", Double, {}},
             {"Al", Out, Right, 50, 0.0, "rad/s^2", Double, {}},
             {"Vl", StateOut, Right, 60, 0.0, "rad/s", Double, {}},
             {"Pl", StateOut, Right, 70, 0.0, "rad", Double, {}},
             {"Documentation", Doc, Bottom, 90, 0.0, "", Documentation, {}},
             {"Vmax", In, Left, 70, 10000.0, "rad/s", Double, {}},
         }},
        {138, "KExcelMotor", "Motor From Excel File", KPalette::Com, 60, 70, KShape::Rectangle,
         "Excel", "Motor", "Motor", "Glyphs\\IconExcelMotor", kTraitNeedsExcelFile, "", {
             {"Torque", Out, Right, 20, 0.0, "", Double, {}},
             {"Power Loss", Out, Right, 30, 0.0, "", Double, {}},
             {"Dynamic KT", Out, Right, 40, 0.0, "", Double, {}},
             {"Current Out", Out, Right, 50, 0.0, "", Double, {}},
             {"Trigger Out", Out, Right, 60, 0.0, "", Double, {}},
             {"Current", In, Left, 20, 0.0, "", Double, {}},
             {"Velocity", In, Left, 30, 0.0, "", Double, {}},
             {"Position", In, Left, 40, 0.0, "", Double, {}},
             {"Temperature", In, Left, 50, 25.0, "", Double, {}},
             {"Trigger", In, Left, 60, 1.0, "", Double, {}},
             {"Excel File", Value, Top, 10, -1.0, "", ExcelRef, {}},
             {"Sheet", Value, Top, 20, 0.0, "", Text, {}},
             {"Documentation", Doc, Bottom, 40, 0.0, "", Documentation, {}},
         }},
        {141, "KMotorFb", "Motor Feedback", KPalette::Motion, 50, 40, KShape::Rectangle, "Mtr fb",
         "", "Feedback", "Glyphs\\IconMotorFb", kTraitNone, "", {
             {"Output Position", Out, Right, 20, 0.0, "rad", Double, {}},
             {"Input Position", In, Left, 20, 0.0, "rad", Double, {}},
             {"Resolution", In, Top, 20, 2048.0, "", Double, {}},
             // The misspelt name is what model files store, so it stays.
             {"Resoution Type", In, Top, 30, 0.0, "", Choice, kResolutionTypes},
             {"Enable", In, Top, 40, 1.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 40, 0.0, "", Documentation, {}},
         }},
        {146, "KExcelFile", "Excel File", KPalette::Com, 50, 50, KShape::Rectangle, "", "",
         "Excel File", "Glyphs\\IconExcelFile", kTraitExcelFile, "ExcelFile", {
             {"File", Value, Top, 20, 1.0, "*.xls", FileName, {}},
             {"Visible", Value, Top, 30, 1.0, "", Double, {}},
             {"Documentation", Doc, Right, 30, 0.0, "", Documentation, {}},
         }},
        {148, "KExcelStore", "Excel Store", KPalette::Com, 60, 50, KShape::Rectangle, "", "",
         "Excel Store", "Glyphs\\IconExcelStore", kTraitNeedsExcelFile, "", {
             {"Trigger Out", Out, Right, 30, 0.0, "", Double, {}},
             {"Input", In, Left, 20, 0.0, "", Double, {}},
             {"Trigger", In, Left, 30, 1.0, "", Double, {}},
             {"Excel File", Value, Top, 10, -1.0, "", ExcelRef, {}},
             {"Sheet", Value, Top, 20, 0.0, "", Text, {}},
             {"Column", Value, Top, 30, 0.0, "", Text, {}},
             {"Row", In, Top, 40, 1.0, "", Double, {}},
             {"Documentation", Doc, Bottom, 50, 0.0, "", Documentation, {}},
         }},
    };
    // clang-format on
    return records;
}

class BlockTypeRecordTest : public testing::TestWithParam<ExpectedType> {};

TEST_P(BlockTypeRecordTest, MatchesTable) {
    const ExpectedType& want = GetParam();
    const KBlockType* got = FindBlockType(want.number);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->number, want.number);
    EXPECT_EQ(got->tag, want.tag);
    EXPECT_EQ(got->displayName, want.displayName);
    EXPECT_EQ(got->palette, want.palette);
    EXPECT_EQ(got->width, want.width);
    EXPECT_EQ(got->height, want.height);
    EXPECT_EQ(got->shape, want.shape);
    EXPECT_EQ(got->bodyText1, want.bodyText1);
    EXPECT_EQ(got->bodyText2, want.bodyText2);
    EXPECT_EQ(got->defaultName, want.defaultName);
    EXPECT_EQ(got->glyph, want.glyph);
    EXPECT_EQ(got->traits, want.traits);
    EXPECT_EQ(got->numberedNameBase, want.numberedNameBase);
    ASSERT_EQ(got->nodes.size(), want.nodes.size());
    for (std::size_t i = 0; i < want.nodes.size(); ++i) {
        const KNodeDescriptor& node = got->nodes[i];
        const ExpectedNode& expected = want.nodes[i];
        SCOPED_TRACE(std::string(expected.name));
        EXPECT_EQ(node.ordinal, static_cast<int>(i));
        EXPECT_EQ(node.name, expected.name);
        EXPECT_EQ(node.role, expected.role);
        EXPECT_EQ(node.edge, expected.edge);
        EXPECT_EQ(node.position, expected.position);
        EXPECT_DOUBLE_EQ(node.defaultValue, expected.defaultValue);
        EXPECT_EQ(node.units, expected.units);
        EXPECT_EQ(node.kind, expected.kind);
        EXPECT_EQ(Choices(node.choices.begin(), node.choices.end()), expected.choices);
    }
}

INSTANTIATE_TEST_SUITE_P(HandPicked, BlockTypeRecordTest, testing::ValuesIn(ExpectedRecords()),
                         [](const testing::TestParamInfo<ExpectedType>& info) {
                             return std::string(info.param.tag);
                         });

TEST(BlockTypesTest, HandPickedRecordsCoverEveryPalettePage) {
    std::set<KPalette> pages;
    for (const ExpectedType& type : ExpectedRecords()) pages.insert(type.palette);
    EXPECT_EQ(pages.size(), static_cast<std::size_t>(kPaletteCount));
}

TEST(BlockTypesTest, TableHas149RecordsNumberedByIndex) {
    const auto types = BlockTypes();
    ASSERT_EQ(types.size(), static_cast<std::size_t>(kBlockTypeCount));
    ASSERT_EQ(kBlockTypeCount, 149);
    for (int i = 0; i < kBlockTypeCount; ++i) {
        EXPECT_EQ(types[i].number, i);
        EXPECT_EQ(FindBlockType(i), &types[i]);
    }
    EXPECT_EQ(types.front().tag, "KLpf1");
    EXPECT_EQ(types.back().tag, "KExcelStore");
}

TEST(BlockTypesTest, NumbersOutsideTheTableAreNotFound) {
    EXPECT_EQ(FindBlockType(-1), nullptr);
    EXPECT_EQ(FindBlockType(149), nullptr);
    EXPECT_EQ(FindBlockType(1000), nullptr);
}

TEST(BlockTypesTest, NamedTypeNumbersMatchTheirTags) {
    EXPECT_EQ(FindBlockType(ktype::kExtender)->tag, "KExtender");
    EXPECT_EQ(FindBlockType(ktype::kExtenderOutput)->tag, "KExtenderOutput");
    EXPECT_EQ(FindBlockType(ktype::kCustMod)->tag, "KCustMod");
    EXPECT_EQ(FindBlockType(ktype::kCustInput)->tag, "KCustInput");
    EXPECT_EQ(FindBlockType(ktype::kCustOutput)->tag, "KCustOutput");
    EXPECT_EQ(FindBlockType(ktype::kCustDoc)->tag, "KCustDoc");
    EXPECT_EQ(FindBlockType(ktype::kCustDctl)->tag, "KCustDctl");
    EXPECT_EQ(FindBlockType(ktype::kVariable)->tag, "KVariable");
    EXPECT_EQ(FindBlockType(ktype::kSolver)->tag, "KSolver");
    EXPECT_EQ(FindBlockType(ktype::kDctl)->tag, "KDctl");
    EXPECT_EQ(FindBlockType(ktype::kTime)->tag, "KTime");
}

TEST(BlockTypesTest, TagsAreUniqueAndLookUpToTheirNumber) {
    std::set<std::string_view> tags;
    for (const KBlockType& type : BlockTypes()) {
        EXPECT_TRUE(tags.insert(type.tag).second) << type.tag;
        EXPECT_EQ(FindBlockTypeByTag(type.tag), type.number) << type.tag;
        // A copy of the text must find it too: the lookup compares contents.
        const std::string copy(type.tag);
        EXPECT_EQ(FindBlockTypeByTag(copy), type.number) << type.tag;
    }
}

TEST(BlockTypesTest, TagLookupIsExactAndCaseSensitive) {
    EXPECT_EQ(FindBlockTypeByTag("KLpf1"), 0);
    EXPECT_EQ(FindBlockTypeByTag("KExcelStore"), 148);
    EXPECT_EQ(FindBlockTypeByTag("klpf1"), std::nullopt);
    EXPECT_EQ(FindBlockTypeByTag("KLPF1"), std::nullopt);
    EXPECT_EQ(FindBlockTypeByTag("KLpf1 "), std::nullopt);
    EXPECT_EQ(FindBlockTypeByTag("KLpf"), std::nullopt);
    EXPECT_EQ(FindBlockTypeByTag("KNoSuchBlock"), std::nullopt);
    EXPECT_EQ(FindBlockTypeByTag(""), std::nullopt);
    EXPECT_EQ(FindBlockTypeByTag("ZZZ"), std::nullopt);
}

TEST(BlockTypesTest, NodeNamesAreUniqueWithinEachType) {
    for (const KBlockType& type : BlockTypes()) {
        std::set<std::string_view> names;
        for (const KNodeDescriptor& node : type.nodes) {
            EXPECT_FALSE(node.name.empty()) << type.tag;
            EXPECT_TRUE(names.insert(node.name).second) << type.tag << " " << node.name;
        }
    }
}

TEST(BlockTypesTest, OrdinalsEqualArrayIndices) {
    for (const KBlockType& type : BlockTypes()) {
        for (std::size_t i = 0; i < type.nodes.size(); ++i) {
            EXPECT_EQ(type.nodes[i].ordinal, static_cast<int>(i)) << type.tag;
        }
    }
}

TEST(BlockTypesTest, EveryTypeButTheCustomModuleHasNodes) {
    for (const KBlockType& type : BlockTypes()) {
        if (type.number == ktype::kCustMod) {
            EXPECT_TRUE(type.nodes.empty());
        } else {
            EXPECT_FALSE(type.nodes.empty()) << type.tag;
        }
    }
}

TEST(BlockTypesTest, BodiesHavePositiveSize) {
    for (const KBlockType& type : BlockTypes()) {
        EXPECT_GT(type.width, 0) << type.tag;
        EXPECT_GT(type.height, 0) << type.tag;
        EXPECT_EQ(type.width % 10, 0) << type.tag;
        EXPECT_EQ(type.height % 10, 0) << type.tag;
    }
}

// The dial meter's three colour nodes lie past its 100-pixel top edge in the
// table itself and are kept as given; any other node off its edge is a slip.
TEST(BlockTypesTest, NodePositionsLieOnTheirEdge) {
    std::set<std::string> offEdge;
    for (const KBlockType& type : BlockTypes()) {
        for (const KNodeDescriptor& node : type.nodes) {
            const bool horizontal = node.edge == KEdge::Top || node.edge == KEdge::Bottom;
            const int length = horizontal ? type.width : type.height;
            if (node.position < 0 || node.position > length) {
                offEdge.insert(std::string(type.tag) + "/" + std::string(node.name));
            }
        }
    }
    const std::set<std::string> known = {"KDial/Needle Color", "KDial/Label Color",
                                         "KDial/Gauge Color"};
    EXPECT_EQ(offEdge, known);
}

TEST(BlockTypesTest, ChoiceListsBelongToChoiceNodesOnly) {
    for (const KBlockType& type : BlockTypes()) {
        for (const KNodeDescriptor& node : type.nodes) {
            if (node.kind == KValueKind::Choice) {
                EXPECT_GE(node.choices.size(), 2u) << type.tag << " " << node.name;
                const double index = node.defaultValue;
                EXPECT_EQ(index, std::floor(index)) << type.tag << " " << node.name;
                EXPECT_GE(index, 0.0) << type.tag << " " << node.name;
                EXPECT_LT(index, static_cast<double>(node.choices.size()))
                    << type.tag << " " << node.name;
            } else {
                EXPECT_TRUE(node.choices.empty()) << type.tag << " " << node.name;
            }
        }
    }
}

TEST(BlockTypesTest, ReferenceNodesDefaultToNoElement) {
    for (const KBlockType& type : BlockTypes()) {
        for (const KNodeDescriptor& node : type.nodes) {
            if (node.kind == KValueKind::VarRef || node.kind == KValueKind::DctlRef ||
                node.kind == KValueKind::ExcelRef) {
                EXPECT_EQ(node.defaultValue, -1.0) << type.tag << " " << node.name;
            }
        }
    }
}

TEST(BlockTypesTest, TextRolesCarryTextKinds) {
    for (const KBlockType& type : BlockTypes()) {
        for (const KNodeDescriptor& node : type.nodes) {
            EXPECT_EQ(node.role == KRole::Doc, node.kind == KValueKind::Documentation)
                << type.tag << " " << node.name;
            EXPECT_EQ(node.role == KRole::Prog, node.kind == KValueKind::Program)
                << type.tag << " " << node.name;
        }
    }
}

TEST(BlockTypesTest, PackedEdgeRole) {
    const KBlockType* lpf = FindBlockType(0);
    ASSERT_NE(lpf, nullptr);
    EXPECT_EQ(lpf->nodes[0].PackedEdgeRole(), 2 * 256 + 0);  // left, input
    EXPECT_EQ(lpf->nodes[1].PackedEdgeRole(), 3 * 256 + 3);  // right, state output
    EXPECT_EQ(lpf->nodes[3].PackedEdgeRole(), 1 * 256 + 6);  // bottom, documentation
}

std::set<int> Range(int first, int last) {
    std::set<int> numbers;
    for (int i = first; i <= last; ++i) numbers.insert(i);
    return numbers;
}

std::set<int> Union(std::set<int> a, const std::set<int>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

TEST(BlockTypesTest, TraitsAreSetOnExactlyTheListedTypes) {
    const std::map<KTrait, std::set<int>> expected = {
        {kTraitLiveAdjustable, Union(Range(6, 10), {101, 102})},
        {kTraitLiveControl, {101, 102}},
        {kTraitLiveConstant, Range(6, 10)},
        {kTraitCustomInput, {46}},
        {kTraitCustomOutput, {47}},
        {kTraitCustomModule, {45}},
        {kTraitCustomInterface, {46, 47, 48, 49}},
        {kTraitNeedsDctl, Union(Union(Range(37, 42), Range(84, 86)), Range(108, 125))},
        {kTraitDctl, {107}},
        {kTraitDsa, {106}},
        {kTraitExcelFile, {146}},
        {kTraitNeedsExcelFile, {138, 147, 148}},
        {kTraitExtender, {43, 44}},
        {kTraitScope, {105}},
        {kTraitInstrument, {87, 105, 106}},
        {kTraitSolver, {103}},
        {kTraitStringConstant, {10}},
        {kTraitVariable, {13, 14, 15}},
        {kTraitLiveScope, {14, 15}},
        {kTraitComputedLast, {105}},
        {kTraitProgram, Range(81, 86)},
        {kTraitHasWindow, {13, 14, 15, 43, 44, 87, 105, 106, 107}},
        {kTraitFeedthroughOutputs, Range(81, 86)},
    };
    ASSERT_EQ(expected.size(), 23u);
    std::uint32_t allBits = 0;
    for (const auto& [trait, numbers] : expected) {
        allBits |= trait;
        for (const KBlockType& type : BlockTypes()) {
            EXPECT_EQ(type.Has(trait), numbers.count(type.number) == 1)
                << type.tag << " trait bit " << static_cast<std::uint32_t>(trait);
        }
    }
    for (const KBlockType& type : BlockTypes()) {
        EXPECT_EQ(type.traits & ~allBits, 0u) << type.tag;
    }
}

// Binding to a Digital Controller is a consequence of having a node that
// names one; the trait must not drift from the nodes.
TEST(BlockTypesTest, NeedsDctlMatchesControllerNodes) {
    for (const KBlockType& type : BlockTypes()) {
        const bool hasControllerNode =
            std::any_of(type.nodes.begin(), type.nodes.end(),
                        [](const KNodeDescriptor& n) { return n.kind == KValueKind::DctlRef; });
        if (type.number == ktype::kCustDctl) continue;
        EXPECT_EQ(type.Has(kTraitNeedsDctl), hasControllerNode) << type.tag;
    }
}

TEST(BlockTypesTest, NumberedNameBases) {
    std::map<int, std::string_view> expected = {
        {13, "Variable"},    {14, "Variable"},    {15, "Variable"},    {107, "Controller"},
        {146, "ExcelFile"},  {46, "Input"},       {47, "Output"},      {81, "2x2 Program"},
        {82, "4x4 Program"}, {83, "8x8 Program"}, {84, "2x2 Program"}, {85, "4x4 Program"},
        {86, "8x8 Program"},
    };
    for (const KBlockType& type : BlockTypes()) {
        const auto it = expected.find(type.number);
        const std::string_view want = it == expected.end() ? std::string_view{} : it->second;
        EXPECT_EQ(type.numberedNameBase, want) << type.tag;
    }
}

TEST(BlockTypesTest, LiveConstantStartsWithTheTableDefaults) {
    const KBlockType* type = FindBlockType(6);
    ASSERT_NE(type, nullptr);
    std::map<std::string_view, double> defaults;
    for (const KNodeDescriptor& node : type->nodes) defaults[node.name] = node.defaultValue;
    EXPECT_EQ(defaults["InitValue"], 1.0);
    EXPECT_EQ(defaults["Minimum"], -1e10);
    EXPECT_EQ(defaults["Maximum"], 1e10);
    EXPECT_EQ(defaults["Mult"], 1.0);
}

TEST(BlockTypesTest, SharedChoiceListsAreOneList) {
    // The False/True list of the Variable and of the oscilloscope is the same
    // storage: choice lists are shared, not copied per node.
    const KBlockType* variable = FindBlockType(13);
    const KBlockType* scope = FindBlockType(105);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(scope, nullptr);
    EXPECT_EQ(variable->nodes[3].choices.data(), scope->nodes[2].choices.data());
}

TEST(BlockTypesTest, PaletteCaptions) {
    const std::vector<std::string_view> captions = {
        "Instruments",     "Constants", "Meters",  "Misc",           "Math",   "Compare",
        "Logic",           "Waveforms", "Analog",  "Analog Filters", "F(s)",   "Digital",
        "Digital Filters", "F(z)",      "Program", "Custom",         "Motion", "COM",
    };
    ASSERT_EQ(captions.size(), static_cast<std::size_t>(kPaletteCount));
    for (int i = 0; i < kPaletteCount; ++i) {
        EXPECT_EQ(PaletteCaption(static_cast<KPalette>(i)), captions[i]);
    }
    EXPECT_EQ(PaletteCaption(KPalette::AnalogFilters), "Analog Filters");
    EXPECT_EQ(PaletteCaption(KPalette::Com), "COM");
}

}  // namespace
}  // namespace korvel
