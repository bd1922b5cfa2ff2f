// The settings file format, as pure functions over the file's text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The value stored under section and key, as the profile-string rules read
// it; empty when the section, the key or the value is missing.
std::string IniRead(std::string_view text, std::string_view section, std::string_view key);

// The text with section/key set to value, every other byte kept; new lines end
// with lineEnd. Nothing when the value cannot be stored (it holds CR or LF).
std::optional<std::string> IniWrite(std::string_view text, std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view lineEnd);

}  // namespace tarnwick
