// The file services and the settings file on real files, each test in a
// fresh temporary folder. Cases that depend on folder permissions run in a
// child process which, when the tests run as root, first becomes "nobody".
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/native_file_system.h"
#include "platform/profile_file.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const passwd* Nobody() {
    return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
}

// Runs `body` in a child process (as "nobody" when we are root, so that
// folder permissions apply) and returns what it produced; nothing when the
// child could not drop its privileges or did not finish normally.
std::optional<std::string> RunAsUser(const std::function<std::string()>& body) {
    const passwd* nobody = Nobody();
    if (::geteuid() == 0 && nobody == nullptr) {
        return std::nullopt;
    }
    int channel[2];
    if (::pipe(channel) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (nobody != nullptr && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                                  ::setuid(nobody->pw_uid) != 0)) {
            ::_exit(3);
        }
        const std::string result = body();
        const bool written =
            ::write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        ::_exit(written ? 0 : 4);
    }
    ::close(channel[1]);
    std::string result;
    char block[4096];
    for (ssize_t count; (count = ::read(channel[0], block, sizeof block)) > 0;) {
        result.append(block, static_cast<std::size_t>(count));
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return result;
}

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarnwick-platform-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        // Reachable by the unprivileged child.
        ::chmod(dir_.c_str(), 0755);
    }
    void TearDown() override {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir_)) {
            if (entry.symlink_status().type() == fs::file_type::directory) {
                ::chmod(entry.path().c_str(), 0755);
            }
        }
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string MakeFolder(const std::string& name, mode_t mode = 0755) {
        const std::string path = Path(name);
        EXPECT_EQ(::mkdir(path.c_str(), 0700), 0);
        ::chmod(path.c_str(), mode);
        return path;
    }
    // A file the child may write although its folder may not be written.
    void GiveToChild(const std::string& path) const {
        if (const passwd* nobody = Nobody()) {
            ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        }
    }

    std::string dir_;
    NativeFileSystem files_;
};

bool Replace(FileSystem& files, const std::string& path, const std::string& text) {
    std::unique_ptr<OutputFile> output = files.OpenForReplacing(path);
    return output != nullptr && output->Write(text) && output->Commit();
}

using NativeFileSystemTest = TempFolderTest;

TEST_F(NativeFileSystemTest, CommitReplacesContentAndKeepsPermissionBits) {
    for (const mode_t mode : {0640, 0600, 0755, 0444 | 0200}) {
        const std::string tail = Path("tail.txt");
        WriteAll(tail, "old content\n");
        ::chmod(tail.c_str(), mode);
        ASSERT_TRUE(Replace(files_, tail, "new\n")) << std::oct << mode;
        EXPECT_EQ(ReadAll(tail), "new\n");
        EXPECT_EQ(ModeOf(tail) & 07777, mode) << std::oct << mode;
        EXPECT_THAT(Entries(dir_), ElementsAre("tail.txt"));
    }
}

TEST_F(NativeFileSystemTest, NewFileGetsTheBitsTheUmaskAllows) {
    const mode_t previous = ::umask(027);
    const bool written = Replace(files_, Path("new.txt"), "x");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(Path("new.txt")) & 07777, 0640);
}

TEST_F(NativeFileSystemTest, UncommittedOutputLeavesOldFileAndNoTempFile) {
    const std::string tail = Path("tail.txt");
    WriteAll(tail, "keep me\r\n");
    {
        std::unique_ptr<OutputFile> output = files_.OpenForReplacing(tail);
        ASSERT_NE(output, nullptr);
        // More than one buffer's worth, so part of it reached the disk.
        EXPECT_TRUE(output->Write(std::string(300000, 'x')));
        EXPECT_EQ(ReadAll(tail), "keep me\r\n");
    }
    EXPECT_EQ(ReadAll(tail), "keep me\r\n");
    EXPECT_THAT(Entries(dir_), ElementsAre("tail.txt"));
}

TEST_F(NativeFileSystemTest, FailedCommitLeavesOldFileAndNoTempFile) {
    const std::string tail = Path("tail.txt");
    WriteAll(tail, "keep me\n");
    std::unique_ptr<OutputFile> output = files_.OpenForReplacing(tail);
    ASSERT_NE(output, nullptr);
    // A file size limit makes the temporary file's writes fail, like a full disk.
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
    EXPECT_EQ(ReadAll(tail), "keep me\n");
    EXPECT_THAT(Entries(dir_), ElementsAre("tail.txt"));
}

TEST_F(NativeFileSystemTest, SymbolicLinksAreFollowedAndStayLinks) {
    MakeFolder("real");
    WriteAll(Path("real/tail.txt"), "old\n");
    struct Case {
        std::string link;
        std::string pointsTo;
        std::string written;  // the file that must receive the content
    };
    const std::vector<Case> cases = {
        {"relative", "real/tail.txt", "real/tail.txt"},
        {"absolute", Path("real/tail.txt"), "real/tail.txt"},
        {"chain", "relative", "real/tail.txt"},
        {"dangling", "real/new.txt", "real/new.txt"},
        {"real/up", "../real/other.txt", "real/other.txt"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(::symlink(c.pointsTo.c_str(), Path(c.link).c_str()), 0) << c.link;
        const std::string text = "through " + c.link + "\n";
        ASSERT_TRUE(Replace(files_, Path(c.link), text)) << c.link;
        EXPECT_TRUE(S_ISLNK(ModeOf(Path(c.link)))) << c.link;
        EXPECT_EQ(fs::read_symlink(Path(c.link)).string(), c.pointsTo) << c.link;
        EXPECT_EQ(ReadAll(Path(c.written)), text) << c.link;
    }
    EXPECT_THAT(Entries(Path("real")), ElementsAre("new.txt", "other.txt", "tail.txt", "up"));
}

TEST_F(NativeFileSystemTest, RefusesWhatCannotBecomeAFile) {
    MakeFolder("folder");
    ASSERT_EQ(::symlink("loop", Path("loop").c_str()), 0);
    for (const std::string& path : {std::string(), Path("folder"), Path("folder/"), Path("missing/tail.txt"),
                                    Path("loop"), Path("folder/missing/")}) {
        EXPECT_EQ(files_.OpenForReplacing(path), nullptr) << path;
    }
    EXPECT_THAT(Entries(Path("folder")), ElementsAre());
}

TEST_F(NativeFileSystemTest, PipeReceivesTheOutputOnlyAtCommit) {
    const std::string pipe = Path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Nobody reads yet: refused at once rather than waiting for a reader.
    EXPECT_EQ(files_.OpenForReplacing(pipe), nullptr);

    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::unique_ptr<OutputFile> output = files_.OpenForReplacing(pipe);
    ASSERT_NE(output, nullptr);
    output->Write("Regards\n");
    char block[64];
    EXPECT_LE(::read(reader, block, sizeof block), 0);
    EXPECT_TRUE(output->Commit());
    EXPECT_EQ(std::string(block, static_cast<std::size_t>(std::max<ssize_t>(0, ::read(reader, block, 64)))),
              "Regards\n");
    ::close(reader);
    EXPECT_TRUE(S_ISFIFO(ModeOf(pipe)));
}

#ifdef __linux__
TEST_F(NativeFileSystemTest, OpenPipeNamedThroughProcIsWrittenThrough) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    // Like /dev/stdout: the link's text ("pipe:[...]") names no path.
    std::unique_ptr<OutputFile> output = files_.OpenForReplacing("/proc/self/fd/" + std::to_string(ends[1]));
    ASSERT_NE(output, nullptr);
    output->Write("Regards\n");
    EXPECT_TRUE(output->Commit());
    ::close(ends[1]);
    char block[64];
    const ssize_t count = ::read(ends[0], block, sizeof block);
    ::close(ends[0]);
    EXPECT_EQ(std::string(block, static_cast<std::size_t>(std::max<ssize_t>(0, count))), "Regards\n");
}
#endif

TEST_F(NativeFileSystemTest, ReadOnlyFileIsNotReplaced) {
    const std::string open = MakeFolder("open", 0777);
    const std::string tail = open + "/tail.txt";
    WriteAll(tail, "protected\n");
    ::chmod(tail.c_str(), 0444);
    GiveToChild(tail);
    const std::optional<std::string> result = RunAsUser([&] {
        NativeFileSystem files;
        return std::string(files.OpenForReplacing(tail) == nullptr ? "refused" : "opened");
    });
    if (!result) {
        GTEST_SKIP() << "cannot run a child process without write permission on the file";
    }
    EXPECT_EQ(*result, "refused");
    EXPECT_EQ(ReadAll(tail), "protected\n");
}

TEST_F(NativeFileSystemTest, ReadsInTheCallersBlockSize) {
    WriteAll(Path("base.txt"), "0123456789");
    std::unique_ptr<InputFile> input = files_.OpenForReading(Path("base.txt"));
    ASSERT_NE(input, nullptr);
    char block[4];
    std::vector<std::ptrdiff_t> counts;
    std::string text;
    for (std::ptrdiff_t count; (count = input->Read(block, sizeof block)) > 0;) {
        counts.push_back(count);
        text.append(block, static_cast<std::size_t>(count));
    }
    EXPECT_THAT(counts, ElementsAre(4, 4, 2));
    EXPECT_EQ(text, "0123456789");
}

TEST_F(NativeFileSystemTest, OpenForReadingRefusesFoldersAndMissingFiles) {
    MakeFolder("folder");
    for (const std::string& path : {std::string(), Path("folder"), Path("missing.txt"), Path("missing/x")}) {
        EXPECT_EQ(files_.OpenForReading(path), nullptr) << path;
    }
}

TEST_F(NativeFileSystemTest, PipeWithoutWriterReadsAsEmpty) {
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    std::unique_ptr<InputFile> input = files_.OpenForReading(Path("pipe"));
    ASSERT_NE(input, nullptr);
    char block[16];
    EXPECT_EQ(input->Read(block, sizeof block), 0);
}

TEST_F(NativeFileSystemTest, SameFileSeesThroughSpellingsAndLinks) {
    MakeFolder("sub");
    WriteAll(Path("base.txt"), "base");
    WriteAll(Path("other.txt"), "base");
    ASSERT_EQ(::symlink("base.txt", Path("link").c_str()), 0);
    ASSERT_EQ(::link(Path("base.txt").c_str(), Path("hard").c_str()), 0);
    ASSERT_EQ(::symlink("missing.txt", Path("dangling").c_str()), 0);
    struct Case {
        std::string a;
        std::string b;
        bool same;
    };
    const std::vector<Case> cases = {
        {Path("base.txt"), Path("base.txt"), true},
        {Path("base.txt"), Path("link"), true},
        {Path("hard"), Path("base.txt"), true},
        {Path("base.txt"), dir_ + "/./base.txt", true},
        {Path("base.txt"), dir_ + "/sub/../base.txt", true},
        {Path("base.txt"), dir_ + "//base.txt", true},
        {Path("base.txt"), Path("other.txt"), false},
        {Path("missing.txt"), Path("missing.txt"), false},
        {Path("dangling"), Path("missing.txt"), false},
        {Path("base.txt"), "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(files_.SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
    }
}

TEST_F(NativeFileSystemTest, ReadWholeFile) {
    const std::string bytes("a\0b\r\nc", 6);
    WriteAll(Path("small.bin"), bytes);
    EXPECT_EQ(ReadWholeFile(Path("small.bin")), bytes);
    EXPECT_EQ(ReadWholeFile(Path("missing.txt")), std::nullopt);
    MakeFolder("folder");
    EXPECT_EQ(ReadWholeFile(Path("folder")), std::nullopt);
}

// Environment variables set for one scope, restored afterwards.
class ScopedEnvironment {
public:
    void Set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        Apply(name, value);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            Apply(it->first.c_str(), it->second);
        }
    }

private:
    static void Apply(const char* name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

using ProfileFileTest = TempFolderTest;

TEST_F(ProfileFileTest, SettingsFileLocation) {
    const std::string writable = MakeFolder("writable", 0777);
    const std::string withFile = MakeFolder("with-file");
    WriteAll(withFile + "/Tarnwick.ini", "");
    ::chmod(withFile.c_str(), 0555);
    const std::string locked = MakeFolder("locked", 0555);
    struct Case {
        std::string folder;
        std::optional<std::string> xdg;
        std::optional<std::string> home;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {writable, "/xdg", "/home/u", writable + "/Tarnwick.ini"},
        {withFile, "/xdg", "/home/u", withFile + "/Tarnwick.ini"},
        {locked, "/xdg", "/home/u", "/xdg/tarnwick/Tarnwick.ini"},
        {locked, std::nullopt, "/home/u", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {locked, "", "/home/u", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {locked, "relative/xdg", "/home/u", "/home/u/.config/tarnwick/Tarnwick.ini"},
        {"", "/xdg", "/home/u", "/xdg/tarnwick/Tarnwick.ini"},
    };
    const std::optional<std::string> result = RunAsUser([&] {
        std::string found;
        for (const Case& c : cases) {
            ScopedEnvironment environment;
            environment.Set("XDG_CONFIG_HOME", c.xdg);
            environment.Set("HOME", c.home);
            found += SettingsFilePath(c.folder) + "\n";
        }
        return found;
    });
    if (!result) {
        GTEST_SKIP() << "cannot run a child process without write permission on the folder";
    }
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        expected.push_back(c.expected);
    }
    std::vector<std::string> found;
    std::istringstream lines(*result);
    for (std::string line; std::getline(lines, line);) {
        found.push_back(line);
    }
    EXPECT_THAT(found, ElementsAreArray(expected));
}

TEST_F(ProfileFileTest, StoreCreatesThePerUserFolder) {
    const std::string locked = MakeFolder("locked", 0555);
    const std::string config = MakeFolder("config", 0777);
    const std::optional<std::string> result = RunAsUser([&] {
        ScopedEnvironment environment;
        environment.Set("XDG_CONFIG_HOME", config + "/nested");
        NativeFileSystem files;
        ProfileFile profile(files, locked);
        const bool missingBefore = !profile.Load().has_value();
        const bool stored = profile.Store("[FILES]\nDEST=/tmp/tail.txt\n");
        return std::string(missingBefore ? "missing " : "present ") + (stored ? "stored " : "failed ") +
               profile.Load().value_or("(none)");
    });
    if (!result) {
        GTEST_SKIP() << "cannot run a child process without write permission on the folder";
    }
    EXPECT_EQ(*result, "missing stored [FILES]\nDEST=/tmp/tail.txt\n");
    EXPECT_EQ(ReadAll(config + "/nested/tarnwick/Tarnwick.ini"), "[FILES]\nDEST=/tmp/tail.txt\n");
    EXPECT_THAT(Entries(locked), ElementsAre());
}

TEST_F(ProfileFileTest, StoreFollowsALinkedSettingsFile) {
    MakeFolder("program");
    MakeFolder("elsewhere");
    WriteAll(Path("elsewhere/real.ini"), "[FILES]\n");
    ASSERT_EQ(::symlink("../elsewhere/real.ini", Path("program/Tarnwick.ini").c_str()), 0);
    ProfileFile profile(files_, Path("program"));
    EXPECT_EQ(profile.Load(), "[FILES]\n");
    ASSERT_TRUE(profile.Store("[FILES]\nNoMsg=ON\n"));
    EXPECT_TRUE(S_ISLNK(ModeOf(Path("program/Tarnwick.ini"))));
    EXPECT_EQ(ReadAll(Path("elsewhere/real.ini")), "[FILES]\nNoMsg=ON\n");
    EXPECT_THAT(Entries(Path("elsewhere")), ElementsAre("real.ini"));
}

TEST_F(ProfileFileTest, SettingsFileThatIsAFolderIsNeitherReadNorReplaced) {
    MakeFolder("program");
    MakeFolder("program/Tarnwick.ini");
    ProfileFile broken(files_, Path("program"));
    EXPECT_EQ(broken.Load(), std::nullopt);
    EXPECT_FALSE(broken.Store("[FILES]\n"));
    EXPECT_TRUE(fs::is_directory(Path("program/Tarnwick.ini")));
    EXPECT_THAT(Entries(Path("program")), ElementsAre("Tarnwick.ini"));
}

// A settings file that exists but cannot be read must not be replaced by a
// text made without it: that would lose every other setting in it.
TEST_F(ProfileFileTest, UnreadableSettingsFileIsNotReplaced) {
    MakeFolder("program");
    const std::string huge(std::size_t{17} << 20, 'x');
    WriteAll(Path("program/Tarnwick.ini"), huge);
    ProfileFile profile(files_, Path("program"));
    EXPECT_EQ(profile.Load(), std::nullopt);
    EXPECT_FALSE(profile.Store("[FILES]\nNoMsg=ON\n"));
    EXPECT_EQ(ReadAll(Path("program/Tarnwick.ini")), huge);

    WriteAll(Path("program/Tarnwick.ini"), "[FILES]\n");
    EXPECT_EQ(profile.Load(), "[FILES]\n");
    EXPECT_TRUE(profile.Store("[FILES]\nNoMsg=ON\n")) << "a readable file is written again";
}

}  // namespace
}  // namespace tarnwick
