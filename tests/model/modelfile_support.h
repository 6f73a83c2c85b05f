// Helpers shared by the model file tests: reading and writing test files,
// temporary folders, loading a text into a fresh collection, composing
// records and module files by hand, placing module blocks, and a dump of a
// collection that owes nothing to the
// writer under test, so two collections can be compared field by field.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/custmod.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"

namespace korvel::filetest {

// The path of a file under tests/data.
std::string TestData(std::string_view name);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);

// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the test.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const;
    // The names of the folder's entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

// The lines joined, each ended by CR LF, as files are written.
std::string Crlf(const std::vector<std::string>& lines);
// The lines of a text (CR LF or LF ends), without their ends.
std::vector<std::string> LinesOf(std::string_view text);

// Escapes as files do: LF -> 1, CR -> 2, ',' -> 3. Written out here so that
// expected file text does not come from the code under test.
std::string Esc(std::string_view text);

// A collection loaded from a text; non-movable, so it lives on the heap.
struct LoadedModel {
    KMessageRecorder messages;
    KElements elements{messages};
    KModelHeader header;
    KLoadResult result;

    KBlock& BlockAt(int index);
    KWire& WireAt(int index);
};

std::unique_ptr<LoadedModel> Load(std::string text, const KLoadOptions& options = {});

// Every field of the header and of each element, one element a line, with
// control characters shown as \xNN. Equal dumps mean equal collections.
std::string Describe(const KElements& elements);
std::string Describe(const KModelHeader& header);

// What is wrong with the collection's bookkeeping (number index, wire ends
// pointing into the collection, connected flags); empty when nothing is.
std::string ConsistencyProblems(KElements& elements);

// Appends a block of a type at a place with a number and a name.
KBlock& AddBlock(KElements& elements, int type, int id, int x, int y, std::string name);
// Appends a wire attached to two blocks' nodes and routed.
KWire& AddWire(KElements& elements, int id, KBlock& from, int fromNode, KBlock& to, int toNode);

// One interface block of a module file; edge, position and initial value as
// the file writes them.
struct Iface {
    std::string tag;  // "KCustInput", "KCustOutput", "KCustDoc" or "KCustDctl"
    std::string name;
    std::string edge;
    std::string position;
    std::string initial = "0";
};

inline Iface In(std::string name, std::string edge, std::string position,
                std::string initial = "0") {
    return {"KCustInput", std::move(name), std::move(edge), std::move(position),
            std::move(initial)};
}
inline Iface Out(std::string name, std::string edge, std::string position) {
    return {"KCustOutput", std::move(name), std::move(edge), std::move(position)};
}

// A module file: the frame with CustMod True, the raw lines of `before`
// (other records), then one record per interface block, in order.
std::string ModuleText(const std::vector<Iface>& blocks,
                       const std::vector<std::string>& before = {});

// A module block as the editor places it: named, numbered, its nodes read
// from the module file through the finder. Fails the test when they cannot be.
KCustMod& AddModule(KElements& elements, int id, int x, int y, std::string name,
                    std::string fileName, const KModuleFinder& finder);

}  // namespace korvel::filetest
