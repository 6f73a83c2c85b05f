// TKInitStringCmBF: a string list, one entry per line. On OK empty lines
// are dropped; a list left empty becomes the single entry "Entry1" after a
// "Too few entries" box.
#pragma once

#include <QStringList>

#include "app/dialogs/dialogframe.h"

class QPlainTextEdit;

namespace korvel {

class Messages;

class TKInitStringCmBF final : public TKValueDialogF {
    Q_OBJECT
public:
    TKInitStringCmBF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                     std::string_view units, const QStringList& entries, Messages& messages);
    QStringList Entries() const { return entries_; }
    QPlainTextEdit* ValueMemo() const { return memo_; }
    void accept() override;

private:
    Messages& messages_;
    QStringList entries_;
    QPlainTextEdit* memo_ = nullptr;
};

}  // namespace korvel
