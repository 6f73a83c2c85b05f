// A Messages sink for tests: it shows nothing and remembers everything, so a
// test can check which boxes and two-line messages a call produced, in order.
//
// OK/Cancel questions are answered from `answers` (front first) while it has
// entries, then with `answer`. Boxes with only an OK button always answer Ok
// and never consume a queued answer, so a queue lines up with the questions
// alone.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"

namespace korvel {

struct KRecordedBox {
    std::string caption;
    std::string text;
    KButtons buttons = KButtons::Ok;
    KAnswer answer = KAnswer::Ok;  // what the recorder replied
};

class KMessageRecorder final : public Messages {
public:
    KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) override;
    void ShowMessage(const KTwoLineMessage& message) override;

    // The texts of all recorded boxes, oldest first.
    std::vector<std::string> Texts() const;
    // How many recorded boxes carry this caption.
    int Count(std::string_view caption) const;
    // Whether any recorded box text contains the fragment.
    bool HasText(std::string_view fragment) const;
    // The newest box; throws std::out_of_range when none was recorded, so a
    // test that expected a box fails cleanly instead of reading garbage.
    const KRecordedBox& Last() const;
    // Forgets boxes, messages and queued answers; `answer` is kept.
    void Clear();

    std::vector<KRecordedBox> boxes;
    std::vector<KTwoLineMessage> messages;
    KAnswer answer = KAnswer::Ok;
    std::deque<KAnswer> answers;
};

}  // namespace korvel
