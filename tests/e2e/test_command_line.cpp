// The built program, run in command-line mode from a prepared folder: a copy
// of the executable (its folder decides where the settings file is), the
// settings file and a base file. No display, so messages go to the console.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::AnyOf;
using ::testing::ElementsAreArray;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// A run that has not ended by then is taken as hung and killed.
constexpr int kRunLimitSeconds = 20;

const std::string kBase =
    "Text before the blocks\n"
    "//START OFFI-1\n"
    "Official one\n"
    "//END\n"
    "//START PRIV-2\n"
    "Best regards,\n"
    "  Taro Yamada  \n"
    "//END\n";
const std::string kPriv2Tail = "Best regards,\n  Taro Yamada  \n";
const std::string kOldTail = "old tail\r\n";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string LocalDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

struct RunResult {
    int status = -1;  // exit status; -1 when the program did not exit
    int signal = 0;   // the signal that ended it, if one did
    bool hung = false;
    std::string out;
    std::string err;
};

std::ostream& operator<<(std::ostream& stream, const RunResult& result) {
    return stream << "status " << result.status << ", signal " << result.signal
                  << (result.hung ? ", hung" : "") << "\nstdout: [" << result.out << "]\nstderr: ["
                  << result.err << "]";
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarnwick-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        work_ = root_ + "/work";
        ASSERT_TRUE(fs::create_directory(work_));
        // Reachable by an unprivileged run.
        ::chmod(root_.c_str(), 0755);
        ::chmod(work_.c_str(), 0755);
        fs::copy_file(TARNWICK_EXE, Path("tarnwick"));
        ::chmod(Path("tarnwick").c_str(), 0755);
    }

    void TearDown() override {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_)) {
            if (entry.symlink_status().type() == fs::file_type::directory) {
                ::chmod(entry.path().c_str(), 0755);
            }
        }
        fs::remove_all(root_);
    }

    std::string Path(const std::string& name) const { return work_ + "/" + name; }

    // The usual folder: base file, old tail file and settings naming both.
    void Prepare(const std::string& settingsExtra = "", const std::string& base = kBase) {
        WriteAll(Path("base.txt"), base);
        WriteAll(Path("tail.txt"), kOldTail);
        WriteSettings("[FILES]\nDEST=" + Path("tail.txt") + "\nSOURCE=" + Path("base.txt") + "\n" +
                      settingsExtra);
    }

    // The settings file gets an old time stamp, so any rewrite shows.
    void WriteSettings(const std::string& text) {
        const std::string path = Path("Tarnwick.ini");
        WriteAll(path, text);
        const timespec times[2] = {{978307200, 0}, {978307200, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        settingsText_ = text;
        settingsStat_ = StatOf(path);
    }

    void ExpectSettingsUntouched() const {
        const std::string path = Path("Tarnwick.ini");
        EXPECT_EQ(ReadAll(path), settingsText_);
        const struct stat now = StatOf(path);
        EXPECT_EQ(now.st_ino, settingsStat_.st_ino);
        EXPECT_EQ(now.st_mtim.tv_sec, settingsStat_.st_mtim.tv_sec);
        EXPECT_EQ(now.st_mtim.tv_nsec, settingsStat_.st_mtim.tv_nsec);
    }

    // Runs the copied program with the arguments, without a display, as
    // "nobody" when asked to run unprivileged while we are root.
    RunResult Run(const std::vector<std::string>& arguments, bool unprivileged = false) {
        RunResult result;
        const passwd* nobody = nullptr;
        if (unprivileged && ::geteuid() == 0) {
            nobody = ::getpwnam("nobody");
            EXPECT_NE(nobody, nullptr);
        }
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const std::string name = variable.substr(0, variable.find('='));
            if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
                name != "HOME" && name != "XDG_CONFIG_HOME") {
                environment.push_back(variable);
            }
        }
        // The per-user settings folder, should the program look there, is ours.
        environment.push_back("HOME=" + root_ + "/home");
        environment.push_back("XDG_CONFIG_HOME=" + root_ + "/config");
        std::vector<std::string> argv = {Path("tarnwick")};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> argvPointers;
        std::vector<char*> environmentPointers;
        for (std::string& text : argv) {
            argvPointers.push_back(text.data());
        }
        for (std::string& text : environment) {
            environmentPointers.push_back(text.data());
        }
        argvPointers.push_back(nullptr);
        environmentPointers.push_back(nullptr);

        const std::string outPath = root_ + "/stdout.txt";
        const std::string errPath = root_ + "/stderr.txt";
        const int out = ::open(outPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int err = ::open(errPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (out < 0 || err < 0 || in < 0) {
            ADD_FAILURE() << "cannot open the capture files";
            return result;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
                ::chdir(work_.c_str()) != 0) {
                ::_exit(126);
            }
            if (nobody != nullptr && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                                      ::setuid(nobody->pw_uid) != 0)) {
                ::_exit(126);
            }
            ::execve(argvPointers[0], argvPointers.data(), environmentPointers.data());
            ::_exit(127);
        }
        ::close(in);
        ::close(out);
        ::close(err);
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return result;
        }
        int status = 0;
        // A guard against a hanging program, not a measurement.
        const int polls = kRunLimitSeconds * 100;
        int poll = 0;
        for (; poll < polls; ++poll) {
            const pid_t ended = ::waitpid(child, &status, WNOHANG);
            if (ended == child || (ended < 0 && errno != EINTR)) {
                break;
            }
            const timespec pause{0, 10'000'000};
            ::nanosleep(&pause, nullptr);
        }
        if (poll == polls) {
            result.hung = true;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        if (WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
        result.out = ReadAll(outPath);
        result.err = ReadAll(errPath);
        return result;
    }

    std::string root_;
    std::string work_;
    std::string settingsText_;
    struct stat settingsStat_ {};
};

std::string Information(const std::string& caption) {
    return "Set Vellicor: information: Set Vellicor for [ " + caption + " ].\n";
}

TEST_F(CommandLineTest, CommandLineAppliesTheSlotAndDecidesTheMessage) {
    struct Case {
        std::vector<std::string> arguments;
        std::string noMsgSetting;
        bool message;
    };
    const std::vector<Case> cases = {
        {{"  priv-2  "}, "", true},           {{"PRIV-2", "NOMSG"}, "OF", false},
        {{"pRiV-2 nOmSg"}, "OF", false},      {{"PRIV-2"}, "ON", true},
        {{"PRIV-2  NOMSG"}, "", true},        {{"PRIV-2", "NOMSG", "please"}, "ON", true},
        {{"PRIV-2", "whatever"}, "ON", true},
    };
    for (const Case& c : cases) {
        const std::string shown = ::testing::PrintToString(c.arguments);
        Prepare(c.noMsgSetting.empty() ? "" : "NoMsg=" + c.noMsgSetting + "\n");
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.status, 0) << shown << "\n" << result;
        EXPECT_EQ(result.out, c.message ? Information("Set Private 2") : "") << shown;
        EXPECT_EQ(result.err, "") << shown;
        EXPECT_EQ(ReadAll(Path("tail.txt")), kPriv2Tail) << shown;
        ExpectSettingsUntouched();
        EXPECT_THAT(Entries(work_), ElementsAreArray({"Tarnwick.ini", "base.txt", "tail.txt", "tarnwick"}));
    }
}

TEST_F(CommandLineTest, MessageNamesTheCaptionFromTheSettings) {
    Prepare("[CAPTION]\nPRIV-2=At home\nOFFI-1=会社 (東京)\n");
    struct Case {
        std::string argument;
        std::string caption;
        std::string tail;
    };
    for (const Case& c :
         {Case{"PRIV-2", "At home", kPriv2Tail}, Case{"offi-1", "会社 (東京)", "Official one\n"}}) {
        const RunResult result = Run({c.argument});
        EXPECT_EQ(result.status, 0) << result;
        EXPECT_EQ(result.out, Information(c.caption));
        EXPECT_EQ(ReadAll(Path("tail.txt")), c.tail);
    }
    ExpectSettingsUntouched();
}

TEST_F(CommandLineTest, PlaceholdersTakeTheCurrentDateAndTime) {
    Prepare("",
            "//START PRIV-1\n"
            "Regards\n"
            "Sent \n"
            "%DATE\n"
            "\n"
            "Bye\n"
            "Date: \n"
            "%DATE\n"
            " (\n"
            "%TIME\n"
            ")\n"
            "//END\n");
    const std::string before = LocalDate();
    const RunResult result = Run({"PRIV-1"});
    const std::string after = LocalDate();
    ASSERT_EQ(result.status, 0) << result;
    const std::string tail = ReadAll(Path("tail.txt"));
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        tail, match,
        std::regex("Regards\nSent (\\d{4}\\.\\d\\d\\.\\d\\d)\nBye\n"
                   "Date: (\\d{4}\\.\\d\\d\\.\\d\\d) \\(([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d\\)\n")))
        << tail;
    EXPECT_THAT(match[1].str(), AnyOf(Eq(before), Eq(after)));
    EXPECT_THAT(match[2].str(), AnyOf(Eq(before), Eq(after)));
}

TEST_F(CommandLineTest, ShippedExampleBaseFileServesEverySlot) {
    Prepare("[CAPTION]\nPRIV-4=Japanese\n", ReadAll(TARNWICK_EXAMPLES "/MailBase.TXT"));
    for (const char* key : {"OFFI-1", "OFFI-2", "PRIV-1", "PRIV-2", "PRIV-3", "PRIV-4", "PRIV-5"}) {
        WriteAll(Path("tail.txt"), kOldTail);
        const RunResult result = Run({key});
        EXPECT_EQ(result.status, 0) << key << "\n" << result;
        EXPECT_EQ(result.err, "") << key;
        const std::string tail = ReadAll(Path("tail.txt"));
        EXPECT_NE(tail, kOldTail) << key;
        EXPECT_EQ(tail.find('\r'), std::string::npos) << key;
        EXPECT_EQ(tail.find("%DATE"), std::string::npos) << key;
        EXPECT_EQ(tail.find("%TIME"), std::string::npos) << key;
    }
}

TEST_F(CommandLineTest, FailuresAreReportedAndLeaveTheTailFileAsItWas) {
    struct Case {
        std::string name;
        std::optional<std::string> base;  // nothing: no base file; "/": a folder
        std::string dest;
        std::string message;  // {SOURCE} and {DEST} stand for the paths
    };
    const std::string inputSource = "Set Vellicor: error: INPUT SOURCE ERROR !!!\nNOT FOUND - ";
    const std::vector<Case> cases = {
        {"no start line", "//START PRIV-1\nx\n//END\n//START PRIV-22\n", "tail.txt",
         inputSource + "//START PRIV-2\n"},
        {"start line is the last line", "intro\n  //START PRIV-2  ", "tail.txt",
         inputSource + "//START PRIV-2\n"},
        {"start line in the wrong case", "//start PRIV-2\nx\n//END\n", "tail.txt",
         inputSource + "//START PRIV-2\n"},
        {"no end line", "//START PRIV-2\nBest regards,\n%DATE\n", "tail.txt", inputSource + "//END\n"},
        {"empty base file", "", "tail.txt", inputSource + "//START PRIV-2\n"},
        {"missing base file", std::nullopt, "tail.txt",
         "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : {SOURCE}\n"},
        {"base file is a folder", "/", "tail.txt",
         "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : {SOURCE}\n"},
        {"tail folder missing", kBase, "missing/tail.txt",
         "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : {DEST}\n"},
        {"tail file is a folder", kBase, "folder",
         "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : {DEST}\n"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Path("base.txt"));
        fs::remove_all(Path("folder"));
        Prepare();
        fs::remove(Path("base.txt"));
        if (c.base == "/") {
            fs::create_directory(Path("base.txt"));
        } else if (c.base) {
            WriteAll(Path("base.txt"), *c.base);
        }
        fs::create_directory(Path("folder"));
        WriteSettings("[FILES]\nDEST=" + Path(c.dest) + "\nSOURCE=" + Path("base.txt") + "\n");
        const std::vector<std::string> before = Entries(work_);

        const RunResult result = Run({"PRIV-2"});
        std::string expected = c.message;
        expected = std::regex_replace(expected, std::regex("\\{SOURCE\\}"), Path("base.txt"));
        expected = std::regex_replace(expected, std::regex("\\{DEST\\}"), Path(c.dest));
        EXPECT_EQ(result.status, 1) << c.name << "\n" << result;
        EXPECT_EQ(result.err, expected) << c.name;
        EXPECT_EQ(result.out, "") << c.name;
        EXPECT_EQ(ReadAll(Path("tail.txt")), kOldTail) << c.name;
        EXPECT_EQ(Entries(work_), before) << c.name;
        EXPECT_THAT(Entries(Path("folder")), IsEmpty()) << c.name;
        ExpectSettingsUntouched();
    }
}

TEST_F(CommandLineTest, WithoutSettingsFileTheBasePathIsEmpty) {
    const RunResult result = Run({"OFFI-1"});
    EXPECT_EQ(result.status, 1) << result;
    EXPECT_EQ(result.err, "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : \n");
    EXPECT_EQ(result.out, "");
    // Command-line mode reads settings only: nothing is created anywhere.
    EXPECT_THAT(Entries(work_), ElementsAreArray({"tarnwick"}));
    EXPECT_FALSE(fs::exists(root_ + "/config"));
    EXPECT_FALSE(fs::exists(root_ + "/home"));
}

TEST_F(CommandLineTest, WriteFailureIsReportedAndTheDeviceStaysADevice) {
    const struct stat before = StatOf("/dev/full");
    ASSERT_TRUE(S_ISCHR(before.st_mode));
    Prepare();
    WriteSettings("[FILES]\nDEST=/dev/full\nSOURCE=" + Path("base.txt") + "\n");
    const RunResult result = Run({"PRIV-2"});
    EXPECT_EQ(result.status, 1) << result;
    EXPECT_EQ(result.err, "Set Vellicor: warning: OUTPUT FILE WRITE ERROR !!!\nFILE : /dev/full\n");
    EXPECT_EQ(result.out, "");
    const struct stat after = StatOf("/dev/full");
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(CommandLineTest, TailFileNamingTheBaseFileIsRefusedInEverySpelling) {
    Prepare();
    fs::create_directory(Path("sub"));
    ASSERT_EQ(::symlink("base.txt", Path("link").c_str()), 0);
    ASSERT_EQ(::link(Path("base.txt").c_str(), Path("hard").c_str()), 0);
    const ino_t baseInode = StatOf(Path("base.txt")).st_ino;
    for (const std::string& dest : {Path("base.txt"), Path("link"), Path("hard"), work_ + "/./base.txt",
                                    work_ + "/sub/../base.txt", work_ + "//base.txt"}) {
        WriteSettings("[FILES]\nDEST=" + dest + "\nSOURCE=" + Path("base.txt") + "\n");
        const RunResult result = Run({"PRIV-2"});
        EXPECT_EQ(result.status, 1) << dest << "\n" << result;
        EXPECT_EQ(result.err, "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : " + dest + "\n");
        EXPECT_EQ(ReadAll(Path("base.txt")), kBase) << dest;
        EXPECT_EQ(StatOf(Path("base.txt")).st_ino, baseInode) << dest;
        EXPECT_TRUE(S_ISLNK(StatOf(Path("link")).st_mode));
    }
    EXPECT_THAT(Entries(work_), ElementsAreArray({"Tarnwick.ini", "base.txt", "hard", "link", "sub",
                                                  "tail.txt", "tarnwick"}));
}

TEST_F(CommandLineTest, LinkedTailFileStaysALinkAndItsTargetIsWritten) {
    Prepare();
    fs::create_directory(Path("mail"));
    WriteAll(Path("mail/signature"), kOldTail);
    fs::remove(Path("tail.txt"));
    ASSERT_EQ(::symlink("mail/signature", Path("tail.txt").c_str()), 0);
    const RunResult result = Run({"PRIV-2", "NOMSG"});
    EXPECT_EQ(result.status, 0) << result;
    EXPECT_TRUE(S_ISLNK(StatOf(Path("tail.txt")).st_mode));
    EXPECT_EQ(fs::read_symlink(Path("tail.txt")), "mail/signature");
    EXPECT_EQ(ReadAll(Path("mail/signature")), kPriv2Tail);
    EXPECT_THAT(Entries(Path("mail")), ElementsAreArray({"signature"}));
}

TEST_F(CommandLineTest, ReplacedTailFileKeepsItsPermissionBits) {
    Prepare();
    ::chmod(Path("tail.txt").c_str(), 0640);
    const RunResult result = Run({"PRIV-2", "NOMSG"});
    EXPECT_EQ(result.status, 0) << result;
    EXPECT_EQ(ReadAll(Path("tail.txt")), kPriv2Tail);
    EXPECT_EQ(StatOf(Path("tail.txt")).st_mode & 07777, 0640);
}

TEST_F(CommandLineTest, BlockTextPassesThroughWithLfLineEnds) {
    struct Case {
        std::string name;
        std::string base;
        std::string tail;
    };
    const std::vector<Case> cases = {
        {"CR LF", "x\r\n//START PRIV-2\r\nA\r\n  B  \r\n\r\nC\r\n//END\r\n", "A\n  B  \n\nC\n"},
        {"CR only", "x\r//START PRIV-2\rA\r  B  \r\rC\r//END\r", "A\n  B  \n\nC\n"},
        {"mixed", "x\n//START PRIV-2\r\nA\r  B  \n\r\nC\r//END", "A\n  B  \n\nC\n"},
        {"Japanese", "//START PRIV-2\nよろしくお願いします。\n　山田　太郎　\n//END\n",
         "よろしくお願いします。\n　山田　太郎　\n"},
        {"invalid UTF-8", "\xc3\x28\n//START PRIV-2\n\xff\xfe\xa0 abc\n\x80\n//END\n",
         "\xff\xfe\xa0 abc\n\x80\n"},
        {"binary before the block", "\0\x01\x02\x7f\xff\n\0//END\n"s + "//START PRIV-2\nA\n//END\n", "A\n"},
        {"end line with spaces, block without last line end", "//START PRIV-2\nA\n  //END  ", "A\n"},
        {"empty block", "//START PRIV-2\n//END\n", ""},
    };
    for (const Case& c : cases) {
        Prepare("", c.base);
        const RunResult result = Run({"PRIV-2"});
        EXPECT_EQ(result.status, 0) << c.name << "\n" << result;
        EXPECT_EQ(result.out, Information("Set Private 2")) << c.name;
        EXPECT_EQ(ReadAll(Path("tail.txt")), c.tail) << c.name;
    }
}

TEST_F(CommandLineTest, HugeLinesAreNoObstacle) {
    const std::string huge(50u << 20, 'x');
    struct Case {
        std::string name;
        std::string base;
        int status;
        std::string tail;
    };
    const std::vector<Case> cases = {
        {"50 MB line before the block", huge + "\n//START PRIV-2\nA\n//END\n", 0, "A\n"},
        {"50 MB line inside the block", "//START PRIV-2\n" + huge + "\r\n//END\n", 0, huge + "\n"},
        {"50 MB without any line end", huge, 1, kOldTail},
    };
    for (const Case& c : cases) {
        Prepare("NoMsg=ON\n", c.base);
        const RunResult result = Run({"PRIV-2", "NOMSG"});
        EXPECT_EQ(result.status, c.status) << c.name << "\n" << result.err.substr(0, 200);
        EXPECT_TRUE(ReadAll(Path("tail.txt")) == c.tail) << c.name;
    }
}

TEST_F(CommandLineTest, GarbageNeverCrashesOrHangsTheProgram) {
    std::mt19937 generator(20240601);
    const auto randomBytes = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(generator() & 0xff);
        }
        return bytes;
    };
    for (int round = 0; round < 3; ++round) {
        // Random settings file: the paths it yields are whatever they are.
        Prepare();
        WriteSettings(randomBytes(4096));
        RunResult result = Run({"PRIV-2"});
        EXPECT_FALSE(result.hung);
        EXPECT_EQ(result.signal, 0) << result;
        EXPECT_THAT(result.status, AnyOf(0, 1)) << result;
        // Only our own messages: no sanitizer or library report.
        EXPECT_THAT(result.err, AnyOf(IsEmpty(), StartsWith("Set Vellicor: "))) << result;

        // Random base file, with and without a block inside.
        std::string base = randomBytes(1 << 20);
        if (round == 1) {
            base.insert(base.size() / 2, "\n//START PRIV-2\nA\n//END\n");
        }
        Prepare("", base);
        result = Run({"PRIV-2"});
        EXPECT_FALSE(result.hung);
        EXPECT_EQ(result.signal, 0) << result;
        EXPECT_THAT(result.status, AnyOf(0, 1)) << result;
        // Only our own messages: no sanitizer or library report.
        EXPECT_THAT(result.err, AnyOf(IsEmpty(), StartsWith("Set Vellicor: "))) << result;
    }
}

TEST_F(CommandLineTest, AnyOtherCommandLineWantsAWindowAndADisplay) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"   "}, {"PRIV-8"}, {"OFFI-1NOMSG"}, {"hello", "PRIV-2"}, {"PRIV-2\t"},
    };
    for (const std::vector<std::string>& arguments : cases) {
        const std::string shown = ::testing::PrintToString(arguments);
        Prepare();
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.status, 2) << shown << "\n" << result;
        std::string err = result.err;
        std::transform(err.begin(), err.end(), err.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_THAT(err, HasSubstr("display")) << shown;
        EXPECT_EQ(ReadAll(Path("tail.txt")), kOldTail) << shown;
        ExpectSettingsUntouched();
    }
}

// Runs without write permission on a folder need an unprivileged user; as
// root that is "nobody", which must be able to reach the temporary folder.
bool CanRunUnprivileged(const std::string& folder, std::string& why) {
    if (::geteuid() != 0) {
        return true;
    }
    if (::getpwnam("nobody") == nullptr) {
        why = "no user \"nobody\" to run without root's rights";
        return false;
    }
    for (fs::path path = folder; path != path.root_path(); path = path.parent_path()) {
        if ((StatOf(path.string()).st_mode & S_IXOTH) == 0) {
            why = path.string() + " cannot be entered by \"nobody\"";
            return false;
        }
    }
    return true;
}

TEST_F(CommandLineTest, ReadOnlyTailFolder) {
    std::string why;
    if (!CanRunUnprivileged(work_, why)) {
        GTEST_SKIP() << why;
    }
    Prepare();
    ::chmod(Path("base.txt").c_str(), 0644);
    ::chmod(Path("Tarnwick.ini").c_str(), 0644);
    fs::create_directory(Path("locked"));
    const std::string tail = Path("locked/tail.txt");
    WriteAll(tail, "old tail, longer than the new one\n");
    ::chmod(tail.c_str(), 0644);
    if (const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr) {
        ASSERT_EQ(::chown(tail.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    const ino_t inode = StatOf(tail).st_ino;
    ::chmod(Path("locked").c_str(), 0555);

    // A new file cannot be made there.
    WriteSettings("[FILES]\nDEST=" + Path("locked/new.txt") + "\nSOURCE=" + Path("base.txt") + "\n");
    RunResult result = Run({"PRIV-2"}, true);
    EXPECT_EQ(result.status, 1) << result;
    EXPECT_EQ(result.err,
              "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\nFILE : " + Path("locked/new.txt") + "\n");

    // An existing file there is rewritten in place.
    WriteSettings("[FILES]\nDEST=" + tail + "\nSOURCE=" + Path("base.txt") + "\n");
    result = Run({"PRIV-2"}, true);
    EXPECT_EQ(result.status, 0) << result;
    EXPECT_EQ(result.out, Information("Set Private 2"));
    EXPECT_EQ(ReadAll(tail), kPriv2Tail);
    EXPECT_EQ(StatOf(tail).st_ino, inode);

    // A failure leaves it as it was.
    WriteAll(Path("base.txt"), "//START PRIV-2\nunfinished\n");
    result = Run({"PRIV-2"}, true);
    EXPECT_EQ(result.status, 1) << result;
    EXPECT_EQ(ReadAll(tail), kPriv2Tail);
    EXPECT_THAT(Entries(Path("locked")), ElementsAreArray({"tail.txt"}));
}

}  // namespace
