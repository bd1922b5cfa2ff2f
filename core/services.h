// The services through which the core reaches the world. Each is a small
// interface: the platform layer provides the real ones, tests pass fakes.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

enum class MessageKind { Information, Warning, Error };

// Shows one message (title "Set Vellicor", one OK button) and returns once
// the user has dismissed it. Line breaks in the text are CR LF.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void Show(std::string_view text, MessageKind kind) = 0;
};

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Where the text that is a command's whole point goes (the usage, the
// version, the live slot): standard output, or what stands for it where a
// program has no console.
class TextOutput {
public:
    virtual ~TextOutput() = default;
    // Lines end in LF.
    virtual void Write(std::string_view text) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
};

// A file open for reading, read in large blocks.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes into `buffer`: the count read, 0 at the end of
    // the file, -1 after a read error.
    virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
};

// A file being replaced. Nothing the user can see changes before Commit()
// succeeds; destroying an uncommitted OutputFile leaves the old file as it was.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(std::string_view data) = 0;
    virtual bool Commit() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Null when the file cannot be opened (missing, no access, a folder).
    virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
    // Null when the file cannot be created or written.
    virtual std::unique_ptr<OutputFile> OpenForReplacing(const std::string& path) = 0;
    // Whether both paths name one existing file (links and spellings resolved).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

// The settings file as a whole text. The store finds the file anew on every
// call, so a file moved or edited meanwhile is seen as it is now.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The file's text, or nothing when it is missing or unreadable.
    virtual std::optional<std::string> Load() = 0;
    // Replaces the file atomically; false when it could not be written.
    virtual bool Store(std::string_view text) = 0;
};

// What a file dialog is asked for; the filter is in the "NAME|PATTERN|..." form.
struct FileDialogRequest {
    bool save = false;  // a save-file dialog, else an open-file dialog
    std::string title;
    std::string filter;
    std::string initialFolder;
    std::string initialName;
    std::string defaultExtension;  // without the dot; empty for none
    bool mustExist = false;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or empty when the user cancelled.
    virtual std::string Ask(const FileDialogRequest& request) = 0;
};

// Ends the whole program at once: no further events, nothing saved.
class ProgramControl {
public:
    virtual ~ProgramControl() = default;
    virtual void EndProgram() = 0;
};

}  // namespace tarnwick
