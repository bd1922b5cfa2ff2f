// Whole-file reading and writing for tests that work on real files.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace tarnwick::testing {

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Readable by an unprivileged run whatever the umask.
inline void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms(0644), ignored);
}

}  // namespace tarnwick::testing
