// A numbered message found while a model is compiled and its run-time model
// built. The caller shows the list once the build is over (two-line messages
// in the error display), so a build never stops half-way to ask the user.
// A message about a block names it by IDNumber and page rather than by
// pointer, so it stays meaningful after the model is edited.
#pragma once

#include <string>

namespace korvel {

struct KCompileMessage {
    int code = 0;
    std::string text;     // what happened
    std::string advice;   // what to do about it
    bool warning = true;  // warnings let the model run
    int block = -1;       // the IDNumber of the block it is about (-1: none)
    int page = -1;        // that block's page (0-based)
};

}  // namespace korvel
