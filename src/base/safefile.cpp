#include "base/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace korvel {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::string SizeText(std::uint64_t size) {
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
    if (size >= kGiB && size % kGiB == 0) {
        return std::to_string(size / kGiB) + " GiB";
    }
    if (size >= kMiB && size % kMiB == 0) {
        return std::to_string(size / kMiB) + " MiB";
    }
    return std::to_string(size) + " bytes";
}

// Closes a descriptor on every way out of ReadWholeFile.
class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    ~FdCloser() { ::close(fd_); }

private:
    int fd_;
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out, std::string& error,
                   std::uint64_t maxSize) {
    out.clear();
    error.clear();
    // O_NONBLOCK so that opening a FIFO by mistake cannot hang; the check
    // below refuses it before anything is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = "Cannot open " + path + ": " + LastError().message();
        return false;
    }
    FdCloser closer(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = "Cannot read " + path + ": " + LastError().message();
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "Cannot open " + path + ": " +
                std::make_error_code(std::errc::is_a_directory).message();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "Cannot open " + path + ": not a regular file";
        return false;
    }
    const std::string tooLarge = "Cannot open " + path + ": larger than " + SizeText(maxSize);
    if (static_cast<std::uint64_t>(info.st_size) > maxSize) {
        error = tooLarge;
        return false;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    // The file may grow while it is read, so the loop runs to the real end
    // and keeps checking the cap.
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = "Cannot read " + path + ": " + LastError().message();
            return false;
        }
        if (got == 0) {
            break;
        }
        if (data.size() + static_cast<std::size_t>(got) > maxSize) {
            error = tooLarge;
            return false;
        }
        data.append(buffer, static_cast<std::size_t>(got));
    }
    out = std::move(data);
    return true;
}

bool KPosixFileSystem::Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::error_code KPosixFileSystem::CheckReadable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return LastError();
    }
    ::close(fd);
    return {};
}

std::error_code KPosixFileSystem::CheckWritable(const std::string& path) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return LastError();
    }
    return {};
}

std::error_code KPosixFileSystem::Status(const std::string& path, KFileStatus& status) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return LastError();
    }
    status.isRegular = S_ISREG(info.st_mode);
    status.isFolder = S_ISDIR(info.st_mode);
    status.mode = static_cast<unsigned>(info.st_mode) & 07777u;
    return {};
}

std::error_code KPosixFileSystem::ResolvePath(const std::string& path, std::string& resolved) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    if (!real) {
        return LastError();
    }
    resolved = real.get();
    return {};
}

std::error_code KPosixFileSystem::CreateExclusive(const std::string& path, unsigned mode,
                                                  KFileHandle& handle) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) {
        return LastError();
    }
    handle = fd;
    return {};
}

std::error_code KPosixFileSystem::Write(KFileHandle handle, const char* data, std::size_t size,
                                        std::size_t& written) {
    written = 0;
    for (;;) {
        const ssize_t count = ::write(handle, data, size);
        if (count >= 0) {
            written = static_cast<std::size_t>(count);
            return {};
        }
        if (errno != EINTR) {
            return LastError();
        }
    }
}

std::error_code KPosixFileSystem::SetMode(KFileHandle handle, unsigned mode) {
    if (::fchmod(handle, static_cast<mode_t>(mode)) != 0) {
        return LastError();
    }
    return {};
}

std::error_code KPosixFileSystem::Sync(KFileHandle handle) {
    while (::fsync(handle) != 0) {
        if (errno != EINTR) {
            return LastError();
        }
    }
    return {};
}

std::error_code KPosixFileSystem::Close(KFileHandle handle) {
    // Never retried: on this platform the descriptor is released even when
    // close reports EINTR, and a retry could close someone else's file.
    if (::close(handle) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

std::error_code KPosixFileSystem::Rename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return LastError();
    }
    return {};
}

std::error_code KPosixFileSystem::Remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        return LastError();
    }
    return {};
}

std::error_code KPosixFileSystem::SyncFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    std::error_code result;
    if (::fsync(fd) != 0) {
        result = LastError();
    }
    ::close(fd);
    return result;
}

bool KFaultyFileSystem::FailsNow() {
    ++operations_;
    return operations_ == failOperation;
}

std::error_code KFaultyFileSystem::CheckReadable(const std::string& path) {
    if (readableError) {
        return std::make_error_code(*readableError);
    }
    return inner_.CheckReadable(path);
}

std::error_code KFaultyFileSystem::CheckWritable(const std::string& path) {
    if (writableError) {
        return std::make_error_code(*writableError);
    }
    return inner_.CheckWritable(path);
}

std::error_code KFaultyFileSystem::Status(const std::string& path, KFileStatus& status) {
    return inner_.Status(path, status);
}

std::error_code KFaultyFileSystem::ResolvePath(const std::string& path, std::string& resolved) {
    return inner_.ResolvePath(path, resolved);
}

std::error_code KFaultyFileSystem::CreateExclusive(const std::string& path, unsigned mode,
                                                   KFileHandle& handle) {
    if (FailsNow()) {
        return Injected();
    }
    return inner_.CreateExclusive(path, mode, handle);
}

std::error_code KFaultyFileSystem::Write(KFileHandle handle, const char* data, std::size_t size,
                                         std::size_t& written) {
    written = 0;
    if (FailsNow()) {
        std::size_t ignored = 0;
        if (size / 2 > 0) {
            (void)inner_.Write(handle, data, size / 2, ignored);
        }
        return Injected();
    }
    const std::size_t chunk = maxWriteChunk > 0 ? std::min(size, maxWriteChunk) : size;
    return inner_.Write(handle, data, chunk, written);
}

std::error_code KFaultyFileSystem::SetMode(KFileHandle handle, unsigned mode) {
    if (FailsNow()) {
        return Injected();
    }
    return inner_.SetMode(handle, mode);
}

std::error_code KFaultyFileSystem::Sync(KFileHandle handle) {
    if (FailsNow()) {
        return Injected();
    }
    return inner_.Sync(handle);
}

std::error_code KFaultyFileSystem::Close(KFileHandle handle) {
    const std::error_code closed = inner_.Close(handle);
    if (FailsNow()) {
        return Injected();
    }
    return closed;
}

std::error_code KFaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    const bool fails = FailsNow();
    if (fails || failRename) {
        return Injected();
    }
    return inner_.Rename(from, to);
}

std::error_code KFaultyFileSystem::Remove(const std::string& path) {
    if (failRemove) {
        return Injected();
    }
    return inner_.Remove(path);
}

std::error_code KFaultyFileSystem::SyncFolder(const std::string& path) {
    return inner_.SyncFolder(path);
}

std::string TempFileName(int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", number);
    return std::string("___Korvel__") + digits + ".tmp";
}

namespace {

constexpr int kTempNumberCount = 100000;  // five digits
constexpr unsigned kPrivateMode = 0600;   // until the contents are complete
constexpr unsigned kNewFileMode = 0666;   // the umask decides

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Where the bytes go and, for a file that exists, the permissions to keep.
struct SaveTarget {
    std::string shownName;  // as the user named it, for messages
    std::string path;       // links resolved
    std::optional<unsigned> mode;
};

void ReportMissingTarget(const std::string& name, const std::string& reason, Messages& messages) {
    messages.ErrorMessage(5, "Cannot open " + name + ": " + reason,
                          name +
                              " may have been deleted or moved. If so, restore file and "
                              "try again.");
}

// Resolves an existing target and checks that it can be replaced.
bool PrepareExistingTarget(KFileSystem& fs, const std::string& targetPath, bool mustBeReadable,
                           Messages& messages, SaveTarget& target) {
    target.shownName = targetPath;
    if (mustBeReadable) {
        if (const std::error_code ec = fs.CheckReadable(targetPath)) {
            ReportMissingTarget(targetPath, ec.message(), messages);
            return false;
        }
    }
    if (const std::error_code ec = fs.ResolvePath(targetPath, target.path)) {
        ReportMissingTarget(targetPath, ec.message(), messages);
        return false;
    }
    KFileStatus status;
    if (const std::error_code ec = fs.Status(target.path, status)) {
        ReportMissingTarget(targetPath, ec.message(), messages);
        return false;
    }
    if (status.isFolder || !status.isRegular) {
        const std::string reason = status.isFolder
                                       ? std::make_error_code(std::errc::is_a_directory).message()
                                       : std::string("not a regular file");
        ReportMissingTarget(targetPath, reason, messages);
        return false;
    }
    // Renaming over a file needs only the folder's permission; a file the
    // user made read-only must still stop the save, as writing into it would.
    // A file without any write permission counts as read-only also for a
    // user the permissions do not stop (root): someone made it so on purpose.
    std::error_code readOnly = fs.CheckWritable(target.path);
    if (!readOnly && (status.mode & 0222u) == 0) {
        readOnly = std::make_error_code(std::errc::permission_denied);
    }
    if (readOnly) {
        messages.ErrorMessage(5, "Cannot write to " + targetPath + ": " + readOnly.message(),
                              targetPath +
                                  " is read-only. Make it writable, or use Save As "
                                  "to save under another name.");
        return false;
    }
    target.mode = status.mode;
    return true;
}

// Creates the first free temporary file in `folder`. A name taken between the
// check and the creation (another save in the same folder) moves on to the
// next number.
std::error_code CreateTempFile(KFileSystem& fs, const std::string& folder, unsigned mode,
                               std::string& temp, KFileHandle& handle) {
    for (int number = 0; number < kTempNumberCount; ++number) {
        temp = JoinPath(folder, TempFileName(number));
        if (fs.Exists(temp)) {
            continue;
        }
        const std::error_code ec = fs.CreateExclusive(temp, mode, handle);
        if (ec != std::errc::file_exists) {
            return ec;
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code WriteAll(KFileSystem& fs, KFileHandle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t written = 0;
        if (const std::error_code ec = fs.Write(handle, bytes.data(), bytes.size(), written)) {
            return ec;
        }
        if (written == 0) {
            // Nothing written and no reason given: looping would never end.
            return std::make_error_code(std::errc::io_error);
        }
        bytes.remove_prefix(std::min(written, bytes.size()));
    }
    return {};
}

std::string UnchangedText(bool existed) {
    return existed ? "The original file was not changed." : "No file was written.";
}

}  // namespace

bool KSafeFileWriter::Open(const std::string& targetPath, bool replaceExisting) {
    Abandon();
    SaveTarget target;
    if (replaceExisting || fs_.Exists(targetPath)) {
        if (!PrepareExistingTarget(fs_, targetPath, replaceExisting, messages_, target)) {
            return false;
        }
    } else {
        target.shownName = targetPath;
        target.path = targetPath;
    }
    shownName_ = target.shownName;
    path_ = target.path;
    mode_ = target.mode;
    KFileHandle handle = -1;
    if (const std::error_code ec = CreateTempFile(
            fs_, FolderOf(path_), mode_ ? kPrivateMode : kNewFileMode, temp_, handle)) {
        messages_.ErrorMessage(6, "Cannot open " + temp_ + ": " + ec.message(),
                               "Check that the folder exists, that you may write to it and that "
                               "the disk is not full. " +
                                   UnchangedText(mode_.has_value()));
        return false;
    }
    handle_ = handle;
    return true;
}

bool KSafeFileWriter::Fail(int number, const std::string& description, std::error_code ec,
                           std::string advice) {
    if (handle_ >= 0) {
        (void)fs_.Close(handle_);
        handle_ = -1;
    }
    if (const std::error_code removeError = fs_.Remove(temp_)) {
        advice += " The temporary file " + temp_ + " could not be removed (" +
                  removeError.message() + ").";
    }
    messages_.ErrorMessage(number, description + ec.message(), advice);
    return false;
}

bool KSafeFileWriter::Write(std::string_view bytes) {
    if (handle_ < 0) {
        return false;
    }
    if (const std::error_code ec = WriteAll(fs_, handle_, bytes)) {
        return Fail(
            7, "Cannot write to " + temp_ + ": ", ec,
            "The disk may be full or no longer reachable. " + UnchangedText(mode_.has_value()));
    }
    return true;
}

bool KSafeFileWriter::Commit() {
    if (handle_ < 0) {
        return false;
    }
    const std::string unchanged = UnchangedText(mode_.has_value());
    std::error_code ec;
    if (mode_) {
        ec = fs_.SetMode(handle_, *mode_);
    }
    if (!ec) {
        ec = fs_.Sync(handle_);
    }
    const std::error_code closed = fs_.Close(handle_);
    handle_ = -1;
    if (!ec) {
        ec = closed;
    }
    if (ec) {
        return Fail(7, "Cannot write to " + temp_ + ": ", ec,
                    "The disk may be full or no longer reachable. " + unchanged);
    }
    if (const std::error_code renamed = fs_.Rename(temp_, path_)) {
        return Fail(9, "File save encountered unexpected error: ", renamed,
                    "Could not replace " + shownName_ + " with " + temp_ + ". " + unchanged);
    }
    temp_.clear();
    // The new contents are in place. A folder that cannot be flushed (some
    // file systems refuse) is no reason to call the save failed.
    const std::string folder = FolderOf(path_);
    (void)fs_.SyncFolder(folder.empty() ? std::string(".") : folder);
    return true;
}

void KSafeFileWriter::Abandon() {
    if (handle_ < 0) {
        return;
    }
    (void)fs_.Close(handle_);
    handle_ = -1;
    (void)fs_.Remove(temp_);
    temp_.clear();
}

namespace {

bool WriteWhole(KSafeFileWriter& writer, std::string_view bytes) {
    return writer.Write(bytes) && writer.Commit();
}

}  // namespace

bool SaveFileSafely(KFileSystem& fs, const std::string& targetPath, std::string_view bytes,
                    Messages& messages) {
    KSafeFileWriter writer(fs, messages);
    return writer.Open(targetPath, true) && WriteWhole(writer, bytes);
}

bool SaveNewFile(KFileSystem& fs, const std::string& targetPath, std::string_view bytes,
                 Messages& messages) {
    KSafeFileWriter writer(fs, messages);
    return writer.Open(targetPath) && WriteWhole(writer, bytes);
}

}  // namespace korvel
