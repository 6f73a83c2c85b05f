#include "app/dialogs/initdouble.h"

#include <QLineEdit>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "base/messages.h"
#include "base/numberformat.h"

namespace korvel {

std::optional<int> TypedInteger(std::string_view text) {
    // A silent sink: the integer message is the dialog's own.
    struct Silent final : Messages {
        KAnswer Box(std::string_view, std::string_view, KButtons) override {
            return KAnswer::Ok;
        }
        void ShowMessage(const KTwoLineMessage&) override {}
    } silent;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double x = TextToDouble(text, nan, silent);
    if (std::isnan(x)) return std::nullopt;
    // Limited before the conversion: an int cannot hold 1e12.
    const double limited = std::clamp(x, double(INT_MIN + 1), double(INT_MAX));
    return static_cast<int>(std::floor(limited + 0.5));
}

TKInitDoubleF::TKInitDoubleF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                             std::string_view units, double value, Messages& messages,
                             KNumberForm form)
    : TKValueDialogF(parent, editable, where, name, units, "Initialize Value", "View Value"),
      messages_(messages),
      form_(form) {
    Build(value);
}

TKInitDoubleF::TKInitDoubleF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                             std::string_view units, double value, Messages& messages,
                             const QString& editCaption, const QString& viewCaption)
    : TKValueDialogF(parent, editable, where, name, units, editCaption, viewCaption),
      messages_(messages) {
    Build(value);
}

void TKInitDoubleF::Build(double value) {
    value_ = value;
    eValue_ = new QLineEdit(this);
    eValue_->setObjectName("EValue");
    AddValueControl(eValue_);
    ShowExact(value);
    eValue_->selectAll();
    eValue_->setFocus();
    Finish();
}

void TKInitDoubleF::ShowExact(double exact) {
    shownExact_ = exact;
    shownText_ = QString::fromStdString(FormatNumber(exact));
    eValue_->setText(shownText_);
}

bool TKInitDoubleF::Convert(const QString& text) {
    const std::string typed = text.toStdString();
    if (form_ == KNumberForm::Integer) {
        const std::optional<int> n = TypedInteger(typed);
        if (!n) {
            messages_.Box(kCaptionMessageBox, "Cannot convert \"" + typed + "\" to an Integer",
                          KButtons::Ok);
            return false;
        }
        value_ = *n;
        return true;
    }
    // NaN never comes out of a conversion, so it marks the refusal (the
    // helper has shown its message by then).
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double x = TextToDouble(typed, nan, messages_);
    if (std::isnan(x)) return false;
    value_ = x;
    return true;
}

void TKInitDoubleF::accept() {
    if (IsEditable()) {
        if (eValue_->text() == shownText_) {
            value_ = shownExact_;
        } else if (!Convert(eValue_->text())) {
            eValue_->setFocus();
            eValue_->selectAll();
            return;
        }
    }
    QDialog::accept();
}

}  // namespace korvel
