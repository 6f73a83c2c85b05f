// Reading and writing whole models: design files (".kvd") and custom module
// files (".kvc") share one line-oriented format.
//
// A file is a frame (version, custom-module flag, page count, font size, page
// names), then every top-level block record, then every top-level wire
// record, then an end record. Only elements of the top-level model are
// written; elements flattened out of module instances by a compile are not.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/modulefinder.h"

namespace korvel {

class KElements;
class KFileSystem;
class KLineReader;
class Messages;

inline constexpr double kFileVersion = 1.2;
inline constexpr double kLowestVersion = 1.0;
inline constexpr double kHighestVersion = 2.999;
// The most pages a model has; the editor adds no page beyond it.
inline constexpr int kMaxPages = 99;

// What the frame of a model file says besides its elements.
struct KModelHeader {
    bool custMod = false;
    int pages = 1;
    int fontSize = 8;
    bool hasFontSize = false;  // on reading: the file gave a font size
    std::vector<std::string> pageNames;
};

// How a model is read.
struct KLoadOptions {
    double lowestVersion = kLowestVersion;
    double highestVersion = kHighestVersion;
    // -1 for a design opened by the user; the instance index when a module
    // file is expanded into a compile (its elements then take that parent
    // module, its blocks page -1, and its wires are left for the compile to
    // connect).
    int parentModule = -1;
    // Finds the module files that module blocks name; nullptr finds none.
    const KModuleFinder* modules = nullptr;
};

// Result of reading a model: the number of pages on success, 0 on failure
// (the messages say why), -1 when a design file was read as a module.
struct KLoadResult {
    int pages = 0;
    bool Ok() const { return pages > 0; }
};

// Reads one model from the reader into the collection (appending). On
// failure the elements read so far stay in the collection; callers that open
// a design clear it again.
[[nodiscard]] KLoadResult LoadModel(KElements& elements, KLineReader& reader,
                                    const KLoadOptions& options, KModelHeader& header,
                                    Messages& messages);

// Reads the file at a path; an unreadable file reports "Cannot open " + path
// and the reason. A UTF-8 byte-order mark at the start is passed over.
[[nodiscard]] KLoadResult LoadModelFile(KElements& elements, const std::string& path,
                                        const KLoadOptions& options, KModelHeader& header,
                                        Messages& messages);

// Removes a UTF-8 byte-order mark from the start of a file's text.
void DropByteOrderMark(std::string& text);

// The text of the model in the file format, version 1.2.
std::string SaveModelText(const KElements& elements, const KModelHeader& header);

// Saves the model to a file without ever leaving a damaged file behind: the
// whole text goes to a temporary file beside the target, which then replaces
// the target in one step. A custom module is checked first and refused with
// the check's message. `replaceExisting` is the Save command (the file must
// exist); otherwise Save As (the file may be new). Answers success.
[[nodiscard]] bool SaveModelFile(const KElements& elements, const KModelHeader& header,
                                 const std::string& path, bool replaceExisting, KFileSystem& fs,
                                 Messages& messages);

}  // namespace korvel
