#include "base/messages.h"

#include <string>

namespace korvel {

void Messages::FatalBox(std::string_view text) {
    // The box comes first so the user has read the reason before the front end
    // unwinds; the exception carries the same text for the runner's exit report.
    Box(kCaptionFatal, text, KButtons::Ok);
    throw KFatalError(std::string(text));
}

namespace {

KTwoLineMessage MakeTwoLineMessage(std::string_view caption, int number,
                                   std::string_view description, std::string_view advice,
                                   const KMessageBlock* block) {
    KTwoLineMessage message;
    message.caption = caption;
    message.number = number;
    message.description = description;
    message.advice = advice;
    if (block != nullptr) {
        message.hasBlock = true;
        message.block = *block;
    }
    return message;
}

}  // namespace

void Messages::ErrorMessage(int number, std::string_view description, std::string_view advice,
                            const KMessageBlock* block) {
    ShowMessage(MakeTwoLineMessage(kCaptionError, number, description, advice, block));
}

void Messages::WarningMessage(int number, std::string_view description, std::string_view advice,
                              const KMessageBlock* block) {
    ShowMessage(MakeTwoLineMessage(kCaptionWarning, number, description, advice, block));
}

std::string PageFieldText(int page, int pageCount, std::string_view pageName) {
    if (page >= 0 && page < pageCount) {
        return std::string(pageName);
    }
    return std::to_string(page) + " (Illegal Page Number)";
}

}  // namespace korvel
