// TKInitMemoF: a multi-line text, the program of a program block or a
// block's documentation. The program form uses a fixed-pitch font and
// numbers its lines from 1, as the program language's messages count them;
// the dialog's size is remembered for the session.
#pragma once

#include "app/dialogs/dialogframe.h"

class QPlainTextEdit;

namespace korvel {

enum class KMemoKind { Program, Documentation };

class TKInitMemoF final : public TKValueDialogF {
    Q_OBJECT
public:
    TKInitMemoF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                std::string_view units, const QString& text, KMemoKind kind);
    ~TKInitMemoF() override;
    QString Text() const;
    QPlainTextEdit* Memo() const { return memo_; }

private:
    QPlainTextEdit* memo_ = nullptr;
};

}  // namespace korvel
