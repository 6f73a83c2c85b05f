#include "app/dialogs/initstringcmb.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "base/messages.h"

namespace korvel {

TKInitStringCmBF::TKInitStringCmBF(QWidget* parent, bool editable, QPoint where,
                                   std::string_view name, std::string_view units,
                                   const QStringList& entries, Messages& messages)
    : TKValueDialogF(parent, editable, where, name, units, "Initilize Entries",
                     "Initilize Entries"),
      messages_(messages),
      entries_(entries) {
    auto* label = new QLabel("Enter in strings for constant:", this);
    label->setObjectName("LEntries");
    Body()->addWidget(label);
    memo_ = new QPlainTextEdit(entries.join('\n'), this);
    memo_->setObjectName("MEntries");
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    AddValueControl(memo_);
    memo_->setFocus();
    Finish();
}

void TKInitStringCmBF::accept() {
    if (IsEditable()) {
        QStringList kept;
        for (const QString& line : memo_->toPlainText().split('\n')) {
            QString entry = line;
            entry.remove('\r');
            if (!entry.trimmed().isEmpty()) kept.push_back(entry);
        }
        if (kept.isEmpty()) {
            messages_.Box("Too few entries",
                          "At least one entry is required.  \"Entry1\" will be added "
                          "automatically.",
                          KButtons::Ok);
            kept.push_back("Entry1");
        }
        entries_ = kept;
    }
    QDialog::accept();
}

}  // namespace korvel
