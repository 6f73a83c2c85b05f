#include "app/dialogs/blocksetup.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/diagramwindow.h"
#include "app/dialogs/dialogframe.h"
#include "app/dialogs/nodedialogs.h"
#include "app/modelsession.h"
#include "model/block.h"

namespace korvel {

namespace {

constexpr int kValueColumn = 2;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

}  // namespace

QString BlockSetupCaption(const KBlock& block) {
    return "Set-up block " + Q(block.userString) + " (" + Q(block.GetTypeName()) + ")";
}

TKBlockSetupF::TKBlockSetupF(TKDiagramF& window, KBlock& block)
    : QDialog(&window), openNode(EditNode), window_(window), block_(block) {
    setObjectName("Block set-up");
    setModal(true);
    setWindowTitle(BlockSetupCaption(block));
    auto* layout = new QVBoxLayout(this);
    rows_ = new QTableWidget(block.NodeCount(), 4, this);
    rows_->setObjectName("SGNodes");
    rows_->setHorizontalHeaderLabels({"Type", "Node Name", "Present Value", "IDN"});
    rows_->verticalHeader()->hide();
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->setSelectionMode(QAbstractItemView::NoSelection);
    rows_->horizontalHeader()->setSectionResizeMode(kValueColumn, QHeaderView::Stretch);
    connect(rows_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == kValueColumn) ClickValue(row);
    });
    layout->addWidget(rows_, 1);
    bDone_ = new QPushButton("Done", this);
    bDone_->setObjectName("BDone");
    bDone_->setDefault(true);
    connect(bDone_, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(bDone_, 0, Qt::AlignRight);
    Refresh();
    rows_->resizeColumnsToContents();

    // The form grows with the rows, up to the screen; beyond it the rows scroll.
    int height = rows_->horizontalHeader()->height() + 4;
    for (int r = 0; r < rows_->rowCount(); ++r) height += rows_->rowHeight(r);
    QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    const int limit = screen != nullptr ? screen->availableGeometry().height() - 120 : 600;
    rows_->setMinimumHeight(std::min(height, std::max(limit, 100)));
    rows_->setMinimumWidth(std::min(rows_->horizontalHeader()->length() + 40, 900));
    adjustSize();
    PlaceOnScreen(*this, window.mapToGlobal(QPoint(40, 40)));
}

void TKBlockSetupF::Refresh() {
    const auto& elements = window_.Session().Elements();
    const bool running = window_.IsRunning();
    int row = 0;
    for (const KNode& node : block_.Nodes()) {
        auto set = [&](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            rows_->setItem(row, column, item);
            return item;
        };
        set(0, Q(NodeTypeText(node)));
        set(1, Q(node.Name()));
        QTableWidgetItem* value = set(kValueColumn, Q(NodeDisplayText(elements, block_, node)));
        value->setToolTip(NodeEditable(block_, node, running) ? "(Click to change)"
                                                             : "(Click to view)");
        set(3, QString::number(row));
        ++row;
    }
}

void TKBlockSetupF::ClickValue(int row) {
    if (row < 0 || row >= block_.NodeCount()) return;
    const QRect cell = rows_->visualItemRect(rows_->item(row, kValueColumn));
    const QPoint where = rows_->viewport()->mapToGlobal(cell.bottomLeft());
    if (openNode(window_, block_, row, where)) Refresh();
}

}  // namespace korvel
