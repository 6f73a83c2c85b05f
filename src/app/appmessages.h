// The Messages seam as the editor needs it: the boxes of the core plus the
// two questions only the editor asks, the Yes/No/Cancel "Save File" box and
// the Yes/No "File Exits" box. The Qt sink shows real dialogs; tests use a
// recorder that answers from a script.
#pragma once

#include <string_view>

#include "base/messages.h"

namespace korvel {

enum class KChoice { Yes, No, Cancel };

class KAppMessages : public Messages {
public:
    // A Yes/No/Cancel question.
    virtual KChoice AskYesNoCancel(std::string_view caption, std::string_view text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(std::string_view caption, std::string_view text) = 0;
};

}  // namespace korvel
