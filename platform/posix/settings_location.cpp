// Where the settings file may live on Linux and macOS.
#include "platform/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

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

// $XDG_CONFIG_HOME when it is an absolute path (a relative one is to be
// ignored), else ~/.config; then "tarnwick" in it.
std::string UserSettingsFolder() {
    std::string config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else if (home != nullptr && home[0] != '\0') {
        config = JoinPath(home, ".config");
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        config = JoinPath(user->pw_dir, ".config");
    } else {
        return {};
    }
    return JoinPath(config, "tarnwick");
}

}  // namespace tarnwick
