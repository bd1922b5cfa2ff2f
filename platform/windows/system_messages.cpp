// The Windows message box through user32, and the test for a redirected
// console.
#include "platform/system_messages.h"

#include <windows.h>

#include "platform/windows/console.h"
#include "platform/windows/text.h"

namespace tarnwick {

bool IsRedirected(unsigned long stream) {
    const DWORD type = ::GetFileType(::GetStdHandle(stream));
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK;
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
