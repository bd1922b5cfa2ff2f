#include "platform/mail_config_files.h"

#include <memory>
#include <optional>

#include "core/mail_programs.h"
#include "core/whole_file.h"
#include "platform/settings_location.h"

namespace tarnwick {
namespace {

// A configuration file larger than this is no configuration file.
constexpr std::size_t kConfigSizeLimit = std::size_t{16} << 20;

std::optional<std::string> ReadConfig(FileSystem& files, const std::string& path) {
    const std::unique_ptr<InputFile> file = files.OpenForReading(path);
    std::string text;
    if (file == nullptr || ReadWholeFile(*file, kConfigSizeLimit, text) != WholeFileRead::Complete) {
        return std::nullopt;
    }
    return text;
}

// The folder part of a path, either separator counting.
std::string ParentFolder(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

// profiles.ini leads to the prefs.js of each of its profiles.
void AddGeckoProfiles(FileSystem& files, const MailConfigPlace& place, const std::string& profilesIni,
                      const std::string& text, std::vector<MailConfigFile>& found) {
    for (const GeckoProfile& profile : ReadGeckoProfiles(text)) {
        const std::string folder =
            profile.relative ? JoinPath(ParentFolder(profilesIni), profile.path) : profile.path;
        const std::string prefs = JoinPath(folder, "prefs.js");
        if (std::optional<std::string> prefsText = ReadConfig(files, prefs)) {
            found.push_back({MailConfigKind::GeckoPrefs, place.program, prefs, std::move(*prefsText)});
        }
    }
}

}  // namespace

std::vector<MailConfigFile> NativeMailConfigFiles::Read() {
    std::vector<MailConfigFile> found;
    for (const MailConfigPlace& place : MailConfigPlaces()) {
        for (const std::string& path : place.paths) {
            // A signature file is listed as it is, whatever it is; it may
            // well be a pipe that a program feeds.
            if (place.kind == MailConfigKind::PlainSignature) {
                if (PathNamesAnything(path)) {
                    found.push_back({place.kind, place.program, path, {}});
                }
                continue;
            }
            std::optional<std::string> text = ReadConfig(files_, path);
            if (!text) {
                continue;
            }
            if (place.kind == MailConfigKind::GeckoPrefs) {
                AddGeckoProfiles(files_, place, path, *text, found);
            } else {
                found.push_back({place.kind, place.program, path, std::move(*text)});
            }
            if (place.firstOnly) {
                break;
            }
        }
    }
    return found;
}

std::string NativeMailConfigFiles::HomeFolder() {
    return MailHomeFolder();
}

// SameFile holds for any existing file and itself, and opens nothing: a pipe
// that a program feeds exists too.
bool NativeMailConfigFiles::Exists(const std::string& path) {
    return files_.SameFile(path, path);
}

}  // namespace tarnwick
