#include "app/dialogs/nodedialogs.h"

#include <functional>
#include <memory>
#include <optional>

#include "app/appmessages.h"
#include "app/diagramwindow.h"
#include "app/dialogs/initcmb.h"
#include "app/dialogs/initdouble.h"
#include "app/dialogs/initfile.h"
#include "app/dialogs/initinputmult.h"
#include "app/dialogs/initmemo.h"
#include "app/dialogs/initstring.h"
#include "app/dialogs/initstringcmb.h"
#include "app/modelsession.h"
#include "app/refusals.h"
#include "base/numberformat.h"
#include "base/texthelpers.h"
#include "engine/benchtop.h"
#include "engine/valuearena.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/node.h"
#include "model/placing.h"

namespace korvel {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

const KBlock* FindById(const KElements& elements, int id) {
    for (const auto& e : elements.All())
        if (e->IsBlock() && e->IDNumber() == id) return static_cast<const KBlock*>(e.get());
    return nullptr;
}

const KNode* StringListOf(const KBlock& block) {
    for (const KNode& n : block.Nodes())
        if (n.Kind() == KValueKind::StringList) return &n;
    return nullptr;
}

QStringList ToQ(const std::vector<std::string>& strings) {
    QStringList list;
    for (const std::string& s : strings) list.push_back(Q(s));
    return list;
}

// A reference node's pick: the chosen name back to the block's IDNumber.
std::optional<double> PickReference(TKDiagramF& window, const KNode& node, bool editable,
                                    QPoint where) {
    KAppMessages& messages = window.AppMessages();
    const KElements& elements = window.Session().Elements();
    const QStringList names = ReferenceNames(elements, node);
    const char* none = node.IsVarNode()    ? "Must have at least one variable to set this node"
                       : node.IsDctlNode() ? "Must have at least one Digital Controller to set this node"
                                           : "Must have at least one Excel File block to set this node";
    const char* logic = node.IsVarNode()    ? "Logic Error = KNodeVar :: InitValue"
                        : node.IsDctlNode() ? "Logic Error = KNodeDctl :: InitValue"
                                            : "Logic Error = KNodeExcelCOM :: InitValue";
    if (names.isEmpty()) {
        messages.ErrorBox(none);
        return std::nullopt;
    }
    int index = -1;
    if (const KBlock* current = FindById(elements, static_cast<int>(node.value)))
        index = names.indexOf(Q(current->userString));
    TKInitCmBF dialog(&window, editable, where, node.Name(), node.Units(), names, index, messages);
    if (dialog.exec() != QDialog::Accepted || !editable) return std::nullopt;
    const std::string chosen = names[dialog.Index()].toStdString();
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        const auto& b = static_cast<const KBlock&>(*e);
        if (RefersTo(node, b) && b.userString == chosen) return b.IDNumber();
    }
    messages.ErrorBox(logic);
    return std::nullopt;
}

// The change as the node will take it, or nothing when the user made none.
using Change = std::function<void(KNode&)>;

Change AskNumber(TKDiagramF& window, const KNode& node, bool editable, QPoint where) {
    const KValueKind kind = node.Kind();
    std::unique_ptr<TKInitDoubleF> dialog;
    if (kind == KValueKind::Mult || kind == KValueKind::DisplayMult)
        dialog = std::make_unique<TKInitInputMultF>(&window, editable, where, node.Name(),
                                                    node.Units(), node.value,
                                                    kind == KValueKind::Mult, window.AppMessages());
    else
        dialog = std::make_unique<TKInitDoubleF>(&window, editable, where, node.Name(),
                                                 node.Units(), node.value, window.AppMessages());
    if (dialog->exec() != QDialog::Accepted || !editable) return {};
    const double v = dialog->Value();
    if (v == node.value) return {};
    return [v](KNode& n) { n.value = v; };
}

Change AskByKind(TKDiagramF& window, KBlock& block, const KNode& node, bool editable,
                 QPoint where) {
    KAppMessages& messages = window.AppMessages();
    switch (node.Kind()) {
        case KValueKind::Double:
        case KValueKind::Mult:
        case KValueKind::DisplayMult: return AskNumber(window, node, editable, where);
        case KValueKind::Choice:
        case KValueKind::StringPick: {
            QStringList entries;
            if (node.Kind() == KValueKind::Choice) {
                for (std::string_view c : node.Choices()) entries.push_back(Q(c));
            } else if (const KNode* list = StringListOf(block)) {
                entries = ToQ(list->Strings());
            }
            if (entries.isEmpty()) {
                messages.ErrorBox("Call to TKInitCmBF :: TKInitCmBF with empty string list");
                return {};
            }
            TKInitCmBF dialog(&window, editable, where, node.Name(), node.Units(), entries,
                              static_cast<int>(node.value), messages);
            if (dialog.exec() != QDialog::Accepted || !editable) return {};
            const double v = dialog.Index();
            if (v == node.value) return {};
            return [v](KNode& n) { n.value = v; };
        }
        case KValueKind::VarRef:
        case KValueKind::DctlRef:
        case KValueKind::ExcelRef: {
            const std::optional<double> id = PickReference(window, node, editable, where);
            if (!id || *id == node.value) return {};
            return [v = *id](KNode& n) { n.value = v; };
        }
        case KValueKind::DsaButtons: {
            int variables = 0;
            for (const auto& e : window.Session().Elements().All())
                if (e->IsBlock() && static_cast<const KBlock&>(*e).IsVariable()) ++variables;
            if (variables < 2) {
                messages.ErrorBox("Must have at least two Variables to use a DSA");
                return {};
            }
            // The buttons' own set-up belongs to the signal analyzer's window.
            messages.NoteBox("The DSA buttons are set up in the signal analyzer's window.");
            return {};
        }
        case KValueKind::StringList: {
            QStringList entries = ToQ(node.Strings());
            if (entries.isEmpty()) {
                messages.WarningBox("String Constant " + block.userString +
                                    " empty.  \"Entry 1\" added to list.");
                entries.push_back("Entry 1");
            }
            TKInitStringCmBF dialog(&window, editable, where, node.Name(), node.Units(), entries,
                                    messages);
            if (dialog.exec() != QDialog::Accepted || !editable) return {};
            std::vector<std::string> strings;
            for (const QString& s : dialog.Entries()) strings.push_back(s.toStdString());
            if (strings == node.Strings()) return {};
            return [strings](KNode& n) { n.SetStrings(strings); };
        }
        case KValueKind::Text:
        case KValueKind::FileName: {
            QString value;
            if (node.Kind() == KValueKind::Text) {
                TKInitStringF dialog(&window, editable, where, node.Name(), node.Units(),
                                     Q(node.Text()));
                if (dialog.exec() != QDialog::Accepted || !editable) return {};
                value = dialog.Value();
            } else {
                const QString filter =
                    block.IsExcelFile() ? "Workbooks (*.xlsx *.xls)" : QString();
                TKInitFileF dialog(&window, editable, where, node.Name(), node.Units(),
                                   Q(node.Text()), filter);
                if (dialog.exec() != QDialog::Accepted || !editable) return {};
                value = dialog.Value();
            }
            std::string text = value.toStdString();
            if (text == node.Text()) return {};
            return [text](KNode& n) { n.SetText(text); };
        }
        case KValueKind::Documentation:
        case KValueKind::Program: {
            const KMemoKind kind = node.Kind() == KValueKind::Program ? KMemoKind::Program
                                                                       : KMemoKind::Documentation;
            TKInitMemoF dialog(&window, editable, where, node.Name(), node.Units(),
                               Q(node.Text()), kind);
            if (dialog.exec() != QDialog::Accepted || !editable) return {};
            std::string text = dialog.Text().toStdString();
            if (text == node.Text()) return {};
            return [text](KNode& n) { n.SetText(text); };
        }
    }
    return {};
}

}  // namespace

bool NodeEditable(const KBlock& block, const KNode& node, bool running) {
    if (node.IsOutput() || node.connected) return false;
    if (!running) return true;
    // A running model reads numbers from its nodes at every evaluation; texts,
    // lists and references were taken in when it was compiled.
    const KValueKind kind = node.Kind();
    const bool numeric = kind == KValueKind::Double || kind == KValueKind::Choice ||
                         kind == KValueKind::Mult || kind == KValueKind::DisplayMult;
    return numeric && (node.IsInput() || block.IsLiveAdjustable());
}

QStringList ReferenceNames(const KElements& elements, const KNode& node) {
    QStringList names;
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        const auto& b = static_cast<const KBlock&>(*e);
        if (RefersTo(node, b)) names.push_back(Q(b.userString));
    }
    return names;
}

std::string NodeTypeText(const KNode& node) {
    std::string role = node.IsOutput()          ? "Output"
                       : node.IsDocumentation() ? "Documentation"
                       : node.IsProgram()       ? "Program"
                       : node.IsValueOnly()     ? "Value"
                                                : "Input";
    static constexpr const char* kKinds[] = {
        "number",    "multiplier", "display multiplier", "choice",    "variable",
        "controller", "DSA buttons", "string list",      "string pick", "text",
        "file name", "Excel File",  "text",               "text"};
    const auto k = static_cast<std::size_t>(node.Kind());
    return role + ", " + (k < std::size(kKinds) ? kKinds[k] : "?");
}

std::string NodeDisplayText(const KElements& elements, const KBlock& block, const KNode& node) {
    switch (node.Kind()) {
        case KValueKind::Double:
        case KValueKind::Mult:
        case KValueKind::DisplayMult: return FormatNumber(node.value);
        case KValueKind::Choice: return std::string(node.ChoiceText());
        case KValueKind::VarRef:
        case KValueKind::DctlRef:
        case KValueKind::ExcelRef: {
            const KBlock* b = FindById(elements, static_cast<int>(node.value));
            return b != nullptr ? b->userString : "(none)";
        }
        case KValueKind::DsaButtons: {
            int used = 0;
            for (const KDsaButton& b : node.Buttons()) used += b.used ? 1 : 0;
            return std::to_string(used) + " buttons";
        }
        case KValueKind::StringList: {
            std::string joined;
            for (const std::string& s : node.Strings()) joined += (joined.empty() ? "" : ", ") + s;
            return joined;
        }
        case KValueKind::StringPick: {
            const KNode* list = StringListOf(block);
            const auto i = static_cast<std::size_t>(node.value);
            if (list != nullptr && node.value >= 0 && i < list->Strings().size())
                return list->Strings()[i];
            return FormatNumber(node.value);
        }
        case KValueKind::Text:
        case KValueKind::FileName: return node.Text();
        case KValueKind::Documentation:
        case KValueKind::Program: {
            const std::string& t = node.Text();
            const std::size_t end = t.find('\n');
            return end == std::string::npos ? t : t.substr(0, end) + " ...";
        }
    }
    return {};
}

bool EditNode(TKDiagramF& window, KBlock& block, int nodeIndex, QPoint screenPoint) {
    KNode* node = block.GetNodeP(nodeIndex, window.AppMessages());
    if (node == nullptr) return false;
    const bool running = window.IsRunning();
    const bool editable = NodeEditable(block, *node, running);
    const Change change = AskByKind(window, block, *node, editable, screenPoint);
    if (!change) return false;
    // The node is found again by index: the dialog ran an event loop.
    if (running) {
        change(*node);
        // The run reads its inputs from the value arena, filled from the
        // nodes when it was built: the new value goes there too, so the next
        // evaluation sees it without a recompile.
        if (KBenchTop* bench = window.Session().BenchTop()) {
            const int slot = bench->Arena().SlotOf(*node);
            if (slot >= 0) bench->Arena()[static_cast<std::size_t>(slot)] = node->value;
        }
        window.LiveAdjusted();
        return true;
    }
    return window.Edit(kRefuseChange, [&] { change(*node); });
}

bool EditUserString(TKDiagramF& window, KBlock& block, QPoint screenPoint) {
    TKInitStringF dialog(&window, !window.IsRunning(), screenPoint, "Name", {},
                         Q(block.userString), "User String", "User String");
    if (dialog.exec() != QDialog::Accepted || window.IsRunning()) return false;
    std::string name = dialog.Value().toStdString();
    if (block.IsVariable()) {
        if (name.empty()) {
            window.AppMessages().ErrorMessage(1100, "Variable cannot be named with a null string.",
                                              "Rename variable.");
            return false;
        }
        name = ReplaceCommas(name);
    }
    if (name == block.userString) return false;
    return window.Edit(kRefuseChange, [&] { block.userString = name; });
}

}  // namespace korvel
