// The frame every node value dialog shares: a read-only name field ("Name"
// or "Name (units)"), the value control the dialog adds, OK and Cancel
// (Enter is OK, Escape is Cancel), the caption chosen by the editable flag,
// and placement at the caller's screen point, moved to lie wholly on the
// screen that holds that point.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <string_view>

class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace korvel {

// The name field's text: the name, then " (units)" when there are units.
QString NameFieldText(std::string_view name, std::string_view units);

// Moves `dialog` (at its present size) to `where`, then into the available
// area of the screen holding `where` (the primary screen when none does).
void PlaceOnScreen(QWidget& dialog, QPoint where);

class TKValueDialogF : public QDialog {
    Q_OBJECT
public:
    TKValueDialogF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                   std::string_view units, const QString& editCaption,
                   const QString& viewCaption);

    bool IsEditable() const { return editable_; }
    QLineEdit* NameField() const { return eName_; }
    QPushButton* OkButton() const { return bOk_; }
    QPushButton* CancelButton() const { return bCancel_; }

protected:
    // Adds the value control above the buttons; disabled when view only.
    void AddValueControl(QWidget* control);
    // Lays the dialog out and places it; called by each dialog's constructor
    // after its controls are in.
    void Finish();
    QVBoxLayout* Body() const { return body_; }

private:
    bool editable_;
    QPoint where_;
    QLineEdit* eName_ = nullptr;
    QVBoxLayout* body_ = nullptr;
    QPushButton* bOk_ = nullptr;
    QPushButton* bCancel_ = nullptr;
};

}  // namespace korvel
