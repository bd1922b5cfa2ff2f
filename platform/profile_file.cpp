#include "platform/profile_file.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "core/whole_file.h"
#include "platform/settings_location.h"
#include "platform/system_text.h"

namespace tarnwick {
namespace {

// A settings file larger than this is not one we wrote; it reads as missing.
constexpr std::size_t kProfileSizeLimit = std::size_t{16} << 20;

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
    return std::filesystem::status(NativePath(path), error).type() != std::filesystem::file_type::not_found &&
           !error;
}

}  // namespace

const char* const kInstalledProgramFolder = TARNWICK_INSTALLED_PROGRAM_FOLDER;

std::string SettingsFilePath(const std::string& executableFolder, const std::string& installedFolder) {
    std::string besideProgram = JoinPath(executableFolder, kSettingsFileName);
    // The cheap look first: probing whether a folder is writable may create
    // and delete a file.
    if (!executableFolder.empty() &&
        (PathNamesAnything(besideProgram) ||
         (executableFolder != installedFolder && FolderIsWritable(executableFolder)))) {
        return besideProgram;
    }
    const std::string userFolder = UserSettingsFolder();
    if (userFolder.empty()) {
        return besideProgram;
    }
    return JoinPath(userFolder, kSettingsFileName);
}

ProfileFile::ProfileFile(FileSystem& files, std::string executableFolder)
    : files_(files), executableFolder_(std::move(executableFolder)) {}

const std::string& ProfileFile::Path() const {
    if (!path_) {
        path_ = SettingsFilePath(executableFolder_);
    }
    return *path_;
}

std::optional<std::string> ProfileFile::Load() {
    const std::string& path = Path();
    std::optional<std::string> text = ReadProfile(files_, path);
    unreadable_ = !text && Exists(path);
    return text;
}

std::string ProfileFile::Location() const {
    return Path();
}

bool ProfileFile::Store(std::string_view text) {
    if (unreadable_) {
        return false;
    }
    const std::string& path = Path();
    // The per-user folder may not exist yet; the program's own folder does.
    const std::filesystem::path folder = NativePath(path).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
    }
    std::unique_ptr<OutputFile> file = files_.OpenForReplacing(path);
    return file != nullptr && file->Write(text) && file->Commit();
}

}  // namespace tarnwick
