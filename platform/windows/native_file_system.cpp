// Windows file services. The replacement is written to a temporary file in
// the target's folder that the system deletes when it is closed; only when
// the text is complete and flushed is that mark cleared and the file renamed
// over the target, so no kill or failure leaves a partial file or a stray one.
#include "platform/native_file_system.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "core/whole_file.h"
#include "platform/windows/text.h"

namespace tarnwick {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Output is handed to the system in pieces of this size.
constexpr std::size_t kWriteBufferSize = std::size_t{64} << 10;
// The most one ReadFile or WriteFile call is asked to move.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;
// The attributes a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&&) = delete;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool closed = handle_ == INVALID_HANDLE_VALUE || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

// The system's words for its last error: "The system cannot find the file
// specified."
std::string LastErrorText() {
    return SystemErrorText(::GetLastError());
}

// A folder, for which the system has only "Access is denied."
constexpr std::string_view kIsAFolder = "It is a folder, not a file.";

bool IsFolderPath(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens an existing file, following links and junctions; with
// FILE_FLAG_BACKUP_SEMANTICS a folder opens too.
Handle OpenExisting(const std::wstring& path, DWORD access, DWORD flags = 0) {
    return Handle(::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
}

bool WriteAll(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min(data.size(), kMaxTransfer));
        if (::WriteFile(file, data.data(), size, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        data.remove_prefix(written);
    }
    return true;
}

// One ReadFile: the bytes read, 0 at the end, -1 on failure.
std::ptrdiff_t ReadSome(HANDLE file, char* buffer, std::size_t size) {
    DWORD count = 0;
    const auto wanted = static_cast<DWORD>(std::min(size, kMaxTransfer));
    if (::ReadFile(file, buffer, wanted, &count, nullptr) == 0) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(count);
}

// Reads through a handle that stays with its owner.
class HandleInput final : public InputFile {
public:
    explicit HandleInput(HANDLE file) : file_(file) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override { return ReadSome(file_, buffer, size); }

private:
    HANDLE file_;
};

// The text of a file to be written in place, kept to be written back should
// that fail; nothing, with the reason in `failure`, when it cannot be read or
// is too large to hold.
std::optional<std::string> ReadOldText(HANDLE file, std::string& failure) {
    HandleInput input(file);
    std::string text;
    switch (ReadWholeFile(input, kInPlaceSizeLimit, text)) {
        case WholeFileRead::Complete:
            return text;
        case WholeFileRead::Failed:
            failure = LastErrorText();
            break;
        case WholeFileRead::TooLong:
            failure = SystemErrorText(ERROR_FILE_TOO_LARGE);
            break;
    }
    return std::nullopt;
}

bool Rewind(HANDLE file) {
    return ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0;
}

// Whether the system deletes the file when its last handle closes.
bool MarkForDeletion(HANDLE file, bool deleteIt) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteIt ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// The path the system reached through links and junctions, in the "\\?\"
// form; nothing when it cannot be told.
std::optional<std::wstring> FinalPath(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                         FILE_NAME_NORMALIZED);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

struct PathParts {
    std::wstring folder;  // with its trailing separator; empty for a bare name
    std::wstring name;    // empty when the path ends with a separator
};

PathParts SplitPath(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/:");
    if (separator == std::wstring::npos) {
        return {L"", path};
    }
    return {path.substr(0, separator + 1), path.substr(separator + 1)};
}

struct TempFile {
    Handle file;
    std::wstring path;
};

// Creates a hidden ".Name.XXXXXX" beside the target, marked for deletion;
// CREATE_NEW makes the name ours alone. Nothing, with the system's error
// code in `error`, when no such file can be made.
std::optional<TempFile> CreateTempBeside(const PathParts& target, DWORD& error) {
    static unsigned counter = 0;
    const std::wstring stem = target.folder + L"." + target.name.substr(0, 200) + L".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long unique = ::GetTickCount64() * 7919u +
                                          static_cast<unsigned long long>(::GetCurrentProcessId()) * 31u +
                                          counter++;
        std::wstring path = stem + std::to_wstring(unique % 1000000u);
        Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (file) {
            if (!MarkForDeletion(file.get(), true)) {
                error = ::GetLastError();
                file.Close();
                ::DeleteFileW(path.c_str());
                return std::nullopt;
            }
            return TempFile{std::move(file), std::move(path)};
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

class NativeInputFile final : public InputFile {
public:
    explicit NativeInputFile(Handle file) : file_(std::move(file)) {}

    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        const std::ptrdiff_t count = ReadSome(file_.get(), buffer, size);
        if (count < 0) {
            failure_ = LastErrorText();
        }
        return count;
    }

    std::string FailureReason() const override { return failure_; }

private:
    Handle file_;
    std::string failure_;
};

// Writes into the temporary file and renames it over the target at Commit.
// Until then, and after any failure, the target is as it was and closing the
// temporary file deletes it.
class ReplacingOutputFile final : public OutputFile {
public:
    ReplacingOutputFile(TempFile temp, std::wstring target, DWORD attributes)
        : temp_(std::move(temp)), target_(std::move(target)), attributes_(attributes) {}

    bool Write(std::string_view data) override {
        if (!temp_.file || failed_) {
            return false;
        }
        buffer_.append(data);
        return buffer_.size() < kWriteBufferSize || Flush();
    }

    bool Commit() override {
        if (!temp_.file || failed_ || !Flush() || !::FlushFileBuffers(temp_.file.get()) ||
            !TakeAttributes() || !MarkForDeletion(temp_.file.get(), false)) {
            NoteFailure();
            temp_.file.Close();
            return false;
        }
        if (::MoveFileExW(temp_.path.c_str(), target_.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
            // The target is held open by another program, or was made
            // read-only meanwhile: it stays as it was, and the new text goes.
            NoteFailure();
            const bool marked = MarkForDeletion(temp_.file.get(), true);
            temp_.file.Close();
            if (!marked) {
                ::DeleteFileW(temp_.path.c_str());
            }
            return false;
        }
        temp_.file.Close();
        return true;
    }

    std::string FailureReason() const override { return failure_; }

private:
    // Keeps why the first failure happened, while the system still says it.
    void NoteFailure() {
        if (!failed_) {
            failure_ = LastErrorText();
        }
        failed_ = true;
    }

    bool Flush() {
        if (!failed_ && !WriteAll(temp_.file.get(), buffer_)) {
            NoteFailure();
        }
        buffer_.clear();
        return !failed_;
    }

    // The old file's attributes (hidden, system, ...); the time stamps stay
    // the new file's own.
    bool TakeAttributes() {
        FILE_BASIC_INFO info{};
        info.FileAttributes = attributes_ | FILE_ATTRIBUTE_ARCHIVE;
        return ::SetFileInformationByHandle(temp_.file.get(), FileBasicInfo, &info, sizeof info) != 0;
    }

    TempFile temp_;
    std::wstring target_;
    DWORD attributes_;
    std::string buffer_;
    bool failed_ = false;
    std::string failure_;
};

// For targets that cannot be replaced by renaming: devices, and files in a
// folder we may not create files in. The output is held in memory and written
// only at Commit; a file's old text, read at the open, is written back if
// that fails.
class InPlaceOutputFile final : public OutputFile {
public:
    // `old` is none for a device, which has no text to keep.
    InPlaceOutputFile(Handle file, std::optional<std::string> old)
        : file_(std::move(file)), old_(std::move(old)) {}

    bool Write(std::string_view data) override {
        content_.append(data);
        return true;
    }

    bool Commit() override {
        if (!old_) {
            return Succeeded(WriteAll(file_.get(), content_) && file_.Close());
        }
        if (Overwrite(content_)) {
            return Succeeded(file_.Close());
        }
        failure_ = LastErrorText();
        Overwrite(*old_);
        return false;
    }

    std::string FailureReason() const override { return failure_; }

private:
    bool Succeeded(bool done) {
        if (!done) {
            failure_ = LastErrorText();
        }
        return done;
    }

    bool Overwrite(std::string_view text) {
        return Rewind(file_.get()) && WriteAll(file_.get(), text) && ::SetEndOfFile(file_.get()) != 0 &&
               ::FlushFileBuffers(file_.get()) != 0;
    }

    Handle file_;
    std::optional<std::string> old_;
    std::string content_;
    std::string failure_;
};

// Null, with the reason in `failure`, when the target cannot be written in place.
std::unique_ptr<OutputFile> OpenInPlace(const std::wstring& target, bool regular, std::string& failure) {
    Handle file = OpenExisting(target, regular ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE);
    if (!file) {
        failure = LastErrorText();
        return nullptr;
    }
    std::optional<std::string> old;
    if (regular && !(old = ReadOldText(file.get(), failure))) {
        return nullptr;
    }
    return std::make_unique<InPlaceOutputFile>(std::move(file), std::move(old));
}

std::optional<BY_HANDLE_FILE_INFORMATION> Identity(const std::string& path) {
    Handle file = OpenExisting(WidePath(path), FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || ::GetFileInformationByHandle(file.get(), &info) == 0) {
        return std::nullopt;
    }
    return info;
}

}  // namespace

std::unique_ptr<InputFile> NativeFileSystem::OpenForReading(const std::string& path) {
    failure_.clear();
    if (path.empty()) {
        failure_ = SystemErrorText(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS; a device or
    // a pipe is refused, as it may never end.
    const std::wstring wide = WidePath(path);
    Handle file = OpenExisting(wide, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file) {
        const std::string reason = LastErrorText();
        failure_ = IsFolderPath(wide) ? std::string(kIsAFolder) : reason;
        return nullptr;
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        failure_ = kNotARegularFile;
        return nullptr;
    }
    return std::make_unique<NativeInputFile>(std::move(file));
}

std::unique_ptr<OutputFile> NativeFileSystem::OpenForReplacing(const std::string& path) {
    failure_.clear();
    const auto refuse = [this](std::string reason) -> std::unique_ptr<OutputFile> {
        failure_ = std::move(reason);
        return nullptr;
    };
    if (path.empty()) {
        return refuse(SystemErrorText(ERROR_FILE_NOT_FOUND));
    }
    std::wstring target = WidePath(path);
    DWORD attributes = 0;
    bool exists = false;
    if (Handle existing = OpenExisting(target, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS)) {
        if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
            return OpenInPlace(target, false, failure_);
        }
        BY_HANDLE_FILE_INFORMATION info{};
        std::optional<std::wstring> final = FinalPath(existing.get());
        if (::GetFileInformationByHandle(existing.get(), &info) == 0 || !final) {
            return refuse(LastErrorText());
        }
        // A folder is no tail, and a read-only file is not ours to replace.
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return refuse(std::string(kIsAFolder));
        }
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return refuse(SystemErrorText(ERROR_ACCESS_DENIED));
        }
        // Written where the links and junctions lead; they stay as they are.
        target = std::move(*final);
        attributes = info.dwFileAttributes & kKeptAttributes;
        exists = true;
        // Refused at once when another program holds it without sharing
        // it, or the user may not write it.
        if (!OpenExisting(target, GENERIC_WRITE)) {
            return refuse(LastErrorText());
        }
    } else if (const DWORD error = ::GetLastError();
               error != ERROR_FILE_NOT_FOUND ||
               ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Something is there that cannot be opened: a link that leads
        // nowhere would be replaced by a file, so nothing is written.
        return refuse(SystemErrorText(error));
    }
    const PathParts parts = SplitPath(target);
    if (parts.name.empty()) {
        return refuse(SystemErrorText(ERROR_INVALID_NAME));
    }
    DWORD error = ERROR_SUCCESS;
    if (std::optional<TempFile> temp = CreateTempBeside(parts, error)) {
        return std::make_unique<ReplacingOutputFile>(std::move(*temp), std::move(target), attributes);
    }
    // Only a folder that refuses new files leaves no other way; no space or
    // any other failure is reported, the old tail kept.
    if (exists && error == ERROR_ACCESS_DENIED) {
        return OpenInPlace(target, true, failure_);
    }
    return refuse(SystemErrorText(error));
}

bool NativeFileSystem::SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    const std::optional<BY_HANDLE_FILE_INFORMATION> first = Identity(a);
    const std::optional<BY_HANDLE_FILE_INFORMATION> second = Identity(b);
    return first && second && first->dwVolumeSerialNumber == second->dwVolumeSerialNumber &&
           first->nFileIndexHigh == second->nFileIndexHigh && first->nFileIndexLow == second->nFileIndexLow;
}

bool NativeFileSystem::IsFolder(const std::string& path) {
    return !path.empty() && IsFolderPath(WidePath(path));
}

}  // namespace tarnwick
