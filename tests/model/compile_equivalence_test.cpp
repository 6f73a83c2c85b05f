// The compile steps against the plain procedure (compileliteral.h) on
// thousands of small random models: the same nets, order, numbers, bindings,
// messages, red blocks and highlighted wires, failures included. Without it
// a fast path that differs only on unusual wiring (which failure is found
// first, the order of a tie) would go unnoticed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compileliteral.h"
#include "compiletesting.h"
#include "model/compile.h"

namespace korvel {
namespace {

using namespace testing_compile;

constexpr int kCustMod = 45;

// Small random numbers that are the same for every copy of a model.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : rng_(seed) {}
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(Below(static_cast<int>(v.size())))];
    }
    template <class T>
    void Shuffle(std::vector<T>& v) {
        for (std::size_t i = v.size(); i > 1; --i)
            std::swap(v[i - 1], v[static_cast<std::size_t>(Below(static_cast<int>(i)))]);
    }

private:
    std::mt19937 rng_;
};

// --- Random models, described before they are built -------------------------

struct Port {
    int block = 0;
    int node = 0;
};

struct RecipeBlock {
    int type = 0;
    int number = 0;
    std::string name = "Block";
    std::string file;        // module blocks
    double controller = -1;  // digital filters
};

RecipeBlock Make(int type, std::string name = "Block", std::string file = {}) {
    RecipeBlock b;
    b.type = type;
    b.name = std::move(name);
    b.file = std::move(file);
    return b;
}

struct RecipeWire {
    int number = 0;
    Port from;
    Port to;
};

struct Recipe {
    std::vector<RecipeBlock> blocks;
    std::vector<RecipeWire> wires;
};

// Per module file: for each node of its module block, whether it is an input.
using Interfaces = std::map<std::string, std::vector<bool>>;

std::vector<KRole> Roles(const RecipeBlock& b, const Interfaces& interfaces) {
    std::vector<KRole> roles;
    if (b.type == kCustMod) {
        for (bool input : interfaces.at(b.file))
            roles.push_back(input ? KRole::In : KRole::MatedIn);
        return roles;
    }
    for (const KNodeDescriptor& d : FindBlockType(b.type)->nodes) roles.push_back(d.role);
    return roles;
}

// Mostly sound wiring (a driver to an input that has no wire yet), the rest
// between any two wirable nodes, some drawn backwards.
void AddWires(Recipe& s, Dice& dice, const Interfaces& interfaces, int number, int soundPercent) {
    std::vector<Port> drivers, loads, all;
    for (int i = 0; i < static_cast<int>(s.blocks.size()); ++i) {
        std::vector<KRole> roles = Roles(s.blocks[static_cast<std::size_t>(i)], interfaces);
        for (int k = 0; k < static_cast<int>(roles.size()); ++k) {
            if (roles[static_cast<std::size_t>(k)] > KRole::Out4) continue;
            all.push_back({i, k});
            (roles[static_cast<std::size_t>(k)] == KRole::In ? loads : drivers).push_back({i, k});
        }
    }
    std::set<std::pair<int, int>> loaded;
    const int count = dice.Below(2 * static_cast<int>(s.blocks.size()) + 2);
    for (int w = 0; w < count; ++w) {
        Port from, to;
        if (dice.Chance(soundPercent)) {
            if (drivers.empty() || loads.empty()) continue;
            from = dice.Pick(drivers);
            to = dice.Pick(loads);
            if (!loaded.insert({to.block, to.node}).second) continue;
        } else {
            if (all.empty()) continue;
            from = dice.Pick(all);
            to = dice.Pick(all);
        }
        if (dice.Chance(25)) std::swap(from, to);
        s.wires.push_back({number++, from, to});
    }
}

// Numbers from `first` on, now and then one repeated; filters choose a
// controller of the same model, none, or one that does not exist.
void Number(Recipe& s, Dice& dice, int first) {
    int next = first;
    const bool repeats = dice.Chance(5);
    for (RecipeBlock& b : s.blocks)
        b.number = repeats && next > first && dice.Chance(10) ? next - 1 : next++;
    std::vector<int> controllers;
    for (const RecipeBlock& b : s.blocks)
        if (b.type == kDctl) controllers.push_back(b.number);
    for (RecipeBlock& b : s.blocks) {
        if (b.type != kZFilter1) continue;
        int roll = dice.Below(100);
        b.controller = roll < 70 || controllers.empty() ? -1
                       : roll < 95                      ? dice.Pick(controllers)
                                                        : 999;
    }
}

RecipeBlock Ordinary(Dice& dice, const std::vector<int>& types) {
    RecipeBlock b;
    b.type = dice.Pick(types);
    if (b.type == kExtender || b.type == kExtenderOutput)
        b.name = std::string(1, char('a' + dice.Below(4)));
    return b;
}

const std::vector<int> kInnerTypes = {
    kTime, kAdd, kAdd, kAdd, kInt, kInt, kExtender, kExtenderOutput, kZFilter1, kDctl, kVariable};

std::string FileName(int j) {
    return "M" + std::to_string(j) + ".kvc";
}

// Module file j may hold module blocks of the files after it.
Recipe ModuleRecipe(Dice& dice, int j, int files, Interfaces& interfaces) {
    Recipe s;
    for (int i = 1 + dice.Below(2); i > 0; --i)
        s.blocks.push_back(Make(kCustInput, "i" + std::to_string(i)));
    for (int i = 1 + dice.Below(2); i > 0; --i)
        s.blocks.push_back(Make(kCustOutput, "o" + std::to_string(i)));
    for (int i = dice.Below(7); i > 0; --i) s.blocks.push_back(Ordinary(dice, kInnerTypes));
    for (int i = j + 1 < files ? dice.Below(3) : 0; i > 0; --i)
        s.blocks.push_back(Make(kCustMod, "Nested", FileName(j + 1 + dice.Below(files - j - 1))));
    dice.Shuffle(s.blocks);
    // Module-local numbers start low, so instances overlap before renumbering.
    Number(s, dice, dice.Below(4));
    std::vector<bool>& interface = interfaces[FileName(j)];
    for (const RecipeBlock& b : s.blocks)
        if (b.type == kCustInput || b.type == kCustOutput)
            interface.push_back(b.type == kCustInput);
    AddWires(s, dice, interfaces, s.blocks.back().number + 100, 92);
    return s;
}

Recipe TopRecipe(Dice& dice, int files, int blocks, int soundPercent,
                 const Interfaces& interfaces) {
    Recipe s;
    for (int type : {kSolver, kVariable, kScope})
        if (dice.Chance(93)) s.blocks.push_back(Make(type));
    for (int i = 1 + dice.Below(blocks); i > 0; --i)
        s.blocks.push_back(Ordinary(dice, kInnerTypes));
    for (int i = files > 0 ? dice.Below(4) : 0; i > 0; --i)
        s.blocks.push_back(Make(kCustMod, "Module", FileName(dice.Below(files))));
    dice.Shuffle(s.blocks);
    Number(s, dice, 0);
    AddWires(s, dice, interfaces, static_cast<int>(s.blocks.size()) + 10, soundPercent);
    return s;
}

std::string ModuleText(const Recipe& s) {
    ModelText text(true);
    int inputs = 0, outputs = 0;
    for (const RecipeBlock& b : s.blocks) {
        if (b.type == kCustInput)
            text.Input(b.number, b.name, ++inputs);
        else if (b.type == kCustOutput)
            text.Output(b.number, b.name, ++outputs);
        else if (b.type == kCustMod)
            text.Module(b.file, b.number, b.name);
        else if (b.type == kZFilter1)
            text.Block("KZFilter1", b.number, b.name,
                       {std::to_string(int(b.controller)) + ",Controller"});
        else
            text.Block(FindBlockType(b.type)->tag, b.number, b.name);
    }
    for (const RecipeWire& w : s.wires)
        text.Wire(w.number, s.blocks[static_cast<std::size_t>(w.from.block)].number, w.from.node,
                  s.blocks[static_cast<std::size_t>(w.to.block)].number, w.to.node);
    return text.Text();
}

void Build(const Recipe& s, KElements& elements, Messages& messages, const ModuleFolder* folder) {
    std::vector<KBlock*> made;
    for (const RecipeBlock& b : s.blocks) {
        KBlock& block = b.type == kCustMod
                            ? AddModule(elements, *folder, messages, b.file, b.number)
                            : AddBlock(elements, b.type, b.number);
        block.userString = b.name;
        if (b.type == kZFilter1) block.Node(2).value = b.controller;
        made.push_back(&block);
    }
    for (const RecipeWire& w : s.wires)
        AddWire(elements, messages, w.number, *made[static_cast<std::size_t>(w.from.block)],
                w.from.node, *made[static_cast<std::size_t>(w.to.block)], w.to.node);
}

// Flat models stand in for expanded ones: some blocks as if inside module
// instances (extenders then mate per instance) and some inputs as unwired
// module inputs that feed their own value.
void Disguise(KElements& elements, std::uint32_t seed) {
    Dice dice(seed ^ 0x5bd1e995u);
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        auto& b = static_cast<KBlock&>(*e);
        b.SetParentModule(dice.Chance(20) ? dice.Below(2) : -1);
        for (KNode& n : b.Nodes())
            if (n.Role() == KRole::In || n.Role() == KRole::MatedIn) n.sourceFlag = dice.Chance(6);
    }
}

// What binding leaves before ordering: most blocks waiting, some computed,
// a few marked computed without their nodes being ready.
void PrepareOrdering(KElements& elements, KCompiled& compiled, std::uint32_t seed) {
    Dice dice(seed ^ 0x9e3779b9u);
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        auto& b = static_cast<KBlock&>(*e);
        b.ClearComputed();
        if (dice.Chance(10))
            b.SetComputed();
        else if (dice.Chance(3))
            b.SetComputedFlagOnly(true);
    }
    compiled.ordered.clear();
}

// --- What a compile leaves behind ---------------------------------------------

// Everything a compile leaves behind, one field a line, elements named by
// their index in the collection: equal texts mean equal results.
std::string Take(const KElements& elements, const KCompiled& compiled,
                 const KMessageRecorder& messages, bool ok) {
    std::ostringstream out;
    out << std::setprecision(17) << "ok " << ok << "\ntexts " << ::testing::PrintToString(messages.Texts());
    std::unordered_map<const KElement*, int> index;
    for (int i = 0; i < elements.Count(); ++i) index[&elements.At(i)] = i;
    auto at = [&index](const KElement* e) { return e ? index.at(e) : -1; };
    for (const auto& e : elements.All()) {
        out << "\n"
            << e->IDNumber() << " parent " << e->ParentModule() << " selected " << e->selected;
        if (e->IsWire()) {
            const auto& w = static_cast<const KWire&>(*e);
            out << " net " << w.net << " ends " << at(w.StartBlockPtr()) << "/"
                << w.StartBlockNode() << " " << at(w.EndBlockPtr()) << "/" << w.EndBlockNode();
            continue;
        }
        const auto& b = static_cast<const KBlock&>(*e);
        out << " computed " << b.IsComputed() << " nodes";
        for (const KNode& n : b.Nodes()) {
            out << " " << n.netLink << (n.sourceFlag ? "s" : "");
            if (n.IsReference()) out << "=" << n.value;
        }
    }
    out << "\nnets";
    for (const KNet& n : compiled.nets) out << " " << at(n.sourceBlock) << "/" << n.sourceNode;
    out << "\nordered";
    for (const KBlock* b : compiled.ordered) out << " " << at(b);
    for (const auto* bindings : {&compiled.controllerOf, &compiled.excelFileOf}) {
        std::vector<std::pair<int, int>> sorted;
        for (const auto& [b, target] : *bindings) sorted.push_back({at(b), at(target)});
        std::sort(sorted.begin(), sorted.end());
        out << "\nbindings " << ::testing::PrintToString(sorted);
    }
    out << "\nfault blocks";
    for (const KBlock* b : compiled.faultBlocks) out << " " << at(b);
    out << "\nfault wires";
    for (const KWire* w : compiled.faultWires) out << " " << at(w);
    return out.str();
}

// A failure message cut before its first line break or number, to count
// failures by kind.
std::string Outcome(const std::string& text) {
    return text.substr(0, std::min(text.find('\n'), text.find_first_of("0123456789")));
}

// One model, two copies: one for the real steps, one for the plain ones.
struct Twin {
    KMessageRecorder messages;
    KElements elements{messages};
    KCompiled compiled;
    KMessageRecorder literalMessages;
    KElements literal{literalMessages};
    KCompiled literalCompiled;
};

TEST(CompileEquivalenceTest, NetsAndOrderMatchThePlainProcedure) {
    constexpr std::uint32_t kModels = 4000;
    int netsBuilt = 0, ordered = 0, orderFailed = 0;
    std::map<std::string, int> netOutcomes;
    for (std::uint32_t seed = 1; seed <= kModels; ++seed) {
        Twin t;
        Dice dice(seed);
        Recipe recipe = TopRecipe(dice, 0, 24, seed % 2 ? 100 : 60, {});
        Build(recipe, t.elements, t.messages, nullptr);
        Build(recipe, t.literal, t.literalMessages, nullptr);
        Disguise(t.elements, seed);
        Disguise(t.literal, seed);
        t.messages.Clear();
        t.literalMessages.Clear();
        bool ok = BuildNets(t.elements, t.compiled, t.messages);
        bool literalOk =
            literal_compile::BuildNets(t.literal, t.literalCompiled, t.literalMessages);
        ASSERT_EQ(Take(t.elements, t.compiled, t.messages, ok),
                  Take(t.literal, t.literalCompiled, t.literalMessages, literalOk))
            << "nets differ for seed " << seed;
        netOutcomes[ok ? "built" : Outcome(t.messages.Last().text)] += 1;
        if (!ok) continue;
        ++netsBuilt;
        PrepareOrdering(t.elements, t.compiled, seed);
        PrepareOrdering(t.literal, t.literalCompiled, seed);
        ok = OrderBlocks(t.elements, t.compiled, t.messages);
        literalOk = literal_compile::OrderBlocks(t.literal, t.literalCompiled, t.literalMessages);
        ASSERT_EQ(Take(t.elements, t.compiled, t.messages, ok),
                  Take(t.literal, t.literalCompiled, t.literalMessages, literalOk))
            << "order differs for seed " << seed;
        (ok ? ordered : orderFailed) += 1;
    }
    std::printf("[ figures  ] %u models: nets built %d, ordered %d, unorderable %d\n", kModels,
                netsBuilt, ordered, orderFailed);
    for (const auto& [outcome, count] : netOutcomes)
        std::printf("[ figures  ]   nets: %-70.70s %d\n", outcome.c_str(), count);
    // The generator must reach every outcome, or the comparison proves little.
    EXPECT_GT(ordered, 500);
    EXPECT_GT(orderFailed, 100);
    EXPECT_GE(netOutcomes.size(), 5u);
}

TEST(CompileEquivalenceTest, WholeCompileWithModulesMatchesThePlainProcedure) {
    constexpr std::uint32_t kModels = 1000;
    constexpr int kFiles = 3;
    ModuleFolder folder;
    int compiled = 0, instances = 0;
    std::map<std::string, int> failures;
    for (std::uint32_t seed = 1; seed <= kModels; ++seed) {
        Dice dice(seed);
        Interfaces interfaces;
        // Last file first: a file only holds module blocks of later files.
        for (int j = kFiles - 1; j >= 0; --j)
            folder.Write(FileName(j), ModuleText(ModuleRecipe(dice, j, kFiles, interfaces)));
        Recipe recipe = TopRecipe(dice, kFiles, 8, 92, interfaces);
        Twin t;
        Build(recipe, t.elements, t.messages, &folder);
        Build(recipe, t.literal, t.literalMessages, &folder);
        t.messages.Clear();
        t.literalMessages.Clear();
        KCompileOptions options;
        options.modules = &folder.Finder();
        t.compiled = CompileModel(t.elements, options, t.messages);
        t.literalCompiled =
            literal_compile::CompileModel(t.literal, &folder.Finder(), t.literalMessages);
        const bool ok = t.compiled.Ok();
        const std::string first = Take(t.elements, t.compiled, t.messages, ok);
        ASSERT_EQ(first,
                  Take(t.literal, t.literalCompiled, t.literalMessages, t.literalCompiled.Ok()))
            << "compile differs for seed " << seed;
        // Compiling again starts from the previous expansion and ends the same.
        t.messages.Clear();
        const KCompiled again = CompileModel(t.elements, options, t.messages);
        ASSERT_EQ(first, Take(t.elements, again, t.messages, again.Ok()))
            << "recompile, seed " << seed;
        if (ok) {
            ++compiled;
            instances += t.compiled.instanceCount;
        } else {
            failures[Outcome(t.messages.Last().text)] += 1;
        }
    }
    std::printf("[ figures  ] %u models with modules: compiled %d (%d instances)\n", kModels,
                compiled, instances);
    for (const auto& [outcome, count] : failures)
        std::printf("[ figures  ]   failed: %-60.60s %d\n", outcome.c_str(), count);
    EXPECT_GT(compiled, 150);
}

}  // namespace
}  // namespace korvel
