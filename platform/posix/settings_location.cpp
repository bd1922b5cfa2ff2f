// Where the settings file may live on Linux and macOS.
#include "platform/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/user_folders.h"

namespace tarnwick {

std::string JoinPath(const std::string& folder, std::string_view name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + std::string(name);
    }
    return folder + "/" + std::string(name);
}

bool PathNamesAnything(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool FolderIsWritable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

// "tarnwick" in the user's configuration folder.
std::string UserSettingsFolder() {
    const std::string config = UserConfigFolder();
    return config.empty() ? std::string() : JoinPath(config, "tarnwick");
}

}  // namespace tarnwick
