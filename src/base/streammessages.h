// A Messages sink for the command-line runner: every box and two-line message
// becomes plain text on a stream (normally std::cerr), since there is nobody
// to click a dialog.
//
// A box is written as "Caption: text"; a text spanning several lines keeps its
// line breaks, so only the first line carries the caption. A two-line message
// is written as
//
//     Error 12: description
//       What to do: advice
//       Block: name (type Type Name, sheet Page Name)
//       Custom module: module name, file module file
//
// where the advice line is left out when the advice is empty, the block line
// when the message names no block, and the module line for top-level blocks.
// OK/Cancel questions are answered Ok, which is the choice that carries on
// with the operation, as an unattended run must.
#pragma once

#include <ostream>
#include <string_view>

#include "base/messages.h"

namespace korvel {

class KStreamMessages final : public Messages {
public:
    // The stream must outlive the sink.
    explicit KStreamMessages(std::ostream& out) : out_(out) {}

    KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) override;
    void ShowMessage(const KTwoLineMessage& message) override;

private:
    std::ostream& out_;
};

}  // namespace korvel
