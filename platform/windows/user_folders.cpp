// The user's own folders on Windows.
#include "platform/windows/user_folders.h"

#include <windows.h>

#include "platform/windows/text.h"

namespace tarnwick {
namespace {

// A folder the environment names; empty when it names none.
std::string EnvironmentFolder(const wchar_t* name) {
    const DWORD length = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) {
        return {};
    }
    std::wstring folder(length, L'\0');
    folder.resize(::GetEnvironmentVariableW(name, folder.data(), length));
    return AnsiText(folder);
}

}  // namespace

std::string UserHomeFolder() {
    return EnvironmentFolder(L"USERPROFILE");
}

std::string UserConfigFolder() {
    return EnvironmentFolder(L"APPDATA");
}

std::string UserLocalFolder() {
    return EnvironmentFolder(L"LOCALAPPDATA");
}

}  // namespace tarnwick
