// Windows tests: a fresh folder per test, and files in it by wide name.
#pragma once

#include <windows.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "tests/file_helpers.h"

namespace tarnwick::testing {

namespace fs = std::filesystem;

class WindowsFolder {
public:
    WindowsFolder() {
        wchar_t name[MAX_PATH];
        ::GetTempFileNameW(fs::temp_directory_path().c_str(), L"tw", 0, name);
        ::DeleteFileW(name);
        root_ = name;
        fs::create_directories(root_);
    }
    ~WindowsFolder() {
        std::error_code error;
        for (auto entry = fs::recursive_directory_iterator(root_, error); !error && entry != fs::end(entry);
             entry.increment(error)) {
            ::SetFileAttributesW(entry->path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(root_, error);
    }
    WindowsFolder(const WindowsFolder&) = delete;
    WindowsFolder& operator=(const WindowsFolder&) = delete;

    fs::path Path(const std::wstring& name) const { return root_ / name; }
    // The path as the program's texts hold it: bytes in the ANSI code page.
    std::string Text(const std::wstring& name) const { return Ansi(Path(name).wstring()); }
    std::ptrdiff_t Count() const {
        return std::distance(fs::directory_iterator(root_), fs::directory_iterator());
    }

    static std::string Ansi(const std::wstring& text) {
        std::string ansi(text.size() * 2 + 1, '\0');
        ansi.resize(static_cast<std::size_t>(
            ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(),
                                  static_cast<int>(ansi.size()), nullptr, nullptr)));
        return ansi;
    }

    static std::wstring Wide(const std::string& ansi) {
        std::wstring wide(ansi.size() + 1, L'\0');
        wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi.data(),
                                                                   static_cast<int>(ansi.size()), wide.data(),
                                                                   static_cast<int>(wide.size()))));
        return wide;
    }

private:
    fs::path root_;
};

}  // namespace tarnwick::testing
