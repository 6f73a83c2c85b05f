// KQtMessages: the Messages seam on Qt. Boxes are QMessageBox dialogs with
// the system's captions and buttons; numbered two-line messages show the
// error display window (TKErrorDisplayF). Each is modal, so the run loop,
// which does no pass while a modal window is open, pauses while it shows.
//
// When an echo stream is set (started from a terminal, or --log-messages),
// every message is also written there in the runner's form, so what was
// said can still be read after the box is gone.
//
// A Fatal Error box first asks onFatal for a recovery copy of the user's
// work and names it in the box; the core then throws KFatalError, which the
// window turns into a clean quit.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "app/appmessages.h"

class QWidget;

namespace korvel {

class KStreamMessages;

class KQtMessages final : public KAppMessages {
public:
    KQtMessages();
    ~KQtMessages() override;

    KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) override;
    void ShowMessage(const KTwoLineMessage& message) override;
    KChoice AskYesNoCancel(std::string_view caption, std::string_view text) override;
    bool AskYesNo(std::string_view caption, std::string_view text) override;

    // Dialogs are centred on this window (may be null).
    void SetParentWindow(QWidget* parent) { parent_ = parent; }
    // Also write every message to this stream (nullptr: not).
    void SetEcho(std::ostream* echo);
    // Saves a recovery copy; answers a sentence naming it for the box, or "".
    std::function<std::string()> onFatal;

private:
    void Echo(std::string_view caption, std::string_view text);

    QWidget* parent_ = nullptr;
    std::unique_ptr<KStreamMessages> echo_;
};

}  // namespace korvel
