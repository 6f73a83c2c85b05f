// KModelSession: the open model and what was built from it. It owns the
// element collection, the file's frame (pages, font size, custom-module
// flag), the file name and modified flag, and the run-time model with its
// run loop. Every compile and bench-top build of the editor happens here and
// nowhere else.
//
// Opening reads into a fresh collection and replaces the open model only
// when the read succeeded, so a failed open leaves the previous model, its
// name, pages and modified flag exactly as they were. Saving writes the whole
// file beside the target and renames it over, and clears modified only once
// the file is whole on disk.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/compilemessage.h"
#include "engine/runloop.h"
#include "model/compiled.h"
#include "model/modelfile.h"

namespace korvel {

class KAppMessages;
class KBenchTop;
class KElements;
class KFileSystem;
class KModelEditor;

// The sentence that closes the advice of faults the user cannot mend alone.
inline constexpr std::string_view kSupportSentence =
    "  If the problem persists, please send the model file and a description of what you did "
    "to Korvel support.";

class KModelSession {
public:
    explicit KModelSession(KAppMessages& messages);
    ~KModelSession();

    KElements& Elements() { return *elements_; }
    const KElements& Elements() const { return *elements_; }
    // The selection, clipboard and selection edits of the open collection
    // (made anew with each New or Open).
    KModelEditor& Editor() { return *editor_; }
    const KModelEditor& Editor() const { return *editor_; }
    KModelHeader& Header() { return header_; }
    const KModelHeader& Header() const { return header_; }
    int PageCount() const { return static_cast<int>(header_.pageNames.size()); }

    const std::string& FileName() const { return fileName_; }
    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    bool IsCustomMode() const { return header_.custMod; }

    // The folders module files are looked up in (besides the model's own).
    void SetModuleFolders(std::vector<std::string> folders) { moduleFolders_ = std::move(folders); }
    // Where a compile looks for module files: those folders, then the model's own.
    std::vector<std::string> ModuleSearchFolders() const;

    // An empty design or custom module: one page "1", no file name; a custom
    // module starts with its input, an integrator and its output.
    void New(bool customMode, int fontSize);
    // Reads the file into a fresh collection and takes it on success.
    // Failures were reported: error 5 for a file that cannot be read, the
    // reader's messages otherwise.
    [[nodiscard]] bool Open(const std::string& path);
    // Writes the model to `path`: the existing file for Save
    // (replaceExisting), any path for Save As. A custom module is checked
    // against the module rules first.
    [[nodiscard]] bool Save(const std::string& path, bool replaceExisting, KFileSystem& fs);
    // The model's bytes as a save would write them.
    std::string Text() const;

    // --- Run-time model ------------------------------------------------------
    // Compiles and builds the run-time model (dropping the old one first).
    // Warnings and errors found while building go to `listed`.
    [[nodiscard]] bool Compile(std::vector<KCompileMessage>& listed);
    // Drops the run-time model and everything it owns.
    void DiscardRunTime();
    bool IsCompiled() const { return bench_ != nullptr; }
    KBenchTop* BenchTop() const { return bench_.get(); }
    // The last compile's nets, order and fault marks (stale after an edit).
    const KCompiled& Compiled() const { return compiled_; }
    KRunLoop& RunLoop() { return runLoop_; }

    // Every element's own "Zero All Stored Outputs", then the run-time
    // model's when compiled.
    void ZeroAllStoredOutputs();

private:
    KAppMessages& messages_;
    std::unique_ptr<KElements> elements_;
    std::unique_ptr<KModelEditor> editor_;
    KModelHeader header_;
    std::string fileName_;
    bool modified_ = false;
    std::vector<std::string> moduleFolders_;
    KRunLoop runLoop_;
    // The compile the bench top was built from: it outlives the bench top.
    KCompiled compiled_;
    std::unique_ptr<KBenchTop> bench_;
};

}  // namespace korvel
