// The settings file format, as pure functions over the file's text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The most bytes of a value the profile-string rules read; the rest is cut
// at a character boundary.
inline constexpr std::size_t kProfileValueLimit = 255;
// No cut: for paths, which must never be shortened into another file's name.
inline constexpr std::size_t kWholeValue = static_cast<std::size_t>(-1);

// The value stored under section and key, as the profile-string rules read
// it, at most `limit` bytes; empty when the section, the key or the value is
// missing.
std::string IniRead(std::string_view text, std::string_view section, std::string_view key,
                    std::size_t limit = kProfileValueLimit);

// The text with section/key set to value, every other byte kept; new lines end
// with lineEnd. Nothing when the value cannot be stored (it holds CR or LF).
std::optional<std::string> IniWrite(std::string_view text, std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view lineEnd);

}  // namespace tarnwick
