#include "app/qtmessages.h"

#include <QMessageBox>

#include "app/errordisplay.h"
#include "base/streammessages.h"

namespace korvel {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QMessageBox::Icon IconFor(std::string_view caption) {
    if (caption == kCaptionError || caption == kCaptionFatal) return QMessageBox::Critical;
    if (caption == kCaptionWarning) return QMessageBox::Warning;
    return QMessageBox::Information;
}

int Ask(QWidget* parent, std::string_view caption, std::string_view text,
        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
    QMessageBox box(icon, Q(caption), Q(text), buttons, parent);
    box.setObjectName("MessageBox");
    return box.exec();
}

}  // namespace

KQtMessages::KQtMessages() = default;
KQtMessages::~KQtMessages() = default;

void KQtMessages::SetEcho(std::ostream* echo) {
    echo_ = echo ? std::make_unique<KStreamMessages>(*echo) : nullptr;
}

void KQtMessages::Echo(std::string_view caption, std::string_view text) {
    if (echo_) echo_->Box(caption, text, KButtons::Ok);
}

KAnswer KQtMessages::Box(std::string_view caption, std::string_view text, KButtons buttons) {
    std::string shown(text);
    if (caption == kCaptionFatal && onFatal) {
        const std::string recovery = onFatal();
        if (!recovery.empty()) shown += "\n\n" + recovery;
    }
    Echo(caption, shown);
    const auto qtButtons = buttons == KButtons::OkCancel
                               ? QMessageBox::Ok | QMessageBox::Cancel
                               : QMessageBox::StandardButtons(QMessageBox::Ok);
    const int answer = Ask(parent_, caption, shown, qtButtons, IconFor(caption));
    return answer == QMessageBox::Cancel ? KAnswer::Cancel : KAnswer::Ok;
}

void KQtMessages::ShowMessage(const KTwoLineMessage& message) {
    if (echo_) echo_->ShowMessage(message);
    TKErrorDisplayF display(parent_);
    display.Show(message);
    display.exec();
}

KChoice KQtMessages::AskYesNoCancel(std::string_view caption, std::string_view text) {
    Echo(caption, text);
    const int answer =
        Ask(parent_, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Question);
    if (answer == QMessageBox::Yes) return KChoice::Yes;
    if (answer == QMessageBox::No) return KChoice::No;
    return KChoice::Cancel;
}

bool KQtMessages::AskYesNo(std::string_view caption, std::string_view text) {
    Echo(caption, text);
    return Ask(parent_, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) ==
           QMessageBox::Yes;
}

}  // namespace korvel
