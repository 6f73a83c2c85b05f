#include "app/dialogs/dialogframe.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace korvel {

QString NameFieldText(std::string_view name, std::string_view units) {
    QString text = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
    if (!units.empty())
        text += " (" + QString::fromUtf8(units.data(), static_cast<int>(units.size())) + ")";
    return text;
}

void PlaceOnScreen(QWidget& dialog, QPoint where) {
    QScreen* screen = QGuiApplication::screenAt(where);
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    QPoint at = where;
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        const QSize size = dialog.frameSize().expandedTo(dialog.size());
        // Right and bottom first, so a dialog larger than the screen keeps
        // its top-left corner (title and name field) visible.
        at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - size.width())));
        at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - size.height())));
    }
    dialog.move(at);
}

TKValueDialogF::TKValueDialogF(QWidget* parent, bool editable, QPoint where,
                               std::string_view name, std::string_view units,
                               const QString& editCaption, const QString& viewCaption)
    : QDialog(parent), editable_(editable), where_(where) {
    setModal(true);
    setWindowTitle(editable ? editCaption : viewCaption);
    auto* layout = new QVBoxLayout(this);
    eName_ = new QLineEdit(NameFieldText(name, units), this);
    eName_->setObjectName("EName");
    eName_->setReadOnly(true);
    eName_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(eName_);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
    auto* buttons = new QDialogButtonBox(this);
    bOk_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    bOk_->setObjectName("BOK");
    bOk_->setDefault(true);
    bCancel_ = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    bCancel_->setObjectName("BCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TKValueDialogF::AddValueControl(QWidget* control) {
    body_->addWidget(control, 1);
    control->setEnabled(editable_);
}

void TKValueDialogF::Finish() {
    if (!testAttribute(Qt::WA_Resized)) adjustSize();
    PlaceOnScreen(*this, where_);
}

}  // namespace korvel
