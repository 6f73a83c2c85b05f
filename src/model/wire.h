// KWire: a wire from a node of one block to a node of another on one page.
//
// An end is held as its block plus the node's index in that block's node
// array, never as a node pointer: a block may rebuild its node array (a
// custom module rereading its file), and an index survives that where a
// pointer would dangle. Blocks are owned by the collection, not by wires.
//
// Beside the pointers, each end keeps the numbers files store: the block's
// IDNumber and the node index. The file reader fills the numbers first and
// calls Connect once it has found the blocks.
//
// The route is the polyline from the start node's point to the end node's
// point; every segment is horizontal or vertical.
#pragma once

#include <vector>

#include "model/block.h"
#include "model/element.h"

namespace korvel {

class Messages;

class KWire : public KElement {
public:
    // A wire being drawn from a node: selected, open (no end), no route.
    KWire(int idNumber, int page, KBlock* startBlock, int startNode);
    // A wire without ends, for the file reader to fill in.
    KWire(int idNumber, int page);

    bool IsWire() const override { return true; }
    // The bounding box of the route.
    KRect Bounds() const override;

    // Ends. A node getter answers nullptr while that end is open or when the
    // index no longer names a node of the block.
    KBlock* StartBlockPtr() const { return startBlock_; }
    KBlock* EndBlockPtr() const { return endBlock_; }
    KNode* StartNode() const { return NodeOf(startBlock_, startBlockNode_); }
    KNode* EndNode() const { return NodeOf(endBlock_, endBlockNode_); }
    bool IsOpen() const { return EndNode() == nullptr; }

    // The numbers as files store them: IDNumbers of the end blocks (-1 when
    // none) and node indexes.
    int StartBlock() const { return startBlockNumber_; }
    int EndBlock() const { return endBlockNumber_; }
    int StartBlockNode() const { return startBlockNode_; }
    int EndBlockNode() const { return endBlockNode_; }
    void SetStartBlock(int idNumber) { startBlockNumber_ = idNumber; }
    void SetEndBlock(int idNumber) { endBlockNumber_ = idNumber; }
    void SetStartBlockNode(int index) { startBlockNode_ = index; }
    void SetEndBlockNode(int index) { endBlockNode_ = index; }

    // Whether either end (or a saved end of a reconnect) is on the block.
    bool AttachedTo(const KBlock& block) const;
    // Moves every end on oldBlock to the same node index of newBlock, marks
    // the new nodes connected and reroutes a wire with both ends.
    void ReplaceBlock(const KBlock* oldBlock, KBlock* newBlock);

    // Finishes drawing (or reconnecting) on a node. Ending on the start node
    // itself is refused and the wire stays open.
    bool ConnectEnd(KBlock* block, int nodeIndex, Messages& messages);
    // Attaches a loaded or expanded wire to its blocks by the stored node
    // indexes. Does not route: loaded bend points are kept.
    bool Connect(KBlock* startBlock, KBlock* endBlock, Messages& messages);

    // Replaces the route with a fresh orthogonal one; a wire without both
    // ends gets an empty route.
    void Route();

    // Follows a move of the selection by the grid-snapped distance.
    void MoveBy(int dx, int dy, int pageWidth, int pageHeight);

    // Hit tests, for a selected wire on that page only: a route end (the
    // wire must have both ends), or the midpoint of a draggable segment,
    // which is remembered for Stretch.
    bool HitEnd(int page, int x, int y) const;
    bool HitSegment(int page, int x, int y);
    // Index of the route point that ends the segment being dragged, -1 none.
    int DraggedSegment() const { return draggedSegment_; }
    // Drags the remembered segment to the point: a horizontal segment takes
    // the new y, a vertical one the new x.
    bool Stretch(int page, int x, int y, Messages& messages);

    // Frees the end nearer the point for the editor to connect elsewhere;
    // grabbing the start end turns the wire round so the free end is the end.
    void BeginReconnect(int x, int y);
    // Puts back the ends saved by BeginReconnect after a cancelled reconnect.
    bool RestoreReconnectingWire(Messages& messages);

    bool visited = false;       // scratch mark of the net builder and the editor
    bool reconnecting = false;  // a reconnect is in progress
    int net = -1;               // index of the wire's net after compiling, -1 for none
    std::vector<KPoint> route;

private:
    // One end: block, IDNumber and node index.
    struct End {
        KBlock* block = nullptr;
        int number = -1;
        int node = -1;
    };
    static KNode* NodeOf(KBlock* block, int index);
    End StartEnd() const { return {startBlock_, startBlockNumber_, startBlockNode_}; }
    End EndEnd() const { return {endBlock_, endBlockNumber_, endBlockNode_}; }
    void SetStart(const End& end);
    void SetEnd(const End& end);
    bool WouldLeavePage(int dx, int dy, int pageWidth, int pageHeight) const;
    bool Hittable(int page) const { return selected && page == Page(); }

    KBlock* startBlock_ = nullptr;
    KBlock* endBlock_ = nullptr;
    int startBlockNumber_ = -1;
    int endBlockNumber_ = -1;
    int startBlockNode_ = -1;
    int endBlockNode_ = -1;
    int draggedSegment_ = -1;
    // The ends as they were when a reconnect began.
    End savedStart_;
    End savedEnd_;
};

// The orthogonal route between two nodes (block, node index), cleaned of
// repeated points and of straight-run middle points. Exposed for tests and
// for previews that route without a wire.
std::vector<KPoint> RouteBetween(const KBlock& startBlock, int startNode, const KBlock& endBlock,
                                 int endNode);

}  // namespace korvel
