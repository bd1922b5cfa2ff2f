// POSIX file services. A Windows build supplies its own file in place of this
// one, so everything here stays behind the guard.
#include "platform/native_file_system.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

namespace tarnwick {
namespace {

// Symbolic link chains longer than this are treated as loops.
constexpr int kMaxLinkHops = 40;
// Output is handed to the kernel in pieces of this size.
constexpr std::size_t kWriteBufferSize = std::size_t{64} << 10;

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// fsync on a file system that cannot sync is no reason to fail the write.
bool SyncFile(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EROFS;
}

bool CloseChecked(int fd) {
    // After EINTR the descriptor is gone on Linux; retrying could close
    // another one, so EINTR counts as closed.
    return ::close(fd) == 0 || errno == EINTR;
}

struct PathParts {
    std::string folder;  // never empty: "." for a bare name
    std::string name;    // empty when the path ends with a separator
};

PathParts SplitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    std::string folder = path.substr(0, slash);
    if (folder.empty()) {
        folder = "/";
    }
    return {std::move(folder), path.substr(slash + 1)};
}

std::optional<std::string> ReadLink(const std::string& path) {
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

// Follows a chain of symbolic links to the path that is really written. A
// dangling link resolves to the path it points at, so the file is created
// there and the link stays a link. Nothing for a loop or an unreadable path.
std::optional<std::string> ResolveLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                return path;
            }
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return path;
        }
        std::optional<std::string> target = ReadLink(path);
        if (!target || target->empty()) {
            return std::nullopt;
        }
        if ((*target)[0] == '/') {
            path = std::move(*target);
        } else {
            path = SplitPath(path).folder + "/" + *target;
        }
    }
    return std::nullopt;
}

std::uint64_t RandomSeed() {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return (std::uint64_t{device()} << 32) ^ device() ^ now ^ static_cast<std::uint64_t>(::getpid());
}

struct TempFile {
    int fd = -1;
    std::string path;
};

// Creates ".Name.XXXXXX" beside the target; O_EXCL makes the name ours alone,
// and the creation mode 0666 lets the umask give a new file its usual bits.
std::optional<TempFile> CreateTempBeside(const PathParts& target) {
    static std::mt19937_64 generator(RandomSeed());
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Keep the name within the usual 255-byte limit of a file name.
    const std::string stem = "." + target.name.substr(0, 200) + ".";
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 6; ++i) {
            name += kAlphabet[pick(generator)];
        }
        std::string path = target.folder + "/" + name;
        const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            return TempFile{fd, std::move(path)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

class NativeInputFile final : public InputFile {
public:
    explicit NativeInputFile(int fd) : fd_(fd) {}
    ~NativeInputFile() override { ::close(fd_); }
    NativeInputFile(const NativeInputFile&) = delete;
    NativeInputFile& operator=(const NativeInputFile&) = delete;

    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        if (size > static_cast<std::size_t>(SSIZE_MAX)) {
            size = static_cast<std::size_t>(SSIZE_MAX);
        }
        for (;;) {
            const ssize_t count = ::read(fd_, buffer, size);
            if (count >= 0) {
                return count;
            }
            if (errno != EINTR) {
                return -1;
            }
        }
    }

private:
    int fd_;
};

// Writes into a temporary file beside the target and renames it over the
// target at Commit. Until then, and after any failure, the target is as it was.
class ReplacingOutputFile final : public OutputFile {
public:
    ReplacingOutputFile(TempFile temp, std::string target, std::optional<struct stat> existing)
        : fd_(temp.fd), tempPath_(std::move(temp.path)), target_(std::move(target)), existing_(existing) {}
    ~ReplacingOutputFile() override { Discard(); }
    ReplacingOutputFile(const ReplacingOutputFile&) = delete;
    ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

    bool Write(std::string_view data) override {
        if (fd_ < 0 || failed_) {
            return false;
        }
        buffer_.append(data);
        if (buffer_.size() >= kWriteBufferSize) {
            return Flush();
        }
        return true;
    }

    bool Commit() override {
        if (fd_ < 0 || failed_ || !Flush()) {
            Discard();
            return false;
        }
        if (existing_) {
            // Keep the owner where we may (as root, replacing a user's file),
            // then the permission bits; chown first, as it clears set-id bits.
            if (existing_->st_uid != ::geteuid() || existing_->st_gid != ::getegid()) {
                (void)::fchown(fd_, existing_->st_uid, existing_->st_gid);
            }
            // A file system without permission bits refuses this; the content
            // still matters more than the bits.
            (void)::fchmod(fd_, existing_->st_mode & 07777);
        }
        if (!SyncFile(fd_)) {
            Discard();
            return false;
        }
        const bool closed = CloseChecked(fd_);
        fd_ = -1;
        if (!closed || ::rename(tempPath_.c_str(), target_.c_str()) != 0) {
            Discard();
            return false;
        }
        tempPath_.clear();
        SyncFolder();
        return true;
    }

private:
    bool Flush() {
        if (!WriteAll(fd_, buffer_)) {
            failed_ = true;
        }
        buffer_.clear();
        return !failed_;
    }

    void Discard() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        if (!tempPath_.empty()) {
            ::unlink(tempPath_.c_str());
            tempPath_.clear();
        }
    }

    // Makes the rename itself durable; a failure here changes nothing the
    // user can see, so it is not reported.
    void SyncFolder() const {
        const int folder =
            OpenRetrying(SplitPath(target_).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            (void)::fsync(folder);
            ::close(folder);
        }
    }

    int fd_;
    std::string tempPath_;
    std::string target_;
    std::optional<struct stat> existing_;
    std::string buffer_;
    bool failed_ = false;
};

// For targets that cannot be replaced by renaming: devices, pipes, files in a
// folder we may not create files in. The output is held in memory and written
// only at Commit, so an output abandoned half-way never reaches the target.
class InPlaceOutputFile final : public OutputFile {
public:
    InPlaceOutputFile(int fd, bool regular) : fd_(fd), regular_(regular) {}
    ~InPlaceOutputFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    InPlaceOutputFile(const InPlaceOutputFile&) = delete;
    InPlaceOutputFile& operator=(const InPlaceOutputFile&) = delete;

    bool Write(std::string_view data) override {
        if (fd_ < 0) {
            return false;
        }
        content_.append(data);
        return true;
    }

    bool Commit() override {
        if (fd_ < 0) {
            return false;
        }
        bool ok = true;
        if (regular_) {
            // Overwrite first and cut the rest afterwards: on a full disk the
            // blocks the old content already holds can still be written.
            ok = ::lseek(fd_, 0, SEEK_SET) == 0 && WriteAll(fd_, content_) &&
                 ::ftruncate(fd_, static_cast<off_t>(content_.size())) == 0 && SyncFile(fd_);
        } else {
            ok = WriteAll(fd_, content_);
        }
        const bool closed = CloseChecked(fd_);
        fd_ = -1;
        return ok && closed;
    }

private:
    int fd_;
    bool regular_;
    std::string content_;
};

std::unique_ptr<OutputFile> OpenInPlace(const std::string& target, bool regular) {
    // Non-blocking open: a pipe nobody reads from fails at once instead of
    // blocking the program forever. Writes then block as usual.
    const int fd = OpenRetrying(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<InPlaceOutputFile>(fd, regular);
}

}  // namespace

std::unique_ptr<InputFile> NativeFileSystem::OpenForReading(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    // Non-blocking open so that a pipe without a writer reads as empty
    // instead of waiting for one.
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<NativeInputFile>(fd);
}

std::unique_ptr<OutputFile> NativeFileSystem::OpenForReplacing(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    const std::optional<std::string> target = ResolveLinks(path);
    if (!target) {
        return nullptr;
    }
    const PathParts parts = SplitPath(*target);
    if (parts.name.empty()) {
        return nullptr;
    }
    struct stat info {};
    std::optional<struct stat> existing;
    if (::stat(target->c_str(), &info) == 0) {
        existing = info;
    } else if (errno != ENOENT) {
        return nullptr;
    } else if (*target != path && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        // A link the system follows to an open file rather than to a path
        // (/dev/stdout onto a pipe): it can only be written through.
        return OpenInPlace(path, S_ISREG(info.st_mode));
    }
    if (existing) {
        if (S_ISDIR(existing->st_mode)) {
            return nullptr;
        }
        // A device or a pipe is written to, never replaced by a regular file.
        if (!S_ISREG(existing->st_mode)) {
            return OpenInPlace(*target, false);
        }
        // A file the user made read-only is not ours to replace.
        if (::access(target->c_str(), W_OK) != 0) {
            return nullptr;
        }
    }
    if (std::optional<TempFile> temp = CreateTempBeside(parts)) {
        return std::make_unique<ReplacingOutputFile>(std::move(*temp), *target, existing);
    }
    if (existing) {
        return OpenInPlace(*target, true);
    }
    return nullptr;
}

bool NativeFileSystem::SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) {
        return false;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace tarnwick

#endif  // !_WIN32
