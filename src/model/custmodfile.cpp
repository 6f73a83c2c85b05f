#include "model/custmodfile.h"

#include <cmath>
#include <map>
#include <set>

#include "base/messages.h"
#include "base/numberformat.h"
#include "base/safefile.h"
#include "base/stepping.h"
#include "model/elements.h"
#include "model/lineio.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"

namespace korvel {

namespace {

// Names that would make a module block's node line read as a record line.
bool IsReservedNodeName(std::string_view name) {
    return name == "Start" || name == "IDNumber";
}

KEdge EdgeOfChoice(int choice) {
    switch (choice) {
        case 0:
            return KEdge::Left;
        case 1:
            return KEdge::Top;
        case 2:
            return KEdge::Right;
        default:
            return KEdge::Bottom;
    }
}

// The edge choice a node holds; a value no choice has (only a program, never
// a file or a dialog, can put one there) counts as the node's default.
int EdgeChoiceOf(const KNode& edge) {
    double v = edge.value;
    if (!(v >= 0 && v <= 3) || v != std::floor(v)) v = edge.DefaultValue();
    return static_cast<int>(v);
}

struct InterfaceKind {
    std::string_view tag;
    KRole role;
    KValueKind kind;
    int defaultEdgeChoice;
    bool hasInitialValue;
};

constexpr InterfaceKind kInterfaceKinds[] = {
    {"KCustInput", KRole::In, KValueKind::Double, 0, true},
    {"KCustOutput", KRole::MatedIn, KValueKind::Double, 2, false},
    {"KCustDoc", KRole::Doc, KValueKind::Documentation, 3, false},
    // A module's controller node names no controller until one is chosen.
    {"KCustDctl", KRole::Value, KValueKind::DctlRef, 1, false},
};

const InterfaceKind* FindInterfaceKind(std::string_view tag) {
    for (const InterfaceKind& k : kInterfaceKinds)
        if (k.tag == tag) return &k;
    return nullptr;
}

// Skips to the next line that is exactly a value and the keyword. A line of
// more fields never counts: a string list holding the entries "KCustInput"
// and "Start" must not read as the start of an interface block.
bool FindKeywordLine(KLineReader& reader, std::string_view keyword, std::string& value,
                     Messages& messages) {
    std::vector<std::string> fields;
    std::string raw;
    for (;;) {
        switch (reader.ReadLineFields(fields, raw)) {
            case KLineStatus::Line:
                if (fields.size() == 2 && fields[1] == keyword) {
                    value = std::move(fields[0]);
                    return true;
                }
                break;
            case KLineStatus::EndOfFile:
                return false;
            case KLineStatus::Failed:
                messages.ErrorBox(reader.ErrorText());
                return false;
        }
    }
}

bool SkipTo(KLineReader& reader, std::string_view keyword, std::string& value,
            std::string_view missing, Messages& messages) {
    if (FindKeywordLine(reader, keyword, value, messages)) return true;
    messages.ErrorBox(missing);
    return false;
}

// Reads the interface block whose "Start" line was just read.
bool ReadInterfaceBlock(KLineReader& reader, const InterfaceKind& kind, const std::string& fileName,
                        KModuleNode& node, Messages& messages) {
    std::string name, edge, position, initial;
    if (!SkipTo(reader, "UserString", name,
                "Error #1 in KCustMod :: LoadNodeArray--Expected UserString", messages) ||
        !SkipTo(reader, "Edge", edge, "Error #2 in KCustMod :: LoadNodeArray--Expecte Edge",
                messages) ||
        !SkipTo(reader, "Position", position,
                "Error #3 in KCustMod :: LoadNodeArray--Expected Position", messages))
        return false;
    if (kind.hasInitialValue &&
        !SkipTo(reader, "Initial Value", initial,
                "Error #4 in KCustMod :: LoadNodeArray--Expected Initial Value", messages))
        return false;
    node.name = UnescapeString(name);
    node.role = kind.role;
    node.kind = kind.kind;
    node.defaultValue = kind.kind == KValueKind::DctlRef ? -1.0 : 0.0;
    std::optional<double> e = ParseFileDouble(edge);
    int choice = kind.defaultEdgeChoice;
    if (e && *e >= 0 && *e <= 3 && *e == std::floor(*e)) {
        choice = static_cast<int>(*e);
    } else {
        messages.WarningBox("Custom module " + fileName + ": the Edge of \"" + node.name +
                            "\" is out of range; " + std::string(EdgeChoiceName(choice)) +
                            " is used.");
    }
    node.edge = EdgeOfChoice(choice);
    std::optional<double> p = ParseFileDouble(position);
    node.position = ModulePositionPixels(p && std::isfinite(*p) ? *p : 0.0);
    if (kind.hasInitialValue) {
        std::optional<double> v = ParseFileDouble(initial);
        node.defaultValue = v && std::isfinite(*v) ? *v : 0.0;
    }
    return true;
}

// Why an interface name cannot name a module node, or empty when it can.
std::string NameProblem(const std::string& name, std::set<std::string>& seen) {
    if (name.empty()) return "it has no name";
    if (IsReservedNodeName(name)) return "\"" + name + "\" is a word model files reserve";
    if (!seen.insert(name).second) return "another interface block has the same name";
    return {};
}

}  // namespace

KInterfacePlace InterfacePlace(const KBlock& block) {
    const KNode* edge = block.FindNode("Edge");
    const KNode* position = block.FindNode("Position");
    return {edge ? EdgeChoiceOf(*edge) : 0,
            ModulePositionPixels(position ? position->value : 0.0) / 10};
}

int ModulePositionPixels(double position) {
    // No number at all counts as the lowest place, not as undefined behaviour.
    double grid = std::isnan(position) ? 1.0 : Clamp(Round(position), 1.0, 20.0);
    return static_cast<int>(grid) * 10;
}

bool ReadModuleInterface(std::string text, const std::string& fileName,
                         std::vector<KModuleNode>& nodes, Messages& messages) {
    KLineReader reader(std::move(text));
    nodes.clear();
    std::set<std::string> seen;
    std::string tag;
    while (FindKeywordLine(reader, "Start", tag, messages)) {
        const InterfaceKind* kind = FindInterfaceKind(tag);
        if (!kind) continue;
        KModuleNode node;
        if (!ReadInterfaceBlock(reader, *kind, fileName, node, messages)) return false;
        if (std::string why = NameProblem(node.name, seen); !why.empty()) {
            messages.ErrorBox("Custom module " + fileName +
                              " cannot be used: the interface block " + "\"" + node.name + "\" (" +
                              tag + ") cannot name a node: " + why +
                              ". Open the module, rename the block and save it.");
            return false;
        }
        nodes.push_back(std::move(node));
    }
    if (!reader.ErrorText().empty()) return false;
    if (nodes.empty()) {
        messages.ErrorBox("No Custom Nodes in " + fileName);
        return false;
    }
    return true;
}

bool LoadNodeArray(KCustMod& block, const KModuleFinder* modules, Messages& messages) {
    std::optional<std::string> path;
    if (modules && !modules->Folders().empty()) {
        path = modules->Find(block.FileName(), messages);
    } else {
        messages.ErrorBox("Custom Module \"" + block.FileName() + "\" not found.");
    }
    if (!path) return false;
    std::string text, error;
    if (!ReadWholeFile(*path, text, error)) {
        messages.ErrorBox(error);
        return false;
    }
    DropByteOrderMark(text);
    std::vector<KModuleNode> nodes;
    if (!ReadModuleInterface(std::move(text), *path, nodes, messages)) return false;
    block.SetResolvedPath(*path);
    block.SetModuleNodes(std::move(nodes));
    return true;
}

bool CheckCustomModule(const KElements& elements, Messages& messages) {
    int outputs = 0;
    for (const auto& e : elements.All())
        if (e->IsBlock() && e->ParentModule() < 0 && static_cast<KBlock&>(*e).IsCustomOutput())
            ++outputs;
    if (outputs == 0) {
        messages.ErrorBox(
            "You must have at least one Custom Module Output block in a custom module.");
        return false;
    }
    std::map<std::pair<int, int>, const KBlock*> places;
    std::set<std::string> seen;
    for (const auto& e : elements.All()) {
        if (!e->IsBlock() || e->ParentModule() >= 0) continue;
        const auto& b = static_cast<const KBlock&>(*e);
        if (!b.IsCustomInterface()) continue;
        const KInterfacePlace place = InterfacePlace(b);
        if (!places.try_emplace({place.edgeChoice, place.grid}, &b).second) {
            messages.ErrorBox("Multiple Custom I/O on the " +
                              std::string(EdgeChoiceName(place.edgeChoice)) + " at Position " +
                              std::to_string(place.grid) + ".");
            return false;
        }
        if (std::string why = NameProblem(b.userString, seen); !why.empty()) {
            messages.ErrorBox(
                "The interface block \"" + b.userString + "\" (" + std::string(b.GetTypeTag()) +
                ") on page " + std::to_string(b.Page() + 1) +
                " cannot name a node of the module: " + why + ". Rename it before saving.");
            return false;
        }
    }
    return true;
}

}  // namespace korvel
