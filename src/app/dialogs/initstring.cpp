#include "app/dialogs/initstring.h"

#include <QLineEdit>

namespace korvel {

TKInitStringF::TKInitStringF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                             std::string_view units, const QString& value,
                             const QString& editCaption, const QString& viewCaption)
    : TKValueDialogF(parent, editable, where, name, units, editCaption, viewCaption) {
    eValue_ = new QLineEdit(value, this);
    eValue_->setObjectName("EValue");
    AddValueControl(eValue_);
    eValue_->selectAll();
    eValue_->setFocus();
    Finish();
}

QString TKInitStringF::Value() const {
    return eValue_->text();
}

}  // namespace korvel
