// The file services and the settings file on real files, each test in a
// fresh temporary folder. Cases that depend on permissions run in a child
// process which, when the tests run as root, first becomes "nobody".
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
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

bool Replace(const std::string& path, const std::string& text) {
    std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(path);
    return output != nullptr && output->Write(text) && output->Commit();
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

TEST_F(NativeFileSystemTest, CommitReplacesContentAndKeepsPermissionBits) {
    for (const mode_t mode : {0640, 0600, 0755, 0644}) {
        WriteAll(Path("tail.txt"), "old content\n");
        ::chmod(Path("tail.txt").c_str(), mode);
        ASSERT_TRUE(Replace(Path("tail.txt"), "new\n")) << std::oct << mode;
        EXPECT_EQ(ReadAll(Path("tail.txt")), "new\n");
        EXPECT_EQ(fs::status(Path("tail.txt")).permissions(), fs::perms(mode)) << std::oct << mode;
        EXPECT_EQ(Count(dir_), 1);
    }
    // A new file gets the bits the umask allows, not a temporary file's 0600.
    const mode_t previous = ::umask(027);
    EXPECT_TRUE(Replace(Path("new.txt"), "x"));
    ::umask(previous);
    EXPECT_EQ(fs::status(Path("new.txt")).permissions(), fs::perms(0640));
}

TEST_F(NativeFileSystemTest, AbandonedOrFailedReplacementKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const std::string tail = Path("tail.txt");
    WriteAll(tail, "keep me\r\n");
    {
        std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(tail);
        ASSERT_NE(output, nullptr);
        EXPECT_TRUE(output->Write(std::string(300000, 'x')));  // more than one buffer reaches the disk
    }
    EXPECT_EQ(ReadAll(tail), "keep me\r\n");
    EXPECT_EQ(Count(dir_), 1);

    // A file size limit makes the temporary file's writes fail, like a full disk.
    std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(tail);
    ASSERT_NE(output, nullptr);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    output->Write(std::string(100000, 'x'));
    const bool committed = output->Commit();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(committed);
    EXPECT_EQ(ReadAll(tail), "keep me\r\n");
    EXPECT_EQ(Count(dir_), 1);
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

TEST_F(NativeFileSystemTest, ReadOnlyFileIsNotReplaced) {
    const std::string tail = MakeFolder("open", 0777) + "/tail.txt";
    WriteAll(tail, "protected\n");
    ::chmod(tail.c_str(), 0444);
    const std::optional<std::string> result =
        RunAsUser([&] { return NativeFileSystem().OpenForReplacing(tail) ? "opened" : "refused"; });
    if (!result) {
        GTEST_SKIP() << "cannot run a child process without root's rights";
    }
    EXPECT_EQ(*result, "refused");
    EXPECT_EQ(ReadAll(tail), "protected\n");
}

TEST_F(NativeFileSystemTest, SameFileSeesThroughSpellingsAndLinks) {
    MakeFolder("sub");
    const std::string base = Path("base.txt");
    WriteAll(base, "base");
    WriteAll(Path("other.txt"), "base");
    ASSERT_EQ(::symlink("base.txt", Path("link").c_str()), 0);
    ASSERT_EQ(::link(base.c_str(), Path("hard").c_str()), 0);
    ASSERT_EQ(::symlink("missing.txt", Path("dangling").c_str()), 0);
    NativeFileSystem files;
    for (const std::string& same : {base, Path("link"), Path("hard"), dir_ + "/./base.txt",
                                    dir_ + "/sub/../base.txt", dir_ + "//base.txt"}) {
        EXPECT_TRUE(files.SameFile(base, same)) << same;
        EXPECT_TRUE(files.SameFile(same, base)) << same;
    }
    for (const auto& [a, b] :
         std::vector<std::pair<std::string, std::string>>{{base, Path("other.txt")},
                                                          {Path("missing.txt"), Path("missing.txt")},
                                                          {Path("dangling"), Path("missing.txt")},
                                                          {"", ""}}) {
        EXPECT_FALSE(files.SameFile(a, b)) << a << " | " << b;
    }
}

TEST_F(ProfileFileTest, SettingsFileLocation) {
    const std::string writable = MakeFolder("writable", 0777);
    const std::string withFile = MakeFolder("with-file");
    WriteAll(withFile + "/Tarnwick.ini", "");
    ::chmod(withFile.c_str(), 0555);
    const std::string locked = MakeFolder("locked", 0555);
    // The executable's folder, XDG_CONFIG_HOME ("unset": none) and the path expected.
    const std::vector<std::array<std::string, 3>> cases = {
        {writable, "/xdg", writable + "/Tarnwick.ini"},
        {withFile, "/xdg", withFile + "/Tarnwick.ini"},
        {locked, "/xdg", "/xdg/tarnwick/Tarnwick.ini"},
        {locked, "unset", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {locked, "", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {locked, "relative/xdg", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {"", "/xdg", "/xdg/tarnwick/Tarnwick.ini"},
    };
    const std::optional<std::string> found = RunAsUser([&] {
        std::string paths;
        ::setenv("HOME", "/home/u", 1);
        for (const auto& [folder, xdg, expected] : cases) {
            xdg == "unset" ? ::unsetenv("XDG_CONFIG_HOME") : ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
            paths += SettingsFilePath(folder) + "\n";
        }
        return paths;
    });
    std::string expected;
    for (const auto& c : cases) {
        expected += c[2] + "\n";
    }
    if (!found) {
        GTEST_SKIP() << "cannot run a child process without root's rights";
    }
    EXPECT_EQ(*found, expected);
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
