// Recording fakes of the services, shared by the tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/services.h"

namespace tarnwick::testing {

struct RecordedMessage {
    std::string text;
    MessageKind kind;
    bool operator==(const RecordedMessage&) const = default;
};

class RecordingMessages final : public MessageService {
public:
    void Show(std::string_view text, MessageKind kind) override { shown.push_back({std::string(text), kind}); }
    std::vector<RecordedMessage> shown;
};

// A clock that returns the given times in turn, then keeps the last one.
class FixedClock final : public Clock {
public:
    explicit FixedClock(std::vector<LocalTime> times) : times_(std::move(times)) {}
    explicit FixedClock(LocalTime time) : times_{time} {}
    LocalTime Now() override {
        ++reads;
        const LocalTime now = times_[std::min(next_, times_.size() - 1)];
        ++next_;
        return now;
    }
    int reads = 0;

private:
    std::vector<LocalTime> times_;
    std::size_t next_ = 0;
};

// An input file over a text, read in pieces of at most `piece` bytes; it can
// fail after `failAfter` bytes.
class MemoryInputFile final : public InputFile {
public:
    explicit MemoryInputFile(std::string text, std::size_t piece = SIZE_MAX,
                             std::size_t failAfter = SIZE_MAX)
        : text_(std::move(text)), piece_(piece), failAfter_(failAfter) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        if (offset_ >= failAfter_) {
            return -1;
        }
        const std::size_t count =
            std::min({size, piece_, text_.size() - offset_, failAfter_ - offset_});
        std::memcpy(buffer, text_.data() + offset_, count);
        offset_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }

private:
    std::string text_;
    std::size_t piece_;
    std::size_t failAfter_;
    std::size_t offset_ = 0;
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
    std::optional<std::string> text;
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

}  // namespace tarnwick::testing
