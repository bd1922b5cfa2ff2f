// The Windows message box through user32, and the test for a redirected
// console.
#include "platform/system_messages.h"

#include <windows.h>

#include "platform/windows_console.h"
#include "platform/windows_text.h"

namespace tarnwick {

bool IsRedirected(unsigned long stream) {
    const HANDLE handle = ::GetStdHandle(stream);
    DWORD mode = 0;
    switch (::GetFileType(handle)) {
        case FILE_TYPE_PIPE:
        case FILE_TYPE_DISK:
            return true;
        case FILE_TYPE_CHAR:
            // NUL is a character device too, but no console: a script that
            // discards the output must not get a box to dismiss.
            return ::GetConsoleMode(handle, &mode) == 0;
        default:
            return false;
    }
}

namespace {

UINT IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information:
            return MB_ICONINFORMATION;
        case MessageKind::Warning:
            return MB_ICONWARNING;
        case MessageKind::Error:
            return MB_ICONERROR;
    }
    return MB_ICONERROR;
}

}  // namespace

bool MessagesGoToConsole() {
    return IsRedirected(STD_OUTPUT_HANDLE) || IsRedirected(STD_ERROR_HANDLE);
}

void SystemMessageService::Show(std::string_view text, MessageKind kind) {
    // Without an owner window the box would open behind the window that
    // started the program.
    const UINT style = MB_OK | IconOf(kind) | MB_SETFOREGROUND;
    if (::MessageBoxW(nullptr, WideText(text).c_str(), L"Set Vellicor", style) == 0) {
        console_.Show(text, kind);
    }
}

}  // namespace tarnwick
