// Texts inside the program are bytes in the system code page: UTF-8 on Linux
// and macOS, the ANSI code page on Windows. This turns one into a path the
// standard library hands to the system unchanged.
#pragma once

#include <filesystem>
#include <string>

namespace tarnwick {

std::filesystem::path NativePath(const std::string& text);

}  // namespace tarnwick
