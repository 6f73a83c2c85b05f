// Internal to the block type table: the choice lists and node lists shared by
// its data files and the three slices of records those files define. Only
// blocktypes*.cpp include this; everything else goes through blocktype.h.
#pragma once

#include <span>
#include <string_view>

#include "model/blocktype.h"

namespace korvel::blocktypes_detail {

// Choice lists, index 0 first. Several types share a list, so each list exists
// once and the node descriptors point at it.
inline constexpr std::string_view kChoicesFalseTrue[] = {"False", "True"};
inline constexpr std::string_view kChoicesNormalAuto[] = {"Normal", "Auto"};
inline constexpr std::string_view kChoicesContAutoNormal[] = {"Cont", "Auto", "Normal"};
inline constexpr std::string_view kChoicesEdge[] = {"Left", "Top", "Right", "Bottom"};
inline constexpr std::string_view kChoicesQuantize[] = {"None", "Round", "Truncate"};
inline constexpr std::string_view kChoicesWaveform[] = {
    "Sine",          "Square",    "Triangle", "Sawtooth",  "Pulse",
    "Bipolar Pulse", "Trapezoid", "S-Curve",  "DC (None)",
};
inline constexpr std::string_view kChoicesOrientation[] = {"Horizontal", "Vertical"};
inline constexpr std::string_view kChoicesJustification[] = {"Left/Bottom", "Center", "Right/Top"};
inline constexpr std::string_view kChoicesColour[] = {
    "Aqua",   "Black",      "Blue",       "Dark Gray", "Fuchsia",   "Gray",
    "Green",  "Light Gray", "Lime green", "Maroon",    "Navy blue", "Olive green",
    "Purple", "Red",        "Silver",     "Teal",      "White",     "Yellow",
};
inline constexpr std::string_view kChoicesResolutionType[] = {"Lines/rev", "Counts/rev"};

// Node lists used by types in more than one slice.
// Shared by 23 KComparator and 66-71 KCompareEQ..KCompareLE.
inline constexpr KNodeDescriptor kTwoInputCompareNodes[] = {
    {0, KEdge::Left, KRole::In, 10, "Input1", "", 0.0, KValueKind::Double, {}},
    {1, KEdge::Left, KRole::In, 30, "Input2", "", 0.0, KValueKind::Double, {}},
    {2, KEdge::Right, KRole::Out, 20, "Output", "", 0.0, KValueKind::Double, {}},
    {3, KEdge::Bottom, KRole::Doc, 30, "Documentation", "", 0.0, KValueKind::Documentation, {}},
};

// Shared by 60-63 KSqrt..KMinusX and 127-132 KSin..KExp.
inline constexpr KNodeDescriptor kOneInOneOutNodes[] = {
    {0, KEdge::Left, KRole::In, 10, "Input", "", 0.0, KValueKind::Double, {}},
    {1, KEdge::Right, KRole::Out, 10, "Output", "", 0.0, KValueKind::Double, {}},
    {2, KEdge::Right, KRole::Doc, 20, "Documentation", "", 0.0, KValueKind::Documentation, {}},
};

// The records of each slice, in type-number order.
std::span<const KBlockType> BlockTypes0To49();
std::span<const KBlockType> BlockTypes50To99();
std::span<const KBlockType> BlockTypes100To148();

// True when the records of a slice carry consecutive type numbers from `first`;
// checked at compile time so a record cannot be dropped or doubled unnoticed.
template <std::size_t N>
constexpr bool NumbersRunFrom(const KBlockType (&types)[N], int first) {
    for (std::size_t i = 0; i < N; ++i) {
        if (types[i].number != first + static_cast<int>(i)) return false;
    }
    return true;
}

}  // namespace korvel::blocktypes_detail
