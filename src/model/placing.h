// The set-up a block gets when a user puts it into a model, by placing it
// from the palette or by pasting a copy. A block read from a file keeps what
// the file says: nothing here runs on loading.
//
// - Types that number their names (Variable, Digital Controller, Excel File,
//   the module Input and Output, the program blocks) take the next free
//   numbered name.
// - A Digital Controller or Excel File reference that names nothing yet
//   names the model's only block of that kind when there is exactly one (the
//   binding a compile would make); with none or several it stays unset and
//   the compile says what is missing. Variable references stay unset: for
//   the oscilloscope's trigger source and horizontal channel "none" is a
//   choice of its own, and the analyzer's two channels must differ.
// - A custom module interface block whose edge and position another
//   interface block already holds moves to the lowest free position on that
//   edge, so the module can be saved.
// New string lists already hold their first entries from the node's creation.
#pragma once

namespace korvel {

class KBlock;
class KElements;
class KNode;

// Whether a reference node (Variable, Digital Controller or Excel File) can
// name `block`: the blocks its dialog offers and a binding may choose.
bool RefersTo(const KNode& node, const KBlock& block);

// Numbered name, references and interface place of a new block; `elements`
// is the model it joins (the block itself may already be in it).
void SetUpNewBlock(KBlock& block, KElements& elements);

// The two parts of SetUpNewBlock that also suit a pasted copy.
void BindUnsetReferences(KBlock& block, const KElements& elements);
void FreeInterfacePlace(KBlock& block, const KElements& elements);

}  // namespace korvel
