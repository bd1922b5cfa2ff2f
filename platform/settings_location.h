// What SettingsFilePath asks of the system, one file per system.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// The folder and the name joined with the system's separator.
std::string JoinPath(const std::string& folder, std::string_view name);

// Whether the path names anything; a link that dangles counts, since writing
// follows it.
bool PathNamesAnything(const std::string& path);

// Whether the user may create files in the folder.
bool FolderIsWritable(const std::string& folder);

// The per-user folder for the settings file; empty when there is none.
std::string UserSettingsFolder();

}  // namespace tarnwick
