// The warnings that refuse commands while a model runs: number, what was
// refused, and the end of the advice "Stop model using Stop button (upper
// left) or escape key.  Then ...". Deletions share number 3; inserting,
// pasting, moving, flipping, ordering and page changes share number 4.
#pragma once

#include "app/diagramwindow.h"

namespace korvel {

inline constexpr std::string_view kStopAdvice =
    "Stop model using Stop button (upper left) or escape key.  Then ";

inline constexpr KRefusal kRefuseNew{1, "Cannot create a new file when model is running",
                                     "create new file."};
inline constexpr KRefusal kRefuseOpen{2, "Cannot open a file when model is running", "open file."};
inline constexpr KRefusal kRefuseOpenRecent{
    2, "Cannot open a file from the file list when model is running", "open file."};
inline constexpr KRefusal kRefuseDelete{3, "Cannot delete elements when model is running",
                                        "delete element."};
inline constexpr KRefusal kRefuseInsert{
    4, "Cannot insert new model components when model is running.", "insert new component."};
inline constexpr KRefusal kRefuseChange{4, "Cannot change model components when model is running.",
                                        "change the component."};
inline constexpr KRefusal kRefusePages{4, "Cannot change pages when model is running.",
                                       "change the pages."};

}  // namespace korvel
