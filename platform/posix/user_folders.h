// POSIX only: the user's own folders, from the environment.
#pragma once

#include <string>

namespace tarnwick {

// $HOME, else the home folder in the user database; empty when there is none.
std::string UserHomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path (a relative one is to be
// ignored), else ~/.config; empty when there is no home folder.
std::string UserConfigFolder();

}  // namespace tarnwick
