// The built tarnwick.exe with its window module and Qt, copied into a
// prepared folder, started in window mode on the system's own window
// platform and driven through the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "tests/windows_folder.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::testing::ReadAll;
using tarnwick::testing::WindowsFolder;
using tarnwick::testing::WriteAll;

// A guard against a hung run, not a measurement.
constexpr DWORD kPatienceMs = 120000;

struct Search {
    DWORD process;
    HWND window;
};

// The process's visible top-level window titled "Set Vellicor", or null;
// a message box has that title too, but the system's dialog class.
HWND MainWindowOf(DWORD process) {
    Search search{process, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t title[64] = {};
            ::GetWindowTextW(window, title, 64);
            wchar_t kind[64] = {};
            ::GetClassNameW(window, kind, 64);
            if (owner == wanted->process && ::IsWindowVisible(window) &&
                std::wstring(title) == L"Set Vellicor" && std::wstring(kind) != L"#32770") {
                wanted->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.window;
}

void PressWithAlt(WORD key) {
    INPUT inputs[4] = {};
    const WORD keys[4] = {VK_MENU, key, key, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ::SendInput(4, inputs, sizeof(INPUT));
}

// Everything the program needs, as a user's unpacked folder holds it.
void CopyProgram(const fs::path& from, const fs::path& to) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(from)) {
        const fs::path relative = fs::relative(entry.path(), from);
        const std::wstring extension = entry.path().extension().wstring();
        if (entry.is_regular_file() && (extension == L".exe" || extension == L".dll") &&
            relative.begin()->wstring() != L"CMakeFiles") {
            fs::create_directories((to / relative).parent_path());
            fs::copy_file(entry.path(), to / relative);
        }
    }
}

TEST(MainWindowTest, AccessKeyAppliesTheSlotAndEnds) {
    WindowsFolder folder;
    const fs::path work = folder.Path(L"my work");
    CopyProgram(fs::path(TARNWICK_EXE).parent_path(), work);
    WriteAll(work / L"base.txt", "//START PRIV-2\nBest regards,\n  Taro Yamada  \n//END\n");
    WriteAll(work / L"tail.txt", "old tail\r\n");
    WriteAll(work / L"Tarnwick.ini", "[FILES]\r\nDEST=" + folder.Text(L"my work\\tail.txt") + "\r\nSOURCE=" +
                                         folder.Text(L"my work\\base.txt") + "\r\nNoMsg=ON\r\nNoStop=OF\r\n");

    std::wstring line = L"\"" + (work / L"tarnwick.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(),
                                 &startup, &process));
    HWND window = nullptr;
    for (DWORD waited = 0; window == nullptr && waited < kPatienceMs; waited += 100) {
        if (::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
            break;
        }
        window = MainWindowOf(process.dwProcessId);
    }
    EXPECT_NE(window, nullptr) << "no main window";
    if (window != nullptr) {
        ::SetForegroundWindow(window);
        PressWithAlt('3');  // cmdSet3, PRIV-2
    }
    const bool ended = ::WaitForSingleObject(process.hProcess, kPatienceMs) == WAIT_OBJECT_0;
    if (!ended) {
        ::TerminateProcess(process.hProcess, 99);
    }
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    EXPECT_TRUE(ended) << "the program did not end";
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(ReadAll(work / L"tail.txt"), "Best regards,\r\n  Taro Yamada  \r\n");
}

}  // namespace
