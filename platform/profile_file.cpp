#include "platform/profile_file.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "core/whole_file.h"

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace tarnwick {
namespace {

// A settings file larger than this is not one we wrote; it reads as missing.
constexpr std::size_t kProfileSizeLimit = std::size_t{16} << 20;

std::string JoinPath(const std::string& folder, std::string_view name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + std::string(name);
    }
    return folder + "/" + std::string(name);
}

// The settings file's text; nothing when it is missing, unreadable or too
// large to be one of ours.
std::optional<std::string> ReadProfile(FileSystem& files, const std::string& path) {
    std::unique_ptr<InputFile> file = files.OpenForReading(path);
    std::string text;
    if (!file || ReadWholeFile(*file, kProfileSizeLimit, text) != WholeFileRead::Complete) {
        return std::nullopt;
    }
    return text;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::status(path, error).type() != std::filesystem::file_type::not_found && !error;
}

#ifndef _WIN32
// The per-user configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path (a relative one is to be ignored), else ~/.config.
std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return JoinPath(home, ".config");
    }
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        return JoinPath(user->pw_dir, ".config");
    }
    return {};
}
#endif

}  // namespace

#ifndef _WIN32
std::string SettingsFilePath(const std::string& executableFolder) {
    std::string besideProgram = JoinPath(executableFolder, kSettingsFileName);
    if (!executableFolder.empty()) {
        // lstat: a symbolic link named Tarnwick.ini counts even when it
        // dangles, since writing follows it.
        struct stat info {};
        if (::lstat(besideProgram.c_str(), &info) == 0 || ::access(executableFolder.c_str(), W_OK) == 0) {
            return besideProgram;
        }
    }
    const std::string userFolder = UserConfigFolder();
    if (userFolder.empty()) {
        return besideProgram;
    }
    return JoinPath(JoinPath(userFolder, "tarnwick"), kSettingsFileName);
}
#endif

ProfileFile::ProfileFile(FileSystem& files, std::string executableFolder)
    : files_(files), executableFolder_(std::move(executableFolder)) {}

std::optional<std::string> ProfileFile::Load() {
    const std::string path = SettingsFilePath(executableFolder_);
    std::optional<std::string> text = ReadProfile(files_, path);
    unreadable_ = !text && Exists(path);
    return text;
}

bool ProfileFile::Store(std::string_view text) {
    if (unreadable_) {
        return false;
    }
    const std::string path = SettingsFilePath(executableFolder_);
    // The per-user folder may not exist yet; the program's own folder does.
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
    }
    std::unique_ptr<OutputFile> file = files_.OpenForReplacing(path);
    return file != nullptr && file->Write(text) && file->Commit();
}

}  // namespace tarnwick
