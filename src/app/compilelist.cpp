#include "app/compilelist.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

namespace korvel {

namespace {

enum Column { kNumber, kKind, kDescription, kAdvice, kBlock, kSheet, kColumnCount };

}  // namespace

QDialog* MakeCompileList(QWidget* parent, const std::vector<KCompileMessage>& messages,
                         const KCompileListPlaces& places) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName("TKCompileListF");
    dialog->setWindowTitle("Compile Messages");
    auto* layout = new QVBoxLayout(dialog);
    auto* table = new QTableWidget(int(messages.size()), kColumnCount, dialog);
    table->setObjectName("SGMessages");
    table->setHorizontalHeaderLabels(
        {"Number", "Kind", "Description", "What to do", "Block", "Sheet"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    std::vector<int> blocks;
    for (int row = 0; row < int(messages.size()); ++row) {
        const KCompileMessage& m = messages[std::size_t(row)];
        blocks.push_back(m.block);
        table->setItem(row, kNumber, new QTableWidgetItem(QString::number(m.code)));
        table->setItem(row, kKind, new QTableWidgetItem(m.warning ? "Warning" : "Error"));
        table->setItem(row, kDescription, new QTableWidgetItem(QString::fromStdString(m.text)));
        table->setItem(row, kAdvice, new QTableWidgetItem(QString::fromStdString(m.advice)));
        const bool aboutBlock = m.block >= 0;
        table->setItem(row, kBlock,
                       new QTableWidgetItem(
                           aboutBlock && places.blockName ? places.blockName(m.block) : QString()));
        table->setItem(row, kSheet,
                       new QTableWidgetItem(
                           aboutBlock && places.sheetName ? places.sheetName(m.page) : QString()));
    }
    table->resizeColumnsToContents();
    // The dialog stays open (it is modal) while the window shows the block
    // behind it, so the user can go through the rows one by one.
    QObject::connect(table, &QTableWidget::cellDoubleClicked, dialog,
                     [blocks, show = places.showBlock](int row, int) {
                         if (row < 0 || row >= int(blocks.size())) return;
                         if (blocks[std::size_t(row)] >= 0 && show) show(blocks[std::size_t(row)]);
                     });
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog->resize(900, 300);
    return dialog;
}

void ShowCompileList(QWidget* parent, const std::vector<KCompileMessage>& messages,
                     const KCompileListPlaces& places) {
    std::unique_ptr<QDialog> dialog(MakeCompileList(parent, messages, places));
    dialog->exec();
}

}  // namespace korvel
