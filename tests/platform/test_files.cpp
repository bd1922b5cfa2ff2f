// The file services and the settings file on real files, each test in a
// fresh temporary folder. Cases that depend on permissions run in a child
// process which, when the tests run as root, first becomes "nobody".
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/native_file_system.h"
#include "platform/profile_file.h"
#include "tests/fakes.h"
#include "tests/file_helpers.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

using testing::ReadAll;
using testing::WriteAll;

// How many entries a folder holds: a temporary file left behind shows.
std::ptrdiff_t Count(const std::string& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

// Writes the text in pieces of 1000 bytes, as the tail is written line by
// line; empty on success, else the failing step and the reason it gives.
std::string ReplaceFailure(const std::string& path, const std::string& text,
                           const FileCalls& calls = SystemFileCalls()) {
    NativeFileSystem files(calls);
    std::unique_ptr<OutputFile> output = files.OpenForReplacing(path);
    if (!output) {
        return "open: " + files.FailureReason();
    }
    for (std::size_t at = 0; at < text.size(); at += 1000) {
        if (!output->Write(text.substr(at, 1000))) {
            return "write: " + output->FailureReason();
        }
    }
    return output->Commit() ? "" : "commit: " + output->FailureReason();
}

bool Replace(const std::string& path, const std::string& text, const FileCalls& calls = SystemFileCalls()) {
    return ReplaceFailure(path, text, calls).empty();
}

// Stands in for a system call that fails as a full disk, a failing device
// or a folder that appeared in the tail's place would.
template <int Error, typename Result, typename... Arguments>
Result Fail(Arguments...) {
    errno = Error;
    return -1;
}
// The first write gets half its data to the disk, the second fails, later
// ones (writing the old content back) succeed.
int gWritesSoFar = 0;
ssize_t FailSecondWrite(int fd, const void* data, size_t size) {
    return ++gWritesSoFar == 2 ? Fail<ENOSPC, ssize_t>()
                               : ::write(fd, data, gWritesSoFar == 1 ? (size + 1) / 2 : size);
}
// The signal that ends the program just before the rename, when the new file
// is complete and has a name.
int gEndingSignal = 0;
int EndBeforeRename(int, const char*, int, const char*) {
    return ::raise(gEndingSignal);
}

// Runs `body` in a child process, as "nobody" when we are root so that
// permissions apply, and returns what it produced; nothing when the child
// could not drop its privileges. The child's environment is its own.
std::optional<std::string> RunAsUser(const std::function<std::string()>& body) {
    const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    int channel[2];
    if ((::geteuid() == 0 && nobody == nullptr) || ::pipe(channel) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (nobody != nullptr && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                                  ::setuid(nobody->pw_uid) != 0)) {
            ::_exit(3);
        }
        const std::string result = body();
        ::_exit(::write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size()) ? 0
                                                                                                         : 4);
    }
    ::close(channel[1]);
    std::string result;
    char block[4096];
    for (ssize_t count; (count = ::read(channel[0], block, sizeof block)) > 0;) {
        result.append(block, static_cast<std::size_t>(count));
    }
    ::close(channel[0]);
    int status = 0;
    const bool finished = child > 0 && ::waitpid(child, &status, 0) == child;
    return finished && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::optional(result) : std::nullopt;
}

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarnwick-platform-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ::chmod(dir_.c_str(), 0755);  // reachable by the unprivileged child
    }
    void TearDown() override {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir_)) {
            if (entry.is_directory() && !entry.is_symlink()) {
                ::chmod(entry.path().c_str(), 0755);
            }
        }
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string MakeFolder(const std::string& name, mode_t mode = 0755) {
        EXPECT_TRUE(fs::create_directory(Path(name)));
        ::chmod(Path(name).c_str(), mode);
        return Path(name);
    }

    std::string dir_;
};
using NativeFileSystemTest = TempFolderTest;
using ProfileFileTest = TempFolderTest;

// Also as root replacing a user's file: the owner stays.
TEST_F(NativeFileSystemTest, CommitReplacesContentAndKeepsOwnerAndPermissionBits) {
    std::string large;  // more than the write buffer, in many writes
    for (int i = 0; large.size() < 200000; ++i) {
        large += "line " + std::to_string(i) + "\n";
    }
    const uid_t owner = ::geteuid() == 0 ? 4321 : ::geteuid();
    for (const mode_t mode : {0640, 0600, 0755, 0644}) {
        WriteAll(Path("tail.txt"), "old content\n");
        ::chmod(Path("tail.txt").c_str(), mode);
        ::chown(Path("tail.txt").c_str(), owner, owner);
        ASSERT_TRUE(Replace(Path("tail.txt"), large)) << std::oct << mode;
        EXPECT_TRUE(ReadAll(Path("tail.txt")) == large);
        EXPECT_EQ(fs::status(Path("tail.txt")).permissions(), fs::perms(mode)) << std::oct << mode;
        struct stat info {};
        EXPECT_TRUE(::stat(Path("tail.txt").c_str(), &info) == 0 && info.st_uid == owner &&
                    info.st_gid == owner);
        EXPECT_EQ(Count(dir_), 1);
    }
    // A new file gets the bits the umask allows, not a temporary file's 0600;
    // a name of the longest length still leaves room for a temporary name.
    const mode_t previous = ::umask(027);
    EXPECT_TRUE(Replace(Path(std::string(255, 'n')), "x"));
    ::umask(previous);
    EXPECT_EQ(fs::status(Path(std::string(255, 'n'))).permissions(), fs::perms(0640));
}

TEST_F(NativeFileSystemTest, FailedReplacementKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const std::string tail = Path("tail.txt");
    WriteAll(tail, "keep me\r\n");
    // Each step of the replacement failing, with an unnamed and a named
    // temporary file, and the reason it gives; the link step exists only for
    // the unnamed one, and a file system that cannot sync at all is no
    // failure. The text is written as it is committed.
    for (const bool unnamed : {true, false}) {
        for (const auto& [step, broken, reason] :
             std::vector<std::tuple<std::string, FileCalls, std::string>>{
                 {"write",
                  {Fail<ENOSPC>, ::fsync, ::ftruncate, ::renameat, ::linkat, unnamed},
                  "commit: No space left on device"},
                 {"sync",
                  {::write, Fail<EIO>, ::ftruncate, ::renameat, ::linkat, unnamed},
                  "commit: Input/output error"},
                 {"no sync here", {::write, Fail<ENOTSUP>, ::ftruncate, ::renameat, ::linkat, unnamed}, ""},
                 {"link",
                  {::write, ::fsync, ::ftruncate, ::renameat, Fail<EMLINK>, unnamed},
                  unnamed ? "commit: Too many links" : ""},
                 {"rename onto a folder",
                  {::write, ::fsync, ::ftruncate, Fail<ENOTEMPTY>, ::linkat, unnamed},
                  "commit: Directory not empty"},
             }) {
            SCOPED_TRACE(step + (unnamed ? ", unnamed" : ", named"));
            EXPECT_EQ(ReplaceFailure(tail, "new\n", broken), reason);
            EXPECT_EQ(ReadAll(tail), reason.empty() ? "new\n" : "keep me\r\n");
            EXPECT_EQ(Count(dir_), 1);
            WriteAll(tail, "keep me\r\n");
        }
    }
}

// Ended by a signal while its temporary file has a name, the program
// removes that file first; the tail is untouched.
TEST_F(NativeFileSystemTest, EndingSignalRemovesTheTemporaryFile) {
    const std::string tail = Path("tail.txt");
    WriteAll(tail, "old\n");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        for (const bool unnamed : {true, false}) {
            SCOPED_TRACE(std::to_string(signal) + (unnamed ? " unnamed" : " named"));
            const pid_t child = ::fork();
            if (child == 0) {
                gEndingSignal = signal;
                Replace(tail, std::string(300000, 'n'),
                        {::write, ::fsync, ::ftruncate, EndBeforeRename, ::linkat, unnamed});
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_EQ(ReadAll(tail), "old\n");
            EXPECT_EQ(Count(dir_), 1);
        }
    }
}

// No other user may read the new text before it is complete, and no
// temporary file is visible at all where the system offers unnamed ones.
// Abandoned once more than one buffer has reached the disk, the replacement
// leaves the old file and no temporary one.
TEST_F(NativeFileSystemTest, TemporaryFileIsPrivateUntilCompleteAndGoneWhenAbandoned) {
    const std::string tail = Path("tail.txt");
    for (const bool unnamed : {true, false}) {
        for (const bool commit : {true, false}) {
            SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") +
                         (commit ? ", committed" : ", abandoned"));
            WriteAll(tail, "old\n");
            FileCalls calls = SystemFileCalls();
            calls.unnamedTemporaryFiles = unnamed;
            std::unique_ptr<OutputFile> output = NativeFileSystem(calls).OpenForReplacing(tail);
            ASSERT_NE(output, nullptr);
            EXPECT_TRUE(output->Write(std::string(300000, 'x')));
            std::vector<fs::perms> temporary;
            for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
                if (entry.path() != tail) {
                    temporary.push_back(entry.status().permissions());
                }
            }
#ifdef __linux__
            EXPECT_EQ(temporary.size(), unnamed ? 0u : 1u);
#endif
            EXPECT_TRUE(std::all_of(temporary.begin(), temporary.end(), [](fs::perms perms) {
                return perms == (fs::perms::owner_read | fs::perms::owner_write);
            }));
            if (commit) {
                EXPECT_TRUE(output->Commit());
                EXPECT_EQ(fs::status(tail).permissions(), fs::perms(0644));
            }
            output.reset();
            EXPECT_EQ(ReadAll(tail), commit ? std::string(300000, 'x') : "old\n");
            EXPECT_EQ(Count(dir_), 1);
        }
    }
}

// A file system out of inodes or out of space: the tail must not be written
// in place instead. Needs root to mount a tiny file system.
TEST_F(NativeFileSystemTest, FullFileSystemKeepsTheOldTail) {
    const std::string mount = MakeFolder("small");
    const std::string old = "old tail\n";
    // Without an inode for a temporary file even a short text is refused;
    // with one, a text larger than the file system.
    for (const auto& [inodes, block] :
         std::vector<std::pair<std::string, std::string>>{{"2", "new\n"}, {"3", std::string(100000, 'n')}}) {
        SCOPED_TRACE("nr_inodes=" + inodes);
        if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, ("size=64k,nr_inodes=" + inodes).c_str()) != 0) {
            GTEST_SKIP() << "cannot mount a small tmpfs (needs root): " << std::strerror(errno);
        }
        WriteAll(mount + "/tail.txt", old);
        const bool replaced = Replace(mount + "/tail.txt", block);
        const std::string after = ReadAll(mount + "/tail.txt");
        const auto entries = Count(mount);
        ASSERT_EQ(::umount(mount.c_str()), 0);
        EXPECT_FALSE(replaced);
        EXPECT_EQ(after, old);
        EXPECT_EQ(entries, 1);
    }
}

TEST_F(NativeFileSystemTest, SymbolicLinksAreFollowedAndStayLinks) {
    MakeFolder("real");
    WriteAll(Path("real/tail.txt"), "old\n");
    // The link, what it points to, and the file that must receive the content.
    for (const auto& [link, pointsTo, written] : std::vector<std::array<std::string, 3>>{
             {"relative", "real/tail.txt", "real/tail.txt"},
             {"absolute", Path("real/tail.txt"), "real/tail.txt"},
             {"chain", "relative", "real/tail.txt"},
             {"dangling", "real/new.txt", "real/new.txt"},
             {"real/up", "../real/other.txt", "real/other.txt"},  // relative to the link's folder
         }) {
        SCOPED_TRACE(link);
        ASSERT_EQ(::symlink(pointsTo.c_str(), Path(link).c_str()), 0);
        ASSERT_TRUE(Replace(Path(link), "through " + link));
        EXPECT_EQ(fs::read_symlink(Path(link)).string(), pointsTo);
        EXPECT_EQ(ReadAll(Path(written)), "through " + link);
    }
    EXPECT_EQ(Count(Path("real")), 4);  // new.txt, other.txt, tail.txt, up
}

// A link planted by another user in a shared sticky folder such as /tmp is
// not followed, whatever the system's own setting; our own link there is.
TEST_F(NativeFileSystemTest, LinkPlantedInASharedStickyFolderIsNotFollowed) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "needs root to plant a link as another user";
    }
    MakeFolder("private", 0700);
    // The folder's owner is a third user, whose links are followed too.
    constexpr uid_t kFolderOwner = 4321;
    ASSERT_EQ(::chown(MakeFolder("shared", 01777).c_str(), kFolderOwner, kFolderOwner), 0);
    // The link, who owns it, and whether it may be followed.
    for (const auto& [link, owner, followed] :
         std::vector<std::tuple<std::string, uid_t, bool>>{{"shared/existing", nobody->pw_uid, false},
                                                           {"shared/dangling", nobody->pw_uid, false},
                                                           {"shared/own", 0, true},
                                                           {"shared/folder owner's", kFolderOwner, true}}) {
        SCOPED_TRACE(link);
        const std::string target = link == "shared/dangling" ? Path("private/new") : Path("private/secret");
        ASSERT_EQ(::symlink(target.c_str(), Path(link).c_str()), 0);
        ASSERT_EQ(::lchown(Path(link).c_str(), owner, owner), 0);
        WriteAll(Path("private/secret"), "secret\n");
        EXPECT_EQ(Replace(Path(link), "planted\n"), followed);
        EXPECT_EQ(ReadAll(Path("private/secret")), followed ? "planted\n" : "secret\n");
        EXPECT_FALSE(fs::exists(Path("private/new")));
    }
}

TEST_F(NativeFileSystemTest, PipesAreWrittenInPlaceOnlyAtCommit) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    // Nobody reads yet: refused at once rather than waiting for a reader.
    EXPECT_EQ(NativeFileSystem().OpenForReplacing(Path("fifo")), nullptr);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int fifoReader = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fifoReader, 0);
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    // The named pipe, and a link that names an open pipe rather than a path (like /dev/stdout).
    std::vector<std::pair<std::string, int>> pipes = {{Path("fifo"), fifoReader}};
#ifdef __linux__
    pipes.emplace_back("/proc/self/fd/" + std::to_string(ends[1]), ends[0]);
#endif
    for (const auto& [path, reader] : pipes) {
        SCOPED_TRACE(path);
        std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(path);
        ASSERT_NE(output, nullptr);
        EXPECT_TRUE(output->Write("Regards\n"));
        char block[64];
        EXPECT_LE(::read(reader, block, sizeof block), 0);
        EXPECT_TRUE(output->Commit());
        const ssize_t count = ::read(reader, block, sizeof block);
        EXPECT_EQ(std::string(block, static_cast<std::size_t>(std::max<ssize_t>(0, count))), "Regards\n");
    }
    EXPECT_TRUE(fs::is_fifo(Path("fifo")));
    for (const int fd : {fifoReader, ends[0], ends[1]}) {
        ::close(fd);
    }
}

// An open that fails says why, in the system's words where it has them; as
// "nobody" when we are root, so that permissions apply.
TEST_F(NativeFileSystemTest, FailedOpensSayWhy) {
    MakeFolder("folder");
    WriteAll(Path("file.txt"), "text\n");
    WriteAll(Path("secret.txt"), "secret\n");
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    for (const auto& [name, mode] : {std::pair{"file.txt", 0666}, {"secret.txt", 0}, {"fifo", 0666}}) {
        ::chmod(Path(name).c_str(), static_cast<mode_t>(mode));
    }
    ASSERT_EQ(::symlink("loop", Path("loop").c_str()), 0);
    const std::string notRegular(kNotARegularFile);
    // Read or replaced, the path, and the reason; none when it opens.
    const std::vector<std::tuple<bool, std::string, std::string>> cases = {
        {true, "", "No such file or directory"},
        {true, Path("none"), "No such file or directory"},
        {true, Path("file.txt"), ""},
        {true, Path("folder"), "Is a directory"},
        {true, Path("fifo"), notRegular},
        {true, "/dev/null", notRegular},
        {true, Path("secret.txt"), "Permission denied"},
        {false, "", "No such file or directory"},
        {false, Path("folder"), "Is a directory"},
        {false, Path("folder/"), "Is a directory"},
        {false, Path("none/tail.txt"), "No such file or directory"},
        {false, Path("file.txt"), ""},
        {false, Path("fifo"), "No such device or address"},  // nobody reads it
        {false, Path("loop"), "Too many levels of symbolic links"},
        {false, Path(std::string(300, 'n')), "File name too long"},
        {false, Path("secret.txt"), "Permission denied"},
    };
    const std::optional<std::string> wrong = RunAsUser([&] {
        NativeFileSystem files;
        std::string wrong;
        for (const auto& [reading, path, reason] : cases) {
            const bool opened =
                reading ? files.OpenForReading(path) != nullptr : files.OpenForReplacing(path) != nullptr;
            const std::string given = opened ? std::string() : files.FailureReason();
            if (given != reason) {
                wrong.append(path).append(": ").append(given).append("\n");
            }
        }
        return wrong;
    });
    fs::remove(Path("loop"));  // a loop the clean-up would trip on
    if (!wrong) {
        GTEST_SKIP() << "cannot run a child process without root's rights";
    }
    EXPECT_EQ(*wrong, "");
}

// A writable tail in a folder that refuses new files can only be written in
// place; a failure on the way puts the old text back, and a tail too large to
// hold for that is refused. A read-only tail in a
// folder open to all is not replaced at all.
TEST_F(NativeFileSystemTest, ReadOnlyFolderOrTailKeepsTheOldText) {
    const std::string old = "the old tail, longer than the new one\n";
    const std::string tail = MakeFolder("locked") + "/tail.txt";
    WriteAll(tail, old);
    if (const passwd* nobody = ::getpwnam("nobody"); ::geteuid() == 0 && nobody != nullptr) {
        ASSERT_EQ(::chown(tail.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    ::chmod(Path("locked").c_str(), 0555);
    const std::string readOnly = MakeFolder("open", 0777) + "/tail.txt";
    WriteAll(readOnly, "protected\n");
    ::chmod(readOnly.c_str(), 0444);
    // The failing step and the calls that make it fail.
    const std::vector<std::pair<std::string, FileCalls>> cases = {
        {"none", SystemFileCalls()},
        {"truncate", {::write, ::fsync, Fail<EIO>, ::renameat, ::linkat, true}},
        {"sync", {::write, Fail<EIO>, ::ftruncate, ::renameat, ::linkat, true}},
        {"second write", {FailSecondWrite, ::fsync, ::ftruncate, ::renameat, ::linkat, true}},
    };
    const std::optional<std::string> result = RunAsUser([&] {
        std::string outcomes = ReplaceFailure(readOnly, "x") + "\n";
        for (const auto& [step, broken] : cases) {
            gWritesSoFar = 0;
            WriteAll(tail, old);
            const std::string failure = ReplaceFailure(tail, "new\n", broken);
            outcomes += step + ": [" + failure + "] " + ReadAll(tail);
        }
        // Too large to keep in memory for the write-back: refused at once.
        WriteAll(tail, std::string(kInPlaceSizeLimit + 1, 'x'));
        outcomes += "large: " + ReplaceFailure(tail, "x") + "\n";
        return outcomes;
    });
    if (!result) {
        GTEST_SKIP() << "cannot run a child process without root's rights";
    }
    EXPECT_EQ(*result, "open: Permission denied\nnone: [] new\ntruncate: [commit: Input/output error] " +
                           old + "sync: [commit: Input/output error] " + old +
                           "second write: [commit: No space left on device] " + old +
                           "large: open: Permission denied\n");
    EXPECT_EQ(fs::file_size(tail), kInPlaceSizeLimit + 1);
    EXPECT_EQ(Count(Path("locked")), 1);
    EXPECT_EQ(ReadAll(readOnly), "protected\n");
}

TEST_F(ProfileFileTest, SettingsFileLocation) {
    const std::string writable = MakeFolder("writable", 0777);
    const std::string withFile = MakeFolder("with-file");
    WriteAll(withFile + "/Tarnwick.ini", "");
    ::chmod(withFile.c_str(), 0555);
    const std::string locked = MakeFolder("locked", 0555);
    const std::string installed = MakeFolder("installed", 0777);
    // The executable's folder, XDG_CONFIG_HOME ("unset": none) and the path expected.
    const std::vector<std::array<std::string, 3>> cases = {
        {writable, "/xdg", writable + "/Tarnwick.ini"},
        {installed, "/xdg", "/xdg/tarnwick/Tarnwick.ini"},
        {withFile, "/xdg", withFile + "/Tarnwick.ini"},
        {locked, "/xdg", "/xdg/tarnwick/Tarnwick.ini"},
        {locked, "unset", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {locked, "", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {locked, "relative/xdg", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {"", "/xdg", "/xdg/tarnwick/Tarnwick.ini"},
    };
    const std::optional<std::string> wrong = RunAsUser([&] {
        std::string wrong;
        ::setenv("HOME", "/home/u", 1);
        for (const auto& [folder, xdg, expected] : cases) {
            xdg == "unset" ? ::unsetenv("XDG_CONFIG_HOME") : ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
            const std::string path = SettingsFilePath(folder, installed);
            if (path != expected) {
                wrong.append(folder).append(" ").append(xdg).append(": ").append(path).append("\n");
            }
        }
        return wrong;
    });
    if (!wrong) {
        GTEST_SKIP() << "cannot run a child process without root's rights";
    }
    EXPECT_EQ(*wrong, "");
}

// A settings file that exists but cannot be read must not be replaced by a
// text made without it: that would lose every other setting in it.
TEST_F(ProfileFileTest, UnreadableSettingsFileIsNotReplaced) {
    MakeFolder("program");
    const std::string huge(std::size_t{17} << 20, 'x');
    WriteAll(Path("program/Tarnwick.ini"), huge);
    NativeFileSystem files;
    ProfileFile profile(files, Path("program"));
    EXPECT_EQ(profile.Load(), std::nullopt);
    EXPECT_FALSE(profile.Store("[FILES]\nNoMsg=ON\n"));
    EXPECT_EQ(ReadAll(Path("program/Tarnwick.ini")), huge);

    WriteAll(Path("program/Tarnwick.ini"), "[FILES]\n");
    EXPECT_EQ(profile.Load(), "[FILES]\n");
    EXPECT_TRUE(profile.Store("[FILES]\nNoMsg=ON\n")) << "a readable file is written again";

    // A read that fails part way gives no text at all, not the part read.
    testing::MemoryFileSystem failing;
    failing.files[Path("program/Tarnwick.ini")] = "[FILES]\nDEST=/mail/tail.txt\n";
    failing.readFailAfter = 8;
    ProfileFile cut(failing, Path("program"));
    EXPECT_EQ(cut.Load(), std::nullopt);
    EXPECT_FALSE(cut.Store("[FILES]\nNoMsg=ON\n"));
    EXPECT_EQ(failing.files[Path("program/Tarnwick.ini")], "[FILES]\nDEST=/mail/tail.txt\n");
}

TEST_F(ProfileFileTest, FirstStoreMakesThePerUserFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    NativeFileSystem files;
    EXPECT_TRUE(ProfileFile(files, "").Store("[FILES]\n"));
    EXPECT_EQ(ReadAll(Path("config/tarnwick/Tarnwick.ini")), "[FILES]\n");
    saved != nullptr ? ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tarnwick
