// A node of a block: one input, output, parameter or text of the block.
//
// What a node is (name, role, edge, position, units, default, value kind,
// choice list) comes from its descriptor in the block type table, or from the
// module file for a custom module block. The node itself holds what changes:
// its value, the wiring flags, the ordering flag and, for the kinds that hold
// text, its text payload. Texts are kept out of line so that the many plain
// numeric nodes of a large model stay small.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/blocktype.h"

namespace korvel {

// One preset button of the signal analyzer.
struct KDsaButton {
    bool used = false;
    std::string name;
    int outputVariable = -1;  // IDNumber of the button's output Variable
    int inputVariable = -1;   // IDNumber of the button's input Variable
};

inline constexpr int kDsaButtonCount = 10;
using KDsaButtons = std::array<KDsaButton, kDsaButtonCount>;

class KNode {
public:
    explicit KNode(const KNodeDescriptor& descriptor);
    KNode(const KNode& other);
    KNode& operator=(const KNode& other);
    KNode(KNode&&) noexcept = default;
    KNode& operator=(KNode&&) noexcept = default;
    ~KNode();

    const KNodeDescriptor& Descriptor() const { return *descriptor_; }
    // Points the node at another descriptor of the same shape (a copied
    // custom module block owns its own descriptors).
    void Rebind(const KNodeDescriptor& descriptor) { descriptor_ = &descriptor; }

    std::string_view Name() const { return descriptor_->name; }
    std::string_view Units() const { return descriptor_->units; }
    KRole Role() const { return descriptor_->role; }
    KEdge Edge() const { return descriptor_->edge; }
    int Position() const { return descriptor_->position; }
    int Ordinal() const { return descriptor_->ordinal; }
    KValueKind Kind() const { return descriptor_->kind; }
    double DefaultValue() const { return descriptor_->defaultValue; }
    std::span<const std::string_view> Choices() const { return descriptor_->choices; }

    // Role predicates.
    bool IsInput() const {
        return (Role() == KRole::In || Role() == KRole::MatedIn) && !sourceFlag;
    }
    bool IsOutput() const {
        return Role() == KRole::Out || Role() == KRole::StateOut || Role() == KRole::Out4;
    }
    bool IsSource() const { return IsOutput() || sourceFlag; }
    bool IsStateOutput() const { return Role() == KRole::StateOut; }
    bool IsValueOnly() const {
        return Role() == KRole::Value || Role() == KRole::Doc || Role() == KRole::Prog;
    }
    bool IsSavedValue() const { return Role() != KRole::Out && Role() != KRole::StateOut; }
    bool IsDocumentation() const { return Role() == KRole::Doc; }
    bool IsProgram() const { return Role() == KRole::Prog; }
    bool IsDctlNode() const { return Kind() == KValueKind::DctlRef; }
    bool IsExcelFileNode() const { return Kind() == KValueKind::ExcelRef; }
    bool IsVarNode() const { return Kind() == KValueKind::VarRef; }
    // Kinds whose value is the IDNumber of another element (-1 for none).
    bool IsReference() const { return IsVarNode() || IsDctlNode() || IsExcelFileNode(); }
    // Kinds whose content is text rather than the value.
    bool HoldsText() const;
    bool HasText() const { return (IsDocumentation() || IsProgram()) && !Text().empty(); }

    double value = 0.0;
    bool connected = false;   // a wire ends on this node
    bool sourceFlag = false;  // an input that acts as a signal source
    bool ready = true;        // ordering: value known
    int netLink = -1;         // index of the node's net after compiling, -1 for none

    // Text of text, file name, documentation and program nodes.
    const std::string& Text() const;
    void SetText(std::string text);
    // Entries of a string list node.
    const std::vector<std::string>& Strings() const;
    void SetStrings(std::vector<std::string> strings);
    // Buttons of the signal analyzer's button setup node.
    const KDsaButtons& Buttons() const;
    void SetButtons(const KDsaButtons& buttons);

    // The text of a choice node's current value, or empty when out of range.
    std::string_view ChoiceText() const;

private:
    struct Payload {
        std::string text;
        std::vector<std::string> strings;
        std::unique_ptr<KDsaButtons> buttons;
    };
    Payload& EnsurePayload();

    const KNodeDescriptor* descriptor_;
    std::unique_ptr<Payload> payload_;
};

// The entries a new string list node starts with.
std::vector<std::string> DefaultStringList();

}  // namespace korvel
