// The list window of numbered messages found while a model was compiled
// (and those listed during a run): number, kind, description, advice, and
// the block and sheet each is about, one row each, shown modally once the
// compile is over. Double-clicking a row about a block shows that block.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "engine/compilemessage.h"

class QDialog;
class QWidget;

namespace korvel {

// How the list names and reaches the blocks its messages are about (by
// IDNumber, so a message outlives edits of the model).
struct KCompileListPlaces {
    std::function<QString(int block)> blockName;
    std::function<QString(int page)> sheetName;
    std::function<void(int block)> showBlock;
};

// The list window, not yet shown (the caller owns it).
QDialog* MakeCompileList(QWidget* parent, const std::vector<KCompileMessage>& messages,
                         const KCompileListPlaces& places);
void ShowCompileList(QWidget* parent, const std::vector<KCompileMessage>& messages,
                     const KCompileListPlaces& places);

}  // namespace korvel
