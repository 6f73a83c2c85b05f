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

TEST(BlockTypesTest, SharedChoiceListsAreOneList) {
    // The False/True list of the Variable and of the oscilloscope is the same
    // storage: choice lists are shared, not copied per node.
    const KBlockType* variable = FindBlockType(13);
    const KBlockType* scope = FindBlockType(105);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(scope, nullptr);
    EXPECT_EQ(variable->nodes[3].choices.data(), scope->nodes[2].choices.data());
}

}  // namespace
}  // namespace korvel
