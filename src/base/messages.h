// The one seam through which the core talks to the user.
//
// Every Part of the system reports through a Messages sink: plain message
// boxes with a caption ("Note", "Error", "Warning", "Fatal Error", and a few
// special captions) and the numbered two-line messages of the error display.
// The GUI shows real dialogs, the command-line runner writes "Caption: text"
// to stderr, and tests use KMessageRecorder to check what was said.
//
// Fatal errors never end the process from the core: the sink is told, then
// the core throws KFatalError, which unwinds to the front end. The GUI can
// still save the user's work; the runner turns it into an exit status.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace korvel {

inline constexpr std::string_view kCaptionNote = "Note";
inline constexpr std::string_view kCaptionError = "Error";
inline constexpr std::string_view kCaptionWarning = "Warning";
inline constexpr std::string_view kCaptionFatal = "Fatal Error";
inline constexpr std::string_view kCaptionMessageBox = "Message Box";

enum class KButtons { Ok, OkCancel };
enum class KAnswer { Ok, Cancel };

// The block a two-line message is about, as the error display shows it.
struct KMessageBlock {
    std::string name;       // the block's UserString
    std::string typeName;   // the type's display name
    std::string pageText;   // page name, or "<n> (Illegal Page Number)"; see PageFieldText
    bool fromModule = false;
    std::string moduleName;  // set when the block came from a custom module instance
    std::string moduleFile;
};

// A numbered two-line message: what happened and what to do about it.
struct KTwoLineMessage {
    std::string caption;  // "Error" or "Warning" for the two standard calls
    int number = 0;
    std::string description;
    std::string advice;
    bool hasBlock = false;
    KMessageBlock block;
};

// Thrown after the sink has shown a Fatal Error box; front ends catch it at
// the top, let the user keep their work, and end.
class KFatalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Messages {
public:
    virtual ~Messages() = default;

    // Shows a message box and blocks until it is answered. With KButtons::Ok
    // the answer is always KAnswer::Ok.
    virtual KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) = 0;

    // Shows the error display window with a numbered two-line message.
    virtual void ShowMessage(const KTwoLineMessage& message) = 0;

    void NoteBox(std::string_view text) { Box(kCaptionNote, text, KButtons::Ok); }
    void ErrorBox(std::string_view text) { Box(kCaptionError, text, KButtons::Ok); }
    KAnswer ErrorBoxOkCancel(std::string_view text) { return Box(kCaptionError, text, KButtons::OkCancel); }
    void WarningBox(std::string_view text) { Box(kCaptionWarning, text, KButtons::Ok); }
    KAnswer WarningBoxOkCancel(std::string_view text) {
        return Box(kCaptionWarning, text, KButtons::OkCancel);
    }

    // Shows the Fatal Error box and throws KFatalError with the same text.
    [[noreturn]] void FatalBox(std::string_view text);

    void ErrorMessage(int number, std::string_view description, std::string_view advice,
                      const KMessageBlock* block = nullptr);
    void WarningMessage(int number, std::string_view description, std::string_view advice,
                        const KMessageBlock* block = nullptr);
};

// The error display's page field: the page's name when the page exists,
// otherwise the number followed by " (Illegal Page Number)".
std::string PageFieldText(int page, int pageCount, std::string_view pageName);

}  // namespace korvel
