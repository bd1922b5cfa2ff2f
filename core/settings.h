// Access to the settings file "Tarnwick.ini": the keys the program uses, the
// two profile operations and the conversion of window positions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ini.h"
#include "core/services.h"
#include "core/text.h"

namespace tarnwick {

inline constexpr std::string_view kSettingsFileName = "Tarnwick.ini";

struct SettingKey {
    std::string_view section;
    std::string_view key;
    bool isPath = false;  // read whole: a path cut short names another file
};

// Every key of the settings file, named once. Captions use section CAPTION
// with the slot's key name; their defaults are the slot table's captions.
// Empty or missing FILES values read as empty text; missing positions default
// as the main window's Load decides.
namespace keys {
inline constexpr std::string_view kCaptionSection = "CAPTION";
inline constexpr SettingKey kDest{"FILES", "DEST", true};
inline constexpr SettingKey kSource{"FILES", "SOURCE", true};
inline constexpr SettingKey kNoMsg{"FILES", "NoMsg"};
inline constexpr SettingKey kNoStop{"FILES", "NoStop"};
inline constexpr SettingKey kMainTop{"POSITION", "MAINTOP"};
inline constexpr SettingKey kMainLeft{"POSITION", "MAINLEFT"};
inline constexpr SettingKey kOptTop{"POSITION", "OPTTOP"};
inline constexpr SettingKey kOptLeft{"POSITION", "OPTLEFT"};
inline constexpr SettingKey kViewTop{"POSITION", "VIEWTOP"};
inline constexpr SettingKey kViewLeft{"POSITION", "VIEWLEFT"};
}  // namespace keys

// One value to write, for writing several with one rewrite of the file.
struct ProfileValue {
    ProfileValue(std::string_view section, std::string_view key, std::string value)
        : section(section), key(key), value(std::move(value)) {}
    ProfileValue(const SettingKey& key, std::string value)
        : ProfileValue(key.section, key.key, std::move(value)) {}

    std::string_view section;
    std::string_view key;
    std::string value;
};

class Settings {
public:
    explicit Settings(ProfileStore& store, std::string_view lineEnd = kLineEnd);

    // While one lives, reads share one load of the file, as when the start
    // reads a dozen values at once. A write ends it: later reads load anew.
    class ReadBatch {
    public:
        explicit ReadBatch(Settings& settings) : settings_(settings) {
            settings_.batchText_ = settings_.store_.Load();
        }
        ~ReadBatch() { settings_.batchText_.reset(); }
        ReadBatch(const ReadBatch&) = delete;
        ReadBatch& operator=(const ReadBatch&) = delete;

    private:
        Settings& settings_;
    };

    // True when a non-empty value was found; value holds what was read
    // (empty when the key or the file is missing), at most `limit` bytes.
    bool GetProfile(std::string_view section, std::string_view key, std::string& value,
                    std::size_t limit = kProfileValueLimit);
    // Writes the value, creating file, section and key as needed. Writing the
    // value already stored leaves the file untouched.
    bool PutProfile(std::string_view section, std::string_view key, std::string_view value);
    // Writes the values in order with a single rewrite of the file, so saving
    // many settings costs one replacement, not one each. False when a value
    // was refused (the others are still written) or the file was not written.
    bool PutProfiles(const std::vector<ProfileValue>& values);

    // A path is read whole, any other value up to the usual 255 bytes.
    bool Get(const SettingKey& key, std::string& value) {
        return GetProfile(key.section, key.key, value, key.isPath ? kWholeValue : kProfileValueLimit);
    }
    bool Put(const SettingKey& key, std::string_view value) {
        return PutProfile(key.section, key.key, value);
    }

    // Where the settings file is; empty when it is nowhere on disk.
    std::string Location() const { return store_.Location(); }

    // A window position: the stored value when found, else the default.
    std::int16_t GetPosition(const SettingKey& key, std::int16_t defaultValue);
    bool PutPosition(const SettingKey& key, std::int16_t value);

private:
    ProfileStore& store_;
    std::string lineEnd_;
    // The file's text loaded for an open ReadBatch.
    std::optional<std::optional<std::string>> batchText_;
};

// A stored position: the leading decimal number of the text, rounded to the
// nearest whole number (halves to even), clamped to 16 bits; 0 when the text
// does not start with a number.
std::int16_t ParsePosition(std::string_view text);
// A position as stored: decimal digits, "-" when negative.
std::string FormatPosition(std::int16_t value);
// Any whole number of twips, clamped to the 16-bit range of positions.
std::int16_t ClampPosition(long long twips);

}  // namespace tarnwick
