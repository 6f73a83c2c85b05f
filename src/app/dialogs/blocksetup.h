// TKBlockSetupF: the block set-up ("Properties" in the block pop-up). One
// row per node: "Type", "Node Name", "Present Value" and "IDN" (the node's
// index in the block, which wires use). Clicking a value opens that node's
// dialog under the same rules as a double-click on the canvas; the rows
// scroll when a block has more nodes than the screen holds.
#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace korvel {

class KBlock;
class TKDiagramF;

class TKBlockSetupF final : public QDialog {
    Q_OBJECT
public:
    TKBlockSetupF(TKDiagramF& window, KBlock& block);

    QTableWidget* Rows() const { return rows_; }
    QPushButton* DoneButton() const { return bDone_; }
    // Opens a node's dialog (EditNode; tests replace it).
    std::function<bool(TKDiagramF&, KBlock&, int nodeIndex, QPoint where)> openNode;

    // Clicks the value of a row, as the user does.
    void ClickValue(int row);

private:
    void Refresh();

    TKDiagramF& window_;
    KBlock& block_;
    QTableWidget* rows_ = nullptr;
    QPushButton* bDone_ = nullptr;
};

// The caption: "Set-up block " + the block's name + " (" + type name + ")".
QString BlockSetupCaption(const KBlock& block);

}  // namespace korvel
