// The one entry point through which the canvas and the block set-up open a
// node's value dialog, and the rename dialog of a block's name label.
//
//   EditNode(window, block, nodeIndex, screenPoint)
//     opens the dialog that fits the node's value kind at the screen point
//     (the node's position on screen). It is editable when the node may be
//     changed now (NodeEditable); otherwise the same dialog opens view only.
//     A change goes through the window's edit seam: TKDiagramF::Edit when
//     stopped (one edit: model modified, run-time model dropped), or
//     TKDiagramF::LiveAdjusted while running (the run goes on and sees the
//     new value at its next evaluation). Answers whether the node changed;
//     the caller (the canvas) then clears its own interaction state.
//
//   EditUserString(window, block, screenPoint)
//     the "User String" rename dialog. A Variable refuses an empty name and
//     turns commas into "-". Answers whether the name changed.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <string>

namespace korvel {

class KBlock;
class KElements;
class KNode;
class TKDiagramF;

bool EditNode(TKDiagramF& window, KBlock& block, int nodeIndex, QPoint screenPoint);
bool EditUserString(TKDiagramF& window, KBlock& block, QPoint screenPoint);

// Whether a node may be changed: never an output or a wired input; while the
// model runs only the numeric inputs and the nodes of live-adjustable blocks,
// since those are read at every evaluation.
bool NodeEditable(const KBlock& block, const KNode& node, bool running);

// The node's value as the block set-up shows it.
std::string NodeDisplayText(const KElements& elements, const KBlock& block, const KNode& node);

// The role and value kind in words ("Input, number").
std::string NodeTypeText(const KNode& node);

// The names a reference node can pick from, in model order.
QStringList ReferenceNames(const KElements& elements, const KNode& node);

}  // namespace korvel
