// A sink that passes every message on to another and counts what went by:
// callers use it to tell a failure that was explained from a silent one, and
// an error from a mere note.
#pragma once

#include "base/messages.h"

namespace korvel {

class KCountingMessages final : public Messages {
public:
    explicit KCountingMessages(Messages& inner) : inner_(inner) {}

    KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) override {
        ++count;
        if (caption == kCaptionError || caption == kCaptionFatal) ++errors;
        return inner_.Box(caption, text, buttons);
    }
    void ShowMessage(const KTwoLineMessage& message) override {
        ++count;
        if (message.caption == kCaptionError) ++errors;
        inner_.ShowMessage(message);
    }

    int count = 0;   // every box and two-line message
    int errors = 0;  // those captioned "Error" or "Fatal Error"

private:
    Messages& inner_;
};

}  // namespace korvel
