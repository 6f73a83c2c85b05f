#include "base/messagerecorder.h"

#include <algorithm>
#include <stdexcept>

namespace korvel {

KAnswer KMessageRecorder::Box(std::string_view caption, std::string_view text, KButtons buttons) {
    KAnswer reply = KAnswer::Ok;
    if (buttons == KButtons::OkCancel) {
        if (answers.empty()) {
            reply = answer;
        } else {
            reply = answers.front();
            answers.pop_front();
        }
    }
    boxes.push_back(KRecordedBox{std::string(caption), std::string(text), buttons, reply});
    return reply;
}

void KMessageRecorder::ShowMessage(const KTwoLineMessage& message) {
    messages.push_back(message);
}

std::vector<std::string> KMessageRecorder::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(boxes.size());
    for (const KRecordedBox& box : boxes) {
        texts.push_back(box.text);
    }
    return texts;
}

int KMessageRecorder::Count(std::string_view caption) const {
    return static_cast<int>(std::count_if(
        boxes.begin(), boxes.end(), [caption](const auto& box) { return box.caption == caption; }));
}

bool KMessageRecorder::HasText(std::string_view fragment) const {
    return std::any_of(boxes.begin(), boxes.end(), [fragment](const KRecordedBox& box) {
        return box.text.find(fragment) != std::string::npos;
    });
}

const KRecordedBox& KMessageRecorder::Last() const {
    if (boxes.empty()) {
        throw std::out_of_range("KMessageRecorder :: Last: no box was recorded");
    }
    return boxes.back();
}

void KMessageRecorder::Clear() {
    boxes.clear();
    messages.clear();
    answers.clear();
}

}  // namespace korvel
