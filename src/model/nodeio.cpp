#include "model/nodeio.h"

#include <cmath>

#include "base/messages.h"
#include "base/numberformat.h"
#include "model/block.h"
#include "model/lineio.h"
#include "model/node.h"

namespace korvel {

namespace {

std::string BoolText(bool b) {
    return b ? "True" : "False";
}

void WriteButtons(KLineWriter& writer, const KNode& node) {
    std::vector<std::string> fields;
    fields.reserve(1 + 4 * kDsaButtonCount);
    fields.push_back(std::to_string(kDsaButtonCount));
    for (const KDsaButton& b : node.Buttons()) {
        fields.push_back(BoolText(b.used));
        fields.push_back(EscapeString(b.name));
        fields.push_back(std::to_string(b.outputVariable));
        fields.push_back(std::to_string(b.inputVariable));
    }
    writer.WriteFields(fields, EscapeString(node.Name()));
}

void WarnDefault(KNode& node, const KBlock& block, std::string_view valueText, Messages& messages) {
    messages.WarningBox("Node \"" + std::string(node.Name()) + "\" of " + block.userString +
                        " holds " + std::string(valueText) +
                        ", which is out of its range; its default " +
                        FormatFileDouble(node.DefaultValue()) + " is used.");
    node.value = node.DefaultValue();
}

bool IsWhole(double v) {
    return std::isfinite(v) && v == std::floor(v);
}

// Keeps a number read from a file inside what its node can hold.
void CheckRange(KNode& node, const KBlock& block, const std::string& text, Messages& messages) {
    double v = node.value;
    switch (node.Kind()) {
        case KValueKind::Choice:
            if (!IsWhole(v) || v < 0 || v >= static_cast<double>(node.Choices().size()))
                WarnDefault(node, block, text, messages);
            return;
        case KValueKind::StringPick:
            if (!IsWhole(v) || v < 0) WarnDefault(node, block, text, messages);
            return;
        case KValueKind::VarRef:
        case KValueKind::DctlRef:
        case KValueKind::ExcelRef:
            if (!IsWhole(v) || v < -1 || v > 2147483647.0) WarnDefault(node, block, text, messages);
            return;
        default:
            // A module interface block's position places a node on the module
            // block; it must be a number the geometry can use.
            if (block.IsCustomInterface() && node.Name() == "Position" && !std::isfinite(v))
                WarnDefault(node, block, text, messages);
            return;
    }
}

bool ReadOneField(KNode& node, const std::vector<std::string>& fields, const std::string& raw,
                  const KBlock& block, Messages& messages) {
    if (fields.size() != 2) {
        messages.ErrorBox("Bad number tokens in " + raw);
        return false;
    }
    if (node.HoldsText()) {
        node.SetText(UnescapeString(fields[0]));
        return true;
    }
    std::optional<double> v = ParseFileDouble(fields[0]);
    if (!v) {
        messages.ErrorBox("Bad number in " + raw);
        return false;
    }
    node.value = *v;
    CheckRange(node, block, fields[0], messages);
    return true;
}

bool ReadButtons(KNode& node, const std::vector<std::string>& fields, Messages& messages) {
    std::optional<int> count = ParseInteger(fields.front());
    if (!count || *count < 1) {
        messages.ErrorBox("Fault in KNodeDSAButton :: LoadNodeFromFile:  NumberButtons < 1");
        return false;
    }
    if (fields.size() != 4 * static_cast<std::size_t>(*count) + 2) {
        messages.ErrorBox("Fault in KNodeDSAButton :: LoadNodeFromFile:  Wrong number tokens");
        return false;
    }
    if (*count > kDsaButtonCount)
        messages.WarningBox("More buttons than DSA can support.  Some buttons will not be used.");
    KDsaButtons buttons{};
    int used = std::min(*count, kDsaButtonCount);
    bool anyUsed = false;
    for (int i = 0; i < used; ++i) {
        const std::string* f = &fields[1 + 4 * static_cast<std::size_t>(i)];
        KDsaButton& b = buttons[static_cast<std::size_t>(i)];
        if (f[0] != "True" && f[0] != "False") {
            messages.ErrorBox("Fault in KNodeDSAButton :: LoadNodeFromFile:  Bad button flag");
            return false;
        }
        std::optional<int> out = ParseInteger(f[2]);
        std::optional<int> in = ParseInteger(f[3]);
        if (!out || !in) {
            messages.ErrorBox("Fault in KNodeDSAButton :: LoadNodeFromFile:  Bad button variable");
            return false;
        }
        b.used = f[0] == "True";
        b.name = UnescapeString(f[1]);
        b.outputVariable = *out;
        b.inputVariable = *in;
        anyUsed = anyUsed || b.used;
    }
    node.SetButtons(buttons);
    node.value = anyUsed ? 0.0 : -1.0;
    return true;
}

}  // namespace

void WriteNodeValue(KLineWriter& writer, const KNode& node) {
    std::string keyword = EscapeString(node.Name());
    switch (node.Kind()) {
        case KValueKind::Text:
        case KValueKind::FileName:
        case KValueKind::Documentation:
        case KValueKind::Program:
            writer.WriteString(node.Text(), keyword);
            return;
        case KValueKind::StringList: {
            std::vector<std::string> entries;
            entries.reserve(node.Strings().size());
            for (const std::string& s : node.Strings()) entries.push_back(EscapeString(s));
            writer.WriteFields(entries, keyword);
            return;
        }
        case KValueKind::DsaButtons:
            WriteButtons(writer, node);
            return;
        default:
            writer.WriteDouble(node.value, keyword);
            return;
    }
}

bool ReadNodeValue(KNode& node, const std::vector<std::string>& fields, const std::string& raw,
                   const KBlock& block, Messages& messages) {
    switch (node.Kind()) {
        case KValueKind::StringList: {
            std::vector<std::string> entries;
            entries.reserve(fields.size() - 1);
            for (std::size_t i = 0; i + 1 < fields.size(); ++i)
                entries.push_back(UnescapeString(fields[i]));
            node.SetStrings(std::move(entries));
            return true;
        }
        case KValueKind::DsaButtons:
            return ReadButtons(node, fields, messages);
        default:
            return ReadOneField(node, fields, raw, block, messages);
    }
}

int StringListNodeIndex(const KBlock& block) {
    for (int i = 0; i < block.NodeCount(); ++i)
        if (block.Node(i).Kind() == KValueKind::StringList) return i;
    return -1;
}

void CheckStringPicks(KBlock& block, Messages& messages) {
    int list = StringListNodeIndex(block);
    if (list < 0) return;
    double size = static_cast<double>(block.Node(list).Strings().size());
    for (KNode& n : block.Nodes()) {
        if (n.Kind() != KValueKind::StringPick) continue;
        if (n.value < size || (size == 0 && n.value == 0)) continue;
        WarnDefault(n, block, FormatFileDouble(n.value), messages);
    }
}

}  // namespace korvel
