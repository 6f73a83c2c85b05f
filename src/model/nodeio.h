// Node values in model files. Each saved node is one line whose last field
// is the node's name (escaped) and whose other fields carry its value, by
// value kind: one number, one text, a list of entries, or the signal
// analyzer's ten buttons.
//
// Every text a user can type (names, texts, list entries, button names) is
// escaped on write and unescaped on read, so a comma or a line break in it
// can never split or swallow a field. Files written before texts were
// escaped never held those characters and read the same.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class KBlock;
class KLineWriter;
class KNode;
class Messages;

// Writes the node's line (for a node that is saved: see KNode::IsSavedValue).
void WriteNodeValue(KLineWriter& writer, const KNode& node);

// Reads the node's value from the fields of its line (the last field is the
// node's name). A value out of its node's range (a choice or pick outside its
// list, a reference that names no number, a position that is not finite)
// takes the node's default with a warning naming the block; a line that does
// not fit the node fails with a message, and the caller fails the block.
[[nodiscard]] bool ReadNodeValue(KNode& node, const std::vector<std::string>& fields,
                                 const std::string& raw, const KBlock& block, Messages& messages);

// After a block's record is read: a string pick that does not fall inside its
// block's string list takes its default with a warning.
void CheckStringPicks(KBlock& block, Messages& messages);

// The index of the block's string list node, or -1.
int StringListNodeIndex(const KBlock& block);

}  // namespace korvel
