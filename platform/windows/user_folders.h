// Windows only: the user's own folders, from the environment.
#pragma once

#include <string>

namespace tarnwick {

// %USERPROFILE%; empty when it is not set.
std::string UserHomeFolder();

// %APPDATA%, the roaming application data; empty when it is not set.
std::string UserConfigFolder();

// %LOCALAPPDATA%, the application data of this machine only; empty when it
// is not set.
std::string UserLocalFolder();

}  // namespace tarnwick
