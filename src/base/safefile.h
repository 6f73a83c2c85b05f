// Reading whole files and saving them so that a failure never costs the user
// the file they had.
//
// A save writes the complete new contents to a temporary file in the target's
// folder, flushes it to the disk, and only then renames it over the target.
// Rename within one folder replaces the file in one step, so at every moment
// the target is either the whole old file or the whole new one, whatever
// fails (a full disk, a lost connection, a crash).
//
// The platform is reached through KFileSystem so tests can make any single
// operation fail (KFaultyFileSystem) and check that the old file survives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/messages.h"

namespace korvel {

inline constexpr std::uint64_t kMaxWholeFileSize = std::uint64_t{1} << 30;  // 1 GiB

// Reads a regular file into `out`. On failure answers false, leaves `out`
// empty and puts a one-line reason in `error`, naming the path:
// "Cannot open <path>: " and the system's reason ("No such file or
// directory", "Permission denied", "Is a directory"), "not a regular file" or
// "larger than 1 GiB"; "Cannot read <path>: <system error>". The cap protects against reading a
// device or a mistaken multi-gigabyte file into memory.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& out, std::string& error,
                                 std::uint64_t maxSize = kMaxWholeFileSize);

using KFileHandle = int;

struct KFileStatus {
    bool isRegular = false;
    bool isFolder = false;
    unsigned mode = 0;  // permission bits (07777)
};

// The file-system operations a save needs. Every call answers an error code
// (empty on success) carrying the system's reason. The "changing" operations
// are CreateExclusive, Write, SetMode, Sync, Close and Rename; Remove is the
// clean-up after a failure.
class KFileSystem {
public:
    virtual ~KFileSystem() = default;

    // Whether any directory entry has this name (a dangling link counts).
    virtual bool Exists(const std::string& path) = 0;
    // Whether the file can be opened for reading.
    virtual std::error_code CheckReadable(const std::string& path) = 0;
    // Whether the calling user may write the file.
    virtual std::error_code CheckWritable(const std::string& path) = 0;
    // Follows symbolic links; `status` describes what the path leads to.
    virtual std::error_code Status(const std::string& path, KFileStatus& status) = 0;
    // The absolute path with every symbolic link resolved.
    virtual std::error_code ResolvePath(const std::string& path, std::string& resolved) = 0;

    // Creates a file that must not exist yet, open for writing.
    virtual std::error_code CreateExclusive(const std::string& path, unsigned mode,
                                            KFileHandle& handle) = 0;
    // Writes up to `size` bytes; `written` says how many (a short write is
    // not an error).
    virtual std::error_code Write(KFileHandle handle, const char* data, std::size_t size,
                                  std::size_t& written) = 0;
    // Sets the permission bits exactly, regardless of the umask.
    virtual std::error_code SetMode(KFileHandle handle, unsigned mode) = 0;
    // Flushes the file's data to the disk.
    virtual std::error_code Sync(KFileHandle handle) = 0;
    // Closes the handle; the handle is gone even when an error is answered.
    virtual std::error_code Close(KFileHandle handle) = 0;
    // Replaces `to` by `from` in one step.
    virtual std::error_code Rename(const std::string& from, const std::string& to) = 0;
    virtual std::error_code Remove(const std::string& path) = 0;
    // Flushes a folder's entries, so a completed rename survives a crash.
    virtual std::error_code SyncFolder(const std::string& path) = 0;
};

// The real file system through POSIX calls.
class KPosixFileSystem final : public KFileSystem {
public:
    bool Exists(const std::string& path) override;
    std::error_code CheckReadable(const std::string& path) override;
    std::error_code CheckWritable(const std::string& path) override;
    std::error_code Status(const std::string& path, KFileStatus& status) override;
    std::error_code ResolvePath(const std::string& path, std::string& resolved) override;
    std::error_code CreateExclusive(const std::string& path, unsigned mode,
                                    KFileHandle& handle) override;
    std::error_code Write(KFileHandle handle, const char* data, std::size_t size,
                          std::size_t& written) override;
    std::error_code SetMode(KFileHandle handle, unsigned mode) override;
    std::error_code Sync(KFileHandle handle) override;
    std::error_code Close(KFileHandle handle) override;
    std::error_code Rename(const std::string& from, const std::string& to) override;
    std::error_code Remove(const std::string& path) override;
    std::error_code SyncFolder(const std::string& path) override;
};

// A test double over another file system that makes chosen operations fail.
// Operations it does not fail are passed on, so the files are real.
class KFaultyFileSystem final : public KFileSystem {
public:
    explicit KFaultyFileSystem(KFileSystem& inner) : inner_(inner) {}

    // The 1-based number of the changing operation to fail (0: none). Only
    // that one fails; counting continues through the clean-up.
    int failOperation = 0;
    // The error the failed operation answers.
    std::errc failError = std::errc::no_space_on_device;
    // Every Rename fails with failError.
    bool failRename = false;
    // Every Remove fails with failError (the clean-up cannot tidy up).
    bool failRemove = false;
    // When not 0, each Write passes on at most this many bytes.
    std::size_t maxWriteChunk = 0;
    // Answers of the permission checks, as the kernel gives them to a user
    // the permission bits stop (they never stop root).
    std::optional<std::errc> readableError;
    std::optional<std::errc> writableError;

    // Changing operations seen so far.
    int Operations() const { return operations_; }

    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::error_code CheckReadable(const std::string& path) override;
    std::error_code CheckWritable(const std::string& path) override;
    std::error_code Status(const std::string& path, KFileStatus& status) override;
    std::error_code ResolvePath(const std::string& path, std::string& resolved) override;
    std::error_code CreateExclusive(const std::string& path, unsigned mode,
                                    KFileHandle& handle) override;
    // A failing write passes on half its bytes first, as a filling disk does.
    std::error_code Write(KFileHandle handle, const char* data, std::size_t size,
                          std::size_t& written) override;
    std::error_code SetMode(KFileHandle handle, unsigned mode) override;
    std::error_code Sync(KFileHandle handle) override;
    // A failing close still closes the inner handle, as POSIX close does.
    std::error_code Close(KFileHandle handle) override;
    std::error_code Rename(const std::string& from, const std::string& to) override;
    std::error_code Remove(const std::string& path) override;
    std::error_code SyncFolder(const std::string& path) override;

private:
    // Counts a changing operation and answers whether it is the one to fail.
    bool FailsNow();
    std::error_code Injected() const { return std::make_error_code(failError); }

    KFileSystem& inner_;
    int operations_ = 0;
};

// The name of the temporary file a save uses: "___Korvel__" + five digits +
// ".tmp", numbered 00000 upward until the name is free. A file left by an
// earlier crash keeps its number and is never touched.
std::string TempFileName(int number);

// The editor's Save: replaces the existing file `targetPath` by `bytes`.
//
// The target must exist, be a regular file, be readable and writable; a
// symbolic link is followed, so the link stays a link and the file it leads
// to gets the new contents. The new file keeps the old one's permission bits.
// Answers true on success. On failure the target is byte-for-byte unchanged,
// the temporary file is removed, and one numbered two-line error is shown
// through `messages`; every description ends with ": " and the system's
// reason:
//   5 "Cannot open " + target   - missing, unreadable, not a regular file;
//     advice: target + " may have been deleted or moved. If so, restore file
//     and try again." A read-only target gets number 5 with the description
//     "Cannot write to " + target and advice to make it writable or use
//     Save As.
//   6 "Cannot open " + temp      - the temporary file cannot be created
//   7 "Cannot write to " + temp  - writing, flushing or closing it failed
//   9 "File save encountered unexpected error" - the final rename failed
// Advice for 6, 7 and 9 says what to check and that the original file was
// not changed. Should the temporary file resist removal, the advice names it.
[[nodiscard]] bool SaveFileSafely(KFileSystem& fs, const std::string& targetPath,
                                  std::string_view bytes, Messages& messages);

// A file written piece by piece (a table of results as a run produces it)
// that takes the place of its target only when it is complete, exactly as a
// save does: Open checks the target as SaveNewFile does and creates the
// temporary file; Write appends; Commit flushes it to the disk and renames it
// over the target. With `replaceExisting` the target must exist and be
// readable (the editor's Save). Until Commit succeeds the target is untouched; a writer
// destroyed or abandoned before then removes its temporary file. Errors are
// the numbered messages of SaveFileSafely, shown once.
class KSafeFileWriter {
public:
    KSafeFileWriter(KFileSystem& fs, Messages& messages) : fs_(fs), messages_(messages) {}
    KSafeFileWriter(const KSafeFileWriter&) = delete;
    KSafeFileWriter& operator=(const KSafeFileWriter&) = delete;
    ~KSafeFileWriter() { Abandon(); }

    [[nodiscard]] bool Open(const std::string& targetPath, bool replaceExisting = false);
    // False once any write has failed (the first failure's message shown).
    [[nodiscard]] bool Write(std::string_view bytes);
    [[nodiscard]] bool Commit();
    // Closes and removes the temporary file; the target stays as it was.
    void Abandon();

    bool IsOpen() const { return handle_ >= 0; }
    const std::string& TempPath() const { return temp_; }

private:
    bool Fail(int number, const std::string& description, std::error_code ec, std::string advice);

    KFileSystem& fs_;
    Messages& messages_;
    std::string shownName_;
    std::string path_;  // links resolved
    std::optional<unsigned> mode_;
    std::string temp_;
    KFileHandle handle_ = -1;
};

// Save As: writes `bytes` to `targetPath`, which need not exist. A new file
// gets the permissions the umask gives; an existing one (the user agreed to
// replace it) is replaced as by SaveFileSafely, keeping its permissions and
// following links, but need not be readable. Errors as for SaveFileSafely.
[[nodiscard]] bool SaveNewFile(KFileSystem& fs, const std::string& targetPath,
                               std::string_view bytes, Messages& messages);

}  // namespace korvel
