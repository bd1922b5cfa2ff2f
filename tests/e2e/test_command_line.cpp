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
using ::testing::Matcher;
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

// The local date as the program writes it.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char date[16];
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y.%m.%d", &local);
    return date;
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

    // A run from the prepared folder and what it must give. With no tail
    // given, no file in the folder may change; else only the tail, and no
    // temporary file is left. No run may take much memory.
    struct Case {
        std::string name;
        std::vector<std::string> arguments;
        int status;
        Matcher<std::string> out;
        Matcher<std::string> err;
        std::optional<std::string> tail = {};
        std::string base = kBase;
        std::string source = "base.txt";
        std::string dest = "tail.txt";
        bool unprivileged = false;
        std::string settings = {};  // instead of the prepared ones; empty: those
    };
    // A run of PRIV-2 that fails with status 1 and changes nothing.
    static Case Failure(std::string name, Matcher<std::string> err, std::string base = kBase,
                        std::string source = "base.txt", std::string dest = "tail.txt",
                        bool unprivileged = false, std::string settings = {}) {
        return Case(std::move(name), {"PRIV-2"}, 1, "", std::move(err), std::nullopt, std::move(base),
                    std::move(source), std::move(dest), unprivileged, std::move(settings));
    }
    void ExpectRun(const Case& c) {
        SCOPED_TRACE(c.name);
        Prepare(c.base, c.dest, c.source);
        if (!c.settings.empty()) {
            WriteSettings(c.settings);
        }
        std::map<std::string, std::string> before = Snapshot();
        const RunResult result = Run(c.arguments, c.unprivileged);
        EXPECT_EQ(result.status, c.status) << result;
        EXPECT_THAT(result.out, c.out);
        EXPECT_THAT(result.err, c.err);
        EXPECT_LT(result.peakKiB, 64 * 1024);
        std::map<std::string, std::string> after = Snapshot();
        if (c.tail) {
            EXPECT_EQ(ReadAll(Path(c.dest)), *c.tail);
            before.erase(Path(c.dest));
            after.erase(Path(c.dest));
        }
        EXPECT_EQ(after, before);
    }

    std::string RandomBytes(std::size_t size, bool lineEnds) {
        std::string bytes(size, '\0');
        std::generate(bytes.begin(), bytes.end(), [&] {
            const auto byte = static_cast<char>(random_() & 0xff);
            return lineEnds || (byte != '\r' && byte != '\n') ? byte : 'x';
        });
        return bytes;
    }

    std::string root_;
    std::string work_;
    std::string display_;  // DISPLAY for the runs; none when empty
    // More variables for the runs.
    std::vector<std::pair<std::string, std::string>> environment_;
    std::mt19937 random_{20240601};
};

TEST_F(CommandLineTest, SlotIsAppliedAndNomsgSilencesTheMessage) {
    const std::string success = "Set Vellicor: information: Set Vellicor for [ Weekend ].\n";
    ExpectRun({"slot", {"  priv-2  "}, 0, success, "", kPriv2Tail});
    ExpectRun({"NOMSG", {"PRIV-2", "NOMSG"}, 0, "", "", kPriv2Tail});
    ExpectRun({"one argument", {"pRiV-2 nOmSg"}, 0, "", "", kPriv2Tail});
    // Read after the run as well, which may cross midnight.
    const auto today = ::testing::Truly([before = Today()](const std::string& out) {
        return out == "Sent " + before + "\n" || out == "Sent " + Today() + "\n";
    });
    const std::string dated = "//START PRIV-2\r\nSent \r\n%DATE\r\n//END\r\n";
    ExpectRun({"the system clock's date", {"--print", "priv-2"}, 0, today, "", std::nullopt, dated});
    const std::string line = RandomBytes(3u << 20, false);  // longer than a read block
    const std::string block = "//START PRIV-2\n" + line + "\r\n//END\n";
    ExpectRun({"random bytes in a long line", {"PRIV-2", "NOMSG"}, 0, "", "", line + "\n", block});
    Prepare();
    EXPECT_EQ(Run({"PRIV-2"}, false, {}, true).status, 0) << "a success message nobody reads is no failure";
    EXPECT_EQ(ReadAll(Path("tail.txt")), kPriv2Tail);
}

// A pipe as ~/.signature, which is also the tail, is found as it is, never
// opened: a program may write the signature into it as it is read.
TEST_F(CommandLineTest, FindTailsTakesAPipeForTheFileItIs) {
    const std::string signature = root_ + "/home/.signature";
    fs::create_directories(root_ + "/home");
    ASSERT_EQ(::mkfifo(signature.c_str(), 0600), 0);
    const std::string found =
        "Many programs\tdefault signature file\t" + signature + "\texists, the current tail file\n";
    ExpectRun(Case("a pipe as the tail", {"--find-tails"}, 0, found, "", std::nullopt, kBase, "base.txt",
                   "tail.txt", false, "[FILES]\nDEST=" + signature + "\n"));
}

// Among them a base file that never ends or holds a huge block, which must
// cost neither unbounded time nor memory, and a tail that is the base or the
// settings file in any spelling.
TEST_F(CommandLineTest, FailuresAreReportedAndChangeNoFile) {
    const std::string notFound = "Set Vellicor: error: INPUT SOURCE ERROR !!!\nNOT FOUND - ";
    const std::string inputOpen = "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : ";
    const std::string outputOpen = "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : ";
    const std::string longName(5000, 't');
    std::vector<Case> cases = {
        Failure("no start line", notFound + "//START PRIV-2\n", "//START PRIV-1\nx\n//END\n"),
        Failure("missing base file", inputOpen + Path("none") + "\nNo such file or directory\n", kBase,
                "none"),
        // Reported as it is, never cut into the name of another file.
        Failure("tail path too long", outputOpen + Path(longName) + "\nFile name too long\n", kBase,
                "base.txt", longName),
        Failure("new tail in a read-only folder", outputOpen + Path("locked/t") + "\nPermission denied\n",
                kBase, "base.txt", "locked/t", true),
        Failure("read-only tail", outputOpen + Path("read-only.txt") + "\nPermission denied\n", kBase,
                "base.txt", "read-only.txt", true),
        Failure("tail in a read-only folder, no end line", notFound + "//END\n", "//START PRIV-2\nA\nB\n",
                "base.txt", "locked/tail.txt", true),
        Failure(
            "device refuses the write",
            "Set Vellicor: warning: OUTPUT FILE WRITE ERROR !!!\nFILE : /dev/full\nNo space left on device\n",
            kBase, "base.txt", "/dev/full"),
        Failure("endless device",
                inputOpen + "/dev/zero\nNot a regular file (a device, a pipe or a socket)\n", kBase,
                "/dev/zero"),
        Failure("huge block",
                "Set Vellicor: error: INPUT SOURCE ERROR !!!\nBLOCK LARGER THAN 8 MiB - //START PRIV-2\n",
                kBase, root_ + "/huge.txt"),
        Failure("random base file", StartsWith("Set Vellicor: "), RandomBytes(1 << 20, true)),
        Failure("no line end at all", StartsWith("Set Vellicor: "), RandomBytes(3u << 20, false)),
        Failure("random settings file", StartsWith("Set Vellicor: "), kBase, "base.txt", "tail.txt", false,
                RandomBytes(4096, true)),
    };
    const auto sameAs = [&](const std::string& file, const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            cases.push_back(Failure(Path(name),
                                    outputOpen + Path(name) + "\nThe tail file is the " + file + " file.\n",
                                    kBase, "base.txt", name));
        }
    };
    sameAs("base", {"base.txt", "link", "hard", "./base.txt", "sub/../base.txt", work_ + "//base.txt"});
    sameAs("settings", {"Tarnwick.ini", "settings-link", "sub/../Tarnwick.ini"});
    fs::create_directory(Path("locked"));
    WriteAll(Path("locked/tail.txt"), kOldTail);
    if (const passwd* nobody = Nobody()) {
        ASSERT_EQ(::chown(Path("locked/tail.txt").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    ::chmod(Path("locked").c_str(), 0555);
    WriteAll(Path("read-only.txt"), kOldTail);
    ::chmod(Path("read-only.txt").c_str(), 0444);
    fs::create_directory(Path("sub"));
    WriteAll(Path("base.txt"), kBase);
    ASSERT_EQ(::symlink("base.txt", Path("link").c_str()), 0);
    ASSERT_EQ(::link(Path("base.txt").c_str(), Path("hard").c_str()), 0);
    ASSERT_EQ(::symlink("Tarnwick.ini", Path("settings-link").c_str()), 0);
    // 300 MB of one line inside the block, as a sparse file that costs no
    // disk, outside the folder whose every file is compared.
    WriteAll(root_ + "/huge.txt", "//START PRIV-2\n");
    ASSERT_EQ(::truncate((root_ + "/huge.txt").c_str(), off_t{300} << 20), 0);
    std::ofstream(root_ + "/huge.txt", std::ios::binary | std::ios::app) << "\n//END\n";
    std::string skipped;
    for (const Case& c : cases) {
        if (c.unprivileged && !CanRunUnprivileged(work_)) {
            skipped += " [" + c.name + "]";
            continue;
        }
        ExpectRun(c);
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "cannot run without write permission:" << skipped;
    }
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

// Help and version print even with a display that cannot be reached; window
// mode without a display ends at once, and so does a first word that is no
// key name, reported as such.
TEST_F(CommandLineTest, HelpAndVersionNeedNoDisplayAndWindowModeNeedsOne) {
    display_ = ":97";
    ExpectRun({"help", {"--help"}, 0, StartsWith("Usage:\n"), ""});
    ExpectRun({"version", {"--version"}, 0, "tarnwick " TARNWICK_VERSION "\n", ""});
    display_.clear();
    ExpectRun({"window mode", {}, 2, "", HasSubstr("needs a display")});
    const std::string noKey =
        "Set Vellicor: error: \"hello\" is not a slot key.\nThe slot keys are OFFI-1 OFFI-2 PRIV-1 PRIV-2 "
        "PRIV-3 PRIV-4 PRIV-5, in any case.\nSee tarnwick --help.\n";
    ExpectRun({"no key name", {"hello"}, 2, "", noKey});
}

#ifdef TARNWICK_GUI_MODULE

// The full path of a program found on PATH; empty when there is none.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (const std::string candidate = folder + '/' + name;
            !folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
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
