// KCompiled: what one compile of a model built, apart from the model.
//
// CompileModel answers a KCompiled by value; whoever compiles owns it (the
// editor's document, the command-line runner, a test). It holds the nets,
// the execution order, the reference bindings and the fault marks as
// pointers into the collection it was compiled from, so it is only good
// while that collection is unedited: every edit through the collection
// (adding, deleting, pasting, moving, restacking, replacing, renumbering)
// advances the collection's generation, and IsCurrent answers false from
// then on. Check IsCurrent before following any pointer held here; a stale
// value is recompiled, never repaired. The run-time model built from it
// (KBenchTop) makes the same check.
//
// In an editor:
//
//     KCompiled compiled = CompileModel(elements, options, messages);
//     if (compiled.Ok()) benchTop = BuildBenchTop(compiled, messages);
//     ...                                   // the user edits, windows redraw
//     if (!compiled.IsCurrent(elements)) {  // before reading it again
//         benchTop.reset();                 // its objects point at the blocks
//         compiled = CompileModel(elements, options, messages);
//     }
//
// What a compile leaves in the collection itself stays there, as numbers
// rather than pointers: each node's net link and each wire's net index into
// `nets`, the expanded module instances (elements with a parent module), the
// blocks' computed flags (a block not computed is drawn red) and the wires
// the compile selected.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace korvel {

class KBlock;
class KElements;
class KWire;

// A net built by compiling: one source node and every input it feeds.
struct KNet {
    KBlock* sourceBlock = nullptr;
    int sourceNode = -1;
};

class KCompiled {
public:
    // Whether every step passed; on failure the messages said why and the
    // fault marks show where.
    bool Ok() const { return ok_; }
    // Whether the collection is the one compiled and has not been edited since.
    bool IsCurrent(const KElements& elements) const;
    const KElements* Source() const { return source_; }
    std::uint64_t Generation() const { return generation_; }

    // Marks the value as made from the collection as it stands now, with
    // the outcome; the fault marks are read from the collection.
    void Seal(const KElements& elements, bool ok);

    // Custom module instances expanded into the collection.
    int instanceCount = 0;
    // One net per source node, indexed by the nodes' net links.
    std::vector<KNet> nets;
    // The execution order: the Solver, the Digital Controllers and Excel
    // Files, then every other block after the blocks it reads.
    std::vector<KBlock*> ordered;
    // Reference binding: each digital block's Digital Controller and each
    // spreadsheet block's Excel File block.
    std::unordered_map<const KBlock*, KBlock*> controllerOf;
    std::unordered_map<const KBlock*, KBlock*> excelFileOf;
    // Fault marks, in collection order: the blocks drawn red (none after a
    // success) and the wires the compile highlighted (the wire at fault, or
    // wires that reach no source, which only warn).
    std::vector<const KBlock*> faultBlocks;
    std::vector<const KWire*> faultWires;

private:
    bool ok_ = false;
    const KElements* source_ = nullptr;
    std::uint64_t generation_ = 0;
};

}  // namespace korvel
