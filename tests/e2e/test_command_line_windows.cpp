// The built tarnwick.exe, run in command-line mode from a prepared folder
// with its output redirected, so its messages come in the console form.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/windows_folder.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::testing::ReadAll;
using tarnwick::testing::WindowsFolder;
using tarnwick::testing::WriteAll;
using ::testing::_;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Matcher;
using ::testing::MatchesRegex;
using ::testing::Ne;
using ::testing::StartsWith;

const std::string kBase =
    "Text before\r\n//START PRIV-2\r\nBest regards,\r\n  Taro Yamada  \r\n//END\r\n"
    "//START PRIV-3\r\nSent \r\n%DATE\r\n//END\r\n";
const std::string kPriv2Tail = "Best regards,\r\n  Taro Yamada  \r\n";
const std::string kOldTail = "old tail\r\n";

struct RunResult {
    DWORD status = 0;
    std::string out;
    std::string err;
};

// The message, then a last line with the reason in the system's own words,
// which differ between Windows versions and wine.
Matcher<std::string> WithSystemReason(const std::string& message) {
    return AllOf(StartsWith(message + "\r\n"), EndsWith(".\r\n"));
}

std::ostream& operator<<(std::ostream& stream, const RunResult& result) {
    return stream << "status " << result.status << "\nstdout: [" << result.out << "]\nstderr: [" << result.err
                  << "]";
}

HANDLE Inheritable(const fs::path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         CREATE_ALWAYS, 0, nullptr);
}

class WindowsCommandLineTest : public ::testing::Test {
protected:
    // The program is copied into a folder whose name holds a space, so the
    // quoted program name must be skipped as the system quotes it.
    void SetUp() override {
        fs::create_directory(folder_.Path(L"my work"));
        fs::copy_file(TARNWICK_EXE, Path(L"tarnwick.exe"));
    }

    fs::path Path(const std::wstring& name) const { return folder_.Path(L"my work\\" + name); }
    std::string Text(const std::wstring& name) const { return folder_.Text(L"my work\\" + name); }

    // Name, attributes, time stamp and bytes of everything in the folder but
    // the program.
    std::map<std::wstring, std::string> Snapshot() const {
        std::map<std::wstring, std::string> states;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Path(L""))) {
            if (entry.path() == Path(L"tarnwick.exe")) {
                continue;
            }
            WIN32_FILE_ATTRIBUTE_DATA data{};
            ::GetFileAttributesExW(entry.path().c_str(), GetFileExInfoStandard, &data);
            states[entry.path().wstring()] = std::to_string(data.dwFileAttributes) + " " +
                                             std::to_string(data.ftLastWriteTime.dwLowDateTime) + " " +
                                             (entry.is_regular_file() ? ReadAll(entry.path()) : "");
        }
        return states;
    }

    // Runs the copied program with `arguments` as the raw text after its
    // name, its output redirected to files unless asked not to.
    RunResult Run(const std::string& arguments, bool redirected = true) {
        std::wstring line = L"\"" + Path(L"tarnwick.exe").wstring() + L"\" ";
        line += WindowsFolder::Wide(arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (redirected) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = Inheritable(folder_.Path(L"stdout.txt"));
            startup.hStdError = Inheritable(folder_.Path(L"stderr.txt"));
        }
        PROCESS_INFORMATION process{};
        RunResult result;
        if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, Path(L"").c_str(),
                             &startup, &process)) {
            // A guard against a hung run, not a measurement.
            ::WaitForSingleObject(process.hProcess, 60000);
            ::GetExitCodeProcess(process.hProcess, &result.status);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "cannot run the program";
        }
        ::CloseHandle(startup.hStdOutput);
        ::CloseHandle(startup.hStdError);
        result.out = ReadAll(folder_.Path(L"stdout.txt"));
        result.err = ReadAll(folder_.Path(L"stderr.txt"));
        return result;
    }

    // A run from the prepared folder and what it must give: with no tail
    // given, no file may change; else only the tail, and no temporary file
    // is left.
    struct Case {
        std::string name;
        std::string arguments;
        DWORD status;
        Matcher<std::string> out;
        Matcher<std::string> err;
        std::optional<Matcher<std::string>> tail = std::nullopt;
        std::string oldTail = kOldTail;
        std::wstring source = L"base.txt";
        std::wstring dest = L"tail.txt";
        DWORD tailAttributes = 0;  // given to the old tail before the run
        std::string base = kBase;
    };
    // A run that fails with status 1 and changes nothing.
    static Case Failure(std::string name, Matcher<std::string> err, std::wstring source = L"base.txt",
                        std::wstring dest = L"tail.txt", DWORD tailAttributes = 0, std::string base = kBase,
                        std::string arguments = "PRIV-2") {
        return Case(std::move(name), std::move(arguments), 1, "", std::move(err), std::nullopt, kOldTail,
                    std::move(source), std::move(dest), tailAttributes, std::move(base));
    }
    void ExpectRun(const Case& c) {
        SCOPED_TRACE(c.name);
        WriteAll(Path(L"base.txt"), c.base);
        WriteAll(Path(L"tail.txt"), c.oldTail);
        WriteAll(Path(L"Tarnwick.ini"),
                 "[FILES]\r\nDEST=" + Text(c.dest) + "\r\nSOURCE=" + Text(c.source) + "\r\n");
        if (c.tailAttributes != 0) {
            ::SetFileAttributesW(Path(L"tail.txt").c_str(), c.tailAttributes);
        }
        std::map<std::wstring, std::string> before = Snapshot();
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.status, c.status) << result;
        EXPECT_THAT(result.out, c.out);
        EXPECT_THAT(result.err, c.err);
        std::map<std::wstring, std::string> after = Snapshot();
        ::SetFileAttributesW(Path(L"tail.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.tail) {
            EXPECT_THAT(ReadAll(Path(L"tail.txt")), *c.tail);
            before.erase(Path(L"tail.txt").wstring());
            after.erase(Path(L"tail.txt").wstring());
        }
        EXPECT_EQ(after, before);
    }

    WindowsFolder folder_;
};

// The options' own output goes to the redirected standard output with CR LF
// line ends; only --refresh writes. Quotes are part of the raw text: no slot
// is named, and this build has no windows.
TEST_F(WindowsCommandLineTest, SlotsAndOptionsWriteWithTheSystemLineEnd) {
    const std::string files =
        "Base file: " + Text(L"base.txt") + "\r\nTail file: " + Text(L"tail.txt") + "\r\n";
    const std::string dated = "Sent 2001.02.03\r\n";
    const auto redated = AllOf(MatchesRegex("Sent \\d\\d\\d\\d\\.\\d\\d\\.\\d\\d\r\n"), Ne(dated));
    for (const Case& c : std::vector<Case>{
             {"slot", "PRIV-2", 0, "Set Vellicor: information: Set Vellicor for [ Set Private 2 ].\r\n", "",
              Eq(kPriv2Tail)},
             {"NOMSG after a tab", "\tPRIV-2 NOMSG", 0, "", "", Eq(kPriv2Tail)},
             {"quoted", "\"PRIV-2 NOMSG\"", 2, "", _},
             {"version", "--version", 0, "tarnwick " TARNWICK_VERSION "\r\n", ""},
             {"help", "  --help  ", 0, AllOf(StartsWith("Usage:\r\n"), HasSubstr("--status")), ""},
             {"list", "--list", 0,
              AllOf(StartsWith("OFFI-1 Set Official 1: no block: no start line\r\n"),
                    HasSubstr(
                        "\r\nPRIV-2 Set Private 2: block found\r\nPRIV-3 Set Private 3: block found\r\n")),
              ""},
             {"status, an old date and LF ends", "--status", 0,
              "PRIV-3 Set Private 3, 2001.02.03\r\n" + files, "", std::nullopt, "Sent 2001.02.03\n"},
             {"refresh", "--refresh", 0, "", "", redated, dated},
             {"unknown option", "--frobnicate PRIV-2", 2, "",
              "Set Vellicor: error: Unknown option --frobnicate. See tarnwick --help.\r\n"},
         }) {
        ExpectRun(c);
    }
}

TEST_F(WindowsCommandLineTest, FailuresAreReportedAndChangeNoFile) {
    const std::string inputOpen = "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\r\nFILE : ";
    const std::string outputOpen = "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\r\nFILE : ";
    const std::string folder = "\r\nIt is a folder, not a file.\r\n";
    fs::create_directory(Path(L"sub"));
    for (const Case& c : std::vector<Case>{
             Failure("no end line", "Set Vellicor: error: INPUT SOURCE ERROR !!!\r\nNOT FOUND - //END\r\n",
                     L"base.txt", L"tail.txt", 0, "//START PRIV-2\nA\nB\n"),
             Failure("missing base file", WithSystemReason(inputOpen + Text(L"none")), L"none"),
             Failure("base file is a folder", inputOpen + Text(L"sub") + folder, L"sub"),
             Failure("tail is a folder", outputOpen + Text(L"sub") + folder, L"base.txt", L"sub"),
             Failure("tail folder missing", WithSystemReason(outputOpen + Text(L"none\\t")), L"base.txt",
                     L"none\\t"),
             Failure("read-only tail", WithSystemReason(outputOpen + Text(L"tail.txt")), L"base.txt",
                     L"tail.txt", FILE_ATTRIBUTE_READONLY),
             Failure("tail is the base file",
                     outputOpen + Text(L"BASE.TXT") + "\r\nThe tail file is the base file.\r\n", L"base.txt",
                     L"BASE.TXT"),
             Failure("tail is the settings file",
                     outputOpen + Text(L"Tarnwick.ini") + "\r\nThe tail file is the settings file.\r\n",
                     L"base.txt", L"Tarnwick.ini"),
             Failure("--refresh, base file is a folder", inputOpen + Text(L"sub") + folder, L"sub",
                     L"tail.txt", 0, kBase, "--refresh"),
         }) {
        ExpectRun(c);
    }
}

// Started from a console window without redirection, the program has no
// standard output of its own and writes into that console.
TEST_F(WindowsCommandLineTest, OptionsWriteIntoTheConsoleTheyWereStartedFrom) {
    ::FreeConsole();
    HANDLE screen = INVALID_HANDLE_VALUE;
    if (::AllocConsole() != 0) {
        screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    }
    // A carriage return at the start shows nothing.
    DWORD count = 0;
    if (::WriteConsoleW(screen, L"\r", 1, &count, nullptr) == 0) {
        ::FreeConsole();
        GTEST_SKIP() << "no console that takes text here (wine without a terminal makes none)";
    }
    const RunResult result = Run("--version", false);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ::GetConsoleScreenBufferInfo(screen, &info);
    std::wstring cells(static_cast<std::size_t>(info.dwSize.X), L' ');
    ::ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()), {0, 0}, &count);
    ::CloseHandle(screen);
    ::FreeConsole();
    EXPECT_EQ(result.status, 0u) << result;
    EXPECT_EQ(WindowsFolder::Ansi(cells.substr(0, cells.find_last_not_of(L' ') + 1)),
              "tarnwick " TARNWICK_VERSION);
    EXPECT_EQ(info.dwCursorPosition.Y, 1) << "a line end follows";
}

// A base file named in the ANSI code page, beyond ASCII, is found.
TEST_F(WindowsCommandLineTest, BaseFileNamedInTheAnsiCodePage) {
    const std::wstring name = L"base-\u00e9\u00fc.txt";
    if (WindowsFolder::Wide(WindowsFolder::Ansi(name)) != name) {
        GTEST_SKIP() << "this ANSI code page has no e-acute or u-umlaut";
    }
    WriteAll(Path(name), kBase);
    ExpectRun({"ANSI name", "PRIV-2 NOMSG", 0, "", "", Eq(kPriv2Tail), kOldTail, name});
}

}  // namespace
