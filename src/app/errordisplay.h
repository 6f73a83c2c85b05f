// TKErrorDisplayF: the window of numbered two-line messages. Right-aligned
// labels name read-only fields: the number, the description, what to do (a
// scrolling memo), and, when the message names a block, the block group:
// its name, sheet, type and, for a block from a custom module instance, the
// module and its file. Shown modally by the Qt message sink.
#pragma once

#include <QDialog>

#include "base/messages.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace korvel {

class TKErrorDisplayF final : public QDialog {
    Q_OBJECT
public:
    explicit TKErrorDisplayF(QWidget* parent = nullptr);
    // Fills the fields and the caption from the message.
    void Show(const KTwoLineMessage& message);

private:
    QLineEdit* number_;
    QLineEdit* description_;
    QPlainTextEdit* advice_;
    QWidget* blockGroup_;
    QLineEdit* blockName_;
    QLineEdit* sheet_;
    QLineEdit* type_;
    QWidget* moduleGroup_;
    QLineEdit* moduleName_;
    QLineEdit* moduleFile_;
};

}  // namespace korvel
