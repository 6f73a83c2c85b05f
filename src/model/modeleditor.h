// KModelEditor: the editing operations on a model's collection that work on
// the selection (selecting, restacking, moving, copying and pasting,
// reversing extenders).
//
// An editor window keeps one KModelEditor beside its KElements; the editor
// holds the clipboard. Every operation that changes the collection goes
// through the collection's own edits, so it advances the collection's
// generation and a compile made before it (KCompiled) is no longer current.
// Selecting alone is not an edit: a compiled model stays compiled while the
// user selects.
#pragma once

#include <memory>
#include <vector>

#include "model/element.h"

namespace korvel {

class KBlock;
class KElements;

class KModelEditor {
public:
    explicit KModelEditor(KElements& elements);
    KModelEditor(const KModelEditor&) = delete;
    KModelEditor& operator=(const KModelEditor&) = delete;
    ~KModelEditor();

    KElements& Elements() const { return elements_; }

    // --- Selection -----------------------------------------------------------
    void ClearSelection();
    void SelectInRect(int page, const KRect& r);
    void ToggleSelectInRect(int page, const KRect& r);
    std::vector<KBlock*> SelectedBlocks() const;

    // --- Order and moving ----------------------------------------------------
    // The selected elements go over (to the end of the list) or under (to its
    // start) the others, each group keeping its order.
    void BringToFront();
    void SendToBack();
    // Moves the selected blocks of a page by the grid-snapped distance. A wire
    // between two moved blocks moves with them; a wire with one end left
    // behind, or on a block that the page border stopped, is routed afresh.
    void MoveSelected(int page, int dx, int dy, int pageWidth, int pageHeight);

    // --- Placing ---------------------------------------------------------------
    // Puts a new block on a page at a point: snapped to the grid, numbered
    // with the lowest free IDNumber, given its type's set-up (SetUpNewBlock),
    // added, and made the only selection.
    KBlock& PlaceBlock(std::unique_ptr<KBlock> block, int page, int x, int y);

    // --- Clipboard -------------------------------------------------------------
    // Copies the selected blocks of a page, then its selected wires.
    void CopyAllSelected(int page);
    int ClipboardCount() const { return static_cast<int>(clipboard_.size()); }
    // A new element made from a clipboard element with the next free number;
    // the caller adds it.
    std::unique_ptr<KElement> PasteElement(const KElement& clipboardElement);
    // Pastes the whole clipboard onto a page, moved by (dx, dy): blocks get
    // fresh numbers (and fresh numbered names where their type numbers its
    // names), wires whose two blocks were copied are attached to the new
    // blocks, and the pasted elements become the selection. A pasted block
    // whose reference names nothing is bound as a placed one is, and a pasted
    // interface block leaves a place another one holds. Answers how many
    // elements were pasted.
    int PasteAll(int page, int dx, int dy);

    // --- Extenders ---------------------------------------------------------------
    // Replaces each selected extender on the page by its opposite type.
    void ReverseAllSelectedExtenders(int page);

private:
    KElements& elements_;
    // Copies that hold numbers, not pointers, so deleting the originals
    // leaves them whole.
    std::vector<std::unique_ptr<KElement>> clipboard_;
};

}  // namespace korvel
