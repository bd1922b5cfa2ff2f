// Files on the local file system: block reads, atomic replacement and file
// identity.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/services.h"

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace tarnwick {

// A tail written in place keeps its old text in memory to write it back on
// failure, so it may be at most this large; a larger one is refused.
inline constexpr std::size_t kInPlaceSizeLimit = std::size_t{16} << 20;

// Why a device, a pipe or a socket is not read as a file; the system has no
// words of its own for that.
inline constexpr std::string_view kNotARegularFile = "Not a regular file (a device, a pipe or a socket)";

#ifndef _WIN32
// The system calls that change a file while it is replaced. Tests swap some
// of them to make a failure happen that a real file system cannot be made to
// show on demand; the program always uses the real ones.
struct FileCalls {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*ftruncate)(int fd, off_t size);
    int (*renameat)(int fromFolder, const char* from, int toFolder, const char* to);
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    // Whether an unnamed temporary file may be tried (Linux O_TMPFILE); when
    // false, or when the file system has none, a named one is used.
    bool unnamedTemporaryFiles;
};

// The calls of the system itself.
const FileCalls& SystemFileCalls();
#endif

class NativeFileSystem final : public FileSystem {
public:
#ifndef _WIN32
    explicit NativeFileSystem(const FileCalls& calls = SystemFileCalls()) : calls_(calls) {}
#endif
    std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> OpenForReplacing(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    bool IsFolder(const std::string& path) override;
    std::string FailureReason() const override {
        return failure_;
    }

private:
#ifndef _WIN32
    FileCalls calls_;
#endif
    std::string failure_;  // why the last open failed
};

}  // namespace tarnwick
