// Block type records 100 to 148: live controls, solver, instruments, digital blocks,
// waveforms, motion and the spreadsheet blocks.
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

// 100 KMessage
constexpr KNodeDescriptor kMessageNodes[] = {
    {0, Left, In, 10, "Trigger Input", "", 0.0, Double, {}},
    {1, Left, In, 20, "Message", "", 0.0, Text, {}},
    {2, Right, Out, 10, "Trigger Output", "", 0.0, Double, {}},
    {3, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 101 KButton
constexpr KNodeDescriptor kButtonNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Right, Value, 10, "Initial Value", "", 0.0, Choice, kChoicesFalseTrue},
    {2, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 102 KRelay
constexpr KNodeDescriptor kRelayNodes[] = {
    {0, Right, Out, 10, "State", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input 1", "", 0.0, Double, {}},
    {2, Left, In, 30, "Input 2", "", 0.0, Double, {}},
    {3, Right, Out, 20, "Output 1", "", 0.0, Double, {}},
    {4, Right, Out, 30, "Output 2", "", 0.0, Double, {}},
    {5, Left, Value, 10, "Initial Value", "", 0.0, Choice, kChoicesFalseTrue},
    {6, Right, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 103 KSolver
constexpr KNodeDescriptor kSolverNodes[] = {
    {0, Left, In, 10, "h", "sec", 1e-05, Double, {}},
    {1, Left, In, 20, "Time Increment", "", 0.0, Double, {}},
    {2, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 104 KStop
constexpr KNodeDescriptor kStopNodes[] = {
    {0, Left, In, 10, "Stop", "", 0.0, Double, {}},
    {1, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 105 KScope
constexpr KNodeDescriptor kScopeNodes[] = {
    {0, Top, Value, 20, "Trigger Source", "", -1.0, VarRef, {}},
    {1, Top, Value, 30, "Trigger Level", "", 0.0, Double, {}},
    {2, Top, Value, 40, "Positive Trig?", "", 1.0, Choice, kChoicesFalseTrue},
    {3, Top, Value, 50, "Trigger Position", "", 20.0, Double, {}},
    {4, Top, Value, 60, "Trigger Mode", "", 1.0, Choice, kChoicesContAutoNormal},
    {5, Bottom, Value, 20, "Roll?", "", 0.0, Choice, kChoicesFalseTrue},
    {6, Top, Value, 10, "Time/Div", "sec", 0.02, Double, {}},
    {7, Bottom, Value, 40, "x vs y?", "", 0.0, Choice, kChoicesFalseTrue},
    {8, Bottom, Value, 50, "H-Channel", "", -1.0, VarRef, {}},
    {9, Bottom, Value, 30, "Single Shot?", "", 0.0, Choice, kChoicesFalseTrue},
    {10, Bottom, Doc, 60, "Documentation", "", 0.0, Documentation, {}},
    {11, Bottom, Value, 10, "AC Trigger", "", 0.0, Choice, kChoicesFalseTrue},
};

// 106 KDsa
constexpr KNodeDescriptor kDsaNodes[] = {
    {0, Left, In, 20, "Switched Input Wave", "", 0.0, Double, {}},
    {1, Left, In, 30, "Unswitched Input Wave", "", 0.0, Double, {}},
    {2, Right, Out, 20, "Excitation", "", 0.0, Double, {}},
    {3, Right, StateOut, 30, "DSA Inactive", "", 0.0, Double, {}},
    {4, Top, In, 10, "Excitation Amplitude", "", 1.0, Double, {}},
    {5, Top, Value, 20, "Input Channel", "", -1.0, VarRef, {}},
    {6, Top, Value, 30, "Output Channel", "", -1.0, VarRef, {}},
    {7, Top, Value, 40, "TSample", "sec", 0.00025, Double, {}},
    {8, Top, Value, 50, "Start Zero Time", "sec", 0.2, Double, {}},
    {9, Top, Value, 60, "End Zero Time", "sec", 0.2, Double, {}},
    {10, Top, Value, 70, "Order", "", 11.0, Double, {}},
    {11, Bottom, Value, 10, "Auto Frequency", "", 1.0, Choice, kChoicesFalseTrue},
    {12, Bottom, Value, 20, "Minimum Frequency", "Hz", 2.0, Double, {}},
    {13, Bottom, Value, 30, "Maximum Frequency", "Hz", 100.0, Double, {}},
    {14, Bottom, Value, 40, "Gain Scale", "dB", 20.0, Double, {}},
    {15, Bottom, Value, 50, "Gain Offset", "dB", 0.0, Double, {}},
    {16, Bottom, Value, 60, "Phase Scale", "deg", 90.0, Double, {}},
    {17, Bottom, Value, 70, "Phase Offset", "deg", 0.0, Double, {}},
    {18, Top, Value, 80, "Button Setup", "", -1.0, DsaButtons, {}},
    {19, Bottom, Doc, 80, "Documentation", "", 0.0, Documentation, {}},
};

// 107 KDctl
constexpr KNodeDescriptor kDctlNodes[] = {
    {0, Top, In, 10, "TSample", "sec", 0.001, Double, {}},
    {1, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 108 KDDelay
constexpr KNodeDescriptor kDDelayNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Right, StateOut, 10, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {3, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 109 KDSampleHold and 110 KDDiff.
constexpr KNodeDescriptor kDigitalOneInOneOutNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {3, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 111 KDInvTrap
constexpr KNodeDescriptor kDInvTrapNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Top, In, 20, "a", "", 0.0, Double, {}},
    {2, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {3, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 112 KDSum
constexpr KNodeDescriptor kDSumNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, Value, 20, "Initial Value", "", 0.0, Double, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 113 KDPi
constexpr KNodeDescriptor kDPiNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "KP", "", 1.0, Double, {}},
    {4, Top, In, 20, "KI", "", 0.0, Double, {}},
    {5, Top, In, 30, "Saturation", "", 10.0, Double, {}},
    {6, Top, In, 40, "Wind-up", "", 2.0, Double, {}},
    {7, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 114 KDPid
constexpr KNodeDescriptor kDPidNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "KP", "", 1.0, Double, {}},
    {4, Top, In, 20, "KI", "", 0.0, Double, {}},
    {5, Top, In, 30, "KD", "", 0.0, Double, {}},
    {6, Top, In, 50, "Saturation", "", 10.0, Double, {}},
    {7, Top, In, 60, "Wind-up", "", 2.0, Double, {}},
    {8, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// 115 KDPid2
constexpr KNodeDescriptor kDPid2Nodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "KP", "", 1.0, Double, {}},
    {4, Top, In, 20, "KI", "", 0.0, Double, {}},
    {5, Top, In, 30, "KD", "", 0.0, Double, {}},
    {6, Top, In, 40, "Saturation", "", 10.0, Double, {}},
    {7, Top, In, 50, "Integral Saturation", "", 1000.0, Double, {}},
    {8, Top, In, 60, "Zero Integrator", "", 0.0, Choice, kChoicesFalseTrue},
    {9, Top, In, 70, "Clegg Integrator", "", 0.0, Choice, kChoicesFalseTrue},
    {10, Bottom, Doc, 60, "Documentation", "", 0.0, Documentation, {}},
};

// 116 KDPiPlus
constexpr KNodeDescriptor kDPiPlusNodes[] = {
    {0, Left, In, 20, "Command", "", 0.0, Double, {}},
    {1, Bottom, In, 10, "Feedback", "", 0.0, Double, {}},
    {2, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {3, Right, Out, 30, "Error Monitor", "", 0.0, Double, {}},
    {4, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {5, Top, In, 10, "KP", "", 1.0, Double, {}},
    {6, Top, In, 20, "KI", "", 0.0, Double, {}},
    {7, Top, In, 30, "KFR", "", 1.0, Double, {}},
    {8, Top, In, 40, "Saturation", "", 10.0, Double, {}},
    {9, Top, In, 50, "Wind-up", "", 2.0, Double, {}},
    {10, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 117 KDLpf1
constexpr KNodeDescriptor kDLpf1Nodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 20, "Frequency", "Hz", 100.0, Double, {}},
    {4, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 118-120 KDLpf2..KDNotch.
constexpr KNodeDescriptor kDigitalTwoPoleFilterNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 20, "Frequency", "Hz", 100.0, Double, {}},
    {4, Top, In, 30, "Damping", "", 0.707, Double, {}},
    {5, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 121 KDLeadLag
constexpr KNodeDescriptor kDLeadLagNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 20, "Numerator Frequency", "Hz", 100.0, Double, {}},
    {4, Top, In, 30, "Denominator Frequency", "Hz", 100.0, Double, {}},
    {5, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 122 KDBiQuad
constexpr KNodeDescriptor kDBiQuadNodes[] = {
    {0, Left, In, 20, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 30, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 10, "Numerator Frequency", "Hz", 100.0, Double, {}},
    {4, Top, In, 20, "Numerator Damping", "", 0.707, Double, {}},
    {5, Top, In, 30, "Denominator Frequency", "Hz", 100.0, Double, {}},
    {6, Top, In, 40, "Denominator Damping", "", 0.707, Double, {}},
    {7, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 123 KDTCalc
constexpr KNodeDescriptor kDTCalcNodes[] = {
    {0, Left, In, 10, "Input", "", 0.0, Double, {}},
    {1, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {2, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {3, Top, In, 20, "Delay", "%", 0.0, Double, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 124 KDRandom
constexpr KNodeDescriptor kDRandomNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {2, Top, In, 20, "Amplitude", "", 1.0, Double, {}},
    {3, Top, In, 30, "Offset", "", 0.0, Double, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 125 KDDither
constexpr KNodeDescriptor kDDitherNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Left, Value, 20, "Controller", "", -1.0, DctlRef, {}},
    {2, Top, In, 10, "Amplitude", "", 1.0, Double, {}},
    {3, Top, In, 20, "Cycles", "", 1.0, Double, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 126 KTime
constexpr KNodeDescriptor kTimeNodes[] = {
    {0, Right, Out, 10, "Time", "sec", 0.0, Double, {}},
    {1, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 127-132 KSin..KExp use kOneInOneOutNodes (blocktypes_parts.h).

// 133 KExpLnY
constexpr KNodeDescriptor kExpLnYNodes[] = {
    {0, Left, In, 10, "Y", "", 1.0, Double, {}},
    {1, Left, In, 20, "x", "", 1.0, Double, {}},
    {2, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {3, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 134 KExpNLnY
constexpr KNodeDescriptor kExpNLnYNodes[] = {
    {0, Left, In, 10, "Y", "", 1.0, Double, {}},
    {1, Left, In, 20, "N", "", 1.0, Double, {}},
    {2, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {3, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 135 KMech2J
constexpr KNodeDescriptor kMech2JNodes[] = {
    {0, Left, In, 20, "tApplied", "Nm", 0.0, Double, {}},
    {1, Left, In, 40, "tMDist", "Nm", 0.0, Double, {}},
    {2, Left, In, 50, "tLDist", "Nm", 0.0, Double, {}},
    {3, Top, In, 10, "Jm", "kg-m^2", 0.001, Double, {}},
    {4, Top, In, 20, "Jl", "kg-m^2", 0.001, Double, {}},
    {5, Top, In, 40, "Ks", "Nm/rad", 1000.0, Double, {}},
    {6, Top, In, 50, "Kcv", "Nm/rad/s", 1.0, Double, {}},
    {7, Top, In, 70, "Kmv", "Nm/rad/s", 0.0, Double, {}},
    {8, Top, In, 80, "Klv", "Nm/rad/s", 0.0, Double, {}},
    {9, Right, Out, 10, "Am", "rad/s^2", 0.0, Double, {}},
    {10, Right, StateOut, 20, "Vm", "rad/s", 0.0, Double, {}},
    {11, Right, StateOut, 30, "Pm", "rad", 0.0, Double, {}},
    {12, Right, Out, 50, "Al", "rad/s^2", 0.0, Double, {}},
    {13, Right, StateOut, 60, "Vl", "rad/s", 0.0, Double, {}},
    {14, Right, StateOut, 70, "Pl", "rad", 0.0, Double, {}},
    {15, Bottom, Doc, 90, "Documentation", "", 0.0, Documentation, {}},
    {16, Left, In, 70, "Vmax", "rad/s", 10000.0, Double, {}},
};

// 136 KABC2DQ
constexpr KNodeDescriptor kABC2DQNodes[] = {
    {0, Left, In, 10, "Phase A", "", 0.0, Double, {}},
    {1, Left, In, 20, "Phase B", "", 0.0, Double, {}},
    {2, Left, In, 30, "Phase C", "", 0.0, Double, {}},
    {3, Top, In, 20, "Theta", "", 0.0, Double, {}},
    {4, Right, Out, 10, "Direct", "", 0.0, Double, {}},
    {5, Right, Out, 30, "Quadrature", "", 0.0, Double, {}},
    {6, Right, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 137 KDQ2ABC
constexpr KNodeDescriptor kDQ2ABCNodes[] = {
    {0, Left, In, 10, "Direct", "", 0.0, Double, {}},
    {1, Left, In, 30, "Quadrature", "", 0.0, Double, {}},
    {2, Top, In, 20, "Theta", "", 0.0, Double, {}},
    {3, Right, Out, 10, "Phase A", "", 0.0, Double, {}},
    {4, Right, Out, 20, "Phase B", "", 0.0, Double, {}},
    {5, Right, Out, 30, "Phase C", "", 0.0, Double, {}},
    {6, Right, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 138 KExcelMotor
constexpr KNodeDescriptor kExcelMotorNodes[] = {
    {0, Right, Out, 20, "Torque", "", 0.0, Double, {}},
    {1, Right, Out, 30, "Power Loss", "", 0.0, Double, {}},
    {2, Right, Out, 40, "Dynamic KT", "", 0.0, Double, {}},
    {3, Right, Out, 50, "Current Out", "", 0.0, Double, {}},
    {4, Right, Out, 60, "Trigger Out", "", 0.0, Double, {}},
    {5, Left, In, 20, "Current", "", 0.0, Double, {}},
    {6, Left, In, 30, "Velocity", "", 0.0, Double, {}},
    {7, Left, In, 40, "Position", "", 0.0, Double, {}},
    {8, Left, In, 50, "Temperature", "", 25.0, Double, {}},
    {9, Left, In, 60, "Trigger", "", 1.0, Double, {}},
    {10, Top, Value, 10, "Excel File", "", -1.0, ExcelRef, {}},
    {11, Top, Value, 20, "Sheet", "", 0.0, Text, {}},
    {12, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 139 KFriction
constexpr KNodeDescriptor kFrictionNodes[] = {
    {0, Right, Out, 10, "Output", "", 0.0, Double, {}},
    {1, Left, In, 10, "Velocity", "", 0.0, Double, {}},
    {2, Top, In, 20, "Sliding Friction", "", 0.0, Double, {}},
    {3, Top, In, 30, "Break speed", "", 1.0, Double, {}},
    {4, Right, Doc, 20, "Documentation", "", 0.0, Documentation, {}},
};

// 140 KHarmError
constexpr KNodeDescriptor kHarmErrorNodes[] = {
    {0, Right, Out, 20, "Feedback Out", "", 0.0, Double, {}},
    {1, Right, Out, 30, "Reference Out", "", 0.0, Double, {}},
    {2, Left, In, 20, "Feedback In", "", 0.0, Double, {}},
    {3, Left, In, 30, "Reference In", "", 0.0, Double, {}},
    {4, Top, In, 10, "Magnitude", "", 0.0, Double, {}},
    {5, Top, In, 20, "Phase", "rad", 0.0, Double, {}},
    {6, Top, In, 30, "Harmonic", "", 1.0, Double, {}},
    {7, Bottom, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 141 KMotorFb
constexpr KNodeDescriptor kMotorFbNodes[] = {
    {0, Right, Out, 20, "Output Position", "rad", 0.0, Double, {}},
    {1, Left, In, 20, "Input Position", "rad", 0.0, Double, {}},
    {2, Top, In, 20, "Resolution", "", 2048.0, Double, {}},
    // Misspelt, but model files address the node by this name, so it must stay.
    {3, Top, In, 30, "Resoution Type", "", 0.0, Choice, kChoicesResolutionType},
    {4, Top, In, 40, "Enable", "", 1.0, Double, {}},
    {5, Bottom, Doc, 40, "Documentation", "", 0.0, Documentation, {}},
};

// 142 KProfileAVD
constexpr KNodeDescriptor kProfileAVDNodes[] = {
    {0, Left, In, 20, "Move", "", 0.0, Double, {}},
    {1, Left, In, 30, "Continuous", "", 0.0, Double, {}},
    {2, Left, In, 50, "Pf", "rad", 0.0, Double, {}},
    {3, Top, In, 20, "PDistance", "rad", 6.2832, Double, {}},
    {4, Top, In, 30, "VTraverse", "rad/s", 100.0, Double, {}},
    {5, Top, In, 40, "AMax", "rad/s^2", 100.0, Double, {}},
    {6, Top, In, 50, "DMax", "rad/s^2", 100.0, Double, {}},
    {7, Top, In, 60, "S-Curve", "", 0.0, Double, {}},
    {8, Top, In, 70, "TDwell", "sec", 0.1, Double, {}},
    {9, Right, StateOut, 10, "Pc", "rad", 0.0, Double, {}},
    {10, Right, StateOut, 20, "Vc", "rad/s", 0.0, Double, {}},
    {11, Right, StateOut, 30, "Ac", "rad/s^2", 0.0, Double, {}},
    {12, Right, StateOut, 40, "Profiling", "", 0.0, Double, {}},
    {13, Right, StateOut, 50, "In Motion", "", 0.0, Double, {}},
    {14, Bottom, Doc, 70, "Documentation", "", 0.0, Documentation, {}},
};

// Shared by 143 KProfile333 and 145 KProfileTri.
constexpr KNodeDescriptor kMoveProfileNodes[] = {
    {0, Left, In, 20, "Move", "", 0.0, Double, {}},
    {1, Left, In, 30, "Continuous", "", 0.0, Double, {}},
    {2, Left, In, 50, "Pf", "", 0.0, Double, {}},
    {3, Top, In, 20, "PDistance", "rad", 6.2832, Double, {}},
    {4, Top, In, 30, "VMax", "rad/s", 100.0, Double, {}},
    {5, Top, In, 40, "S-Curve", "", 0.0, Double, {}},
    {6, Top, In, 50, "TDwell", "sec", 0.1, Double, {}},
    {7, Right, StateOut, 10, "Pc", "rad", 0.0, Double, {}},
    {8, Right, StateOut, 20, "Vc", "rad/s", 0.0, Double, {}},
    {9, Right, StateOut, 30, "Ac", "rad/s^2", 0.0, Double, {}},
    {10, Right, StateOut, 40, "Profiling", "", 0.0, Double, {}},
    {11, Right, StateOut, 50, "In Motion", "", 0.0, Double, {}},
    {12, Bottom, Doc, 70, "Documentation", "", 0.0, Documentation, {}},
};

// 144 KProfile333PA
constexpr KNodeDescriptor kProfile333PANodes[] = {
    {0, Left, In, 20, "Move", "", 0.0, Double, {}},
    {1, Left, In, 30, "Continuous", "", 0.0, Double, {}},
    {2, Left, In, 50, "Pf", "", 0.0, Double, {}},
    {3, Top, In, 20, "PDistance", "rad", 6.2832, Double, {}},
    {4, Top, In, 30, "AMax", "rad/s^2", 1000.0, Double, {}},
    {5, Top, In, 40, "S-Curve", "", 0.0, Double, {}},
    {6, Top, In, 50, "TDwell", "sec", 0.1, Double, {}},
    {7, Right, StateOut, 10, "Pc", "rad", 0.0, Double, {}},
    {8, Right, StateOut, 20, "Vc", "rad/s", 0.0, Double, {}},
    {9, Right, StateOut, 30, "Ac", "rad/s^2", 0.0, Double, {}},
    {10, Right, StateOut, 40, "Profiling", "", 0.0, Double, {}},
    {11, Right, StateOut, 50, "In Motion", "", 0.0, Double, {}},
    {12, Bottom, Doc, 70, "Documentation", "", 0.0, Documentation, {}},
};

// 146 KExcelFile
constexpr KNodeDescriptor kExcelFileNodes[] = {
    {0, Top, Value, 20, "File", "*.xls", 1.0, FileName, {}},
    {1, Top, Value, 30, "Visible", "", 1.0, Double, {}},
    {2, Right, Doc, 30, "Documentation", "", 0.0, Documentation, {}},
};

// 147 KExcelLoad
constexpr KNodeDescriptor kExcelLoadNodes[] = {
    {0, Right, Out, 20, "Output", "", 0.0, Double, {}},
    {1, Right, Out, 30, "Trigger Out", "", 0.0, Double, {}},
    {2, Left, In, 30, "Trigger", "", 1.0, Double, {}},
    {3, Top, Value, 10, "Excel File", "", -1.0, ExcelRef, {}},
    {4, Top, Value, 20, "Sheet", "", 0.0, Text, {}},
    {5, Top, Value, 30, "Column", "", 0.0, Text, {}},
    {6, Top, In, 40, "Row", "", 1.0, Double, {}},
    {7, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

// 148 KExcelStore
constexpr KNodeDescriptor kExcelStoreNodes[] = {
    {0, Right, Out, 30, "Trigger Out", "", 0.0, Double, {}},
    {1, Left, In, 20, "Input", "", 0.0, Double, {}},
    {2, Left, In, 30, "Trigger", "", 1.0, Double, {}},
    {3, Top, Value, 10, "Excel File", "", -1.0, ExcelRef, {}},
    {4, Top, Value, 20, "Sheet", "", 0.0, Text, {}},
    {5, Top, Value, 30, "Column", "", 0.0, Text, {}},
    {6, Top, In, 40, "Row", "", 1.0, Double, {}},
    {7, Bottom, Doc, 50, "Documentation", "", 0.0, Documentation, {}},
};

constexpr KBlockType kTypes[] = {
    {100, "KMessage", "Windows Message", KPalette::Meters, 60, 30, KShape::Rectangle, "", "",
     "Message", "Glyphs\\IconMessage", kMessageNodes, kTraitNone, ""},
    {101, "KButton", "Push Button", KPalette::Constants, 40, 40, KShape::Rectangle, "", "",
     "Button", "", kButtonNodes, kTraitLiveAdjustable | kTraitLiveControl, ""},
    {102, "KRelay", "Live Switch", KPalette::Constants, 40, 50, KShape::Rectangle, "", "",
     "Live Switch", "", kRelayNodes, kTraitLiveAdjustable | kTraitLiveControl, ""},
    {103, "KSolver", "Solver", KPalette::Misc, 50, 30, KShape::Rectangle, "", "", "Solver",
     "Glyphs\\IconLightBulb", kSolverNodes, kTraitSolver, ""},
    {104, "KStop", "Stop", KPalette::Misc, 50, 30, KShape::Rectangle, "", "", "Stop",
     "Glyphs\\IconStop", kStopNodes, kTraitNone, ""},
    {105, "KScope", "Oscilloscope", KPalette::Instruments, 70, 50, KShape::Rectangle, "", "",
     "Scope", "Glyphs\\IconScope", kScopeNodes,
     kTraitScope | kTraitInstrument | kTraitComputedLast | kTraitHasWindow, ""},
    {106, "KDsa", "Dynamic Signal Analyzer", KPalette::Instruments, 90, 50, KShape::Rectangle, "",
     "", "DSA", "Glyphs\\IconDSA", kDsaNodes, kTraitDsa | kTraitInstrument | kTraitHasWindow, ""},
    {107, "KDctl", "Digital Controller", KPalette::Digital, 30, 30, KShape::Rectangle, "", "",
     "DController", "Glyphs\\IconDControllerSmall", kDctlNodes, kTraitDctl | kTraitHasWindow,
     "Controller"},
    {108, "KDDelay", "Sample Delay", KPalette::Digital, 40, 30, KShape::Rectangle, "", "", "Delay",
     "Glyphs\\IconDDelaySmall", kDDelayNodes, kTraitNeedsDctl, ""},
    {109, "KDSampleHold", "Sample and Hold", KPalette::Digital, 40, 30, KShape::Rectangle, "", "",
     "Sample/Hold", "Glyphs\\IconDSampleHoldSmall", kDigitalOneInOneOutNodes, kTraitNeedsDctl, ""},
    {110, "KDDiff", "Difference", KPalette::Digital, 40, 30, KShape::Rectangle, "", "", "d/dt",
     "Glyphs\\IconDDiffSmall", kDigitalOneInOneOutNodes, kTraitNeedsDctl, ""},
    {111, "KDInvTrap", "Inverse Trapezoidal", KPalette::Digital, 40, 30, KShape::Rectangle, "", "",
     "d/dt", "Glyphs\\IconDInvTrapSmall", kDInvTrapNodes, kTraitNeedsDctl, ""},
    {112, "KDSum", "Sum/TSample", KPalette::Digital, 40, 30, KShape::Rectangle, "", "", "Sum",
     "Glyphs\\IconDSumSmall", kDSumNodes, kTraitNeedsDctl, ""},
    {113, "KDPi", "Digital PI Control Law", KPalette::DigitalFilters, 50, 40, KShape::Rectangle, "",
     "", "Digital PI", "Glyphs\\IconDPI", kDPiNodes, kTraitNeedsDctl, ""},
    {114, "KDPid", "Digital PID Control Law", KPalette::DigitalFilters, 70, 40, KShape::Rectangle,
     "", "", "Digital PID", "Glyphs\\IconDPID", kDPidNodes, kTraitNeedsDctl, ""},
    {115, "KDPid2", "Digital PID Control Law (2)", KPalette::DigitalFilters, 80, 40,
     KShape::Rectangle, "", "", "Digital PID(2)", "Glyphs\\IconDPID2", kDPid2Nodes, kTraitNeedsDctl,
     ""},
    {116, "KDPiPlus", "Digital PI+ Control Law", KPalette::DigitalFilters, 60, 40,
     KShape::Rectangle, "", "", "Digital PI+", "Glyphs\\IconDPIPlus", kDPiPlusNodes,
     kTraitNeedsDctl, ""},
    {117, "KDLpf1", "Digital 1-Pole Low-Pass Filter", KPalette::DigitalFilters, 50, 40,
     KShape::Rectangle, "", "", "Digital Low-pass", "Glyphs\\IconDLPF1", kDLpf1Nodes,
     kTraitNeedsDctl, ""},
    {118, "KDLpf2", "Digital 2-Pole Low-Pass Filter", KPalette::DigitalFilters, 50, 40,
     KShape::Rectangle, "", "", "Digital Low-pass", "Glyphs\\IconDLPF2", kDigitalTwoPoleFilterNodes,
     kTraitNeedsDctl, ""},
    {119, "KDLpf2a", "Digital 2-Pole Low-Pass Filter (A)", KPalette::DigitalFilters, 50, 40,
     KShape::Rectangle, "", "", "Digital Low-pass", "Glyphs\\IconDLPF2a",
     kDigitalTwoPoleFilterNodes, kTraitNeedsDctl, ""},
    {120, "KDNotch", "Digital 2-Pole Notch Filter", KPalette::DigitalFilters, 50, 40,
     KShape::Rectangle, "", "", "Digital Notch", "Glyphs\\IconDNotch", kDigitalTwoPoleFilterNodes,
     kTraitNeedsDctl, ""},
    {121, "KDLeadLag", "Digital Lead-Lag Filter", KPalette::DigitalFilters, 50, 40,
     KShape::Rectangle, "", "", "Digital Lead-Lag", "Glyphs\\IconDLeadLag", kDLeadLagNodes,
     kTraitNeedsDctl, ""},
    {122, "KDBiQuad", "Digital Bi-Quad Filter", KPalette::DigitalFilters, 50, 40, KShape::Rectangle,
     "", "", "Digital BiQuad", "Glyphs\\IconDBiQuad", kDBiQuadNodes, kTraitNeedsDctl, ""},
    {123, "KDTCalc", "Calculation Delay", KPalette::Digital, 40, 30, KShape::Rectangle, "", "",
     "Calc Delay", "Glyphs\\IconDTCalcSmall", kDTCalcNodes, kTraitNeedsDctl, ""},
    {124, "KDRandom", "Digital Random Number Generator", KPalette::Digital, 50, 30,
     KShape::Rectangle, "", "", "Digital Random", "Glyphs\\IconDRandomSmall", kDRandomNodes,
     kTraitNeedsDctl, ""},
    {125, "KDDither", "Digital Dither", KPalette::Digital, 40, 30, KShape::Rectangle, "", "",
     "Dither", "Glyphs\\IconDDitherSmall", kDDitherNodes, kTraitNeedsDctl, ""},
    {126, "KTime", "Time", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "", "Time",
     "Glyphs\\IconTime", kTimeNodes, kTraitNone, ""},
    {127, "KSin", "Sine Wave", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "", "Sin",
     "Glyphs\\IconSin", kOneInOneOutNodes, kTraitNone, ""},
    {128, "KCos", "Cosine Wave", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "", "Cos",
     "Glyphs\\IconCos", kOneInOneOutNodes, kTraitNone, ""},
    {129, "KSquareWave", "Square Wave", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "",
     "Square", "Glyphs\\IconSquareWave", kOneInOneOutNodes, kTraitNone, ""},
    {130, "KTriangleWave", "Triangle Wave", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "",
     "Triangle", "Glyphs\\IconTriangleWave", kOneInOneOutNodes, kTraitNone, ""},
    {131, "KSawtoothWave", "Sawtooth Wave", KPalette::Waveforms, 50, 30, KShape::Rectangle, "", "",
     "Sawtooth", "Glyphs\\IconSawtoothWave", kOneInOneOutNodes, kTraitNone, ""},
    {132, "KExp", "Exponential", KPalette::Math, 50, 30, KShape::Rectangle, "", "", "",
     "Glyphs\\IconExp", kOneInOneOutNodes, kTraitNone, ""},
    {133, "KExpLnY", "Y^x", KPalette::Math, 50, 30, KShape::Rectangle, "", "", "",
     "Glyphs\\IconExpLnY", kExpLnYNodes, kTraitNone, ""},
    {134, "KExpNLnY", "Y^N", KPalette::Math, 50, 30, KShape::Rectangle, "", "", "",
     "Glyphs\\IconExpNLnY", kExpNLnYNodes, kTraitNone, ""},
    {135, "KMech2J", "Two-Body Compliant Load", KPalette::Motion, 110, 80, KShape::Rectangle,
     "Compliant", "Motor & Load", "Motor/Load", "Glyphs\\IconMech2J", kMech2JNodes, kTraitNone, ""},
    {136, "KABC2DQ", "ABC to DQ", KPalette::Motion, 50, 50, KShape::Rectangle, "", "", "ABC to DQ",
     "Glyphs\\IconABC2DQ", kABC2DQNodes, kTraitNone, ""},
    {137, "KDQ2ABC", "DQ to ABC", KPalette::Motion, 50, 50, KShape::Rectangle, "", "", "DQ to ABC",
     "Glyphs\\IconDQ2ABC", kDQ2ABCNodes, kTraitNone, ""},
    {138, "KExcelMotor", "Motor From Excel File", KPalette::Com, 60, 70, KShape::Rectangle, "Excel",
     "Motor", "Motor", "Glyphs\\IconExcelMotor", kExcelMotorNodes, kTraitNeedsExcelFile, ""},
    {139, "KFriction", "Friction", KPalette::Motion, 60, 30, KShape::Rectangle, "Friction", "",
     "Friction", "", kFrictionNodes, kTraitNone, ""},
    {140, "KHarmError", "Harmonic Error Term", KPalette::Motion, 50, 40, KShape::Rectangle,
     "H Error", "", "Harmonic Error", "Glyphs\\IconHarmErr", kHarmErrorNodes, kTraitNone, ""},
    {141, "KMotorFb", "Motor Feedback", KPalette::Motion, 50, 40, KShape::Rectangle, "Mtr fb", "",
     "Feedback", "Glyphs\\IconMotorFb", kMotorFbNodes, kTraitNone, ""},
    {142, "KProfileAVD", "AVD Motion Profile", KPalette::Motion, 90, 60, KShape::Rectangle, "", "",
     "Acc-Vmax-Dec Profile", "Glyphs\\IconProfileAVD", kProfileAVDNodes, kTraitNone, ""},
    {143, "KProfile333", "VD Motion Profile", KPalette::Motion, 90, 60, KShape::Rectangle, "", "",
     "1/3-1/3-1/3 Profile", "Glyphs\\IconProfile333", kMoveProfileNodes, kTraitNone, ""},
    {144, "KProfile333PA", "AD Motion Profile", KPalette::Motion, 90, 60, KShape::Rectangle, "", "",
     "1/3-1/3-1/3 Profile (P/A)", "Glyphs\\IconProfile333PA", kProfile333PANodes, kTraitNone, ""},
    {145, "KProfileTri", "Triangular Motion Profile", KPalette::Motion, 90, 60, KShape::Rectangle,
     "", "", "Triangle Profile", "Glyphs\\IconProfileTri", kMoveProfileNodes, kTraitNone, ""},
    {146, "KExcelFile", "Excel File", KPalette::Com, 50, 50, KShape::Rectangle, "", "",
     "Excel File", "Glyphs\\IconExcelFile", kExcelFileNodes, kTraitExcelFile, "ExcelFile"},
    {147, "KExcelLoad", "Excel Load", KPalette::Com, 60, 50, KShape::Rectangle, "", "",
     "Excel Load", "Glyphs\\IconExcelLoad", kExcelLoadNodes, kTraitNeedsExcelFile, ""},
    {148, "KExcelStore", "Excel Store", KPalette::Com, 60, 50, KShape::Rectangle, "", "",
     "Excel Store", "Glyphs\\IconExcelStore", kExcelStoreNodes, kTraitNeedsExcelFile, ""},
};
static_assert(std::size(kTypes) == 49);
static_assert(NumbersRunFrom(kTypes, 100));

}  // namespace

std::span<const KBlockType> BlockTypes100To148() {
    return kTypes;
}

}  // namespace korvel::blocktypes_detail
