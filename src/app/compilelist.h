// The list window of numbered messages found while a model was compiled
// (and those listed during a run): number, kind, description and advice,
// one row each, shown modally once the compile is over.
#pragma once

#include <vector>

#include "engine/compilemessage.h"

class QWidget;

namespace korvel {

void ShowCompileList(QWidget* parent, const std::vector<KCompileMessage>& messages);

}  // namespace korvel
