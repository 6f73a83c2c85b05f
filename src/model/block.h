// KBlock: a block placed on a page, made from one record of the block type
// table. A block owns its nodes, built from the record's node descriptors in
// descriptor order; wires name a node by its index in that array.
//
// Geometry: X, Y is the body's top-left corner in page pixels, snapped to the
// 10-pixel grid by the editor. A node sits on one edge at its position;
// HorizSwap exchanges left and right, VertSwap top and bottom.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/blocktype.h"
#include "model/element.h"
#include "model/node.h"

namespace korvel {

class Messages;

struct KPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const KPoint&, const KPoint&) = default;
};

class KBlock : public KElement {
public:
    // A block of a type number; nodes are built at once (see CreateNodes).
    // The number must name a type (see FindBlockType); use MakeBlock to
    // create from untrusted numbers.
    explicit KBlock(int type, int idNumber = -1, int page = 0);

    const KBlockType& TypeRecord() const { return *record_; }
    std::string_view GetTypeTag() const { return record_->tag; }
    virtual std::string_view GetTypeName() const { return record_->displayName; }

    bool IsBlock() const override { return true; }
    bool Has(KTrait t) const { return record_->Has(t); }

    // The descriptors nodes are built from: the type's, or a module's own.
    virtual std::span<const KNodeDescriptor> NodeDescriptors() const { return record_->nodes; }
    // Discards the nodes and builds one node per descriptor with its default.
    void CreateNodes();

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    KNode& Node(int index) { return nodes_[static_cast<std::size_t>(index)]; }
    const KNode& Node(int index) const { return nodes_[static_cast<std::size_t>(index)]; }
    std::span<KNode> Nodes() { return nodes_; }
    std::span<const KNode> Nodes() const { return nodes_; }
    // The node at an index, or nullptr after "Bad node number in GetNodeP".
    KNode* GetNodeP(int index, Messages& messages);
    // The node of that name (case-sensitive), or nullptr.
    KNode* FindNode(std::string_view name);
    const KNode* FindNode(std::string_view name) const;
    int NodeIndex(std::string_view name) const;
    int NodeIndex(const KNode* node) const;

    // The node's edge after flips; -1 after the out-of-range message.
    int LocateNodeEdge(int index, Messages& messages) const;
    KEdge NodeEdge(int index) const;
    // The node's point on the body outline.
    KPoint NodePoint(int index) const;
    // The node whose hot zone holds the point on the block's page, or -1.
    int FindNodeAt(int page, int x, int y) const;

    void FlipHorizontal() { horizSwap = !horizSwap; }
    void FlipVertical() { vertSwap = !vertSwap; }

    // Places a new block: snaps to the grid, builds the nodes, selects it.
    void Initialize(int idNumber, int page, int x, int y);
    // Moves by the grid-snapped distance and clamps to the page; sets the
    // clamped flag when it had to clamp.
    void MoveBy(int dx, int dy, int pageWidth, int pageHeight);
    void SetPosition(int x, int y) {
        x_ = x;
        y_ = y;
    }

    // Fills this (new) block from a copied one, giving it a new number.
    virtual void CopyFrom(const KBlock& source, int newIDNumber);

    int X() const { return x_; }
    int Y() const { return y_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height) {
        width_ = width;
        height_ = height;
    }

    // Body and label hit tests and extents.
    bool BodyContains(int x, int y) const;
    KRect LabelRect() const;
    bool LabelContains(int x, int y) const { return LabelRect().Contains(x, y); }
    KRect Bounds() const override { return {x_, y_, x_ + width_, y_ + height_}; }
    int ExtentTop() const { return y_ - 10; }
    int ExtentBottom() const { return LabelRect().bottom + 10; }
    int ExtentLeft() const;
    int ExtentRight() const;
    int BodyLeft() const { return x_ - 10; }
    int BodyRight() const { return x_ + width_ + 10; }

    // Ordering flags. ClearComputed clears the block's flag and its nodes'
    // ready flags; ClearNetLinks forgets the nodes' nets.
    void ClearComputed();
    void ClearNetLinks();
    void SetComputed();
    bool IsComputed() const { return computed_; }
    void SetComputedFlagOnly(bool computed) { computed_ = computed; }

    // Kind predicates, from the type record.
    bool IsLiveAdjustable() const { return Has(kTraitLiveAdjustable); }
    bool IsLiveControl() const { return Has(kTraitLiveControl); }
    bool IsLiveConstant() const { return Has(kTraitLiveConstant); }
    bool IsCustomInput() const { return Has(kTraitCustomInput); }
    bool IsCustomOutput() const { return Has(kTraitCustomOutput); }
    bool IsCustomModule() const { return Has(kTraitCustomModule); }
    bool IsCustomInterface() const { return Has(kTraitCustomInterface); }
    bool NeedsDigitalController() const { return Has(kTraitNeedsDctl); }
    bool IsDigitalController() const { return Has(kTraitDctl); }
    bool IsDsa() const { return Has(kTraitDsa); }
    bool IsExcelFile() const { return Has(kTraitExcelFile); }
    bool NeedsExcelFile() const { return Has(kTraitNeedsExcelFile); }
    bool IsExtender() const { return Has(kTraitExtender); }
    bool IsScope() const { return Has(kTraitScope); }
    bool IsInstrument() const { return Has(kTraitInstrument); }
    bool IsSolver() const { return Has(kTraitSolver); }
    bool IsStringConstant() const { return Has(kTraitStringConstant); }
    bool IsVariable() const { return Has(kTraitVariable); }
    bool IsLiveScope() const { return Has(kTraitLiveScope); }
    bool IsComputedLast() const { return Has(kTraitComputedLast); }
    bool HasProgram() const { return Has(kTraitProgram); }

    std::string userString;
    bool horizSwap = false;
    bool vertSwap = false;
    int labelWidth = 0;
    int labelHeight = 0;
    // Set when the block's run-time object reported an error in the last run.
    bool runFailed = false;

protected:
    std::vector<KNode> nodes_;

private:
    const KBlockType* record_;
    int x_ = 0;
    int y_ = 0;
    int width_;
    int height_;
    bool computed_ = true;
};

// A new block of a type number (a KCustMod for the custom module type), or
// nullptr when the number names no type.
std::unique_ptr<KBlock> MakeBlock(int type);

// Names of the choices of an edge node ("Left", "Top", "Right", "Bottom").
std::string_view EdgeChoiceName(int choice);

}  // namespace korvel
