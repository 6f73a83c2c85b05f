// KRunError: the one exception a block's Compute throws when an evaluation
// cannot go on.
//
// Only KBenchTop::ComputeAll catches it; it turns the message into the user's
// text with the block's tag, name and page, marks the block as failed and
// stops the run. The message "stop()" is not an error but a block's request to
// stop the run once the evaluation has finished (Stop block, a program's
// stop(), Cancel in a Message block).
#pragma once

#include <stdexcept>
#include <string_view>

namespace korvel {

class KRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message of a stop request.
inline constexpr std::string_view kStopRequest = "stop()";

// The message a block's arithmetic reports for a zero divisor.
inline constexpr std::string_view kDivisionByZero = "division by zero";

}  // namespace korvel
