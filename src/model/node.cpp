#include "model/node.h"

namespace korvel {

KNode::KNode(const KNodeDescriptor& descriptor)
    : value(descriptor.defaultValue), descriptor_(&descriptor) {
    if (descriptor.kind == KValueKind::StringList) SetStrings(DefaultStringList());
}

KNode::KNode(const KNode& other)
    : value(other.value),
      connected(other.connected),
      sourceFlag(other.sourceFlag),
      ready(other.ready),
      netLink(other.netLink),
      descriptor_(other.descriptor_) {
    if (!other.payload_) return;
    payload_ = std::make_unique<Payload>();
    payload_->text = other.payload_->text;
    payload_->strings = other.payload_->strings;
    if (other.payload_->buttons)
        payload_->buttons = std::make_unique<KDsaButtons>(*other.payload_->buttons);
}

KNode& KNode::operator=(const KNode& other) {
    if (this != &other) {
        KNode copy(other);
        *this = std::move(copy);
    }
    return *this;
}

KNode::~KNode() = default;

bool KNode::HoldsText() const {
    switch (Kind()) {
        case KValueKind::Text:
        case KValueKind::FileName:
        case KValueKind::Documentation:
        case KValueKind::Program:
            return true;
        default:
            return false;
    }
}

KNode::Payload& KNode::EnsurePayload() {
    if (!payload_) payload_ = std::make_unique<Payload>();
    return *payload_;
}

const std::string& KNode::Text() const {
    static const std::string kEmpty;
    return payload_ ? payload_->text : kEmpty;
}

void KNode::SetText(std::string text) {
    if (text.empty() && !payload_) return;
    EnsurePayload().text = std::move(text);
}

const std::vector<std::string>& KNode::Strings() const {
    static const std::vector<std::string> kEmpty;
    return payload_ ? payload_->strings : kEmpty;
}

void KNode::SetStrings(std::vector<std::string> strings) {
    EnsurePayload().strings = std::move(strings);
}

const KDsaButtons& KNode::Buttons() const {
    static const KDsaButtons kUnused{};
    return payload_ && payload_->buttons ? *payload_->buttons : kUnused;
}

void KNode::SetButtons(const KDsaButtons& buttons) {
    EnsurePayload().buttons = std::make_unique<KDsaButtons>(buttons);
}

std::string_view KNode::ChoiceText() const {
    // The range is checked on the double: converting a value beyond the
    // integer range (or not a number) to an index is undefined.
    if (Kind() != KValueKind::Choice) return {};
    if (!(value >= 0.0 && value < static_cast<double>(Choices().size()))) return {};
    return Choices()[static_cast<std::size_t>(value)];
}

std::vector<std::string> DefaultStringList() {
    return {"Entry1", "Entry2", "Entry3"};
}

}  // namespace korvel
