// TKInitStringF: a one-line text (sheet, column and message texts, and the
// editor's own questions such as the page name). The edit box's text is the
// value.
#pragma once

#include "app/dialogs/dialogframe.h"

class QLineEdit;

namespace korvel {

class TKInitStringF final : public TKValueDialogF {
    Q_OBJECT
public:
    TKInitStringF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                  std::string_view units, const QString& value,
                  const QString& editCaption = "Initialize String",
                  const QString& viewCaption = "View String");
    QString Value() const;
    QLineEdit* ValueField() const { return eValue_; }

private:
    QLineEdit* eValue_ = nullptr;
};

}  // namespace korvel
