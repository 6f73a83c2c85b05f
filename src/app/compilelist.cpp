#include "app/compilelist.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvel {

void ShowCompileList(QWidget* parent, const std::vector<KCompileMessage>& messages) {
    QDialog dialog(parent);
    dialog.setObjectName("TKCompileListF");
    dialog.setWindowTitle("Compile Messages");
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableWidget(int(messages.size()), 4, &dialog);
    table->setObjectName("SGMessages");
    table->setHorizontalHeaderLabels({"Number", "Kind", "Description", "What to do"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(messages.size()); ++row) {
        const KCompileMessage& m = messages[std::size_t(row)];
        table->setItem(row, 0, new QTableWidgetItem(QString::number(m.code)));
        table->setItem(row, 1, new QTableWidgetItem(m.warning ? "Warning" : "Error"));
        table->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(m.text)));
        table->setItem(row, 3, new QTableWidgetItem(QString::fromStdString(m.advice)));
    }
    table->resizeColumnsToContents();
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(720, 300);
    dialog.exec();
}

}  // namespace korvel
