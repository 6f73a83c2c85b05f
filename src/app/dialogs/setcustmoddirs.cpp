#include "app/dialogs/setcustmoddirs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/appsettings.h"
#include "app/dialogs/selectdirectory.h"
#include "base/messages.h"

namespace korvel {

TKSetCustModDirsF::TKSetCustModDirsF(QWidget* parent, const std::vector<std::string>& dirs,
                                     Messages& messages)
    : QDialog(parent), messages_(messages) {
    setObjectName("TKSetCustModDirsF");
    setModal(true);
    setWindowTitle("Set Custom Module Directories");
    askDirectory = [this] { return TKSelectDirectoryF::Ask(this); };
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("LBDirectories");
    for (const std::string& d : dirs) list_->addItem(QString::fromStdString(d));
    list_->setMinimumWidth(420);
    layout->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    bAdd_ = new QPushButton("Add...", this);
    bAdd_->setObjectName("BAdd");
    bDelete_ = new QPushButton("Delete", this);
    bDelete_->setObjectName("BDelete");
    for (QPushButton* b : {bAdd_, bDelete_}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    bOk_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    bOk_->setObjectName("BOK");
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("BCancel");
    row->addWidget(buttons);
    layout->addLayout(row);
    connect(bAdd_, &QPushButton::clicked, this, &TKSetCustModDirsF::Add);
    connect(bDelete_, &QPushButton::clicked, this, &TKSetCustModDirsF::Delete);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::vector<std::string> TKSetCustModDirsF::Directories() const {
    std::vector<std::string> dirs;
    for (int i = 0; i < list_->count(); ++i) dirs.push_back(list_->item(i)->text().toStdString());
    return dirs;
}

void TKSetCustModDirsF::Add() {
    if (list_->count() >= kMaxCustModDirs) {
        messages_.NoteBox("At most " + std::to_string(kMaxCustModDirs) +
                          " custom module directories can be kept.  Delete one to add another.");
        return;
    }
    const QString chosen = askDirectory();
    if (chosen.isEmpty()) return;
    const QString clean = QDir::cleanPath(chosen);
    for (int i = 0; i < list_->count(); ++i)
        if (QDir::cleanPath(list_->item(i)->text()) == clean) return;
    list_->addItem(clean);
}

void TKSetCustModDirsF::Delete() {
    const int row = list_->currentRow();
    if (row >= 0) delete list_->takeItem(row);
}

}  // namespace korvel
