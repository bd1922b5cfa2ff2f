// Redirected output is written as it is (the C runtime turns each LF into
// CR LF); else the parent's console, else a device such as NUL, else a
// message box.
#include "platform/standard_output.h"

#include <windows.h>

#include <string>

#include "core/text.h"
#include "platform/windows/console.h"
#include "platform/windows/text.h"

namespace tarnwick {
namespace {

// The text with CR LF line breaks, as the console and a message box take it.
std::string WithCrLf(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            result += kCrLf;
        } else {
            result += c;
        }
    }
    return result;
}

// A program started from a console window without redirection has no
// standard output of its own: it borrows that console. False when there is
// none (started from a shortcut or by a program without a console).
bool WriteToParentConsole(std::string_view text) {
    // Denied access means this program is attached already.
    if (::AttachConsole(ATTACH_PARENT_PROCESS) == 0 && ::GetLastError() != ERROR_ACCESS_DENIED) {
        return false;
    }
    HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::wstring wide = WideText(WithCrLf(text));
    DWORD written = 0;
    const bool shown =
        ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    ::CloseHandle(console);
    return shown;
}

// A character device that is no console to attach to, such as NUL: a script
// that discards the output must not get a box to dismiss.
bool LeadsToADevice() {
    return ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR;
}

}  // namespace

void StandardOutput::Write(std::string_view text) {
    const bool redirected = IsRedirected(STD_OUTPUT_HANDLE);
    if (!redirected && WriteToParentConsole(text)) {
        return;
    }
    if (redirected || LeadsToADevice()) {
        WriteToStream(stdout, text);
    } else {
        boxes_.Show(WithCrLf(text), MessageKind::Information);
    }
}

}  // namespace tarnwick
