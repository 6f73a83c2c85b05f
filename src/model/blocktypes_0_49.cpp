// Block type records 0 to 49: analog filters, constants, variables and live scopes,
// analog blocks, s- and z-domain filters, extenders and the custom module blocks.
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

// A custom module has no fixed nodes: they are read from its module file.
constexpr std::span<const KNodeDescriptor> kModuleFileNodes{};

// 0 KLpf1
constexpr KNodeDescriptor kLpf1Nodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 30, "Frequency", "Hz", 100.0, Double, {}},
    {3, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 1-3 KLpf2..KNotch.
constexpr KNodeDescriptor kTwoPoleFilterNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 10, "Frequency", "Hz", 100.0, Double, {}},
    {3, Top, In, 20, "Damping", "", 0.707, Double, {}},
    {4, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 4 KLeadLag
constexpr KNodeDescriptor kLeadLagNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 20, "Numerator Frequency", "Hz", 100.0, Double, {}},
    {3, Top, In, 30, "Denominator Frequency", "Hz", 100.0, Double, {}},
    {4, Bottom, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 5 KBiQuad
constexpr KNodeDescriptor kBiQuadNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 10, "Numerator Frequency", "Hz", 100.0, Double, {}},
    {3, Top, In, 20, "Numerator Damping", "", 0.707, Double, {}},
    {4, Top, In, 30, "Denominator Frequency", "Hz", 100.0, Double, {}},
    {5, Top, In, 40, "Denominator Damping", "", 0.707, Double, {}},
    {6, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 6 KDConstant and 7 KDIConstant.
constexpr KNodeDescriptor kLiveConstantNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 10, "InitValue", "", 1.0, Double, {}},
    {2, Top, In, 20, "Minimum", "", -1e10, Double, {}},
    {3, Top, In, 30, "Maximum", "", 1e10, Double, {}},
    {4, Top, In, 40, "Mult", "", 1.0, Mult, {}},
    {5, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 8 KSConstant and 9 KISConstant.
constexpr KNodeDescriptor kScaleByLiveConstantNodes[] = {
    {0, Left, In, 20, "Input", "", 1.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Top, Value, 10, "InitValue", "", 1.0, Double, {}},
    {3, Top, In, 20, "Minimum", "", -1e10, Double, {}},
    {4, Top, In, 30, "Maximum", "", 1e10, Double, {}},
    {5, Top, In, 40, "Mult", "", 1.0, Mult, {}},
    {6, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// 10 KStringConstant
constexpr KNodeDescriptor kStringConstantNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, StringPick, {}},
    {1, Left, Value, 10, "InitValue", "", 0.0, StringPick, {}},
    {2, Left, Value, 20, "Strings", "", 0.0, StringList, {}},
    {3, Right, Doc, 10, "Documentation", "", 0.0, Documentation, {}},
};

// 11 KSimpleConstant
constexpr KNodeDescriptor kSimpleConstantNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Top, In, 20, "Mult", "", 1.0, Mult, {}},
    {2, Left, In, 10, "Input", "", 1.0, Double, {}},
    {3, Top, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 12 KScaleBySimple
constexpr KNodeDescriptor kScaleBySimpleNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Top, In, 30, "Mult", "", 1.0, Mult, {}},
    {2, Left, In, 10, "Input", "", 1.0, Double, {}},
    {3, Top, In, 20, "Scale by", "", 1.0, Double, {}},
    {4, Top, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 13 KVariable
constexpr KNodeDescriptor kVariableNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Left, Value, 10, "Scale", "", 1.0, Double, {}},
    {2, Left, Value, 30, "Offset", "", 0.0, Double, {}},
    {3, Right, Value, 10, "Show", "", 1.0, Choice, kChoicesFalseTrue},
    {4, Right, Value, 30, "Mult", "", 1.0, DisplayMult, {}},
    {5, Bottom, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
    {6, Right, Value, 20, "AC Couple", "", 0.0, Choice, kChoicesFalseTrue},
};

// 14 KLiveVariable
constexpr KNodeDescriptor kLiveVariableNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Left, In, 20, "Scale", "", 1.0, Double, {}},
    {2, Left, In, 30, "Offset", "", 0.0, Double, {}},
    {3, Left, In, 40, "Time/Div", "sec", 0.1, Double, {}},
    {4, Left, Value, 50, "Show", "", 1.0, Choice, kChoicesFalseTrue},
    {5, Left, In, 70, "Mult", "", 1.0, DisplayMult, {}},
    {6, Left, In, 80, "Trigger Source", "", 0.0, Double, {}},
    {7, Left, In, 90, "Trigger Level", "", 0.0, Double, {}},
    {8, Left, In, 100, "Positive Trig?", "", 1.0, Choice, kChoicesFalseTrue},
    {9, Left, In, 110, "Trigger Position", "", 20.0, Double, {}},
    {10, Left, In, 120, "Trigger Mode", "", 1.0, Choice, kChoicesNormalAuto},
    {11, Left, In, 140, "Width", "", 160.0, Double, {}},
    {12, Left, In, 150, "Height", "", 160.0, Double, {}},
    {13, Right, Doc, 150, "Documentation", "", 0.0, Documentation, {}},
    {14, Left, In, 60, "AC Couple", "", 0.0, Choice, kChoicesFalseTrue},
    {15, Left, In, 130, "AC Trigger", "", 0.0, Choice, kChoicesFalseTrue},
};

// 15 KLiveVariable2
constexpr KNodeDescriptor kLiveVariable2Nodes[] = {
    {0, Left, In, 10, "Input1", "", 0.0, Double, {}},
    {1, Left, In, 20, "Scale1", "", 1.0, Double, {}},
    {2, Left, In, 30, "Offset1", "", 0.0, Double, {}},
    {3, Left, In, 40, "Time/Div", "sec", 0.1, Double, {}},
    {4, Left, Value, 50, "Show", "", 1.0, Choice, kChoicesFalseTrue},
    {5, Left, In, 70, "Mult1", "", 1.0, DisplayMult, {}},
    {6, Left, In, 80, "Trigger Source", "", 0.0, Double, {}},
    {7, Left, In, 90, "Trigger Level", "", 0.0, Double, {}},
    {8, Left, In, 100, "Positive Trig?", "", 1.0, Choice, kChoicesFalseTrue},
    {9, Left, In, 110, "Trigger Position", "", 20.0, Double, {}},
    {10, Left, In, 120, "Trigger Mode", "", 1.0, Choice, kChoicesNormalAuto},
    {11, Left, In, 140, "Width", "", 160.0, Double, {}},
    {12, Left, In, 150, "Height", "", 160.0, Double, {}},
    {13, Right, In, 10, "Input2", "", 0.0, Double, {}},
    {14, Right, In, 20, "Scale2", "", 1.0, Double, {}},
    {15, Right, In, 30, "Offset2", "", 0.0, Double, {}},
    {16, Right, In, 70, "Mult2", "", 1.0, DisplayMult, {}},
    {17, Right, Doc, 140, "Documentation", "", 0.0, Documentation, {}},
    {18, Left, In, 60, "AC Couple1", "", 0.0, Choice, kChoicesFalseTrue},
    {19, Right, In, 60, "AC Couple2", "", 0.0, Choice, kChoicesFalseTrue},
    {20, Left, In, 130, "AC Trigger", "", 0.0, Choice, kChoicesFalseTrue},
};

// 16 KPi
constexpr KNodeDescriptor kPiNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 10, "KP", "", 1.0, Double, {}},
    {3, Top, In, 20, "KI", "", 0.0, Double, {}},
    {4, Top, In, 30, "Saturation", "", 10.0, Double, {}},
    {5, Top, In, 40, "Wind-up", "", 2.0, Double, {}},
    {6, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 17 KPiPlus
constexpr KNodeDescriptor kPiPlusNodes[] = {
    {0, Left, In, 20, "Command", "", 0.0, Double, {}},
    {1, Bottom, In, 10, "Feedback", "", 0.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {3, Top, In, 10, "KP", "", 1.0, Double, {}},
    {4, Top, In, 20, "KI", "", 0.0, Double, {}},
    {5, Top, In, 30, "KFR", "", 1.0, Double, {}},
    {6, Top, In, 40, "Saturation", "", 10.0, Double, {}},
    {7, Top, In, 50, "Wind-up", "", 2.0, Double, {}},
    {8, Right, Out, 30, "Error Monitor", "", 0.0, Double, {}},
    {9, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 18 KPid
constexpr KNodeDescriptor kPidNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 10, "KP", "", 1.0, Double, {}},
    {3, Top, In, 20, "KI", "", 0.0, Double, {}},
    {4, Top, In, 30, "KD", "", 0.0, Double, {}},
    {5, Top, In, 40, "Low-Pass Frequency", "Hz", 100.0, Double, {}},
    {6, Top, In, 50, "Saturation", "", 10.0, Double, {}},
    {7, Top, In, 60, "Wind-up", "", 2.0, Double, {}},
    {8, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// 19 KInt
constexpr KNodeDescriptor kIntNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 10, "Gain", "", 1.0, Double, {}},
    {3, Bottom, Value, 10, "Initial Value", "", 0.0, Double, {}},
    {4, Top, In, 20, "Reset Value", "", 0.0, Double, {}},
    {5, Top, In, 30, "Reset", "", 0.0, Double, {}},
    {6, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 20 KClampedInt
constexpr KNodeDescriptor kClampedIntNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 20, "Output", "", 0.0, Double, {}},
    {2, Top, In, 10, "Gain", "", 1.0, Double, {}},
    {3, Bottom, Value, 10, "Initial Value", "", 0.0, Double, {}},
    {4, Top, In, 20, "Minimum", "", -1e10, Double, {}},
    {5, Top, In, 30, "Maximum", "", 1e10, Double, {}},
    {6, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 21 KSwitch
constexpr KNodeDescriptor kSwitchNodes[] = {
    {0, Top, In, 20, "Control", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input0", "", 0.0, Double, {}},
    {2, Left, In, 40, "Input1", "", 0.0, Double, {}},
    {3, Right, Out, 20, "Output0", "", 0.0, Double, {}},
    {4, Right, Out, 40, "Output1", "", 0.0, Double, {}},
    {5, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 22 KSwitch4
constexpr KNodeDescriptor kSwitch4Nodes[] = {
    {0, Top, In, 30, "Control", "", 0.0, Double, {}},
    {1, Left, In, 10, "Input0", "", 0.0, Double, {}},
    {2, Left, In, 20, "Input1", "", 0.0, Double, {}},
    {3, Left, In, 30, "Input2", "", 0.0, Double, {}},
    {4, Left, In, 40, "Input3", "", 0.0, Double, {}},
    {5, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {6, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 23 KComparator uses kTwoInputCompareNodes (blocktypes_parts.h).

// 24 KHyster
constexpr KNodeDescriptor kHysterNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "Low Limit", "", -1.0, Double, {}},
    {3, Top, In, 30, "High Limit", "", 1.0, Double, {}},
    {4, Top, Value, 40, "Initial State", "", 0.0, Double, {}},
    {5, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 25 KClamp
constexpr KNodeDescriptor kClampNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "Minimum", "", -1.0, Double, {}},
    {3, Top, In, 30, "Maximum", "", 1.0, Double, {}},
    {4, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 26 KRampLimit
constexpr KNodeDescriptor kRampLimitNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "Positive Rate", "", 1.0, Double, {}},
    {3, Top, In, 30, "Negative Rate", "", -1.0, Double, {}},
    {4, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 27 KRevShift
constexpr KNodeDescriptor kRevShiftNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "Positive Gain", "", 1.0, Double, {}},
    {3, Top, In, 30, "Negative Gain", "", 1.0, Double, {}},
    {4, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 28 KDeadband and 29 KDeadbandComp.
constexpr KNodeDescriptor kDeadbandFamilyNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "Positive Band", "", 1.0, Double, {}},
    {3, Top, In, 30, "Negative Band", "", -1.0, Double, {}},
    {4, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 30 KRandom
constexpr KNodeDescriptor kRandomNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Top, In, 20, "Amplitude", "", 1.0, Double, {}},
    {2, Top, In, 30, "Offset", "", 0.0, Double, {}},
    {3, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 31 KSFilter1
constexpr KNodeDescriptor kSFilter1Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 20, "A0", "", 0.0, Double, {}},
    {3, Top, In, 10, "A1", "", 1.0, Double, {}},
    {4, Top, In, 50, "B0", "", 0.0, Double, {}},
    {5, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// 32 KSFilter2
constexpr KNodeDescriptor kSFilter2Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 30, "A0", "", 0.0, Double, {}},
    {3, Top, In, 20, "A1", "", 0.0, Double, {}},
    {4, Top, In, 10, "A2", "", 1.0, Double, {}},
    {5, Top, In, 60, "B0", "", 0.0, Double, {}},
    {6, Top, In, 50, "B1", "", 0.0, Double, {}},
    {7, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// 33 KSFilter3
constexpr KNodeDescriptor kSFilter3Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 40, "A0", "", 0.0, Double, {}},
    {3, Top, In, 30, "A1", "", 0.0, Double, {}},
    {4, Top, In, 20, "A2", "", 0.0, Double, {}},
    {5, Top, In, 10, "A3", "", 1.0, Double, {}},
    {6, Top, In, 80, "B0", "", 0.0, Double, {}},
    {7, Top, In, 70, "B1", "", 0.0, Double, {}},
    {8, Top, In, 60, "B2", "", 0.0, Double, {}},
    {9, Bottom, Doc, 70, "Documentation", "", 0.0, Documentation, {}},
};

// 34 KSFilter4
constexpr KNodeDescriptor kSFilter4Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 50, "A0", "", 0.0, Double, {}},
    {3, Top, In, 40, "A1", "", 0.0, Double, {}},
    {4, Top, In, 30, "A2", "", 0.0, Double, {}},
    {5, Top, In, 20, "A3", "", 0.0, Double, {}},
    {6, Top, In, 10, "A4", "", 1.0, Double, {}},
    {7, Top, In, 100, "B0", "", 0.0, Double, {}},
    {8, Top, In, 90, "B1", "", 0.0, Double, {}},
    {9, Top, In, 80, "B2", "", 0.0, Double, {}},
    {10, Top, In, 70, "B3", "", 0.0, Double, {}},
    {11, Bottom, Doc, 90, "Documentation", "", 0.0, Documentation, {}},
};

// 35 KSFilter5
constexpr KNodeDescriptor kSFilter5Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 60, "A0", "", 0.0, Double, {}},
    {3, Top, In, 50, "A1", "", 0.0, Double, {}},
    {4, Top, In, 40, "A2", "", 0.0, Double, {}},
    {5, Top, In, 30, "A3", "", 0.0, Double, {}},
    {6, Top, In, 20, "A4", "", 0.0, Double, {}},
    {7, Top, In, 10, "A5", "", 1.0, Double, {}},
    {8, Top, In, 120, "B0", "", 0.0, Double, {}},
    {9, Top, In, 110, "B1", "", 0.0, Double, {}},
    {10, Top, In, 100, "B2", "", 0.0, Double, {}},
    {11, Top, In, 90, "B3", "", 0.0, Double, {}},
    {12, Top, In, 80, "B4", "", 0.0, Double, {}},
    {13, Bottom, Doc, 110, "Documentation", "", 0.0, Documentation, {}},
};

// 36 KSFilter6
constexpr KNodeDescriptor kSFilter6Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Top, In, 70, "A0", "", 0.0, Double, {}},
    {3, Top, In, 60, "A1", "", 0.0, Double, {}},
    {4, Top, In, 50, "A2", "", 0.0, Double, {}},
    {5, Top, In, 40, "A3", "", 0.0, Double, {}},
    {6, Top, In, 30, "A4", "", 0.0, Double, {}},
    {7, Top, In, 20, "A5", "", 0.0, Double, {}},
    {8, Top, In, 10, "A6", "", 1.0, Double, {}},
    {9, Top, In, 140, "B0", "", 0.0, Double, {}},
    {10, Top, In, 130, "B1", "", 0.0, Double, {}},
    {11, Top, In, 120, "B2", "", 0.0, Double, {}},
    {12, Top, In, 110, "B3", "", 0.0, Double, {}},
    {13, Top, In, 100, "B4", "", 0.0, Double, {}},
    {14, Top, In, 90, "B5", "", 0.0, Double, {}},
    {15, Bottom, Doc, 130, "Documentation", "", 0.0, Documentation, {}},
};

// 37 KZFilter1
constexpr KNodeDescriptor kZFilter1Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "A1", "", 1.0, Double, {}},
    {4, Top, In, 20, "A0", "", 0.0, Double, {}},
    {5, Top, In, 40, "B1", "", 1.0, Double, {}},
    {6, Top, In, 50, "B0", "", 0.0, Double, {}},
    {7, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 38 KZFilter2
constexpr KNodeDescriptor kZFilter2Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "A2", "", 1.0, Double, {}},
    {4, Top, In, 20, "A1", "", 0.0, Double, {}},
    {5, Top, In, 30, "A0", "", 0.0, Double, {}},
    {6, Top, In, 50, "B2", "", 1.0, Double, {}},
    {7, Top, In, 60, "B1", "", 0.0, Double, {}},
    {8, Top, In, 70, "B0", "", 0.0, Double, {}},
    {9, Bottom, Doc, 60, "Documentation", "", 0.0, Documentation, {}},
};

// 39 KZFilter3
constexpr KNodeDescriptor kZFilter3Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "A3", "", 1.0, Double, {}},
    {4, Top, In, 20, "A2", "", 0.0, Double, {}},
    {5, Top, In, 30, "A1", "", 0.0, Double, {}},
    {6, Top, In, 40, "A0", "", 0.0, Double, {}},
    {7, Top, In, 60, "B3", "", 1.0, Double, {}},
    {8, Top, In, 70, "B2", "", 0.0, Double, {}},
    {9, Top, In, 80, "B1", "", 0.0, Double, {}},
    {10, Top, In, 90, "B0", "", 0.0, Double, {}},
    {11, Bottom, Doc, 80, "Documentation", "", 0.0, Documentation, {}},
};

// 40 KZFilter4
constexpr KNodeDescriptor kZFilter4Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "A4", "", 1.0, Double, {}},
    {4, Top, In, 20, "A3", "", 0.0, Double, {}},
    {5, Top, In, 30, "A2", "", 0.0, Double, {}},
    {6, Top, In, 40, "A1", "", 0.0, Double, {}},
    {7, Top, In, 50, "A0", "", 0.0, Double, {}},
    {8, Top, In, 70, "B4", "", 1.0, Double, {}},
    {9, Top, In, 80, "B3", "", 0.0, Double, {}},
    {10, Top, In, 90, "B2", "", 0.0, Double, {}},
    {11, Top, In, 100, "B1", "", 0.0, Double, {}},
    {12, Top, In, 110, "B0", "", 0.0, Double, {}},
    {13, Bottom, Doc, 100, "Documentation", "", 0.0, Documentation, {}},
};

// 41 KZFilter5
constexpr KNodeDescriptor kZFilter5Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "A5", "", 1.0, Double, {}},
    {4, Top, In, 20, "A4", "", 0.0, Double, {}},
    {5, Top, In, 30, "A3", "", 0.0, Double, {}},
    {6, Top, In, 40, "A2", "", 0.0, Double, {}},
    {7, Top, In, 50, "A1", "", 0.0, Double, {}},
    {8, Top, In, 60, "A0", "", 0.0, Double, {}},
    {9, Top, In, 80, "B5", "", 1.0, Double, {}},
    {10, Top, In, 90, "B4", "", 0.0, Double, {}},
    {11, Top, In, 100, "B3", "", 0.0, Double, {}},
    {12, Top, In, 110, "B2", "", 0.0, Double, {}},
    {13, Top, In, 120, "B1", "", 0.0, Double, {}},
    {14, Top, In, 130, "B0", "", 0.0, Double, {}},
    {15, Bottom, Doc, 120, "Documentation", "", 0.0, Documentation, {}},
};

// 42 KZFilter6
constexpr KNodeDescriptor kZFilter6Nodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "A6", "", 1.0, Double, {}},
    {4, Top, In, 20, "A5", "", 0.0, Double, {}},
    {5, Top, In, 30, "A4", "", 0.0, Double, {}},
    {6, Top, In, 40, "A3", "", 0.0, Double, {}},
    {7, Top, In, 50, "A2", "", 0.0, Double, {}},
    {8, Top, In, 60, "A1", "", 0.0, Double, {}},
    {9, Top, In, 70, "A0", "", 0.0, Double, {}},
    {10, Top, In, 90, "B6", "", 1.0, Double, {}},
    {11, Top, In, 100, "B5", "", 0.0, Double, {}},
    {12, Top, In, 110, "B4", "", 0.0, Double, {}},
    {13, Top, In, 120, "B3", "", 0.0, Double, {}},
    {14, Top, In, 130, "B2", "", 0.0, Double, {}},
    {15, Top, In, 140, "B1", "", 0.0, Double, {}},
    {16, Top, In, 150, "B0", "", 0.0, Double, {}},
    {17, Bottom, Doc, 140, "Documentation", "", 0.0, Documentation, {}},
};

// 43 KExtender
constexpr KNodeDescriptor kExtenderNodes[] = {
    {0, Left, In, 10, "Connect", "", 0.0, Double, {}},
};

// 44 KExtenderOutput
constexpr KNodeDescriptor kExtenderOutputNodes[] = {
    {0, Right, MatedIn, 10, "Connect", "", 0.0, Double, {}},
};

// 46 KCustInput
constexpr KNodeDescriptor kCustInputNodes[] = {
    {0, Right, MatedIn, 20, "Input", "", 0.0, Double, {}},
    {1, Top, Value, 20, "Edge", "", 0.0, Choice, kChoicesEdge},
    {2, Top, Value, 30, "Position", "", 0.0, Double, {}},
    {3, Top, Value, 40, "Initial Value", "", 0.0, Double, {}},
    {4, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 47 KCustOutput
constexpr KNodeDescriptor kCustOutputNodes[] = {
    {0, Left, In, 20, "Output", "", 0.0, Double, {}},
    {1, Top, Value, 20, "Edge", "", 2.0, Choice, kChoicesEdge},
    {2, Top, Value, 30, "Position", "", 0.0, Double, {}},
    {3, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 48 KCustDoc
constexpr KNodeDescriptor kCustDocNodes[] = {
    {0, Top, Value, 20, "Edge", "", 3.0, Choice, kChoicesEdge},
    {1, Top, Value, 30, "Position", "", 0.0, Double, {}},
    {2, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 49 KCustDctl
constexpr KNodeDescriptor kCustDctlNodes[] = {
    {0, Top, Value, 20, "Edge", "", 1.0, Choice, kChoicesEdge},
    {1, Top, Value, 30, "Position", "", 0.0, Double, {}},
    {2, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

constexpr KBlockType kTypes[] = {
    {0, "KLpf1", "1-Pole Low-Pass Filter", KPalette::AnalogFilters, 50, 40, KShape::Rectangle,
     "Low Pass", "1 Pole", "Low-pass", "Glyphs\\IconLPF1", kLpf1Nodes, kTraitNone, ""},
    {1, "KLpf2", "2-Pole Low-Pass Filter", KPalette::AnalogFilters, 50, 40, KShape::Rectangle,
     "Low Pass", "2 Pole", "Low-pass", "Glyphs\\IconLPF2", kTwoPoleFilterNodes, kTraitNone, ""},
    {2, "KLpf2a", "2-Pole Low-Pass Filter (A)", KPalette::AnalogFilters, 50, 40, KShape::Rectangle,
     "Low Pass", "2 Pole", "Low-pass", "Glyphs\\IconLPF2a", kTwoPoleFilterNodes, kTraitNone, ""},
    {3, "KNotch", "2-Pole Notch Filter", KPalette::AnalogFilters, 50, 40, KShape::Rectangle,
     "Low Pass", "2 Pole", "Notch", "Glyphs\\IconNotch", kTwoPoleFilterNodes,
     kTraitFeedthroughOutputs, ""},
    {4, "KLeadLag", "Lead-Lag Filter", KPalette::AnalogFilters, 50, 40, KShape::Rectangle,
     "Lead Lag", "", "Lead-Lag", "Glyphs\\IconLeadLag", kLeadLagNodes, kTraitFeedthroughOutputs,
     ""},
    {5, "KBiQuad", "Bi-Quad Filter", KPalette::AnalogFilters, 50, 40, KShape::Rectangle, "BiQuad",
     "", "BiQuad", "Glyphs\\IconBiQuad", kBiQuadNodes, kTraitFeedthroughOutputs, ""},
    {6, "KDConstant", "Live Constant", KPalette::Constants, 60, 40, KShape::Rounded, "", "",
     "Constant", "Glyphs\\IconDirectConstantSmall", kLiveConstantNodes,
     kTraitLiveAdjustable | kTraitLiveConstant, ""},
    {7, "KDIConstant", "Inverse Live Constant", KPalette::Constants, 60, 40, KShape::Rounded, "",
     "", "Constant", "Glyphs\\IconDirectIConstantSmall", kLiveConstantNodes,
     kTraitLiveAdjustable | kTraitLiveConstant, ""},
    {8, "KSConstant", "Scale-by Live Constant", KPalette::Constants, 60, 40, KShape::Rounded, "",
     "", "Scale-by", "Glyphs\\IconDirectConstantSmall", kScaleByLiveConstantNodes,
     kTraitLiveAdjustable | kTraitLiveConstant, ""},
    {9, "KISConstant", "Scale-by Inverse Live Constant", KPalette::Constants, 60, 40,
     KShape::Rounded, "", "", "Scale-by", "Glyphs\\IconDirectIConstantSmall",
     kScaleByLiveConstantNodes, kTraitLiveAdjustable | kTraitLiveConstant, ""},
    {10, "KStringConstant", "String Live Constant", KPalette::Constants, 60, 40, KShape::Rounded,
     "", "", "Constant", "Glyphs\\IconSConstSmall", kStringConstantNodes,
     kTraitLiveAdjustable | kTraitLiveConstant | kTraitStringConstant, ""},
    {11, "KSimpleConstant", "Simple Constant", KPalette::Constants, 60, 30, KShape::Rounded, "", "",
     "Constant", "", kSimpleConstantNodes, kTraitNone, ""},
    {12, "KScaleBySimple", "Scale-by Simple Constant", KPalette::Constants, 60, 30, KShape::Rounded,
     "", "", "Scale-by", "", kScaleBySimpleNodes, kTraitNone, ""},
    {13, "KVariable", "Variable", KPalette::Instruments, 40, 40, KShape::Rounded, "Var", "",
     "Variable", "Glyphs\\IconVarSmall", kVariableNodes, kTraitVariable | kTraitHasWindow,
     "Variable"},
    {14, "KLiveVariable", "Live Scope", KPalette::Instruments, 160, 160, KShape::Rounded, "", "",
     "Variable", "", kLiveVariableNodes, kTraitVariable | kTraitLiveScope | kTraitHasWindow,
     "Variable"},
    {15, "KLiveVariable2", "Two-Channel Live Scope", KPalette::Instruments, 160, 160,
     KShape::Rounded, "", "", "Variable", "", kLiveVariable2Nodes,
     kTraitVariable | kTraitLiveScope | kTraitHasWindow, "Variable"},
    {16, "KPi", "Analog PI", KPalette::AnalogFilters, 50, 40, KShape::Rectangle, "", "",
     "Analog PI", "Glyphs\\IconPI", kPiNodes, kTraitNone, ""},
    {17, "KPiPlus", "Analog PI+", KPalette::AnalogFilters, 60, 40, KShape::Rectangle, "", "",
     "Analog PI+", "Glyphs\\IconPIPlus", kPiPlusNodes, kTraitNone, ""},
    {18, "KPid", "Analog PID", KPalette::AnalogFilters, 70, 40, KShape::Rectangle, "", "",
     "Analog PID", "Glyphs\\IconPID", kPidNodes, kTraitNone, ""},
    {19, "KInt", "Integrator", KPalette::Analog, 40, 40, KShape::Rectangle, "", "", "Integral",
     "Glyphs\\IconInt", kIntNodes, kTraitNone, ""},
    {20, "KClampedInt", "Clamped Integrator", KPalette::Analog, 40, 40, KShape::Rectangle, "", "",
     "Integral", "Glyphs\\IconClampedInt", kClampedIntNodes, kTraitNone, ""},
    {21, "KSwitch", "Switch (2-position mux)", KPalette::Analog, 50, 60, KShape::Rectangle, "", "",
     "Switch", "Glyphs\\IconSwitch", kSwitchNodes, kTraitNone, ""},
    {22, "KSwitch4", "Switch (4-position mux)", KPalette::Analog, 60, 50, KShape::Rectangle, "", "",
     "Switch4", "Glyphs\\IconSwitch4", kSwitch4Nodes, kTraitNone, ""},
    {23, "KComparator", "Comparator", KPalette::Analog, 40, 40, KShape::Rectangle, "", "",
     "Comparator", "Glyphs\\IconComparator", kTwoInputCompareNodes, kTraitNone, ""},
    {24, "KHyster", "Hysteresis", KPalette::Analog, 50, 40, KShape::Rectangle, "", "", "Hysteresis",
     "Glyphs\\IconHyster", kHysterNodes, kTraitNone, ""},
    {25, "KClamp", "Clamp", KPalette::Analog, 50, 40, KShape::Rectangle, "", "", "Clamp",
     "Glyphs\\IconClamp", kClampNodes, kTraitNone, ""},
    {26, "KRampLimit", "Ramp Limit", KPalette::Analog, 50, 40, KShape::Rectangle, "", "",
     "Ramp Limit", "Glyphs\\IconRampLimit", kRampLimitNodes, kTraitNone, ""},
    {27, "KRevShift", "Reversal Shift", KPalette::Analog, 50, 40, KShape::Rectangle, "", "",
     "Reversal Shift", "Glyphs\\IconRevShift", kRevShiftNodes, kTraitNone, ""},
    {28, "KDeadband", "Deadband", KPalette::Analog, 50, 40, KShape::Rectangle, "", "", "Deadband",
     "Glyphs\\IconDeadband", kDeadbandFamilyNodes, kTraitNone, ""},
    {29, "KDeadbandComp", "Deadband Comp", KPalette::Analog, 50, 40, KShape::Rectangle, "", "",
     "Deadband Comp", "Glyphs\\IconDeadbandComp", kDeadbandFamilyNodes, kTraitNone, ""},
    {30, "KRandom", "Random Number Generator", KPalette::Analog, 50, 30, KShape::Rectangle, "", "",
     "Random", "Glyphs\\IconDRandomSmall", kRandomNodes, kTraitNone, ""},
    {31, "KSFilter1", "1st order s-domain filter", KPalette::Fs, 70, 30, KShape::Rectangle, "", "",
     "1st order", "Glyphs\\IconSFilter1", kSFilter1Nodes, kTraitNone, ""},
    {32, "KSFilter2", "2nd order s-domain filter", KPalette::Fs, 70, 30, KShape::Rectangle, "", "",
     "2nd order", "Glyphs\\IconSFilter2", kSFilter2Nodes, kTraitNone, ""},
    {33, "KSFilter3", "3rd order s-domain filter", KPalette::Fs, 90, 30, KShape::Rectangle, "", "",
     "3rd order", "Glyphs\\IconSFilter3", kSFilter3Nodes, kTraitNone, ""},
    {34, "KSFilter4", "4th order s-domain filter", KPalette::Fs, 110, 30, KShape::Rectangle, "", "",
     "4th order", "Glyphs\\IconSFilter4", kSFilter4Nodes, kTraitNone, ""},
    {35, "KSFilter5", "5th order s-domain filter", KPalette::Fs, 130, 30, KShape::Rectangle, "", "",
     "5th order", "Glyphs\\IconSFilter5", kSFilter5Nodes, kTraitNone, ""},
    {36, "KSFilter6", "6th order s-domain filter", KPalette::Fs, 150, 30, KShape::Rectangle, "", "",
     "6th order", "Glyphs\\IconSFilter6", kSFilter6Nodes, kTraitNone, ""},
    {37, "KZFilter1", "1st order z-domain filter", KPalette::Fz, 60, 40, KShape::Rectangle, "", "",
     "1st order", "Glyphs\\IconZFilter1", kZFilter1Nodes, kTraitNeedsDctl, ""},
    {38, "KZFilter2", "2nd order z-domain filter", KPalette::Fz, 80, 40, KShape::Rectangle, "", "",
     "2nd order", "Glyphs\\IconZFilter2", kZFilter2Nodes, kTraitNeedsDctl, ""},
    {39, "KZFilter3", "3rd order z-domain filter", KPalette::Fz, 100, 40, KShape::Rectangle, "", "",
     "3rd order", "Glyphs\\IconZFilter3", kZFilter3Nodes, kTraitNeedsDctl, ""},
    {40, "KZFilter4", "4th order z-domain filter", KPalette::Fz, 120, 40, KShape::Rectangle, "", "",
     "4th order", "Glyphs\\IconZFilter4", kZFilter4Nodes, kTraitNeedsDctl, ""},
    {41, "KZFilter5", "5th order z-domain filter", KPalette::Fz, 140, 40, KShape::Rectangle, "", "",
     "5th order", "Glyphs\\IconZFilter5", kZFilter5Nodes, kTraitNeedsDctl, ""},
    {42, "KZFilter6", "6th order z-domain filter", KPalette::Fz, 160, 40, KShape::Rectangle, "", "",
     "6th order", "Glyphs\\IconZFilter6", kZFilter6Nodes, kTraitNeedsDctl, ""},
    {43, "KExtender", "Extender", KPalette::Misc, 20, 20, KShape::Frame, "", "", "Ext", "",
     kExtenderNodes, kTraitExtender | kTraitHasWindow, ""},
    {44, "KExtenderOutput", "Extender Output", KPalette::Misc, 20, 20, KShape::Frame, "", "", "Ext",
     "", kExtenderOutputNodes, kTraitExtender | kTraitHasWindow, ""},
    {45, "KCustMod", "Custom Module", KPalette::Custom, 40, 40, KShape::Rectangle, "", "",
     "Custom Module", "Glyphs\\IconCustMod", kModuleFileNodes, kTraitCustomModule, ""},
    {46, "KCustInput", "Custom Module Input", KPalette::Custom, 50, 40, KShape::Rectangle, "", "",
     "Input", "Glyphs\\IconCustInputSmall", kCustInputNodes,
     kTraitCustomInput | kTraitCustomInterface, "Input"},
    {47, "KCustOutput", "Custom Module Output", KPalette::Custom, 40, 40, KShape::Rectangle, "", "",
     "Output", "Glyphs\\IconCustOutputSmall", kCustOutputNodes,
     kTraitCustomOutput | kTraitCustomInterface, "Output"},
    {48, "KCustDoc", "Custom Documentation", KPalette::Custom, 40, 40, KShape::Rectangle, "", "",
     "Documentation", "Glyphs\\IconCustDoc", kCustDocNodes, kTraitCustomInterface, ""},
    {49, "KCustDctl", "Custom Digital Controller", KPalette::Custom, 40, 40, KShape::Rectangle, "",
     "", "Digital Controller", "Glyphs\\IconCustDctl", kCustDctlNodes, kTraitCustomInterface, ""},
};
static_assert(std::size(kTypes) == 50);
static_assert(NumbersRunFrom(kTypes, 0));

}  // namespace

std::span<const KBlockType> BlockTypes0To49() {
    return kTypes;
}

}  // namespace korvel::blocktypes_detail
