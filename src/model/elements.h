// KElements: every element of the open model, in one ordered list.
//
// The list order is the drawing order (later elements are drawn over earlier
// ones) and the tie-break order of compilation. Lookups by IDNumber go
// through an index kept beside the list, so they do not scan the model; the
// index answers the first element of a number in list order, as a scan would.
// Bulk operations (deleting a selection, a page, pasting) work in one pass
// over the list, so a model of a hundred thousand elements stays quick.
//
// Every edit through the collection (adding, inserting, deleting, restacking,
// replacing a block, renumbering an element, NoteEdit) advances Generation(),
// which tells a compile's results (KCompiled) and the run-time model built
// from them that they no longer describe this collection. Changing an
// element's own fields (a name, a node value, the selection) is not such an
// edit. Editing operations built on these (selection, clipboard and paste,
// moving, extender reversal) are in model/modeleditor.h; compiling is in
// model/compile.h and answers a KCompiled.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/element.h"

namespace korvel {

class KBlock;
class KWire;
class Messages;

class KElements {
public:
    explicit KElements(Messages& messages, std::string baseFolder = {});
    KElements(const KElements&) = delete;
    KElements& operator=(const KElements&) = delete;
    ~KElements();

    Messages& Sink() const { return messages_; }
    const std::string& BaseFolder() const { return baseFolder_; }

    // Appends an element; the collection owns it from now on.
    KElement& Add(std::unique_ptr<KElement> element);
    // Inserts an element at a list position (used when a block is replaced in place).
    KElement& InsertAt(int index, std::unique_ptr<KElement> element);

    int Count() const { return static_cast<int>(elements_.size()); }
    KElement& At(int index) { return *elements_[static_cast<std::size_t>(index)]; }
    const KElement& At(int index) const { return *elements_[static_cast<std::size_t>(index)]; }
    std::span<const std::unique_ptr<KElement>> All() const { return elements_; }
    // The list position of an element, or -1 when it is not in the collection.
    int IndexOf(const KElement& element) const;

    // --- Numbering -------------------------------------------------------
    // The first element numbered n in list order, or nullptr.
    KElement* FindByNumber(int n);
    bool IsIDNumberUsed(int n) { return FindByNumber(n) != nullptr; }
    // The smallest non-negative number that no element uses and that no
    // reference node still holds. Skipping referenced numbers keeps a
    // deleted controller's number from passing to a newcomer, so a dangling
    // reference is reported instead of silently rebinding.
    int NextFreeIDNumber();
    // `count` such numbers, ascending, for placing many elements at once.
    std::vector<int> NextFreeIDNumbers(int count);
    // The first of base + "1", base + "2", ... that no block uses as its name.
    std::string FindNextNumberedString(std::string_view base);

    // Called by an element whose number changed.
    void NumberChanged(KElement& element, int oldNumber);

    // --- Lookups (messages as the editor shows them) -----------------------
    KBlock* GetBlock(int idNumber);
    KBlock* FindVariableWithIDNumber(int n);
    KBlock* FindDctlWithIDNumber(int n);
    KBlock* FindExcelFileWithIDNumber(int n);
    int GetVariableIDNumber(std::string_view name);
    int GetDctlIDNumber(std::string_view name);
    int GetExcelFileIDNumber(std::string_view name);
    KBlock* FindFirstVariable();
    // The next wire after `lastWire` (or from the start) with an end on the block.
    KWire* FindNextConnectedWire(const KBlock& block, const KWire* lastWire);
    // The first element whose label holds the point on the page.
    KElement* ElementAt(int page, int x, int y);
    bool IsPageEmpty(int page) const;

    // --- Deleting ------------------------------------------------------------
    // A block takes its wires with it.
    bool DeleteElement(KElement& element);
    bool DeleteWire(KElement& element);
    // Deletes every selected element (and the wires of selected blocks).
    void DeleteSelected();
    // Deletes the page's elements and moves later pages one down.
    void DeletePage(int page);
    void Clear();

    // --- Edits for the editing operations ---------------------------------------
    // Reorders the list stably: the elements for which `first` is true go
    // before the others, each group keeping its order.
    void Restack(const std::function<bool(const KElement&)>& first);
    // Puts a block in place of the block at a list position; every wire on
    // the old block moves to the new one, and the old block is destroyed.
    void ReplaceBlockAt(int index, std::unique_ptr<KBlock> replacement);
    // Records an edit made through an element (a block moved, a wire
    // rerouted) that invalidates what was compiled.
    void NoteEdit() { ++generation_; }

    // --- Generation --------------------------------------------------------------
    // Advances with every edit through the collection; a compile records it.
    std::uint64_t Generation() const { return generation_; }

private:
    void RebuildIndex();
    // Removes the elements for which `doomed` is true in one pass, wires first
    // detached, and keeps node connected flags right.
    template <class Pred>
    void RemoveIf(Pred doomed);
    void RefreshConnectedFlags();
    KBlock* FindKindWithNumber(int n, bool (KBlock::*is)() const, std::string_view error);
    int FindKindNumberByName(std::string_view name, bool (KBlock::*is)() const,
                             std::string_view error);

    Messages& messages_;
    std::string baseFolder_;
    std::vector<std::unique_ptr<KElement>> elements_;
    std::unordered_map<int, KElement*> byNumber_;
    bool indexValid_ = true;
    std::uint64_t generation_ = 0;
};

}  // namespace korvel
