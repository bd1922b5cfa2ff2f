// Where the settings file lives, and the ProfileStore over it.
#pragma once

#include <optional>
#include <string>

#include "core/services.h"

namespace tarnwick {

// The folder the build installs the executable in (/usr/bin for a package).
extern const char* const kInstalledProgramFolder;

// The executable's folder + "Tarnwick.ini" when that file exists or the folder
// is writable (portable use, the build tree); otherwise the per-user
// configuration folder ($XDG_CONFIG_HOME/tarnwick/ or ~/.config/tarnwick/,
// %APPDATA%\Tarnwick\ on Windows). A program running from the folder it was
// installed in counts as installed even where that folder is writable (root
// under /usr/bin), so an installation never gains a settings file that no
// package knows of.
std::string SettingsFilePath(const std::string& executableFolder,
                             const std::string& installedFolder = kInstalledProgramFolder);

class ProfileFile final : public ProfileStore {
public:
    ProfileFile(FileSystem& files, std::string executableFolder);
    std::optional<std::string> Load() override;
    bool Store(std::string_view text) override;
    std::string Location() const override;

private:
    // Worked out on first use and kept, so that one run reads and writes the
    // same file, and probes the folders once.
    const std::string& Path() const;

    FileSystem& files_;
    std::string executableFolder_;
    mutable std::optional<std::string> path_;
    // The last Load found a file it could not read: storing a text made
    // without it would lose that file, so Store refuses until a Load succeeds.
    bool unreadable_ = false;
};

}  // namespace tarnwick
