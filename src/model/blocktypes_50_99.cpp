// Block type records 50 to 99: math, compare and logic blocks, program blocks, the
// waveform generator and the meters.
//
// Data only; the lookups live in blocktypes.cpp. Each node line reads: ordinal, edge,
// role, position, name, units, default value, value kind, choice list.
#include <iterator>
#include <span>

#include "model/blocktype.h"
#include "model/blocktypes_parts.h"

namespace korvel::blocktypes_detail {
namespace {

using enum KEdge;
using enum KRole;
using enum KValueKind;

// 50 KAnchor
constexpr KNodeDescriptor kAnchorNodes[] = {
    {0, Left, In, 10, "Anchor", "", 0.0, Double, {}},
};

// 51 KLabel
constexpr KNodeDescriptor kLabelNodes[] = {
    {0, Left, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 52 KSub and 53 KAdd.
constexpr KNodeDescriptor kTwoInputSumNodes[] = {
    {0, Left, In, 20, "Input1", "", 0.0, Double, {}},
    {1, Bottom, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
};

// 54 KAdd3
constexpr KNodeDescriptor kAdd3Nodes[] = {
    {0, Left, In, 20, "Input1", "", 0.0, Double, {}},
    {1, Top, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Bottom, In, 20, "Input3", "", 0.0, Double, {}},
    {3, Right, Out, 20, "Output", "", 0.0, Double, {}},
};

// Shared by 55 KMult and 57 KDivide.
constexpr KNodeDescriptor kTwoInputProductNodes[] = {
    {0, Left, In, 20, "Input1", "", 1.0, Double, {}},
    {1, Bottom, In, 20, "Input2", "", 1.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
};

// 56 KMult3
constexpr KNodeDescriptor kMult3Nodes[] = {
    {0, Left, In, 20, "Input1", "", 1.0, Double, {}},
    {1, Top, In, 20, "Input2", "", 1.0, Double, {}},
    {2, Bottom, In, 20, "Input3", "", 1.0, Double, {}},
    {3, Right, Out, 20, "Output", "", 0.0, Double, {}},
};

// Shared by 58 KScale and 59 KIScale.
constexpr KNodeDescriptor kScaleByNodes[] = {
    {0, Left, In, 20, "Input", "", 1.0, Double, {}},
    {1, Top, In, 20, "Scale by", "", 1.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {3, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 60-63 KSqrt..KMinusX use kOneInOneOutNodes (blocktypes_parts.h).

// 64 KModulo
constexpr KNodeDescriptor kModuloNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Left, In, 10, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "Modulo", "", 1.0, Double, {}},
    {3, Top, In, 30, "Mult", "", 1.0, Mult, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 65 KQuantize
constexpr KNodeDescriptor kQuantizeNodes[] = {
    {0, Left, In, 20, "Input", "", 1.0, Double, {}},
    {1, Top, In, 20, "Type", "", 0.0, Choice, kChoicesQuantize},
    {2, Top, In, 30, "Resolution", "", 1.0, Double, {}},
    {3, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {4, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 66-71 KCompareEQ..KCompareLE use kTwoInputCompareNodes (blocktypes_parts.h).

// Shared by 72-77 KLogicAnd..KLogicNXor.
constexpr KNodeDescriptor kTwoInputGateNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 30, "Input2", "", 0.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {3, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 78 KLogicNot and 79 KLogicBuffer.
constexpr KNodeDescriptor kOneInputGateNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 80 KLogicTimedBuffer
constexpr KNodeDescriptor kLogicTimedBufferNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Left, In, 30, "Delay Time", "", 0.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {3, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 81 KProgram2i2o
constexpr KNodeDescriptor kProgram2i2oNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Right, StateOut, 10, "Output1", "", 0.0, Double, {}},
    {3, Right, StateOut, 20, "Output2", "", 0.0, Double, {}},
    {4, Top, Prog, 30, "Program", "", 0.0, Program, {}},
    {5, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 82 KProgram4i4o
constexpr KNodeDescriptor kProgram4i4oNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Left, In, 30, "Input3", "", 0.0, Double, {}},
    {3, Left, In, 40, "Input4", "", 0.0, Double, {}},
    {4, Right, StateOut, 10, "Output1", "", 0.0, Double, {}},
    {5, Right, StateOut, 20, "Output2", "", 0.0, Double, {}},
    {6, Right, StateOut, 30, "Output3", "", 0.0, Double, {}},
    {7, Right, StateOut, 40, "Output4", "", 0.0, Double, {}},
    {8, Top, Prog, 30, "Program", "", 0.0, Program, {}},
    {9, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 83 KProgram8i8o
constexpr KNodeDescriptor kProgram8i8oNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Left, In, 30, "Input3", "", 0.0, Double, {}},
    {3, Left, In, 40, "Input4", "", 0.0, Double, {}},
    {4, Left, In, 50, "Input5", "", 0.0, Double, {}},
    {5, Left, In, 60, "Input6", "", 0.0, Double, {}},
    {6, Left, In, 70, "Input7", "", 0.0, Double, {}},
    {7, Left, In, 80, "Input8", "", 0.0, Double, {}},
    {8, Right, Out, 10, "Output1", "", 0.0, Double, {}},
    {9, Right, Out, 20, "Output2", "", 0.0, Double, {}},
    {10, Right, StateOut, 30, "Output3", "", 0.0, Double, {}},
    {11, Right, StateOut, 40, "Output4", "", 0.0, Double, {}},
    {12, Right, StateOut, 50, "Output5", "", 0.0, Double, {}},
    {13, Right, StateOut, 60, "Output6", "", 0.0, Double, {}},
    {14, Right, StateOut, 70, "Output7", "", 0.0, Double, {}},
    {15, Right, StateOut, 80, "Output8", "", 0.0, Double, {}},
    {16, Top, Prog, 30, "Program", "", 0.0, Program, {}},
    {17, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 84 KProgramDigital2i2o
constexpr KNodeDescriptor kProgramDigital2i2oNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Right, StateOut, 10, "Output1", "", 0.0, Double, {}},
    {3, Right, StateOut, 20, "Output2", "", 0.0, Double, {}},
    {4, Top, Prog, 30, "Program", "", 0.0, Program, {}},
    {5, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {6, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 85 KProgramDigital4i4o
constexpr KNodeDescriptor kProgramDigital4i4oNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Left, In, 30, "Input3", "", 0.0, Double, {}},
    {3, Left, In, 40, "Input4", "", 0.0, Double, {}},
    {4, Right, StateOut, 10, "Output1", "", 0.0, Double, {}},
    {5, Right, StateOut, 20, "Output2", "", 0.0, Double, {}},
    {6, Right, StateOut, 30, "Output3", "", 0.0, Double, {}},
    {7, Right, StateOut, 40, "Output4", "", 0.0, Double, {}},
    {8, Top, Prog, 30, "Program", "", 0.0, Program, {}},
    {9, Left, Value, 50, "Controller", "", -1.0, DctlRef, {}},
    {10, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 86 KProgramDigital8i8o
constexpr KNodeDescriptor kProgramDigital8i8oNodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input2", "", 0.0, Double, {}},
    {2, Left, In, 30, "Input3", "", 0.0, Double, {}},
    {3, Left, In, 40, "Input4", "", 0.0, Double, {}},
    {4, Left, In, 50, "Input5", "", 0.0, Double, {}},
    {5, Left, In, 60, "Input6", "", 0.0, Double, {}},
    {6, Left, In, 70, "Input7", "", 0.0, Double, {}},
    {7, Left, In, 80, "Input8", "", 0.0, Double, {}},
    {8, Right, StateOut, 10, "Output1", "", 0.0, Double, {}},
    {9, Right, StateOut, 20, "Output2", "", 0.0, Double, {}},
    {10, Right, StateOut, 30, "Output3", "", 0.0, Double, {}},
    {11, Right, StateOut, 40, "Output4", "", 0.0, Double, {}},
    {12, Right, StateOut, 50, "Output5", "", 0.0, Double, {}},
    {13, Right, StateOut, 60, "Output6", "", 0.0, Double, {}},
    {14, Right, StateOut, 70, "Output7", "", 0.0, Double, {}},
    {15, Right, StateOut, 80, "Output8", "", 0.0, Double, {}},
    {16, Top, Prog, 30, "Program", "", 0.0, Program, {}},
    {17, Left, Value, 90, "Controller", "", -1.0, DctlRef, {}},
    {18, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 87 KWaveGen
constexpr KNodeDescriptor kWaveGenNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 10, "Waveform", "", 1.0, Choice, kChoicesWaveform},
    {2, Top, Value, 20, "Frequency", "Hz", 10.0, Double, {}},
    {3, Top, Value, 30, "Amplitude", "", 1.0, Double, {}},
    {4, Bottom, Value, 10, "Offset", "", 0.0, Double, {}},
    {5, Bottom, Value, 20, "Phase", "Deg", 0.0, Double, {}},
    {6, Bottom, Value, 30, "DutyCycle", "%", 50.0, Double, {}},
    {7, Bottom, Value, 40, "Mult", "", 1.0, Mult, {}},
    {8, Top, In, 40, "Enable", "", 1.0, Double, {}},
    {9, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 88 KMeterRMS and 89 KMeterDC.
constexpr KNodeDescriptor kAveragingMeterNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 40, "Mult", "", 1.0, DisplayMult, {}},
    {2, Left, In, 20, "Input", "", 0.0, Double, {}},
    {3, Top, Value, 20, "Filter", "Hz", 1.0, Double, {}},
    {4, Top, Value, 30, "TSample", "sec", 0.001, Double, {}},
    {5, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// 90 KMeterHarm
constexpr KNodeDescriptor kMeterHarmNodes[] = {
    {0, Right, Out, 20, "Magnitude", "", 0.0, Double, {}},
    {1, Top, Value, 40, "Mult", "", 1.0, DisplayMult, {}},
    {2, Right, Out, 30, "Angle", "rad", 0.0, Double, {}},
    {3, Left, In, 10, "Input", "", 0.0, Double, {}},
    {4, Left, In, 20, "Reference", "", 0.0, Double, {}},
    {5, Left, In, 30, "Harmonic", "", 1.0, Double, {}},
    {6, Top, In, 20, "Hold", "", 0.0, Double, {}},
    {7, Top, In, 30, "Number Cycles", "", 1.0, Double, {}},
    {8, Top, Value, 50, "TSample", "sec", 0.0001, Double, {}},
    {9, Right, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 91 KHarmCorrTable
constexpr KNodeDescriptor kHarmCorrTableNodes[] = {
    {0, Right, Out, 20, "Magnitude", "", 0.0, Double, {}},
    {1, Top, Value, 30, "Mult", "", 1.0, DisplayMult, {}},
    {2, Right, Out, 30, "Angle", "rad", 0.0, Double, {}},
    {3, Left, In, 10, "Input", "", 0.0, Double, {}},
    {4, Left, In, 20, "Reference", "", 0.0, Double, {}},
    {5, Left, In, 30, "Harmonic", "", 1.0, Double, {}},
    {6, Top, In, 10, "Hold", "", 0.0, Double, {}},
    {7, Top, In, 20, "Number Cycles", "", 1.0, Double, {}},
    {8, Top, Value, 40, "TSample", "sec", 0.0001, Double, {}},
    {9, Left, In, 40, "Correction Scale", "", 0.0, Double, {}},
    {10, Left, In, 50, "Correction Phase Offset", "rad", 0.0, Double, {}},
    {11, Left, In, 60, "Clear", "", 0.0, Double, {}},
    {12, Left, In, 70, "Load Harmonic", "", 0.0, Double, {}},
    {13, Right, StateOut, 40, "Correction", "", 0.0, Double, {}},
    {14, Top, Value, 50, "Maximum Number Harmonics", "", 20.0, Double, {}},
    {15, Right, StateOut, 60, "Sine Term of Harmonic Correction", "", 0.0, Double, {}},
    {16, Right, StateOut, 70, "Cosine Term of Harmonic Correction", "", 0.0, Double, {}},
    {17, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// 92 KMeterTimer
constexpr KNodeDescriptor kMeterTimerNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 30, "Mult", "", 1.0, DisplayMult, {}},
    {2, Left, In, 20, "Begin", "", 1e-05, Double, {}},
    {3, Left, In, 30, "/Stop", "", 1e-05, Double, {}},
    {4, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// 93 KMeterCounter
constexpr KNodeDescriptor kMeterCounterNodes[] = {
    {0, Right, Out, 20, "Counter", "", 0.0, Double, {}},
    {1, Top, In, 10, "Mult", "", 1.0, DisplayMult, {}},
    {2, Left, In, 30, "Up", "", 0.0, Double, {}},
    {3, Left, In, 40, "Down", "", 0.0, Double, {}},
    {4, Top, In, 20, "Clear", "", 0.0, Double, {}},
    {5, Top, In, 30, "Set", "", 0.0, Double, {}},
    {6, Top, In, 40, "Set Value", "", 0.0, Double, {}},
    {7, Top, In, 50, "Minimum Value", "", -1e10, Double, {}},
    {8, Top, In, 60, "Maximum Value", "", 1e10, Double, {}},
    {9, Top, In, 70, "Roll?", "", 0.0, Choice, kChoicesFalseTrue},
    {10, Right, Out, 30, "Positive Rollover", "", 0.0, Double, {}},
    {11, Right, Out, 40, "Negative Rollover", "", 0.0, Double, {}},
    {12, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// 94 KMeterInspect
constexpr KNodeDescriptor kMeterInspectNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 20, "Mult", "", 1.0, DisplayMult, {}},
    {2, Left, In, 20, "Input", "", 1e-05, Double, {}},
    {3, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// 95 KMeterTrigInspect
constexpr KNodeDescriptor kMeterTrigInspectNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 20, "Mult", "", 1.0, DisplayMult, {}},
    {2, Left, In, 10, "Input", "", 0.0, Double, {}},
    {3, Left, In, 20, "Trigger Input", "", 0.0, Double, {}},
    {4, Right, Out, 20, "Trigger Output", "", 0.0, Double, {}},
    {5, Top, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 96 KLamp
constexpr KNodeDescriptor kLampNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 97 KBar
constexpr KNodeDescriptor kBarNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Top, Value, 10, "Mult", "", 1.0, DisplayMult, {}},
    {2, Top, In, 20, "Minimum", "", 0.0, Double, {}},
    {3, Top, In, 30, "Maximum", "", 1.0, Double, {}},
    {4, Top, In, 40, "Orientation", "", 0.0, Choice, kChoicesOrientation},
    {5, Top, In, 50, "Justification", "", 0.0, Choice, kChoicesJustification},
    {6, Top, In, 60, "Width", "", 80.0, Double, {}},
    {7, Top, In, 70, "Height", "", 40.0, Double, {}},
    {8, Top, Value, 80, "Primary Color", "", 0.0, Choice, kChoicesColour},
    {9, Top, Value, 90, "Secondary Color", "", 1.0, Choice, kChoicesColour},
    {10, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 98 KDial
constexpr KNodeDescriptor kDialNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Left, In, 30, "Mult", "", 1.0, DisplayMult, {}},
    {2, Top, In, 10, "Minimum", "", 0.0, Double, {}},
    {3, Top, In, 20, "Maximum", "", 1.0, Double, {}},
    {4, Top, In, 40, "Label Font", "", 10.0, Double, {}},
    {5, Top, In, 50, "Display Font", "", 16.0, Double, {}},
    {6, Top, In, 70, "Number Labels", "", 5.0, Double, {}},
    {7, Top, In, 80, "Ticks", "", 5.0, Double, {}},
    {8, Top, In, 100, "Width", "", 80.0, Double, {}},
    // The three colour nodes lie past the 100-pixel top edge; their positions are
    // kept as given rather than guessed at.
    {9, Top, In, 120, "Needle Color", "", 14.0, Choice, kChoicesColour},
    {10, Top, In, 130, "Label Color", "", 16.0, Choice, kChoicesColour},
    {11, Top, In, 140, "Gauge Color", "", 15.0, Choice, kChoicesColour},
    {12, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 99 KBanner
constexpr KNodeDescriptor kBannerNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Top, In, 20, "Width", "", 50.0, Double, {}},
    {2, Top, Value, 10, "Messages", "", 0.0, StringList, {}},
    {3, Top, In, 30, "Height", "", 30.0, Double, {}},
    {4, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

constexpr KBlockType kTypes[] = {
    {50, "KAnchor", "Anchor", KPalette::Misc, 30, 20, KShape::Frame, "", "", "",
     "Glyphs\\IconAnchorSmall", kAnchorNodes, kTraitNone, ""},
    {51, "KLabel", "Note", KPalette::Misc, 40, 30, KShape::Frame, "!", "", "Note",
     "Glyphs\\IconLabelSmall", kLabelNodes, kTraitNone, ""},
    {52, "KSub", "Subtract", KPalette::Math, 40, 40, KShape::Ellipse, "--", "", "", "",
     kTwoInputSumNodes, kTraitNone, ""},
    {53, "KAdd", "Add", KPalette::Math, 40, 40, KShape::Ellipse, "+", "", "", "", kTwoInputSumNodes,
     kTraitNone, ""},
    {54, "KAdd3", "Add (3 input)", KPalette::Math, 40, 40, KShape::Ellipse, "+", "", "", "",
     kAdd3Nodes, kTraitNone, ""},
    {55, "KMult", "Multiply", KPalette::Math, 40, 40, KShape::Ellipse, "x", "", "", "",
     kTwoInputProductNodes, kTraitNone, ""},
    {56, "KMult3", "Multiply (3 Input)", KPalette::Math, 40, 40, KShape::Ellipse, "x", "", "", "",
     kMult3Nodes, kTraitNone, ""},
    {57, "KDivide", "Divide", KPalette::Math, 40, 40, KShape::Ellipse, "/", "", "", "",
     kTwoInputProductNodes, kTraitNone, ""},
    {58, "KScale", "Scale-by", KPalette::Math, 50, 40, KShape::Rectangle, "Scale", "", "Scale-by",
     "Glyphs\\IconScaleSmall", kScaleByNodes, kTraitNone, ""},
    {59, "KIScale", "Inverse Scale-by", KPalette::Math, 50, 40, KShape::Rectangle, "Scale", "",
     "Scale-by", "Glyphs\\IconIScaleSmall", kScaleByNodes, kTraitNone, ""},
    {60, "KSqrt", "Square Root", KPalette::Math, 40, 30, KShape::Rectangle, "sqrt", "", "Sqrt",
     "Glyphs\\IconSqrtSmall", kOneInOneOutNodes, kTraitNone, ""},
    {61, "KOneOverX", "One Over x", KPalette::Math, 40, 30, KShape::Rectangle, "1/x", "", "1/x",
     "Glyphs\\IconOneOverX", kOneInOneOutNodes, kTraitNone, ""},
    {62, "KAbsValue", "Absolute Value", KPalette::Math, 40, 30, KShape::Rectangle, "negate", "",
     "Abs Value", "Glyphs\\IconAbsValue", kOneInOneOutNodes, kTraitNone, ""},
    {63, "KMinusX", "Minus x", KPalette::Math, 40, 30, KShape::Rectangle, "negate", "", "-x",
     "Glyphs\\IconMinusX", kOneInOneOutNodes, kTraitNone, ""},
    {64, "KModulo", "Modulo", KPalette::Math, 50, 30, KShape::Rectangle, "MOD", "", "Modulo", "",
     kModuloNodes, kTraitNone, ""},
    {65, "KQuantize", "Quantize", KPalette::Math, 50, 40, KShape::Rectangle, "Quan", "", "Quantize",
     "Glyphs\\IconQuantizeSmall", kQuantizeNodes, kTraitNone, ""},
    {66, "KCompareEQ", "Equal To", KPalette::Compare, 40, 40, KShape::Rectangle, "", "", "EQ",
     "Glyphs\\IconCompareEQ", kTwoInputCompareNodes, kTraitNone, ""},
    {67, "KCompareNE", "Not Equal To", KPalette::Compare, 40, 40, KShape::Rectangle, "", "", "NE",
     "Glyphs\\IconCompareNE", kTwoInputCompareNodes, kTraitNone, ""},
    {68, "KCompareGT", "Greater Than", KPalette::Compare, 40, 40, KShape::Rectangle, "", "", "GT",
     "Glyphs\\IconCompareGT", kTwoInputCompareNodes, kTraitNone, ""},
    {69, "KCompareGE", "Greater Than or Equal To", KPalette::Compare, 40, 40, KShape::Rectangle, "",
     "", "GE", "Glyphs\\IconCompareGE", kTwoInputCompareNodes, kTraitNone, ""},
    {70, "KCompareLT", "Less Than", KPalette::Compare, 40, 40, KShape::Rectangle, "", "", "LT",
     "Glyphs\\IconCompareLT", kTwoInputCompareNodes, kTraitNone, ""},
    {71, "KCompareLE", "Less Than or Equal To", KPalette::Compare, 40, 40, KShape::Rectangle, "",
     "", "LE", "Glyphs\\IconCompareLE", kTwoInputCompareNodes, kTraitNone, ""},
    {72, "KLogicAnd", "And", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "AND",
     "Glyphs\\IconLogicAnd", kTwoInputGateNodes, kTraitNone, ""},
    {73, "KLogicNand", "Nand", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "NAND",
     "Glyphs\\IconLogicNand", kTwoInputGateNodes, kTraitNone, ""},
    {74, "KLogicOr", "Or", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "OR",
     "Glyphs\\IconLogicOr", kTwoInputGateNodes, kTraitNone, ""},
    {75, "KLogicNor", "Nor", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "NOR",
     "Glyphs\\IconLogicNor", kTwoInputGateNodes, kTraitNone, ""},
    {76, "KLogicXor", "Xor", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "XOR",
     "Glyphs\\IconLogicXor", kTwoInputGateNodes, kTraitNone, ""},
    {77, "KLogicNXor", "NXor", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "NXOR",
     "Glyphs\\IconLogicNXor", kTwoInputGateNodes, kTraitNone, ""},
    {78, "KLogicNot", "Not", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "NOT",
     "Glyphs\\IconLogicNot", kOneInputGateNodes, kTraitNone, ""},
    {79, "KLogicBuffer", "Buffer", KPalette::Logic, 50, 40, KShape::Rectangle, "", "", "Buffer",
     "Glyphs\\IconLogicBuffer", kOneInputGateNodes, kTraitNone, ""},
    {80, "KLogicTimedBuffer", "Timed Buffer", KPalette::Logic, 50, 40, KShape::Rectangle, "", "",
     "Timed Buffer", "Glyphs\\IconLogicTimedBuffer", kLogicTimedBufferNodes, kTraitNone, ""},
    {81, "KProgram2i2o", "2x2 Program", KPalette::Program, 50, 40, KShape::Rectangle, "", "",
     "2x2 Program", "Glyphs\\IconProgram", kProgram2i2oNodes,
     kTraitProgram | kTraitFeedthroughOutputs, "2x2 Program"},
    {82, "KProgram4i4o", "4x4 Program", KPalette::Program, 50, 60, KShape::Rectangle, "", "",
     "4x4 Program", "Glyphs\\IconProgramLarge", kProgram4i4oNodes,
     kTraitProgram | kTraitFeedthroughOutputs, "4x4 Program"},
    {83, "KProgram8i8o", "8x8 Program", KPalette::Program, 50, 100, KShape::Rectangle, "", "",
     "8x8 Program", "Glyphs\\IconProgramLarge", kProgram8i8oNodes,
     kTraitProgram | kTraitFeedthroughOutputs, "8x8 Program"},
    {84, "KProgramDigital2i2o", "2x2 Digital Program", KPalette::Program, 50, 40, KShape::Rectangle,
     "", "", "2x2 Program", "Glyphs\\IconProgramDigital", kProgramDigital2i2oNodes,
     kTraitNeedsDctl | kTraitProgram | kTraitFeedthroughOutputs, "2x2 Program"},
    {85, "KProgramDigital4i4o", "4x4 Digital Program", KPalette::Program, 50, 60, KShape::Rectangle,
     "", "", "4x4 Program", "Glyphs\\IconProgramDigital", kProgramDigital4i4oNodes,
     kTraitNeedsDctl | kTraitProgram | kTraitFeedthroughOutputs, "4x4 Program"},
    {86, "KProgramDigital8i8o", "8x8 Digital Program", KPalette::Program, 50, 100,
     KShape::Rectangle, "", "", "8x8 Program", "Glyphs\\IconProgramDigital",
     kProgramDigital8i8oNodes, kTraitNeedsDctl | kTraitProgram | kTraitFeedthroughOutputs,
     "8x8 Program"},
    {87, "KWaveGen", "Waveform Generator", KPalette::Instruments, 60, 50, KShape::Rectangle, "Wave",
     "", "Wave Gen", "Glyphs\\IconWaveGen", kWaveGenNodes, kTraitInstrument | kTraitHasWindow, ""},
    {88, "KMeterRMS", "RMS Meter", KPalette::Meters, 60, 40, KShape::Rectangle, "RMS Meter", "",
     "RMS Meter", "Glyphs\\IconMeterRMSSmall", kAveragingMeterNodes, kTraitNone, ""},
    {89, "KMeterDC", "DC Meter", KPalette::Meters, 60, 40, KShape::Rectangle, "DC Meter", "",
     "DC Meter", "Glyphs\\IconMeterDCSmall", kAveragingMeterNodes, kTraitNone, ""},
    {90, "KMeterHarm", "Harmonic Meter", KPalette::Meters, 60, 50, KShape::Rectangle, "H-Meter",
     "  ", "Harmonic Meter", "Glyphs\\IconMeterHarmSmall", kMeterHarmNodes, kTraitNone, ""},
    {91, "KHarmCorrTable", "Harmonic Correction Table", KPalette::Motion, 70, 80, KShape::Rectangle,
     "H-Corr", "  ", "Harmonic Correction Table", "", kHarmCorrTableNodes, kTraitFeedthroughOutputs,
     ""},
    {92, "KMeterTimer", "Timer", KPalette::Meters, 60, 40, KShape::Rectangle, "Timer", "  ",
     "Timer", "Glyphs\\IconMeterTimerSmall", kMeterTimerNodes, kTraitNone, ""},
    {93, "KMeterCounter", "Counter", KPalette::Meters, 90, 50, KShape::Rectangle, "Timer", "  ",
     "Counter", "Glyphs\\IconMeterCounter", kMeterCounterNodes, kTraitNone, ""},
    {94, "KMeterInspect", "Inspector", KPalette::Meters, 60, 40, KShape::Rectangle, "Inspect", "  ",
     "Inspect", "Glyphs\\IconMeterInspectorSmall", kMeterInspectNodes, kTraitNone, ""},
    {95, "KMeterTrigInspect", "Triggered Inspector", KPalette::Meters, 60, 40, KShape::Rectangle,
     "Trig. Inspect", "  ", "Trig. Inspect", "Glyphs\\IconMeterTrigInspector",
     kMeterTrigInspectNodes, kTraitNone, ""},
    {96, "KLamp", "Lamp", KPalette::Meters, 30, 30, KShape::Rectangle, "Lamp", "", "Lamp",
     "Glyphs\\IconLampSmall", kLampNodes, kTraitNone, ""},
    {97, "KBar", "Bar Meter", KPalette::Meters, 100, 40, KShape::Rectangle, "Bar", "", "Bar",
     "Glyphs\\IconBar", kBarNodes, kTraitNone, ""},
    {98, "KDial", "Dial Meter", KPalette::Meters, 100, 100, KShape::Rectangle, "Dial", "", "Dial",
     "Glyphs\\IconDial", kDialNodes, kTraitNone, ""},
    {99, "KBanner", "Banner", KPalette::Meters, 80, 30, KShape::Rectangle, "Banner", "", "Banner",
     "Glyphs\\IconBanner", kBannerNodes, kTraitNone, ""},
};
static_assert(std::size(kTypes) == 50);
static_assert(NumbersRunFrom(kTypes, 50));

}  // namespace

std::span<const KBlockType> BlockTypes50To99() {
    return kTypes;
}

}  // namespace korvel::blocktypes_detail
