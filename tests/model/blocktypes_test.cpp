// Properties every one of the 149 block type records must have: numbering,
// unique tags and node names, ordinals, node positions, choice lists,
// reference defaults and the traits that follow from the nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/blocktype.h"

namespace korvel {
namespace {

TEST(BlockTypesTest, TableHas149RecordsNumberedByIndexWithUniqueTags) {
    const auto types = BlockTypes();
    ASSERT_EQ(types.size(), static_cast<std::size_t>(kBlockTypeCount));
    ASSERT_EQ(kBlockTypeCount, 149);
    for (int i = 0; i < kBlockTypeCount; ++i) {
        EXPECT_EQ(types[i].number, i);
        EXPECT_EQ(FindBlockType(i), &types[i]);
    }
    for (int outside : {-1, 149, 1000}) EXPECT_EQ(FindBlockType(outside), nullptr);
    const std::pair<int, std::string_view> named[] = {
        {ktype::kExtender, "KExtender"},   {ktype::kExtenderOutput, "KExtenderOutput"},
        {ktype::kCustMod, "KCustMod"},     {ktype::kCustInput, "KCustInput"},
        {ktype::kCustOutput, "KCustOutput"}, {ktype::kCustDoc, "KCustDoc"},
        {ktype::kCustDctl, "KCustDctl"},   {ktype::kVariable, "KVariable"},
        {ktype::kSolver, "KSolver"},       {ktype::kDctl, "KDctl"},
        {ktype::kTime, "KTime"},           {0, "KLpf1"},
        {148, "KExcelStore"},
    };
    for (const auto& [number, tag] : named) EXPECT_EQ(FindBlockType(number)->tag, tag);
    // Tags are unique and a copy of the text finds its number: the lookup
    // compares contents.
    std::set<std::string_view> tags;
    for (const KBlockType& type : BlockTypes()) {
        EXPECT_TRUE(tags.insert(type.tag).second) << type.tag;
        EXPECT_EQ(FindBlockTypeByTag(std::string(type.tag)), type.number) << type.tag;
    }
    for (const char* near : {"klpf1", "KLPF1", "KLpf1 ", "KLpf", "", "ZZZ"})
        EXPECT_EQ(FindBlockTypeByTag(near), std::nullopt) << near;
}

// Each record: a body on the grid, nodes (but the module block's come from
// its file) with unique names and their index as ordinal, choice lists on
// choice nodes only with a default among them, references to no element,
// and text roles with text kinds.
TEST(BlockTypesTest, EveryRecordIsConsistent) {
    for (const KBlockType& type : BlockTypes()) {
        SCOPED_TRACE(type.tag);
        EXPECT_GT(type.width, 0);
        EXPECT_GT(type.height, 0);
        EXPECT_EQ(type.width % 10, 0);
        EXPECT_EQ(type.height % 10, 0);
        EXPECT_EQ(type.nodes.empty(), type.number == ktype::kCustMod);
        std::set<std::string_view> names;
        for (std::size_t i = 0; i < type.nodes.size(); ++i) {
            const KNodeDescriptor& node = type.nodes[i];
            SCOPED_TRACE(node.name);
            EXPECT_FALSE(node.name.empty());
            EXPECT_TRUE(names.insert(node.name).second);
            EXPECT_EQ(node.ordinal, static_cast<int>(i));
            if (node.kind == KValueKind::Choice) {
                EXPECT_GE(node.choices.size(), 2u);
                const double index = node.defaultValue;
                EXPECT_EQ(index, std::floor(index));
                EXPECT_GE(index, 0.0);
                EXPECT_LT(index, static_cast<double>(node.choices.size()));
            } else {
                EXPECT_TRUE(node.choices.empty());
            }
            if (node.kind == KValueKind::VarRef || node.kind == KValueKind::DctlRef ||
                node.kind == KValueKind::ExcelRef) {
                EXPECT_EQ(node.defaultValue, -1.0);
            }
            EXPECT_EQ(node.role == KRole::Doc, node.kind == KValueKind::Documentation);
            EXPECT_EQ(node.role == KRole::Prog, node.kind == KValueKind::Program);
        }
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

TEST(BlockTypesTest, PackedEdgeRole) {
    const KBlockType* lpf = FindBlockType(0);
    ASSERT_NE(lpf, nullptr);
    EXPECT_EQ(lpf->nodes[0].PackedEdgeRole(), 2 * 256 + 0);  // left, input
    EXPECT_EQ(lpf->nodes[1].PackedEdgeRole(), 3 * 256 + 3);  // right, state output
    EXPECT_EQ(lpf->nodes[3].PackedEdgeRole(), 1 * 256 + 6);  // bottom, documentation
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

// Traits that narrow another must come with it, and the blocks the compile
// looks for one by one (the Solver, the controller, the file, the analyzer,
// the scope, the module block) are one type each.
TEST(BlockTypesTest, TraitsAgreeWithEachOther) {
    const std::pair<KTrait, KTrait> implied[] = {
        {kTraitLiveControl, kTraitLiveAdjustable},
        {kTraitLiveConstant, kTraitLiveAdjustable},
        {kTraitCustomInput, kTraitCustomInterface},
        {kTraitCustomOutput, kTraitCustomInterface},
        {kTraitLiveScope, kTraitVariable},
        {kTraitScope, kTraitInstrument},
        {kTraitDsa, kTraitInstrument},
    };
    for (const KBlockType& type : BlockTypes())
        for (const auto& [narrow, wide] : implied)
            EXPECT_TRUE(!type.Has(narrow) || type.Has(wide)) << type.tag;
    for (KTrait single : {kTraitSolver, kTraitDctl, kTraitExcelFile, kTraitDsa, kTraitScope,
                          kTraitCustomModule, kTraitCustomInput, kTraitCustomOutput}) {
        EXPECT_EQ(std::count_if(BlockTypes().begin(), BlockTypes().end(),
                                [single](const KBlockType& t) { return t.Has(single); }),
                  1)
            << "trait bit " << static_cast<std::uint32_t>(single);
    }
}

}  // namespace
}  // namespace korvel
