// The services through which the core reaches the world. Each is a small
// interface: the platform layer provides the real ones, tests pass fakes.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Why the last Read failed, in the system's words ("Input/output
    // error"); empty where nothing is known.
    virtual std::string FailureReason() const { return {}; }
};

// A file being replaced. Nothing the user can see changes before Commit()
// succeeds; destroying an uncommitted OutputFile leaves the old file as it
// was, and leaves nothing behind.
//
// Every implementation keeps this contract:
// - A regular file is only ever replaced by renaming a complete, synced new
//   file over it. The new file lives in the target's folder, is unnamed where
//   the system offers that (Linux O_TMPFILE, given a name only just before
//   the rename), and is readable by its owner alone until it is complete;
//   then it gets the old file's owner and permission bits, or a new file's
//   usual ones (0666 less the umask). If the new file cannot be made,
//   written, synced or renamed, the call reports the failure and the old file
//   is byte-identical.
// - No named temporary file outlives the program: it is removed on failure,
//   on destruction, and when SIGTERM, SIGINT or SIGHUP ends the program.
//   After any kill the target holds the complete old or the complete new text.
// - Written in place only where no rename is possible: a target that is not a
//   regular file (a device, a pipe), and a writable regular file whose folder
//   refuses new files for lack of permission (EACCES, EPERM). There the
//   whole text is held until Commit, the old content is read at the open (a
//   file over 16 MiB is refused there), and if a write or the truncation
//   fails the old content is written back before the failure is reported. Any other reason not to make the
//   new file (no space, no free inode, too many open files, a quota) is a failure, never a reason to write in
//   place.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Hands text on; false once anything failed (Commit then fails too).
    virtual bool Write(std::string_view data) = 0;
    // Puts the complete text in place; false when it could not, with the old
    // file unchanged.
    virtual bool Commit() = 0;
    // Why Write or Commit failed, in the system's words ("No space left on
    // device"); empty where nothing is known.
    virtual std::string FailureReason() const { return {}; }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Null when the file cannot be opened (missing, no access, a folder).
    virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
    // Null when the file cannot be created or written; nothing has changed
    // then. Links are followed only as the system would follow them for this
    // user on an ordinary write: the system opens the path and the open file
    // tells where it really is, and a link the system would refuse (a link
    // planted by another user in a shared sticky folder such as /tmp) is
    // refused, whether or not the system enforces that rule. A dangling link
    // leads to where the new file is created; the link stays a link. A file
    // the user may not write is refused, even where its folder would allow a
    // rename over it.
    virtual std::unique_ptr<OutputFile> OpenForReplacing(const std::string& path) = 0;
    // Whether both paths name one existing file (links and spellings resolved).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
    // Whether the path names an existing folder.
    virtual bool IsFolder(const std::string& path) = 0;
    // Why the last open that gave null failed, in the system's words ("No
    // such file or directory", "Is a directory", "Permission denied"); empty
    // where nothing is known.
    virtual std::string FailureReason() const { return {}; }
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
    // The file's path, for telling it apart from the files the user names;
    // empty for a store that is no file.
    virtual std::string Location() const { return {}; }
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
    // Files to offer at hand beside the folders, such as the tail files that
    // the mail programs read; a dialog shows what its kind allows of them.
    std::vector<std::string> shortcuts;
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

// What a mail program keeps its settings in, as far as a signature goes.
enum class MailConfigKind {
    GeckoPrefs,
    ClawsAccounts,
    Muttrc,
    AercAccounts,
    KMailIdentities,
    PlainSignature
};

// A mail program's configuration file, read.
struct MailConfigFile {
    MailConfigKind kind;
    std::string program;  // "Thunderbird", "mutt", ...
    std::string path;
    std::string text;  // empty for a plain signature file, which is listed as it is
};

// The configuration files of the mail programs in their standard places.
class MailConfigFiles {
public:
    virtual ~MailConfigFiles() = default;
    // Every such file that exists and can be read, Gecko profiles followed to
    // their prefs.js; the signature file that many programs read by default
    // (~/.signature) when it exists.
    virtual std::vector<MailConfigFile> Read() = 0;
    // The user's home folder, for the "~" in a program's paths.
    virtual std::string HomeFolder() = 0;
    // Whether the path names an existing file of any kind, a pipe too, links
    // followed; the file is not opened.
    virtual bool Exists(const std::string& path) = 0;
};

}  // namespace tarnwick
