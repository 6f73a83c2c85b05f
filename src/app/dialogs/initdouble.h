// TKInitDoubleF: the number dialog. Shows the value in the one number format
// and converts the text on OK through the one parse helper. Text the user
// did not touch keeps the exact value behind it: the box shows only five
// significant digits, and an untouched OK must not round the node's value
// (0.70710678118654757 would otherwise silently become 0.70711). Text that
// does not convert is announced, and the dialog stays open with the text
// selected so it can be mended.
#pragma once

#include <optional>

#include "app/dialogs/dialogframe.h"

class QLineEdit;

namespace korvel {

class Messages;

enum class KNumberForm { Real, Integer };

class TKInitDoubleF : public TKValueDialogF {
    Q_OBJECT
public:
    TKInitDoubleF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                  std::string_view units, double value, Messages& messages,
                  KNumberForm form = KNumberForm::Real);

    // The value after OK (the value given when the text was left as shown).
    double Value() const { return value_; }
    QLineEdit* ValueField() const { return eValue_; }

    // Shows `exact` in the number format and remembers it as the value behind
    // that text (the multiplier's conversion buttons use this).
    void ShowExact(double exact);

    void accept() override;

protected:
    // The frame for derived dialogs with other captions.
    TKInitDoubleF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                  std::string_view units, double value, Messages& messages,
                  const QString& editCaption, const QString& viewCaption);

private:
    void Build(double value);
    bool Convert(const QString& text);

    Messages& messages_;
    KNumberForm form_ = KNumberForm::Real;
    QLineEdit* eValue_ = nullptr;
    double value_ = 0.0;
    double shownExact_ = 0.0;  // the value behind the text the dialog wrote
    QString shownText_;
};

// Text typed for a whole number (count, order, font size): the number,
// limited to the int range and rounded; nullopt when it is not a finite
// number.
std::optional<int> TypedInteger(std::string_view text);

}  // namespace korvel
