#include "base/streammessages.h"

namespace korvel {

namespace {

// Ends the text with exactly the line break it lacks, so a text that already
// ends in one does not leave a blank line in the output. A lone carriage
// return (some messages break their lines with one) becomes a line feed: on
// a terminal it would send the cursor back and overwrite the line.
void WriteLine(std::ostream& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool loneReturn = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        out << (loneReturn ? '\n' : text[i]);
    }
    if (text.empty() || (text.back() != '\n' && text.back() != '\r')) {
        out << '\n';
    }
}

}  // namespace

KAnswer KStreamMessages::Box(std::string_view caption, std::string_view text,
                             KButtons /*buttons*/) {
    out_ << caption << ": ";
    WriteLine(out_, text);
    // Flushed at once so the report stays in order with anything the run
    // writes to other streams, and survives a crash that follows it.
    out_.flush();
    return KAnswer::Ok;
}

void KStreamMessages::ShowMessage(const KTwoLineMessage& message) {
    out_ << message.caption << ' ' << message.number << ": ";
    WriteLine(out_, message.description);
    if (!message.advice.empty()) {
        out_ << "  What to do: ";
        WriteLine(out_, message.advice);
    }
    if (message.hasBlock) {
        const KMessageBlock& block = message.block;
        out_ << "  Block: " << block.name << " (type " << block.typeName << ", sheet "
             << block.pageText << ")\n";
        if (block.fromModule) {
            out_ << "  Custom module: " << block.moduleName << ", file " << block.moduleFile
                 << '\n';
        }
    }
    out_.flush();
}

}  // namespace korvel
