#include "model/block.h"

#include <algorithm>
#include <cassert>

#include "base/messages.h"
#include "model/custmod.h"

namespace korvel {

namespace {

// The node hot zone reaches from this far outside the edge...
constexpr int kHotOutside = 8;
// ...to this far inside it, and this far to either side of the position.
constexpr int kHotInside = 2;
constexpr int kHotAside = 4;
// Labels are hit-tested as at least this large.
constexpr int kMinLabelWidth = 20;
constexpr int kMinLabelHeight = 15;

KEdge Flipped(KEdge edge, bool horizSwap, bool vertSwap) {
    switch (edge) {
        case KEdge::Left:
            return horizSwap ? KEdge::Right : KEdge::Left;
        case KEdge::Right:
            return horizSwap ? KEdge::Left : KEdge::Right;
        case KEdge::Top:
            return vertSwap ? KEdge::Bottom : KEdge::Top;
        case KEdge::Bottom:
            return vertSwap ? KEdge::Top : KEdge::Bottom;
    }
    return edge;
}

}  // namespace

KBlock::KBlock(int type, int idNumber, int page)
    : KElement(type, idNumber, page), record_(FindBlockType(type)) {
    assert(record_ && "KBlock made from a type number that names no type");
    width_ = record_->width;
    height_ = record_->height;
    userString = std::string(record_->defaultName);
    CreateNodes();
}

void KBlock::CreateNodes() {
    nodes_.clear();
    auto descriptors = NodeDescriptors();
    nodes_.reserve(descriptors.size());
    for (const KNodeDescriptor& d : descriptors) nodes_.emplace_back(d);
}

KNode* KBlock::GetNodeP(int index, Messages& messages) {
    if (index < 0 || index >= NodeCount()) {
        messages.ErrorBox("Bad node number in GetNodeP");
        return nullptr;
    }
    return &Node(index);
}

int KBlock::NodeIndex(std::string_view name) const {
    for (int i = 0; i < NodeCount(); ++i)
        if (Node(i).Name() == name) return i;
    return -1;
}

int KBlock::NodeIndex(const KNode* node) const {
    if (nodes_.empty() || node < nodes_.data() || node >= nodes_.data() + nodes_.size()) return -1;
    return static_cast<int>(node - nodes_.data());
}

KNode* KBlock::FindNode(std::string_view name) {
    int i = NodeIndex(name);
    return i < 0 ? nullptr : &Node(i);
}

const KNode* KBlock::FindNode(std::string_view name) const {
    int i = NodeIndex(name);
    return i < 0 ? nullptr : &Node(i);
}

KEdge KBlock::NodeEdge(int index) const {
    return Flipped(Node(index).Edge(), horizSwap, vertSwap);
}

int KBlock::LocateNodeEdge(int index, Messages& messages) const {
    if (index < 0 || index >= NodeCount()) {
        messages.ErrorBox("Node parameter out of range in KBlock :: LocateNodeEdge");
        return -1;
    }
    int edge = static_cast<int>(Node(index).Edge());
    if (edge < 0 || edge > 3) {
        messages.ErrorBox("Bad logic in KBlock :: LocateNodeEdge");
        return -1;
    }
    return static_cast<int>(NodeEdge(index));
}

KPoint KBlock::NodePoint(int index) const {
    int pos = Node(index).Position();
    switch (NodeEdge(index)) {
        case KEdge::Left:
            return {x_, y_ + pos};
        case KEdge::Right:
            return {x_ + width_, y_ + pos};
        case KEdge::Top:
            return {x_ + pos, y_};
        case KEdge::Bottom:
            return {x_ + pos, y_ + height_};
    }
    return {x_, y_};
}

int KBlock::FindNodeAt(int page, int x, int y) const {
    if (page != Page()) return -1;
    for (int i = 0; i < NodeCount(); ++i) {
        KPoint p = NodePoint(i);
        KRect zone;
        switch (NodeEdge(i)) {
            case KEdge::Left:
                zone = {p.x - kHotOutside, p.y - kHotAside, p.x + kHotInside, p.y + kHotAside};
                break;
            case KEdge::Right:
                zone = {p.x - kHotInside, p.y - kHotAside, p.x + kHotOutside, p.y + kHotAside};
                break;
            case KEdge::Top:
                zone = {p.x - kHotAside, p.y - kHotOutside, p.x + kHotAside, p.y + kHotInside};
                break;
            case KEdge::Bottom:
                zone = {p.x - kHotAside, p.y - kHotInside, p.x + kHotAside, p.y + kHotOutside};
                break;
        }
        // The zone's far sides are inclusive: "from 8 outside to 2 inside".
        if (x >= zone.left && x <= zone.right && y >= zone.top && y <= zone.bottom) return i;
    }
    return -1;
}

void KBlock::Initialize(int idNumber, int page, int x, int y) {
    SetIDNumber(idNumber);
    SetPage(page);
    x_ = SnapToGrid(x);
    y_ = SnapToGrid(y);
    CreateNodes();
    clamped = false;
    selected = true;
}

void KBlock::MoveBy(int dx, int dy, int pageWidth, int pageHeight) {
    long long nx = static_cast<long long>(x_) + SnapToGrid(dx);
    long long ny = static_cast<long long>(y_) + SnapToGrid(dy);
    long long maxX = std::max(0, pageWidth - width_);
    long long maxY = std::max(0, pageHeight - height_);
    long long cx = std::clamp(nx, 0LL, maxX);
    long long cy = std::clamp(ny, 0LL, maxY);
    if (cx != nx || cy != ny) clamped = true;
    x_ = static_cast<int>(cx);
    y_ = static_cast<int>(cy);
}

void KBlock::CopyFrom(const KBlock& source, int newIDNumber) {
    SetIDNumber(newIDNumber);
    SetPage(source.Page());
    x_ = source.x_;
    y_ = source.y_;
    width_ = source.width_;
    height_ = source.height_;
    horizSwap = source.horizSwap;
    vertSwap = source.vertSwap;
    userString = source.userString;
    labelWidth = source.labelWidth;
    labelHeight = source.labelHeight;
    selected = source.selected;
    nodes_ = source.nodes_;
    // The copy's nodes belong to this block's descriptors (a module block
    // owns its own), and carry no wiring until wires are attached anew.
    auto descriptors = NodeDescriptors();
    for (std::size_t i = 0; i < nodes_.size() && i < descriptors.size(); ++i) {
        nodes_[i].Rebind(descriptors[i]);
        nodes_[i].connected = false;
        nodes_[i].netLink = -1;
    }
}

bool KBlock::BodyContains(int x, int y) const {
    return x >= x_ && x <= x_ + width_ && y >= y_ && y <= y_ + height_;
}

KRect KBlock::LabelRect() const {
    int w = std::max(labelWidth, kMinLabelWidth);
    int h = std::max(labelHeight, kMinLabelHeight);
    int centre = x_ + width_ / 2;
    int left = centre - w / 2;
    return {left, y_ + height_, left + w, y_ + height_ + h};
}

int KBlock::ExtentLeft() const {
    return std::min(x_ - 10, LabelRect().left - 10);
}

int KBlock::ExtentRight() const {
    return std::max(LabelRect().right + 10, x_ + width_ + 10);
}

void KBlock::ClearComputed() {
    // Net links stay: ordering reads them right after this clear.
    computed_ = false;
    for (KNode& n : nodes_) n.ready = false;
}

void KBlock::ClearNetLinks() {
    for (KNode& n : nodes_) n.netLink = -1;
}

void KBlock::SetComputed() {
    computed_ = true;
    for (KNode& n : nodes_) n.ready = true;
}

std::unique_ptr<KBlock> MakeBlock(int type) {
    if (!FindBlockType(type)) return nullptr;
    if (type == ktype::kCustMod) return std::make_unique<KCustMod>();
    return std::make_unique<KBlock>(type);
}

std::string_view EdgeChoiceName(int choice) {
    static constexpr std::string_view kNames[] = {"Left", "Top", "Right", "Bottom"};
    return choice >= 0 && choice < 4 ? kNames[choice] : std::string_view{};
}

}  // namespace korvel
