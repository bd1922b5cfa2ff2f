// POSIX only: the target a symbolic link names.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <optional>
#include <string>

namespace tarnwick {

// The link's target as stored, not resolved; nothing when the path is no
// link, cannot be read, or names a target too long to be real.
inline std::optional<std::string> ReadLink(const std::string& path) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        if (buffer.size() >= (std::size_t{1} << 20)) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace tarnwick
