// The user's own folders on Linux and macOS.
#include "platform/posix/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/settings_location.h"

namespace tarnwick {

std::string UserHomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return {};
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const std::string home = UserHomeFolder();
    return home.empty() ? std::string() : JoinPath(home, ".config");
}

}  // namespace tarnwick
