// Recording fakes of the services, shared by the tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/services.h"
#include "core/settings.h"
#include "core/startup.h"

namespace tarnwick::testing {

struct RecordedMessage {
    std::string text;
    MessageKind kind;
    bool operator==(const RecordedMessage&) const = default;
};

class RecordingMessages final : public MessageService {
public:
    void Show(std::string_view text, MessageKind kind) override {
        shown.push_back({std::string(text), kind});
    }
    std::vector<RecordedMessage> shown;
};

class RecordingOutput final : public TextOutput {
public:
    void Write(std::string_view text) override { written += text; }
    std::string written;
};

// A clock that returns the given times in turn, then keeps the last one.
class FixedClock final : public Clock {
public:
    explicit FixedClock(std::vector<LocalTime> times) : times_(std::move(times)) {}
    explicit FixedClock(LocalTime time) : times_{time} {}
    LocalTime Now() override {
        const LocalTime now = times_[std::min(next_, times_.size() - 1)];
        ++next_;
        return now;
    }

private:
    std::vector<LocalTime> times_;
    std::size_t next_ = 0;
};

// An input file over a text, read in pieces of at most `piece` bytes; it can
// fail after `failAfter` bytes.
class MemoryInputFile final : public InputFile {
public:
    explicit MemoryInputFile(std::string text, std::size_t piece = SIZE_MAX, std::size_t failAfter = SIZE_MAX)
        : text_(std::move(text)), piece_(piece), failAfter_(failAfter) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        if (offset_ >= failAfter_) {
            return -1;
        }
        const std::size_t count = std::min({size, piece_, text_.size() - offset_, failAfter_ - offset_});
        std::memcpy(buffer, text_.data() + offset_, count);
        offset_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }
    std::string FailureReason() const override { return offset_ >= failAfter_ ? "Input/output error" : ""; }

private:
    std::string text_;
    std::size_t piece_;
    std::size_t failAfter_;
    std::size_t offset_ = 0;
};

// Files held in memory by path. A replaced file changes only on Commit(), as
// on the real file system; the switches make each step fail, each with a
// reason of its own.
class MemoryFileSystem final : public FileSystem {
public:
    std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
        readOpens.push_back(path);
        if (beforeRead) {
            beforeRead(path);
        }
        const auto found = files.find(path);
        if (folders.contains(path)) {
            failure_ = "Is a directory";
            return nullptr;
        }
        if (found == files.end()) {
            failure_ = "No such file or directory";
            return nullptr;
        }
        return std::make_unique<MemoryInputFile>(found->second, SIZE_MAX, readFailAfter);
    }
    std::unique_ptr<OutputFile> OpenForReplacing(const std::string& path) override {
        replaceOpens.push_back(path);
        if (failOpenReplacing || path.empty()) {
            failure_ = "Permission denied";
            return nullptr;
        }
        return std::make_unique<Output>(*this, path);
    }
    bool SameFile(const std::string& a, const std::string& b) override {
        return Resolved(a) == Resolved(b) && (files.contains(Resolved(a)) || folders.contains(Resolved(a)));
    }
    bool IsFolder(const std::string& path) override { return folders.contains(Resolved(path)); }
    // A path that `links` leads elsewhere, as the system would follow it.
    std::string Resolved(const std::string& path) const {
        const auto link = links.find(path);
        return link == links.end() ? path : link->second;
    }
    std::string FailureReason() const override { return failure_; }

    std::map<std::string, std::string> files;
    std::map<std::string, std::string> links;  // a path and where it leads
    std::set<std::string> folders;
    bool failOpenReplacing = false;
    std::size_t writesAllowed = SIZE_MAX;  // later writes fail
    bool failCommits = false;
    std::size_t readFailAfter = SIZE_MAX;
    std::vector<std::string> readOpens;
    std::function<void(const std::string&)> beforeRead;  // runs as a file is opened for reading
    std::vector<std::string> replaceOpens;
    std::size_t writes = 0;

private:
    class Output final : public OutputFile {
    public:
        Output(MemoryFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
        bool Write(std::string_view data) override {
            if (files_.writes++ >= files_.writesAllowed) {
                failure_ = "No space left on device";
                return false;
            }
            pending_ += data;
            return true;
        }
        bool Commit() override {
            if (files_.failCommits) {
                failure_ = "Disk quota exceeded";
                return false;
            }
            files_.files[path_] = pending_;
            return true;
        }
        std::string FailureReason() const override { return failure_; }

    private:
        MemoryFileSystem& files_;
        std::string path_;
        std::string pending_;
        std::string failure_;
    };

    std::string failure_;
};

// A settings file held in memory; nothing stands for a missing file.
class MemoryProfileStore final : public ProfileStore {
public:
    std::optional<std::string> Load() override {
        ++loads;
        return text;
    }
    bool Store(std::string_view newText) override {
        ++stores;
        if (failStores) {
            return false;
        }
        text = std::string(newText);
        return true;
    }
    std::string Location() const override { return location; }
    std::optional<std::string> text;
    std::string location;
    bool failStores = false;
    int loads = 0;
    int stores = 0;
};

class RecordingDialogs final : public FileDialogs {
public:
    std::string Ask(const FileDialogRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::vector<FileDialogRequest> requests;
    std::string answer;  // what the user picks; empty: cancelled
};

class RecordingProgram final : public ProgramControl {
public:
    void EndProgram() override { ++ends; }
    int ends = 0;
};

// The core's services over the fakes above, writing LF line ends unless
// told otherwise.
struct FakeServices {
    explicit FakeServices(std::string_view lineEnd = "\n")
        : services{messages, clock, files, settings, lineEnd} {}
    RecordingMessages messages;
    FixedClock clock{LocalTime{2026, 12, 7, 9, 30, 0}};
    MemoryFileSystem files;
    MemoryProfileStore store;
    Settings settings{store, "\n"};
    Services services;
};

// Mail programs' configuration files held in memory; a tail file exists
// when the memory file system holds it, links followed.
class MemoryMailFiles final : public MailConfigFiles {
public:
    explicit MemoryMailFiles(MemoryFileSystem& files) : files_(files) {}
    std::vector<MailConfigFile> Read() override {
        ++reads;
        return configs;
    }
    std::string HomeFolder() override { return home; }
    bool Exists(const std::string& path) override { return files_.SameFile(path, path); }

    std::vector<MailConfigFile> configs;
    std::string home = "/home/jane";
    int reads = 0;

private:
    MemoryFileSystem& files_;
};

}  // namespace tarnwick::testing
