// Whole-file reading and the crash-safe save: whatever fails, the old file
// stays whole and no temporary file is left behind.
#include "base/safefile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/messagerecorder.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return static_cast<unsigned>(info.st_mode) & 07777u;
}

// Runs `check` as a user the permission bits stop: this process when it is
// not root, else a child switched to the user "nobody". Answers whether the
// check held; nullopt when root has no such user to become.
std::optional<bool> AsUserThePermissionsStop(const std::function<bool()>& check) {
    if (::geteuid() != 0) {
        return check();
    }
    const struct passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool switched = ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0;
        ::_exit(switched && check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class SafeFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "korvel_safefile_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        target_ = dir_ + "/model.kvd";
    }
    void TearDown() override {
        // Undo any read-only folder a test made, so removal works.
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            if (entry.is_directory() && !entry.is_symlink()) {
                ::chmod(entry.path().c_str(), 0755);
            }
        }
        ::chmod(dir_.c_str(), 0755);
        fs::remove_all(dir_);
    }

    // The temporary files in `folder` (default: the test folder).
    std::set<std::string> TempFiles(std::string folder = {}) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? dir_ : folder)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("___Korvel__", 0) == 0) {
                names.insert(name);
            }
        }
        return names;
    }

    // Exactly one message, with this number and description; its advice
    // contains `advice`.
    void ExpectOne(int number, const std::string& description, const std::string& advice) {
        ASSERT_EQ(messages_.messages.size(), 1u);
        EXPECT_EQ(messages_.messages[0].number, number);
        EXPECT_EQ(messages_.messages[0].description, description);
        EXPECT_NE(messages_.messages[0].advice.find(advice), std::string::npos)
            << messages_.messages[0].advice;
    }

    std::string dir_;
    std::string target_;
    KPosixFileSystem real_;
    KMessageRecorder messages_;
};

TEST_F(SafeFileTest, ReadWholeFileKeepsEveryByteOrSaysWhy) {
    const std::string bytes("1.2,Version\r\n\0\xff\r\nend", 20);
    WriteFile(target_, bytes);
    std::string out = "stale";
    std::string error = "stale";
    ASSERT_TRUE(ReadWholeFile(target_, out, error));
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(error, "");
    WriteFile(target_, "");
    ASSERT_TRUE(ReadWholeFile(target_, out, error));
    EXPECT_EQ(out, "");

    // A FIFO would block a plain read forever.
    const std::string fifo = dir_ + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path, reason;
    } cases[] = {{dir_ + "/missing.kvd", "No such file or directory"},
                 {dir_, "Is a directory"},
                 {fifo, "not a regular file"}};
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadWholeFile(c.path, out, error));
        EXPECT_EQ(error, "Cannot open " + c.path + ": " + c.reason);
    }
    WriteFile(target_, "12345");
    EXPECT_FALSE(ReadWholeFile(target_, out, error, 4));
    EXPECT_EQ(error, "Cannot open " + target_ + ": larger than 4 bytes");
    EXPECT_EQ(out, "");
    EXPECT_TRUE(ReadWholeFile(target_, out, error, 5));
}

// What the kernel answers is the point here, so this runs as a user the
// permission bits stop.
TEST_F(SafeFileTest, ReadWholeFileUnreadable) {
    WriteFile(target_, "secret");
    ASSERT_EQ(::chmod(target_.c_str(), 0200), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0711), 0);
    const std::optional<bool> held = AsUserThePermissionsStop([this] {
        std::string out;
        std::string error;
        return !ReadWholeFile(target_, out, error) && out.empty() &&
               error == "Cannot open " + target_ + ": Permission denied";
    });
    if (!held) {
        GTEST_SKIP() << "running as root, and there is no user \"nobody\" to become";
    }
    EXPECT_TRUE(*held);
}

// The new contents replace the file, its permission bits stay.
TEST_F(SafeFileTest, SaveReplacesTheFileAndKeepsItsMode) {
    for (const unsigned mode : {0600u, 0640u, 0604u, 0755u}) {
        SCOPED_TRACE(mode);
        WriteFile(target_, "old");
        ASSERT_EQ(::chmod(target_.c_str(), mode), 0);
        ASSERT_TRUE(SaveFileSafely(real_, target_, "new contents\r\n", messages_));
        EXPECT_EQ(ReadFile(target_), "new contents\r\n");
        EXPECT_EQ(ModeOf(target_), mode);
        EXPECT_TRUE(TempFiles().empty());
    }
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_TRUE(messages_.boxes.empty());
}

// Fails each changing operation of the save in turn, N = 1, 2, ..., until the
// save gets through. Without the temporary file and rename, an early failure
// would leave the model cut short.
TEST_F(SafeFileTest, FailingAnyOperationLeavesTheOriginalWhole) {
    std::string original;
    for (int i = 0; i < 200; ++i) {
        original += "0.5,Scale\r\n";
    }
    const std::string replacement(10000, 'n');
    for (const std::errc error : {std::errc::no_space_on_device, std::errc::io_error}) {
        const std::string reason = std::make_error_code(error).message();
        SCOPED_TRACE(reason);
        WriteFile(target_, original);
        ::chmod(target_.c_str(), 0640);
        std::vector<int> numbers;
        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE(n);
            KFaultyFileSystem faulty(real_);
            faulty.failOperation = n;
            faulty.failError = error;
            faulty.maxWriteChunk = 1000;  // ten writes
            messages_.Clear();
            if (SaveFileSafely(faulty, target_, replacement, messages_)) {
                EXPECT_TRUE(messages_.messages.empty());
                break;
            }
            ASSERT_EQ(messages_.messages.size(), 1u);
            const KTwoLineMessage& message = messages_.messages[0];
            EXPECT_EQ(message.caption, kCaptionError);
            EXPECT_NE(message.description.find(reason), std::string::npos) << message.description;
            EXPECT_NE(message.advice.find("The original file was not changed."), std::string::npos);
            numbers.push_back(message.number);
            ASSERT_TRUE(ReadFile(target_) == original);
            ASSERT_EQ(ModeOf(target_), 0640u);
            ASSERT_TRUE(TempFiles().empty());
            ASSERT_LT(n, 100) << "the save never succeeds";
        }
        // Create, ten writes, set mode, sync, close, rename.
        EXPECT_EQ(n, 16);
        const std::vector<int> expected = {6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 9};
        EXPECT_EQ(numbers, expected);
        EXPECT_TRUE(ReadFile(target_) == replacement);
        EXPECT_EQ(ModeOf(target_), 0640u);
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(SafeFileTest, ShortWritesStillWriteEverything) {
    WriteFile(target_, "old");
    KFaultyFileSystem faulty(real_);
    faulty.maxWriteChunk = 1;
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
        bytes += static_cast<char>(i);
    }
    ASSERT_TRUE(SaveFileSafely(faulty, target_, bytes, messages_));
    EXPECT_EQ(ReadFile(target_), bytes);
    EXPECT_EQ(faulty.Operations(), 1 + 300 + 3 + 1);
}

// Each fault through the file-system seam (so the permission faults are the
// same for every user): one message naming the files and the reason, and
// the file as it was.
TEST_F(SafeFileTest, FaultsAreOneMessageAndTheFileStaysWhole) {
    const std::string temp = dir_ + "/___Korvel__00000.tmp";
    const std::string kept = "The original file was not changed.";
    const auto denied = std::errc::permission_denied;
    struct Case {
        const char* name;
        std::function<void(KFaultyFileSystem&)> fault;
        int number;
        std::string description, advice;
        int operations;  // changing operations tried; -1: not checked
    };
    const Case kCases[] = {
        {"the first write", [](auto& f) { f.failOperation = 2; }, 7,
         "Cannot write to " + temp + ": No space left on device",
         "The disk may be full or no longer reachable. " + kept, -1},
        {"the rename",
         [&](auto& f) {
             f.failRename = true;
             f.failError = denied;
         },
         9, "File save encountered unexpected error: Permission denied",
         "Could not replace " + target_ + " with " + temp + ". " + kept, -1},
        {"a read-only folder",
         [&](auto& f) {
             f.failOperation = 1;
             f.failError = denied;
         },
         6, "Cannot open " + temp + ": Permission denied", kept, 1},
        {"a read-only file", [&](auto& f) { f.writableError = denied; }, 5,
         "Cannot write to " + target_ + ": Permission denied",
         target_ + " is read-only. Make it writable, or use Save As to save under another name.",
         0},
        {"an unreadable file", [&](auto& f) { f.readableError = denied; }, 5,
         "Cannot open " + target_ + ": Permission denied",
         target_ + " may have been deleted or moved. If so, restore file and try again.", 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        WriteFile(target_, "old");
        KFaultyFileSystem faulty(real_);
        c.fault(faulty);
        messages_.Clear();
        ASSERT_FALSE(SaveFileSafely(faulty, target_, "new", messages_));
        ExpectOne(c.number, c.description, c.advice);
        EXPECT_EQ(ReadFile(target_), "old");
        EXPECT_TRUE(TempFiles().empty());
        if (c.operations >= 0) {
            EXPECT_EQ(faulty.Operations(), c.operations);
        }
    }
    // Save As does not read the file it replaces.
    KFaultyFileSystem unreadable(real_);
    unreadable.readableError = denied;
    EXPECT_TRUE(SaveNewFile(unreadable, target_, "new", messages_));
    EXPECT_EQ(ReadFile(target_), "new");
}

// A temporary file left by a crash is never touched: the save takes the next
// number; one that cannot be removed after a failure is named.
TEST_F(SafeFileTest, TemporaryFilesThatAreTakenOrStuckAreNamed) {
    WriteFile(target_, "old");
    const std::string taken = dir_ + "/___Korvel__00000.tmp";
    WriteFile(taken, "left by a crash");
    KFaultyFileSystem faulty(real_);
    faulty.failRename = true;
    faulty.failRemove = true;
    ASSERT_FALSE(SaveFileSafely(faulty, target_, "new", messages_));
    ExpectOne(9, "File save encountered unexpected error: No space left on device",
              "The temporary file " + dir_ + "/___Korvel__00001.tmp could not be removed");
    EXPECT_EQ(ReadFile(target_), "old");
    fs::remove(dir_ + "/___Korvel__00001.tmp");

    ASSERT_TRUE(SaveFileSafely(real_, target_, "new", messages_));
    EXPECT_EQ(ReadFile(target_), "new");
    EXPECT_EQ(ReadFile(taken), "left by a crash");
    EXPECT_EQ(TempFiles(), std::set<std::string>{"___Korvel__00000.tmp"});
}

// A target that is gone, a folder or a link to nothing: error 5, and nothing
// is created or replaced.
TEST_F(SafeFileTest, TargetsThatAreNoFileAreError5) {
    const std::string folder = dir_ + "/folder.kvd";
    ASSERT_TRUE(fs::create_directory(folder));
    const std::string link = dir_ + "/link.kvd";
    fs::create_symlink("gone.kvd", link);
    const struct {
        std::string path, reason;
    } cases[] = {{target_, "No such file or directory"},
                 {folder, "Is a directory"},
                 {link, "No such file or directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        messages_.Clear();
        ASSERT_FALSE(SaveFileSafely(real_, c.path, "new", messages_));
        ExpectOne(5, "Cannot open " + c.path + ": " + c.reason,
                  c.path + " may have been deleted or moved. If so, restore file and try again.");
    }
    EXPECT_FALSE(fs::exists(target_));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::exists(dir_ + "/gone.kvd"));
    EXPECT_TRUE(TempFiles().empty());
}

// A file without any write permission is read-only for every user: the
// kernel lets root write it, but someone made it so on purpose.
TEST_F(SafeFileTest, AFileWithoutWritePermissionIsNotReplacedEvenByRoot) {
    WriteFile(target_, "old");
    ASSERT_EQ(::chmod(target_.c_str(), 0444), 0);
    for (const bool replace : {true, false}) {
        messages_.messages.clear();
        ASSERT_FALSE(replace ? SaveFileSafely(real_, target_, "new", messages_)
                             : SaveNewFile(real_, target_, "new", messages_));
        ExpectOne(5, "Cannot write to " + target_ + ": Permission denied", "is read-only");
    }
    EXPECT_EQ(ReadFile(target_), "old");
    EXPECT_EQ(ModeOf(target_), 0444u);
}

TEST_F(SafeFileTest, SymbolicLinkStaysALink) {
    const std::string realFolder = dir_ + "/real";
    ASSERT_TRUE(fs::create_directory(realFolder));
    const std::string realFile = realFolder + "/model.kvd";
    WriteFile(realFile, "old");
    ASSERT_EQ(::chmod(realFile.c_str(), 0640), 0);
    const std::string link = dir_ + "/link.kvd";
    fs::create_symlink("real/model.kvd", link);

    ASSERT_TRUE(SaveFileSafely(real_, link, "new", messages_));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "real/model.kvd");
    EXPECT_EQ(ReadFile(realFile), "new");
    EXPECT_EQ(ModeOf(realFile), 0640u);
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_TRUE(TempFiles(realFolder).empty());

    // The temporary file goes beside the real file, where rename is atomic.
    KFaultyFileSystem faulty(real_);
    faulty.failRename = true;
    ASSERT_FALSE(SaveFileSafely(faulty, link, "newer", messages_));
    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_NE(messages_.messages[0].advice.find(realFolder + "/___Korvel__00000.tmp"),
              std::string::npos);
    EXPECT_EQ(ReadFile(realFile), "new");
}

// Save As creates a new file with the umask, keeps the mode of a file it
// replaces, and leaves nothing behind when any operation fails.
TEST_F(SafeFileTest, SaveNewFile) {
    const mode_t old = ::umask(027);
    const bool saved = SaveNewFile(real_, target_, "fresh", messages_);
    ::umask(old);
    ASSERT_TRUE(saved);
    EXPECT_EQ(ReadFile(target_), "fresh");
    EXPECT_EQ(ModeOf(target_), 0640u);
    ASSERT_EQ(::chmod(target_.c_str(), 0604), 0);
    ASSERT_TRUE(SaveNewFile(real_, target_, "replaced", messages_));
    EXPECT_EQ(ReadFile(target_), "replaced");
    EXPECT_EQ(ModeOf(target_), 0604u);
    EXPECT_TRUE(TempFiles().empty());

    fs::remove(target_);
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        KFaultyFileSystem faulty(real_);
        faulty.failOperation = n;
        messages_.Clear();
        if (SaveNewFile(faulty, target_, "fresh", messages_)) {
            EXPECT_EQ(n, 6);  // after create, write, sync, close and rename failed
            break;
        }
        ASSERT_FALSE(fs::exists(target_));
        ASSERT_TRUE(TempFiles().empty());
        ASSERT_LT(n, 50);
    }
    EXPECT_EQ(ReadFile(target_), "fresh");

    messages_.Clear();
    ASSERT_FALSE(SaveNewFile(real_, dir_ + "/no/such/model.kvd", "x", messages_));
    ExpectOne(6, "Cannot open " + dir_ + "/no/such/___Korvel__00000.tmp: No such file or directory",
              "Check that the folder exists, that you may write to it and that the disk is not "
              "full. No file was written.");
}

// A file written in pieces replaces its target only on Commit; abandoned, or
// after a failed piece, the target stays whole and no temporary file is left.
TEST_F(SafeFileTest, PieceByPieceWriterReplacesOnlyOnCommit) {
    WriteFile(target_, "old");
    {
        KSafeFileWriter writer(real_, messages_);
        ASSERT_TRUE(writer.Open(target_));
        ASSERT_TRUE(writer.Write("row 1\n"));
        EXPECT_EQ(ReadFile(target_), "old");
    }  // destroyed without Commit
    EXPECT_EQ(ReadFile(target_), "old");
    EXPECT_TRUE(TempFiles().empty());

    KFaultyFileSystem faulty(real_);
    faulty.failOperation = 3;  // create, first piece, second piece
    KSafeFileWriter failing(faulty, messages_);
    ASSERT_TRUE(failing.Open(target_));
    EXPECT_TRUE(failing.Write("row 1\n"));
    EXPECT_FALSE(failing.Write("row 2\n"));
    EXPECT_FALSE(failing.Write("row 3\n"));
    EXPECT_FALSE(failing.Commit());
    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_EQ(messages_.messages[0].number, 7);
    EXPECT_EQ(ReadFile(target_), "old");
    EXPECT_TRUE(TempFiles().empty());

    KSafeFileWriter writer(real_, messages_);
    ASSERT_TRUE(writer.Open(target_));
    ASSERT_TRUE(writer.Write("row 1\n") && writer.Write("row 2\n"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFile(target_), "row 1\nrow 2\n");
    EXPECT_TRUE(TempFiles().empty());
}

}  // namespace
}  // namespace korvel
