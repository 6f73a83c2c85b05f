#include "app/dialogs/initcmb.h"

#include <QComboBox>
#include <QLineEdit>

#include "base/messages.h"

namespace korvel {

TKInitCmBF::TKInitCmBF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                       std::string_view units, const QStringList& entries, int index,
                       Messages& messages)
    : TKValueDialogF(parent, editable, where, name, units, "Initialize Value", "View Value"),
      messages_(messages),
      entries_(entries),
      index_(index) {
    if (entries_.isEmpty())
        messages_.ErrorBox("Call to TKInitCmBF :: TKInitCmBF with empty string list");
    cmbValue_ = new QComboBox(this);
    cmbValue_->setObjectName("CmBValue");
    cmbValue_->setEditable(true);
    cmbValue_->setInsertPolicy(QComboBox::NoInsert);
    cmbValue_->addItems(entries_);
    if (index >= 0 && index < entries_.size())
        cmbValue_->setCurrentIndex(index);
    else
        cmbValue_->setEditText(QString());
    AddValueControl(cmbValue_);
    cmbValue_->setFocus();
    Finish();
}

void TKInitCmBF::accept() {
    if (IsEditable()) {
        const int found = entries_.indexOf(cmbValue_->currentText());
        if (found < 0) {
            messages_.ErrorBox("Could not find item in TKInitCmBF");
            // The choice stays as it was; the dialog closes as the caller
            // then keeps the old value.
            QDialog::reject();
            return;
        }
        index_ = found;
    }
    QDialog::accept();
}

}  // namespace korvel
