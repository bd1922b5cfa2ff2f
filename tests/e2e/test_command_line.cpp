// The built program, run in command-line mode from a prepared folder: a copy
// of the executable (its folder decides where the settings file is), the
// settings file and a base file. Without a display messages go to the
// console; with one, to message boxes.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/file_helpers.h"

namespace {

namespace fs = std::filesystem;
using ::testing::AnyOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::StartsWith;

const std::string kBase = "Text before\r\n//START PRIV-2\r\nBest regards,\r\n  Taro Yamada  \r\n//END\r\n";
const std::string kPriv2Tail = "Best regards,\n  Taro Yamada  \n";
const std::string kOldTail = "old tail\r\n";

using tarnwick::testing::ReadAll;
using tarnwick::testing::WriteAll;

// What any change to a file would alter: inode, mode, device, and for a
// regular file its time stamp and bytes.
std::string State(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return "missing";
    }
    std::ostringstream state;
    state << info.st_ino << " " << std::oct << info.st_mode << " " << info.st_rdev;
    if (S_ISREG(info.st_mode)) {
        state << " " << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec << "\n" << ReadAll(path);
    }
    return state.str();
}

// As root, runs without write permission are made as "nobody", who must be
// able to reach the folder.
const passwd* Nobody() {
    return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
}

bool CanRunUnprivileged(const fs::path& folder) {
    bool reachable = ::geteuid() != 0 || Nobody() != nullptr;
    for (fs::path path = folder; reachable && path != path.root_path(); path = path.parent_path()) {
        reachable =
            ::geteuid() != 0 || (fs::status(path).permissions() & fs::perms::others_exec) != fs::perms::none;
    }
    return reachable;
}

struct RunResult {
    int status = 0;  // the exit status, or minus the signal that ended the run
    std::string out;
    std::string err;
    long peakKiB = 0;  // the largest resident set the run had
};

std::ostream& operator<<(std::ostream& stream, const RunResult& result) {
    return stream << "status " << result.status << "\nstdout: [" << result.out << "]\nstderr: ["
                  << result.err.substr(0, 500) << "]";
}

// The words as execv takes them, valid while the words are.
std::vector<char*> ArgumentVector(std::vector<std::string>& words) {
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Whether a child process has ended; it is left for its parent to collect.
bool HasEnded(pid_t process) {
    siginfo_t ended{};
    return ::waitid(P_PID, static_cast<id_t>(process), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           ended.si_pid != 0;
}

// How many bytes a child process has written so far; -1 once that cannot be
// told (it has ended, or the system does not say).
long long BytesWritten(pid_t process) {
    if (HasEnded(process)) {
        return -1;
    }
    std::ifstream io("/proc/" + std::to_string(process) + "/io");
    std::string field;
    long long count = -1;
    while (io >> field && field != "wchar:") {
    }
    io >> count;
    return io ? count : -1;
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarnwick-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        work_ = root_ + "/work";
        ASSERT_TRUE(fs::create_directory(work_));
        ::chmod(root_.c_str(), 0755);
        ::chmod(work_.c_str(), 0755);
        fs::copy_file(TARNWICK_EXE, Path("tarnwick"));
        ::chmod(Path("tarnwick").c_str(), 0755);
    }

    void TearDown() override {
        ::chmod(Path("locked").c_str(), 0755);
        fs::remove_all(root_);
    }

    std::string Path(const std::string& name) const {
        return name.empty() || name[0] == '/' ? name : work_ + "/" + name;
    }

    // Base file, old tail file and settings naming both, with a caption and
    // a stored NoMsg that the command line overrides; the settings file gets
    // an old time stamp, so any rewrite shows.
    void Prepare(const std::string& base = kBase, const std::string& dest = "tail.txt",
                 const std::string& source = "base.txt") {
        WriteAll(Path("base.txt"), base);
        WriteAll(Path("tail.txt"), kOldTail);
        WriteSettings("[FILES]\nDEST=" + Path(dest) + "\nSOURCE=" + Path(source) +
                      "\nNoMsg=ON\n[CAPTION]\nPRIV-2=Weekend\n");
    }
    void WriteSettings(const std::string& text) {
        WriteAll(Path("Tarnwick.ini"), text);
        const timespec times[2] = {{978307200, 0}, {978307200, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path("Tarnwick.ini").c_str(), times, 0), 0);
    }

    // The state of everything in the folder but the program.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> states;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(work_)) {
            if (entry.path() != Path("tarnwick")) {
                states[entry.path().string()] = State(entry.path().string());
            }
        }
        return states;
    }

    // Runs the copied program without a display, as "nobody" when asked to
    // run unprivileged while we are root; as a shell would, with the default
    // SIGPIPE action, and when asked with a standard output nobody reads.
    // `whileRunning` gets the running program's process id.
    RunResult Run(std::vector<std::string> arguments, bool unprivileged = false,
                  const std::function<void(pid_t)>& whileRunning = {}, bool readerGone = false) {
        const std::string outPath = root_ + "/stdout.txt";
        const std::string errPath = root_ + "/stderr.txt";
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        arguments.insert(arguments.begin(), Path("tarnwick"));
        std::vector<char*> argv = ArgumentVector(arguments);
        const passwd* nobody = unprivileged ? Nobody() : nullptr;
        const pid_t child = ::fork();
        if (child == 0) {
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
                ::unsetenv(name);
            }
            if (!display_.empty()) {
                ::setenv("DISPLAY", display_.c_str(), 1);
            }
            for (const auto& [name, value] : environment_) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
            // The per-user settings folder, should the program look there, is ours.
            ::setenv("HOME", (root_ + "/home").c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
            (void)::signal(SIGPIPE, SIG_DFL);
            int pipeEnds[2];
            if ((readerGone &&
                 (::pipe(pipeEnds) != 0 || ::close(pipeEnds[0]) != 0 || ::dup2(pipeEnds[1], out) < 0)) ||
                ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(work_.c_str()) != 0 ||
                (nobody != nullptr && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                                       ::setuid(nobody->pw_uid) != 0))) {
                ::_exit(126);
            }
            ::alarm(20);  // survives exec: a hung run ends by SIGALRM; a guard, not a measurement
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out);
        ::close(err);
        if (whileRunning && child > 0) {
            whileRunning(child);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || ::wait4(child, &status, 0, &usage) != child) {
            ADD_FAILURE() << "cannot run the program";
        }
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), ReadAll(outPath),
                ReadAll(errPath), usage.ru_maxrss};
    }

    std::string root_;
    std::string work_;
    std::string display_;  // DISPLAY for the runs; none when empty
    // More variables for the runs.
    std::vector<std::pair<std::string, std::string>> environment_;
};

TEST_F(CommandLineTest, SlotIsAppliedAndNomsgSilencesTheMessage) {
    const std::string success = "Set Vellicor: information: Set Vellicor for [ Weekend ].\n";
    for (const auto& [arguments, out] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"  priv-2  "}, success}, {{"PRIV-2", "NOMSG"}, ""}, {{"pRiV-2 nOmSg"}, ""}}) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        Prepare();
        const std::string settings = State(Path("Tarnwick.ini"));
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.status, 0) << result;
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadAll(Path("tail.txt")), kPriv2Tail);
        EXPECT_EQ(State(Path("Tarnwick.ini")), settings);
        EXPECT_EQ(Snapshot().size(), 3u);  // no temporary file left
    }
    Prepare();
    EXPECT_EQ(Run({"PRIV-2"}, false, {}, true).status, 0) << "a success message nobody reads is no failure";
    EXPECT_EQ(ReadAll(Path("tail.txt")), kPriv2Tail);
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char date[16];
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y.%m.%d", &local);
    return date;
}

TEST_F(CommandLineTest, FailuresAreReportedAndChangeNoFile) {
    const std::string notFound = "Set Vellicor: error: INPUT SOURCE ERROR !!!\nNOT FOUND - ";
    const std::string inputOpen = "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : ";
    const std::string outputOpen = "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : ";
    struct Case {
        std::string name;
        std::string base;
        std::string source;
        std::string dest;
        bool unprivileged;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"no start line", "//START PRIV-1\nx\n//END\n", "base.txt", "tail.txt", false,
         notFound + "//START PRIV-2\n"},
        {"no end line", "//START PRIV-2\nA\nB\n", "base.txt", "tail.txt", false, notFound + "//END\n"},
        {"missing base file", kBase, "none", "tail.txt", false,
         inputOpen + Path("none") + "\nNo such file or directory\n"},
        {"no base file chosen", kBase, "", "tail.txt", false, inputOpen + "\nNo base file is chosen.\n"},
        {"base file is a folder", kBase, "locked", "tail.txt", false,
         inputOpen + Path("locked") + "\nIs a directory\n"},
        {"no tail file chosen", kBase, "base.txt", "", false, outputOpen + "\nNo tail file is chosen.\n"},
        {"tail is a folder", kBase, "base.txt", "locked", false,
         outputOpen + Path("locked") + "\nIs a directory\n"},
        {"tail folder missing", kBase, "base.txt", "none/t", false,
         outputOpen + Path("none/t") + "\nNo such file or directory\n"},
        // Reported as it is, never cut into the name of another file.
        {"tail path too long", kBase, "base.txt", std::string(5000, 't'), false,
         outputOpen + Path(std::string(5000, 't')) + "\nFile name too long\n"},
        {"new tail in a read-only folder", kBase, "base.txt", "locked/t", true,
         outputOpen + Path("locked/t") + "\nPermission denied\n"},
        {"read-only tail", kBase, "base.txt", "read-only.txt", true,
         outputOpen + Path("read-only.txt") + "\nPermission denied\n"},
        {"tail in a read-only folder, no end line", "//START PRIV-2\nA\nB\n", "base.txt", "locked/tail.txt",
         true, notFound + "//END\n"},
        {"device refuses the write", kBase, "base.txt", "/dev/full", false,
         "Set Vellicor: warning: OUTPUT FILE WRITE ERROR !!!\nFILE : /dev/full\nNo space left on device\n"},
    };
    fs::create_directory(Path("locked"));
    WriteAll(Path("locked/tail.txt"), kOldTail);
    if (const passwd* nobody = Nobody()) {
        ASSERT_EQ(::chown(Path("locked/tail.txt").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    ::chmod(Path("locked").c_str(), 0555);
    WriteAll(Path("read-only.txt"), kOldTail);
    ::chmod(Path("read-only.txt").c_str(), 0444);
    std::string skipped;
    for (const Case& c : cases) {
        if (c.unprivileged && !CanRunUnprivileged(work_)) {
            skipped += " [" + c.name + "]";
            continue;
        }
        SCOPED_TRACE(c.name);
        Prepare(c.base, c.dest, c.source);
        const auto before = Snapshot();
        const std::string destBefore = State(Path(c.dest));
        const RunResult result = Run({"PRIV-2"}, c.unprivileged);
        EXPECT_EQ(result.status, 1) << result;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(State(Path(c.dest)), destBefore);
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "cannot run without write permission:" << skipped;
    }
}

TEST_F(CommandLineTest, TailNamingTheBaseOrTheSettingsFileIsRefusedInEverySpelling) {
    Prepare();
    fs::create_directory(Path("sub"));
    ASSERT_EQ(::symlink("base.txt", Path("link").c_str()), 0);
    ASSERT_EQ(::link(Path("base.txt").c_str(), Path("hard").c_str()), 0);
    ASSERT_EQ(::symlink("Tarnwick.ini", Path("settings-link").c_str()), 0);
    for (const std::string& dest : {Path("base.txt"), Path("link"), Path("hard"), work_ + "/./base.txt",
                                    work_ + "/sub/../base.txt", work_ + "//base.txt", Path("Tarnwick.ini"),
                                    Path("settings-link"), work_ + "/sub/../Tarnwick.ini"}) {
        SCOPED_TRACE(dest);
        WriteSettings("[FILES]\nDEST=" + dest + "\nSOURCE=" + Path("base.txt") + "\n");
        const auto before = Snapshot();
        const RunResult result = Run({"PRIV-2"});
        EXPECT_EQ(result.status, 1) << result;
        const bool settings =
            dest.find("ini") != std::string::npos || dest.find("settings") != std::string::npos;
        EXPECT_EQ(result.err, "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : " + dest +
                                  "\nThe tail file is the " + (settings ? "settings" : "base") + " file.\n");
        EXPECT_EQ(Snapshot(), before);
    }
}

// A base file that never ends or holds a huge block costs neither unbounded
// time nor memory.
TEST_F(CommandLineTest, BaseFileIsReadInBoundedTimeAndMemory) {
    const std::string inputOpen = "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : ";
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    const int writer = ::open(Path("fifo").c_str(), O_RDWR | O_CLOEXEC);  // a writer that stays
    ASSERT_GE(writer, 0);
    // 300 MB of one line inside the block, as a sparse file that costs no disk.
    WriteAll(Path("huge.txt"), "//START PRIV-2\n");
    const off_t lineEnd = off_t{300} << 20;
    ASSERT_EQ(::truncate(Path("huge.txt").c_str(), lineEnd), 0);
    std::ofstream(Path("huge.txt"), std::ios::binary | std::ios::app) << "\n//END\n";
    // The base file and the whole message; the run fails and the tail stays.
    for (const auto& [source, err] : std::vector<std::pair<std::string, std::string>>{
             {"/dev/zero", inputOpen + "/dev/zero\nNot a regular file (a device, a pipe or a socket)\n"},
             {Path("fifo"),
              inputOpen + Path("fifo") + "\nNot a regular file (a device, a pipe or a socket)\n"},
             {Path("huge.txt"),
              "Set Vellicor: error: INPUT SOURCE ERROR !!!\nBLOCK LARGER THAN 8 MiB - //START PRIV-2\n"},
         }) {
        SCOPED_TRACE(source);
        Prepare(kBase, "tail.txt", source);
        const RunResult result = Run({"PRIV-2", "NOMSG"});
        EXPECT_EQ(result.status, 1) << result;
        EXPECT_EQ(result.err, err);
        EXPECT_EQ(ReadAll(Path("tail.txt")), kOldTail);
        EXPECT_LT(result.peakKiB, 64 * 1024);
    }
    ::close(writer);
}

// Killed at any point while it writes a large block, the program leaves the
// complete old or the complete new tail, and no other file.
TEST_F(CommandLineTest, KilledWhileWritingLeavesTheOldOrTheNewTailAndNothingElse) {
    std::string block;
    std::string newTail;
    for (int i = 0; i < 100000; ++i) {
        const std::string line = "line " + std::to_string(i) + " of a long closing text";
        block += line + "\r\n";
        newTail += line + "\n";
    }
    Prepare("//START PRIV-2\r\n" + block + "//END\r\n");
    constexpr int kPoints = 6;
    for (const int signal : {SIGKILL, SIGTERM}) {
        for (int point = 0; point < kPoints; ++point) {
            SCOPED_TRACE(std::to_string(signal) + " after " + std::to_string(point) + "/" +
                         std::to_string(kPoints));
            WriteAll(Path("tail.txt"), kOldTail);
            const auto killPart = [&](pid_t program) {
                const auto wanted = static_cast<long long>(newTail.size()) * point / kPoints;
                for (long long written = 0; written >= 0 && written < wanted;
                     written = BytesWritten(program)) {
                }
                ::kill(program, signal);
            };
            const RunResult result = Run({"PRIV-2", "NOMSG"}, false, killPart);
            EXPECT_THAT(result.status, AnyOf(0, -signal)) << result;
            const std::string tail = ReadAll(Path("tail.txt"));
            EXPECT_TRUE(tail == kOldTail || tail == newTail) << tail.size() << " bytes";
            EXPECT_EQ(Snapshot().size(), 3u);
        }
    }
}

// Help and version print with or without a display, even one that cannot be
// reached; window mode without a display ends at once, and a first word that
// is no key name is reported as such.
TEST_F(CommandLineTest, HelpAndVersionPrintAndWindowModeNeedsADisplay) {
    struct Case {
        std::vector<std::string> arguments;
        std::string display;
        int status;
        std::string out;  // how it starts
        std::string err;  // what it holds
    };
    for (const Case& c : std::vector<Case>{
             {{"--help"}, "", 0, "Usage:\n", ""},
             {{"--help"}, ":97", 0, "Usage:\n", ""},
             {{"--version"}, "", 0, "tarnwick " TARNWICK_VERSION "\n", ""},
             {{"--version"}, ":97", 0, "tarnwick " TARNWICK_VERSION "\n", ""},
             {{}, "", 2, "", "display"},
             {{"PRIV-8"},
              "",
              2,
              "",
              "Set Vellicor: error: \"PRIV-8\" is not a slot key.\nThe slot keys are OFFI-1 "},
             {{"hello", "PRIV-2"}, "", 2, "", "\"hello\" is not a slot key.\n"},
             {{"hello"}, "", 2, "", "PRIV-4 PRIV-5, in any case.\nSee tarnwick --help.\n"},
         }) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments) + " DISPLAY=" + c.display);
        Prepare();
        const auto before = Snapshot();
        display_ = c.display;
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.status, c.status) << result;
        EXPECT_THAT(result.out, StartsWith(c.out));
        EXPECT_THAT(result.err,
                    c.err.empty() ? ::testing::Matcher<std::string>(IsEmpty()) : HasSubstr(c.err));
        EXPECT_EQ(Snapshot(), before);
    }
}

// A tail written on another day is refreshed to the system clock's date and
// time; without a tail, or with a device as the tail, nothing is written; a
// pipe as the tail is found as it is.
TEST_F(CommandLineTest, StatusAndRefreshFollowTheTail) {
    Prepare("//START PRIV-2\r\nSent \r\n%DATE\r\n \r\n%TIME\r\n//END\r\n");
    const auto step = [&](const char* name, std::vector<std::string> arguments, int status,
                          const std::string& outPattern, const std::string& err) {
        SCOPED_TRACE(name);
        const RunResult result = Run(std::move(arguments));
        EXPECT_EQ(result.status, status) << result;
        EXPECT_THAT(result.out, ::testing::MatchesRegex(outPattern));
        EXPECT_EQ(result.err, err);
    };
    WriteAll(Path("tail.txt"), "Sent 2001.02.03 04:05:06\r\n");
    const std::string before = Today();
    step("refreshed", {"--refresh"}, 0, "", "");
    const std::string tail = ReadAll(Path("tail.txt"));
    EXPECT_THAT(
        tail, MatchesRegex("Sent [0-9]{4}\\.[0-9]{2}\\.[0-9]{2} ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\n"));
    EXPECT_THAT(tail.substr(5, 10), AnyOf(before, Today()));  // the run may cross midnight
    fs::remove(Path("tail.txt"));
    step("no tail yet", {"--status"}, 3,
         "The tail file holds nothing: there is no tail file yet\\.\nBase file: " + Path("base.txt") +
             "\nTail file: " + Path("tail.txt") + "\n",
         "");
    EXPECT_EQ(Snapshot().size(), 2u) << "nothing else written";
    WriteSettings("[FILES]\nDEST=/dev/zero\nSOURCE=" + Path("base.txt") + "\n");
    step("a device as the tail is not read", {"--refresh"}, 1, "",
         "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : /dev/zero\nNot a regular file (a device, "
         "a pipe "
         "or a socket)\n");
    const std::string signature = root_ + "/home/.signature";
    ASSERT_TRUE(fs::create_directory(root_ + "/home"));
    ASSERT_EQ(::mkfifo(signature.c_str(), 0600), 0);
    WriteSettings("[FILES]\nDEST=" + signature + "\n");
    step("a pipe as the tail is found, not read", {"--find-tails"}, 0,
         "Many programs\tdefault signature file\t" + root_ +
             "/home/\\.signature\texists, the current tail file\n",
         "");
}

// Whatever the input, the run ends with a status of its own and our own
// messages, the settings and base files stay as they were, and the tail is
// either the old one or the whole block.
TEST_F(CommandLineTest, GarbageAndLongLinesEndCleanlyAndKeepTheFiles) {
    std::mt19937 generator(20240601);
    const auto randomBytes = [&](std::size_t size, bool lineEnds) {
        std::string bytes(size, '\0');
        std::generate(bytes.begin(), bytes.end(), [&] {
            const auto byte = static_cast<char>(generator() & 0xff);
            return lineEnds || (byte != '\r' && byte != '\n') ? byte : 'x';
        });
        return bytes;
    };
    const std::string line = randomBytes(3u << 20, false);  // longer than a read block
    struct Case {
        std::string name;
        std::string settings;  // empty: the usual settings
        std::string base;
        int status;
        std::string tail;
    };
    const std::vector<Case> cases = {
        {"random settings file", randomBytes(4096, true), kBase, 1, kOldTail},
        {"random base file", "", randomBytes(1 << 20, true), 1, kOldTail},
        {"random bytes in a long line of the block", "", "//START PRIV-2\n" + line + "\r\n//END\n", 0,
         line + "\n"},
        {"no line end at all", "", line, 1, kOldTail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.base);
        if (!c.settings.empty()) {
            WriteSettings(c.settings);
        }
        const std::string settings = State(Path("Tarnwick.ini"));
        const std::string base = State(Path("base.txt"));
        const RunResult result = Run({"PRIV-2", "NOMSG"});
        EXPECT_EQ(result.status, c.status) << result;
        EXPECT_EQ(ReadAll(Path("tail.txt")), c.tail);
        EXPECT_EQ(State(Path("Tarnwick.ini")), settings);
        EXPECT_EQ(State(Path("base.txt")), base);
        EXPECT_EQ(Snapshot().size(), 3u);  // no temporary file left
        EXPECT_THAT(result.err, AnyOf(IsEmpty(), StartsWith("Set Vellicor: ")));
    }
}

#ifdef TARNWICK_GUI_MODULE

// The full path of a program found on PATH; empty when there is none.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::string candidate = folder;
        candidate += '/';
        candidate += name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// Starts a helper program on a display with its output discarded; an alarm
// ends it should it hang (0: none, for the X server, which the test ends).
pid_t Spawn(std::vector<std::string> command, const std::string& display, unsigned guardSeconds) {
    std::vector<char*> argv = ArgumentVector(command);
    const pid_t child = ::fork();
    if (child == 0) {
        const int discard = ::open("/dev/null", O_WRONLY);
        if (discard < 0 || ::dup2(discard, 1) < 0 || ::dup2(discard, 2) < 0 ||
            (!display.empty() && ::setenv("DISPLAY", display.c_str(), 1) != 0)) {
            ::_exit(126);
        }
        ::alarm(guardSeconds);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

bool Succeeded(pid_t helper) {
    int status = 0;
    return helper > 0 && ::waitpid(helper, &status, 0) == helper && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Waits for a helper; false when it fails, or when the program ends before
// it does (the helper is then stopped).
bool SucceededWhileRunning(pid_t helper, pid_t program) {
    while (helper > 0 && !HasEnded(helper)) {
        if (HasEnded(program)) {
            ::kill(helper, SIGKILL);
            (void)Succeeded(helper);
            return false;
        }
        ::usleep(10000);
    }
    return Succeeded(helper);
}

// An X server of the test's own on a free display number.
class VirtualDisplay {
public:
    VirtualDisplay() {
        int ends[2];
        if (::pipe(ends) != 0) {
            return;
        }
        ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
        // Xvfb writes the display number to the pipe once it takes connections.
        server_ = Spawn({FindOnPath("Xvfb"), "-displayfd", std::to_string(ends[1]), "-nolisten", "tcp",
                         "-noreset", "-screen", "0", "1024x768x24"},
                        "", 0);
        ::close(ends[1]);
        // Read to the line end: the server writes the number and the line
        // end apart, and ends itself should the pipe close between them.
        std::string number;
        pollfd ready{ends[0], POLLIN, 0};
        char next = 0;
        while (server_ > 0 && next != '\n' && ::poll(&ready, 1, 20000) == 1 &&
               ::read(ends[0], &next, 1) == 1) {
            number += next;
        }
        if (next == '\n') {
            name_ = ":" + number.substr(0, number.size() - 1);
        }
        ::close(ends[0]);
    }
    ~VirtualDisplay() {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& Name() const { return name_; }  // empty when the server did not start

private:
    pid_t server_ = -1;
    std::string name_;
};

// Closes the message box from the keyboard as a person would: waits until it
// is shown, gives it the focus and presses Return. False when the program
// ends without showing one.
bool PressReturnInBox(pid_t program, const std::string& display) {
    const std::string xdotool = FindOnPath("xdotool");
    return SucceededWhileRunning(Spawn({xdotool, "search", "--sync", "--onlyvisible", "--name",
                                        "^Set Vellicor$", "windowfocus", "--sync"},
                                       display, 20),
                                 program) &&
           Succeeded(Spawn({xdotool, "key", "Return"}, display, 20));
}

// With a display every outcome is a message box. Once it is closed the run
// ends with its own status, on X11 as on the offscreen platform, where no key
// can be typed and the test's Qt plugin presses Return in the box.
TEST_F(CommandLineTest, RunsEndWithTheirStatusOnceTheirMessageBoxIsClosed) {
    struct Case {
        std::string name;
        std::string arguments;
        std::string source;
        int status;
        std::string tail;
        std::string box;  // the box shown, as the plugin records it; empty: none
    };
    const std::vector<Case> cases = {
        {"success", "PRIV-2", "base.txt", 0, kPriv2Tail, "information: Set Vellicor for [ Weekend ]."},
        {"no message asked for", "PRIV-2 NOMSG", "base.txt", 0, kPriv2Tail, ""},
        {"missing base file", "PRIV-2", "none", 1, kOldTail,
         "warning: INPUT FILE OPEN ERROR !!!\nFILE : " + Path("none") + "\nNo such file or directory"},
        {"missing block", "PRIV-1", "base.txt", 1, kOldTail,
         "error: INPUT SOURCE ERROR !!!\nNOT FOUND - //START PRIV-1"},
        {"unknown option", "--bogus", "base.txt", 2, kOldTail,
         "error: Unknown option --bogus. See tarnwick --help."},
    };
    const fs::path module = TARNWICK_GUI_MODULE;
    fs::copy_file(module, Path(module.filename().string()));
    const std::string boxes = root_ + "/boxes.txt";
    std::optional<VirtualDisplay> x11;
    if (!FindOnPath("Xvfb").empty()) {
        ASSERT_FALSE(x11.emplace().Name().empty()) << "Xvfb does not start";
    }
    for (const bool onX11 : {true, false}) {
        if (onX11 && !x11) {
            continue;
        }
        display_ = onX11 ? x11->Name() : "";
        environment_ = {{"QT_PLUGIN_PATH", TARNWICK_TEST_QT_PLUGINS},
                        {"QT_QPA_GENERIC_PLUGINS", (onX11 ? "recordboxes:" : "answerboxes:") + boxes}};
        if (!onX11) {
            environment_.emplace_back("QT_QPA_PLATFORM", "offscreen");
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + (onX11 ? " on X11" : " offscreen"));
            Prepare(kBase, "tail.txt", c.source);
            fs::remove(boxes);
            bool answered = false;
            const RunResult result = Run({c.arguments}, false, [&](pid_t program) {
                answered = onX11 && PressReturnInBox(program, display_);
            });
            EXPECT_EQ(result.status, c.status) << result;
            EXPECT_EQ(result.out, "");
            EXPECT_THAT(result.err, Not(HasSubstr("Set Vellicor"))) << "no console message";
            EXPECT_EQ(ReadAll(Path("tail.txt")), c.tail);
            EXPECT_EQ(ReadAll(boxes), c.box.empty() ? "" : "box [Set Vellicor] " + c.box + "\n");
            if (onX11) {
                EXPECT_EQ(answered, !c.box.empty());
            }
        }
    }
    if (!x11) {
        GTEST_SKIP() << "Xvfb is not installed: the runs on X11 were left out";
    }
}

#endif

}  // namespace
