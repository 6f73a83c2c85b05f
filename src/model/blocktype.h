// The fixed table of block types: every block is made from one record.
//
// A record gives a type its tag (the name model files store), display name,
// palette page, body size and outline, body text, default name, glyph and,
// above all, its node descriptors in node-array order. Behaviour that differs
// between types only by kind (live constants, digital blocks, instruments...)
// is carried as trait bits in the record, so code asks the record instead of
// comparing tags.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace korvel {

// Node roles, by the number stored in the role byte.
enum class KRole : std::uint8_t {
    In = 0,        // input; unwired inputs use their own value
    MatedIn = 1,   // input that feeds the wires on its own page (extender output, module output)
    Out = 2,       // output depending on the inputs of the same step
    StateOut = 3,  // output that is a state: known at the start of a step
    Out4 = 4,      // further output role
    Value = 5,     // set in the block's dialog, never wired
    Doc = 6,       // documentation text
    Prog = 7,      // program text
};

// Edges of a block body, by the number stored in the edge byte.
enum class KEdge : std::uint8_t { Top = 0, Bottom = 1, Left = 2, Right = 3 };

// What a node holds; selects how it is shown, edited and written to files.
enum class KValueKind : std::uint8_t {
    Double = 0,
    Mult = 1,          // unit multiplier on constants
    DisplayMult = 2,   // unit multiplier on variables, meters, scopes
    Choice = 3,        // index into a fixed list of choice texts
    VarRef = 4,        // IDNumber of a Variable block, -1 for none
    DctlRef = 5,       // IDNumber of a Digital Controller block, -1 for none
    DsaButtons = 6,    // the signal analyzer's ten preset buttons
    StringList = 7,    // a list of strings
    StringPick = 8,    // index into the block's string list
    Text = 9,          // single-line text
    FileName = 10,     // a file name
    ExcelRef = 11,     // IDNumber of an Excel File block, -1 for none
    Documentation = 12,
    Program = 13,
};

// Body outline.
enum class KShape : std::uint8_t {
    Rectangle = 0,
    Rounded = 1,  // corner 10 by 10
    Ellipse = 2,
    Frame = 3,    // rectangle drawn only while the block is selected
};

// Pages of the block palette, in palette order.
enum class KPalette : std::uint8_t {
    Instruments,
    Constants,
    Meters,
    Misc,
    Math,
    Compare,
    Logic,
    Waveforms,
    Analog,
    AnalogFilters,
    Fs,
    Digital,
    DigitalFilters,
    Fz,
    Program,
    Custom,
    Motion,
    Com,
};
inline constexpr int kPaletteCount = 18;

// The palette page's caption ("Analog Filters", "F(s)", ...).
std::string_view PaletteCaption(KPalette page);

// Kind predicates of a block type, one bit each.
enum KTrait : std::uint32_t {
    kTraitNone = 0,
    kTraitLiveAdjustable = 1u << 0,   // live constants, push button, live switch
    kTraitLiveControl = 1u << 1,      // push button, live switch
    kTraitLiveConstant = 1u << 2,     // the five live constants
    kTraitCustomInput = 1u << 3,
    kTraitCustomOutput = 1u << 4,
    kTraitCustomModule = 1u << 5,
    kTraitCustomInterface = 1u << 6,  // the four module interface blocks
    kTraitNeedsDctl = 1u << 7,        // digital blocks bound to a Digital Controller
    kTraitDctl = 1u << 8,             // the Digital Controller itself
    kTraitDsa = 1u << 9,
    kTraitExcelFile = 1u << 10,
    kTraitNeedsExcelFile = 1u << 11,
    kTraitExtender = 1u << 12,        // both extender types
    kTraitScope = 1u << 13,           // the oscilloscope
    kTraitInstrument = 1u << 14,      // waveform generator, oscilloscope, signal analyzer
    kTraitSolver = 1u << 15,
    kTraitStringConstant = 1u << 16,
    kTraitVariable = 1u << 17,        // Variable and both live scopes
    kTraitLiveScope = 1u << 18,       // both live scopes
    kTraitComputedLast = 1u << 19,    // ordered after every other block (the oscilloscope)
    kTraitProgram = 1u << 20,         // carries a program text
    kTraitHasWindow = 1u << 21,       // variable-like blocks and instruments with their own panel
    // Outputs stored with the state-output role that the block nevertheless
    // computes from its current inputs (filters with a direct path, program
    // blocks). Files keep the role; ordering treats such outputs as algebraic,
    // so their readers always run after the block.
    kTraitFeedthroughOutputs = 1u << 22,
};

// One node of a block type.
struct KNodeDescriptor {
    int ordinal = 0;
    KEdge edge = KEdge::Left;
    KRole role = KRole::In;
    int position = 0;  // pixels along the edge from the body's top-left corner
    std::string_view name;
    std::string_view units;
    double defaultValue = 0.0;
    KValueKind kind = KValueKind::Double;
    std::span<const std::string_view> choices;  // for choice nodes only

    // Edge and role packed as one number (edge times 256 plus role).
    constexpr int PackedEdgeRole() const { return int(edge) * 256 + int(role); }
};

// One record of the block type table.
struct KBlockType {
    int number = 0;
    std::string_view tag;
    std::string_view displayName;
    KPalette palette = KPalette::Misc;
    int width = 0;
    int height = 0;
    KShape shape = KShape::Rectangle;
    std::string_view bodyText1;
    std::string_view bodyText2;
    std::string_view defaultName;
    std::string_view glyph;  // as written in the table, e.g. "Glyphs\IconLPF1"; may be empty
    std::span<const KNodeDescriptor> nodes;
    std::uint32_t traits = kTraitNone;
    // Base of the numbered names new blocks of this type take ("Variable" gives
    // "Variable1", "Variable2", ...); empty for types that keep the default name.
    std::string_view numberedNameBase;

    constexpr bool Has(KTrait t) const { return (traits & t) != 0; }
};

inline constexpr int kBlockTypeCount = 149;

// Type numbers referred to by name in the code.
namespace ktype {
inline constexpr int kExtender = 43;
inline constexpr int kExtenderOutput = 44;
inline constexpr int kCustMod = 45;
inline constexpr int kCustInput = 46;
inline constexpr int kCustOutput = 47;
inline constexpr int kCustDoc = 48;
inline constexpr int kCustDctl = 49;
inline constexpr int kVariable = 13;
inline constexpr int kSolver = 103;
inline constexpr int kDctl = 107;
inline constexpr int kTime = 126;
}  // namespace ktype

// The whole table, indexed by type number.
std::span<const KBlockType> BlockTypes();

// The record of a type number, or nullptr outside 0..148.
const KBlockType* FindBlockType(int number);

// The type number of a tag (exact, case-sensitive), or nullopt.
std::optional<int> FindBlockTypeByTag(std::string_view tag);

}  // namespace korvel
