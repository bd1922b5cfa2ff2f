// Where the settings file may live on Windows.
#include "platform/settings_location.h"

#include <windows.h>

#include "platform/windows/text.h"
#include "platform/windows/user_folders.h"

namespace tarnwick {

std::string JoinPath(const std::string& folder, std::string_view name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') {
        return folder + std::string(name);
    }
    return folder + "\\" + std::string(name);
}

// GetFileAttributesW does not follow a link, so a dangling one counts.
bool PathNamesAnything(const std::string& path) {
    return ::GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Folder permissions on Windows are access lists that no attribute tells, so
// the folder is tried: a file is created in it and deleted again at once,
// even when the program is killed in between.
bool FolderIsWritable(const std::string& folder) {
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        const std::string probe = JoinPath(folder, ".tarnwick-" + std::to_string(::GetCurrentProcessId()) +
                                                       "-" + std::to_string(attempt) + ".tmp");
        HANDLE file = ::CreateFileW(
            WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

// %APPDATA%\Tarnwick, in the user's roaming application data.
std::string UserSettingsFolder() {
    const std::string config = UserConfigFolder();
    return config.empty() ? std::string() : JoinPath(config, "Tarnwick");
}

}  // namespace tarnwick
