// POSIX file services; windows/native_file_system.cpp is the Windows half.
#include "platform/native_file_system.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

#include "core/whole_file.h"
#include "platform/posix/read_link.h"

namespace tarnwick {
namespace {

// Symbolic link chains longer than this are treated as loops, as the kernel does.
constexpr int kMaxLinkHops = 40;
// Output is handed to the kernel in pieces of this size.
constexpr std::size_t kWriteBufferSize = std::size_t{64} << 10;

int OpenAtRetrying(int folder, const char* path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::openat(folder, path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    return OpenAtRetrying(AT_FDCWD, path, flags, mode);
}

// The system's words for an error number: "No such file or directory".
std::string ErrorText(int error) {
    return std::strerror(error);
}

// Closes a descriptor on the way out of a failure, keeping the failure's errno.
void CloseKeepingError(int fd) {
    const int error = errno;
    ::close(fd);
    errno = error;
}

bool WriteAll(const FileCalls& calls, int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = calls.write(fd, data.data(), data.size());
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

// A file system that cannot sync at all says so with EINVAL or ENOTSUP;
// that is no reason to fail the write. Every other failure is.
bool SyncFile(const FileCalls& calls, int fd) {
    return calls.fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}

bool CloseChecked(int fd) {
    // After EINTR the descriptor is gone on Linux; retrying could close
    // another one, so EINTR counts as closed.
    return ::close(fd) == 0 || errno == EINTR;
}

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

// The rule of Linux's fs.protected_symlinks: a link in a sticky folder that
// anyone may write to is followed only by its owner or when the folder's
// owner owns it, so a link planted in /tmp cannot aim our writes elsewhere.
bool MayFollowLink(const std::string& link, const struct stat& linkInfo) {
    struct stat folder {};
    if (::stat(SplitPath(link).folder.c_str(), &folder) != 0) {
        return false;
    }
    const bool sharedSticky = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !sharedSticky || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid;
}

// Where the chain of links that the path's last component may be ends: at
// an existing file, or where a dangling link points, so that a new file is
// created there and the link stays a link. Nothing for a loop or for a link
// the kernel's rule forbids following; the rule is applied here even where
// the system does not enforce it. The folders on the way are the kernel's to
// follow when the file or its folder is opened.
std::optional<std::string> EndOfLinkChain(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return path;
        }
        if (!MayFollowLink(path, info)) {
            errno = EACCES;  // what the kernel says where it enforces the rule
            return std::nullopt;
        }
        std::optional<std::string> target = ReadLink(path);
        if (!target || target->empty()) {
            errno = target ? ENOENT : errno;
            return std::nullopt;
        }
        path = (*target)[0] == '/' ? std::move(*target) : SplitPath(path).folder + "/" + *target;
    }
    errno = ELOOP;
    return std::nullopt;
}

// Where an open file really is, as the kernel found it.
std::optional<std::string> LocationOfOpenFile(int fd) {
#ifdef F_GETPATH
    char buffer[PATH_MAX];
    if (::fcntl(fd, F_GETPATH, buffer) != 0) {
        return std::nullopt;
    }
    return std::string(buffer);
#else
    std::optional<std::string> path = ReadLink("/proc/self/fd/" + std::to_string(fd));
    if (!path || path->empty() || (*path)[0] != '/') {
        errno = path ? ENOENT : errno;
        return std::nullopt;
    }
    return path;
#endif
}

// A folder handle through which the temporary file is made and renamed, so
// that each later step acts on the folder that was checked.
int OpenFolder(const std::string& path) {
#ifdef O_PATH
    return OpenRetrying(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
    return OpenRetrying(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

// The bits a file created now gets: 0666 less the umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::uint64_t RandomSeed() {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return (std::uint64_t{device()} << 32) ^ device() ^ now ^ static_cast<std::uint64_t>(::getpid());
}

// ".Name.XXXXXX" with six random characters, within the usual 255-byte
// limit of a file name.
std::string TemporaryName(const std::string& name) {
    static std::mt19937_64 generator(RandomSeed());
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string temporary = "." + name.substr(0, 200) + ".";
    for (int i = 0; i < 6; ++i) {
        temporary += kAlphabet[pick(generator)];
    }
    return temporary;
}

// The named temporary file that exists at this moment, for the signal
// handler to remove. Fixed storage, as a handler may not allocate; the name
// is complete before the folder is set and the folder cleared before the
// name changes. One file at a time: the program replaces files one by one.
volatile std::sig_atomic_t gNamedFolder = -1;
char gNamedName[NAME_MAX + 1];

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void RemoveNamedTemporaryAndEnd(int signal) {
    const int folder = gNamedFolder;
    if (folder >= 0) {
        ::unlinkat(folder, gNamedName, 0);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Installed once, and only where the signal would end the program anyway: an
// ignored SIGHUP (nohup) stays ignored.
void CatchEndingSignals() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signal : kEndingSignals) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
                struct sigaction action {};
                action.sa_handler = RemoveNamedTemporaryAndEnd;
                sigemptyset(&action.sa_mask);
                ::sigaction(signal, &action, nullptr);
            }
        }
    });
}

// Holds the ending signals back while a named file comes into being and is
// recorded, so that no signal finds it made but not yet recorded.
class EndingSignalsBlocked {
public:
    EndingSignalsBlocked() {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int signal : kEndingSignals) {
            sigaddset(&blocked, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
    }
    ~EndingSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
    EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

void RecordNamedTemporary(int folder, const std::string& name) {
    gNamedFolder = -1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::strncpy(gNamedName, name.c_str(), sizeof gNamedName - 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    gNamedFolder = folder;
}

void ForgetNamedTemporary() {
    gNamedFolder = -1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

// Makes a file named by `makeAt` under a fresh temporary name beside the
// target (O_EXCL or link semantics: the name is ours alone) and records it
// for the signal handler. The name, or nothing with errno set.
template <typename MakeAt>
std::optional<std::string> MakeNamedTemporary(int folder, const std::string& target, const MakeAt& makeAt) {
    CatchEndingSignals();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName(target);
        const EndingSignalsBlocked blocked;
        if (makeAt(name)) {
            RecordNamedTemporary(folder, name);
            return name;
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

struct TempFile {
    int fd = -1;
    std::string name;  // empty while the file has no name
};

// The file the new content is written to: unnamed where the file system
// offers that, so that nothing is left behind whatever ends the program;
// otherwise named beside the target. Mode 0600 until the content is complete.
std::optional<TempFile> CreateTempFile(const FileCalls& calls, int folder, const std::string& target) {
#ifdef O_TMPFILE
    // The name is given through /proc at the end, so without /proc there is
    // no unnamed file to be had.
    if (calls.unnamedTemporaryFiles && ::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            return TempFile{fd, {}};
        }
        // Only "not supported here" falls back to a named file; no space, no
        // quota or no permission is just as true for a named one.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return std::nullopt;
        }
    }
#else
    (void)calls;
#endif
    int fd = -1;
    std::optional<std::string> name = MakeNamedTemporary(folder, target, [&](const std::string& candidate) {
        fd = OpenAtRetrying(folder, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                            0600);
        return fd >= 0;
    });
    if (!name) {
        return std::nullopt;
    }
    return TempFile{fd, std::move(*name)};
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
                failure_ = ErrorText(errno);
                return -1;
            }
        }
    }

    std::string FailureReason() const override { return failure_; }

private:
    int fd_;
    std::string failure_;
};

// Where a regular tail goes: its folder, opened, and its name in it; the
// tail's status when it exists.
struct ReplaceTarget {
    int folder = -1;
    std::string name;
    std::optional<struct stat> existing;
};

// Writes into a temporary file beside the target and renames it over the
// target at Commit. Until then, and after any failure, the target is as it was.
class ReplacingOutputFile final : public OutputFile {
public:
    ReplacingOutputFile(const FileCalls& calls, TempFile temp, ReplaceTarget target)
        : calls_(calls), fd_(temp.fd), tempName_(std::move(temp.name)), target_(std::move(target)) {}
    ~ReplacingOutputFile() override {
        Discard();
        ::close(target_.folder);
    }
    ReplacingOutputFile(const ReplacingOutputFile&) = delete;
    ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

    bool Write(std::string_view data) override {
        if (fd_ < 0 || failed_) {
            return false;
        }
        if (buffer_.size() + data.size() < kWriteBufferSize) {
            buffer_.append(data);
            return true;
        }
        // A long piece goes to the kernel as it is, not through the buffer.
        if (!Flush() || !WriteAll(calls_, fd_, data)) {
            NoteFailure();
        }
        return !failed_;
    }

    bool Commit() override {
        const bool done = fd_ >= 0 && !failed_ && Flush() && TakeFinalMode() && SyncFile(calls_, fd_) &&
                          GiveName() && CloseChecked(std::exchange(fd_, -1)) && RenameOverTarget();
        if (!done) {
            NoteFailure();
        }
        Discard();
        if (done) {
            SyncFolder();
        }
        return done;
    }

    std::string FailureReason() const override { return failure_; }

private:
    // Keeps why the first failure happened, while errno still says it.
    void NoteFailure() {
        if (!failed_) {
            failure_ = ErrorText(errno);
        }
        failed_ = true;
    }

    bool Flush() {
        if (!WriteAll(calls_, fd_, buffer_)) {
            NoteFailure();
        }
        buffer_.clear();
        return !failed_;
    }

    // The old tail's owner and bits, or a new file's usual bits, given only
    // now that the content is complete.
    bool TakeFinalMode() {
        const std::optional<struct stat>& old = target_.existing;
        // Keep the owner where we may (as root, replacing a user's file);
        // chown first, as it clears set-id bits.
        if (old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
            (void)::fchown(fd_, old->st_uid, old->st_gid);
        }
        const mode_t mode = old ? old->st_mode & 07777 : NewFileMode();
        // A file system without permission bits refuses this; the content
        // still matters more than the bits.
        (void)::fchmod(fd_, mode);
        return true;
    }

    // An unnamed file gets a temporary name beside the target, which the
    // rename then moves onto the target.
    bool GiveName() {
        if (!tempName_.empty()) {
            return true;
        }
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        std::optional<std::string> name =
            MakeNamedTemporary(target_.folder, target_.name, [&](const std::string& candidate) {
                return calls_.linkat(AT_FDCWD, self.c_str(), target_.folder, candidate.c_str(),
                                     AT_SYMLINK_FOLLOW) == 0;
            });
        tempName_ = name.value_or(std::string());
        return name.has_value();
    }

    bool RenameOverTarget() {
        if (calls_.renameat(target_.folder, tempName_.c_str(), target_.folder, target_.name.c_str()) != 0) {
            return false;
        }
        ForgetNamedTemporary();
        tempName_.clear();
        return true;
    }

    void Discard() {
        if (fd_ >= 0) {
            ::close(std::exchange(fd_, -1));
        }
        if (!tempName_.empty()) {
            const EndingSignalsBlocked blocked;
            ::unlinkat(target_.folder, tempName_.c_str(), 0);
            ForgetNamedTemporary();
            tempName_.clear();
        }
    }

    // Makes the rename itself durable; a failure here changes nothing the
    // user can see, so it is not reported.
    void SyncFolder() const {
        const int folder = ::openat(target_.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            (void)::fsync(folder);
            ::close(folder);
        }
    }

    FileCalls calls_;
    int fd_;
    std::string tempName_;
    ReplaceTarget target_;
    std::string buffer_;
    bool failed_ = false;
    std::string failure_;
};

// For targets that cannot be replaced by renaming: devices, pipes, and
// regular files in a folder we may not create files in. The output is held
// in memory and written only at Commit, so an output abandoned half-way never
// reaches the target. A regular file's old content is kept and written back
// when the new one cannot be written whole.
class InPlaceOutputFile final : public OutputFile {
public:
    InPlaceOutputFile(const FileCalls& calls, int fd, std::optional<std::string> oldContent = std::nullopt)
        : calls_(calls), fd_(fd), old_(std::move(oldContent)) {}
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
        const bool ok = old_ ? Overwrite(content_) : WriteAll(calls_, fd_, content_);
        if (!ok) {
            failure_ = ErrorText(errno);
            if (old_) {
                (void)Overwrite(*old_);
            }
        }
        const bool closed = CloseChecked(std::exchange(fd_, -1));
        if (ok && !closed) {
            failure_ = ErrorText(errno);
        }
        return ok && closed;
    }

    std::string FailureReason() const override { return failure_; }

private:
    // Overwrites first and cuts the rest afterwards: on a full disk the blocks
    // the old content already holds can still be written.
    bool Overwrite(std::string_view text) {
        return ::lseek(fd_, 0, SEEK_SET) == 0 && WriteAll(calls_, fd_, text) &&
               calls_.ftruncate(fd_, static_cast<off_t>(text.size())) == 0 && SyncFile(calls_, fd_);
    }

    FileCalls calls_;
    int fd_;
    std::optional<std::string> old_;
    std::string content_;
    std::string failure_;
};

// The whole content of the regular file at the target, read to be written
// back should writing it in place fail; nothing when it cannot be read or is
// too large to hold.
std::optional<std::string> ReadOldContent(const ReplaceTarget& target) {
    const int fd = ::openat(target.folder, target.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    NativeInputFile file(fd);
    struct stat info {};
    std::string content;
    if (::fstat(fd, &info) != 0 || !SameInode(info, *target.existing) ||
        ReadWholeFile(file, kInPlaceSizeLimit, content) != WholeFileRead::Complete) {
        return std::nullopt;
    }
    return content;
}

// Blocking again after the non-blocking open: writes to a pipe then wait for
// its reader as usual.
bool MakeBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// The folder and name of the regular file open as `fd`, where the kernel
// found it; nothing when that place no longer holds this file.
std::optional<ReplaceTarget> TargetOfOpenFile(int fd, const struct stat& info) {
    const std::optional<std::string> location = LocationOfOpenFile(fd);
    if (!location) {
        return std::nullopt;
    }
    PathParts parts = SplitPath(*location);
    ReplaceTarget target{OpenFolder(parts.folder), std::move(parts.name), info};
    struct stat there {};
    const bool found =
        target.folder >= 0 && ::fstatat(target.folder, target.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0;
    if (!found || !SameInode(there, info)) {
        if (found) {
            errno = ENOENT;  // another file has taken its place meanwhile
        }
        if (target.folder >= 0) {
            CloseKeepingError(target.folder);
        }
        return std::nullopt;
    }
    return target;
}

// The folder and name where a tail that does not exist yet is created.
std::optional<ReplaceTarget> TargetOfNewFile(const std::string& path) {
    PathParts parts = SplitPath(path);
    if (parts.name.empty() || parts.name == "." || parts.name == "..") {
        errno = EISDIR;
        return std::nullopt;
    }
    const int folder = OpenFolder(parts.folder);
    if (folder < 0) {
        return std::nullopt;
    }
    return ReplaceTarget{folder, std::move(parts.name), std::nullopt};
}

// A tail that exists, open as `fd` (which this takes over). A device or a
// pipe is written through that handle; a regular file is replaced by a
// complete new file, or written in place when its folder refuses new files.
std::unique_ptr<OutputFile> ReplaceOpenFile(const FileCalls& calls, int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !MakeBlocking(fd)) {
        CloseKeepingError(fd);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        return std::make_unique<InPlaceOutputFile>(calls, fd);
    }
    std::optional<ReplaceTarget> target = TargetOfOpenFile(fd, info);
    if (target) {
        if (std::optional<TempFile> temp = CreateTempFile(calls, target->folder, target->name)) {
            ::close(fd);
            return std::make_unique<ReplacingOutputFile>(calls, std::move(*temp), std::move(*target));
        }
        // Only a folder that refuses new files leaves writing in place; where
        // that fails too, the folder's refusal is the reason given.
        const int refusal = errno;
        std::optional<std::string> old;
        if (refusal == EACCES || refusal == EPERM) {
            old = ReadOldContent(*target);
        }
        ::close(target->folder);
        if (old) {
            return std::make_unique<InPlaceOutputFile>(calls, fd, std::move(old));
        }
        errno = refusal;
    }
    CloseKeepingError(fd);
    return nullptr;
}

// A tail that does not exist yet, made at `path`.
std::unique_ptr<OutputFile> CreateNewFile(const FileCalls& calls, const std::string& path) {
    std::optional<ReplaceTarget> target = TargetOfNewFile(path);
    if (!target) {
        return nullptr;
    }
    if (std::optional<TempFile> temp = CreateTempFile(calls, target->folder, target->name)) {
        return std::make_unique<ReplacingOutputFile>(calls, std::move(*temp), std::move(*target));
    }
    CloseKeepingError(target->folder);
    return nullptr;
}

}  // namespace

const FileCalls& SystemFileCalls() {
    static const FileCalls calls{::write, ::fsync, ::ftruncate, ::renameat, ::linkat, true};
    return calls;
}

std::unique_ptr<InputFile> NativeFileSystem::OpenForReading(const std::string& path) {
    failure_.clear();
    if (path.empty()) {
        failure_ = ErrorText(ENOENT);
        return nullptr;
    }
    // Non-blocking open so that a pipe without a writer is refused at once
    // instead of waited for.
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        failure_ = ErrorText(errno);
        return nullptr;
    }
    struct stat info {};
    // Only a regular file ends: a device or a pipe could be read forever.
    if (::fstat(fd, &info) != 0 || !MakeBlocking(fd)) {
        failure_ = ErrorText(errno);
    } else if (!S_ISREG(info.st_mode)) {
        failure_ = S_ISDIR(info.st_mode) ? ErrorText(EISDIR) : std::string(kNotARegularFile);
    }
    if (!failure_.empty()) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<NativeInputFile>(fd);
}

// The kernel opens the tail, following links as it would for any write by
// this user, and the open file tells where it really is.
std::unique_ptr<OutputFile> NativeFileSystem::OpenForReplacing(const std::string& path) {
    std::unique_ptr<OutputFile> output;
    errno = ENOENT;  // for an empty path
    const std::optional<std::string> end = path.empty() ? std::nullopt : EndOfLinkChain(path);
    if (end) {
        // Non-blocking open: a pipe nobody reads from fails at once instead of
        // blocking the program forever. A path that was no link when looked at
        // is opened as no link, so one planted meanwhile is not followed.
        const int fd = OpenRetrying(
            path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (*end == path ? O_NOFOLLOW : 0));
        if (fd >= 0) {
            output = ReplaceOpenFile(calls_, fd);
        } else if (errno == ENOENT) {
            output = CreateNewFile(calls_, *end);
        }
    }
    failure_ = output ? std::string() : ErrorText(errno);
    return output;
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
    return SameInode(first, second);
}

bool NativeFileSystem::IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tarnwick
