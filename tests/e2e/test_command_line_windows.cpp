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
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Matcher;
using ::testing::StartsWith;

const std::string kBase = "Text before\r\n//START PRIV-2\r\nBest regards,\r\n  Taro Yamada  \r\n//END\r\n";
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

    void Prepare(const std::string& base = kBase, const std::wstring& dest = L"tail.txt",
                 const std::wstring& source = L"base.txt") {
        WriteAll(Path(L"base.txt"), base);
        WriteAll(Path(L"tail.txt"), kOldTail);
        WriteAll(Path(L"Tarnwick.ini"),
                 "[FILES]\r\nDEST=" + Text(dest) + "\r\nSOURCE=" + Text(source) + "\r\n");
    }

    // Name, attributes, time stamp and bytes of everything in the folder.
    std::map<std::wstring, std::string> Snapshot() const {
        std::map<std::wstring, std::string> states;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Path(L""))) {
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

    WindowsFolder folder_;
};

TEST_F(WindowsCommandLineTest, SlotIsAppliedWithTheSystemLineEnd) {
    const std::string success = "Set Vellicor: information: Set Vellicor for [ Set Private 2 ].\r\n";
    // The raw text after the program name, and what it prints.
    for (const auto& [arguments, out] : std::vector<std::pair<std::string, std::string>>{
             {"PRIV-2", success}, {"  priv-2  ", success}, {"pRiV-2 nOmSg", ""}, {"\tPRIV-2 NOMSG", ""}}) {
        SCOPED_TRACE(arguments);
        Prepare();
        const std::string settings = ReadAll(Path(L"Tarnwick.ini"));
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.status, 0u) << result;
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadAll(Path(L"tail.txt")), kPriv2Tail);
        EXPECT_EQ(ReadAll(Path(L"Tarnwick.ini")), settings);
        EXPECT_EQ(Snapshot().size(), 4u);  // no temporary file left
    }
    // Quotes are part of the raw text: no slot is named, and this build has no windows.
    Prepare();
    EXPECT_EQ(Run("\"PRIV-2 NOMSG\"").status, 2u);
    EXPECT_EQ(ReadAll(Path(L"tail.txt")), kOldTail);
}

TEST_F(WindowsCommandLineTest, FailuresAreReportedAndChangeNoFile) {
    const std::string notFound = "Set Vellicor: error: INPUT SOURCE ERROR !!!\r\nNOT FOUND - ";
    const std::string inputOpen = "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\r\nFILE : ";
    const std::string outputOpen = "Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\r\nFILE : ";
    struct Case {
        std::string name;
        std::string base;
        std::wstring source;
        std::wstring dest;
        DWORD tailAttributes;  // given to the old tail before the run
        Matcher<std::string> err;
        std::string arguments = "PRIV-2";
    };
    const std::string folder = "\r\nIt is a folder, not a file.\r\n";
    const std::vector<Case> cases = {
        {"no start line", "//START PRIV-1\r\nx\r\n//END\r\n", L"base.txt", L"tail.txt", 0,
         Eq(notFound + "//START PRIV-2\r\n")},
        {"no end line", "//START PRIV-2\nA\nB\n", L"base.txt", L"tail.txt", 0, Eq(notFound + "//END\r\n")},
        {"missing base file", kBase, L"none", L"tail.txt", 0, WithSystemReason(inputOpen + Text(L"none"))},
        {"base file is a folder", kBase, L"sub", L"tail.txt", 0, Eq(inputOpen + Text(L"sub") + folder)},
        {"tail is a folder", kBase, L"base.txt", L"sub", 0, Eq(outputOpen + Text(L"sub") + folder)},
        {"tail folder missing", kBase, L"base.txt", L"none\\t", 0,
         WithSystemReason(outputOpen + Text(L"none\\t"))},
        {"read-only tail", kBase, L"base.txt", L"tail.txt", FILE_ATTRIBUTE_READONLY,
         WithSystemReason(outputOpen + Text(L"tail.txt"))},
        {"tail is the base file", kBase, L"base.txt", L"BASE.TXT", 0,
         Eq(outputOpen + Text(L"BASE.TXT") + "\r\nThe tail file is the base file.\r\n")},
        {"tail is the settings file", kBase, L"base.txt", L"Tarnwick.ini", 0,
         Eq(outputOpen + Text(L"Tarnwick.ini") + "\r\nThe tail file is the settings file.\r\n")},
        {"--status, missing base file", kBase, L"none", L"tail.txt", 0,
         WithSystemReason(inputOpen + Text(L"none")), "--status"},
        {"--refresh, base file is a folder", kBase, L"sub", L"tail.txt", 0,
         Eq(inputOpen + Text(L"sub") + folder), "--refresh"},
        {"--list, missing base file", kBase, L"none", L"tail.txt", 0,
         WithSystemReason(inputOpen + Text(L"none")), "--list"},
    };
    fs::create_directory(Path(L"sub"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.base, c.dest, c.source);
        if (c.tailAttributes != 0) {
            ::SetFileAttributesW(Path(L"tail.txt").c_str(), c.tailAttributes);
        }
        const auto before = Snapshot();
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.status, 1u) << result;
        EXPECT_THAT(result.err, c.err);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(Snapshot(), before);
        ::SetFileAttributesW(Path(L"tail.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// The options' own output goes to the redirected standard output with CR LF
// line ends; only --refresh writes.
TEST_F(WindowsCommandLineTest, OptionsPrintToTheRedirectedOutput) {
    const std::string dated = "Sent 2001.02.03\r\n";
    const std::string files =
        "Base file: " + Text(L"base.txt") + "\r\nTail file: " + Text(L"tail.txt") + "\r\n";
    struct Case {
        std::string name;
        std::string tail;
        std::string arguments;
        DWORD status;
        Matcher<std::string> out;
        std::string err;
        std::optional<Matcher<std::string>> tailAfter = std::nullopt;  // none: no file changes
    };
    const std::vector<Case> cases = {
        {"version", kOldTail, "--version", 0, Eq("tarnwick " TARNWICK_VERSION "\r\n"), ""},
        {"help", kOldTail, "  --help  ", 0, AllOf(StartsWith("Usage:\r\n"), HasSubstr("--status")), ""},
        {"list", kOldTail, "--list", 0,
         AllOf(StartsWith("OFFI-1 Set Official 1: no block: no start line\r\n"),
               HasSubstr("\r\nPRIV-2 Set Private 2: block found\r\nPRIV-3 Set Private 3: block found\r\n")),
         ""},
        {"status, a live slot", kPriv2Tail, "--status", 0, Eq("PRIV-2 Set Private 2\r\n" + files), ""},
        {"status, an old date and LF ends", "Sent 2001.02.03\n", "--status", 0,
         Eq("PRIV-3 Set Private 3, 2001.02.03\r\n" + files), ""},
        {"refresh", dated, "--refresh", 0, Eq(""), "",
         AllOf(::testing::MatchesRegex("Sent \\d\\d\\d\\d\\.\\d\\d\\.\\d\\d\r\n"), ::testing::Ne(dated))},
        {"unknown option", kOldTail, "--frobnicate PRIV-2", 2, Eq(""),
         "Set Vellicor: error: Unknown option --frobnicate. See tarnwick --help.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(kBase + "//START PRIV-3\r\nSent \r\n%DATE\r\n//END\r\n");
        WriteAll(Path(L"tail.txt"), c.tail);
        const auto before = Snapshot();
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.status, c.status) << result;
        EXPECT_THAT(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
        if (c.tailAfter) {
            EXPECT_THAT(ReadAll(Path(L"tail.txt")), *c.tailAfter);
            EXPECT_EQ(Snapshot().size(), before.size());
        } else {
            EXPECT_EQ(Snapshot(), before);
        }
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

TEST_F(WindowsCommandLineTest, TailHeldOpenByAnotherProgramStaysAsItWas) {
    Prepare();
    const auto before = Snapshot();
    HANDLE held = ::CreateFileW(Path(L"tail.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const RunResult result = Run("PRIV-2");
    ::CloseHandle(held);
    EXPECT_EQ(result.status, 1u) << result;
    EXPECT_THAT(result.err, WithSystemReason("Set Vellicor: warning: OUTPUT FILE OPEN ERROR !!!\r\nFILE : " +
                                             Text(L"tail.txt")));
    EXPECT_EQ(Snapshot(), before);
}

// A base file named in the ANSI code page, beyond ASCII, is found.
TEST_F(WindowsCommandLineTest, BaseFileNamedInTheAnsiCodePage) {
    const std::wstring name = L"base-\u00e9\u00fc.txt";
    if (WindowsFolder::Wide(WindowsFolder::Ansi(name)) != name) {
        GTEST_SKIP() << "this ANSI code page has no e-acute or u-umlaut";
    }
    Prepare(kBase, L"tail.txt", name);
    WriteAll(Path(name), kBase);
    const RunResult result = Run("PRIV-2 NOMSG");
    EXPECT_EQ(result.status, 0u) << result;
    EXPECT_EQ(ReadAll(Path(L"tail.txt")), kPriv2Tail);
}

}  // namespace
