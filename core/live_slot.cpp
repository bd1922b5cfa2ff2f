#include "core/live_slot.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "core/text.h"

namespace tarnwick {
namespace {

// The forms a %DATE and a %TIME expansion take; '9' stands for any digit.
constexpr std::string_view kDateForm = "9999.99.99";
constexpr std::string_view kTimeForm = "99:99:99";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares one slot's expansion, piece by piece as the block is read, with
// the tail's text.
class TailComparison {
public:
    explicit TailComparison(std::string_view tail) : tail_(tail) {}

    void Text(std::string_view text) {
        Consume(text.size(), [text](std::string_view held) { return held == text; });
        lineOpen_ = lineOpen_ || !text.empty();
    }
    void Date() { Stamp(kDateForm, date_); }
    void Time() { Stamp(kTimeForm, time_); }
    void LineEnd() {
        Consume(1, [](std::string_view held) { return held == "\n"; });
        lineOpen_ = false;
    }

    // At the end line: the unfinished line is written only when not empty.
    bool Finish() {
        if (lineOpen_) {
            LineEnd();
        }
        return equal_ && at_ == tail_.size();
    }

    // The bytes the expansion has given so far.
    std::size_t Expanded() const { return at_; }

    const std::string& SeenDate() const { return date_; }
    const std::string& SeenTime() const { return time_; }

private:
    // Takes the next `size` bytes of the tail when `fits` accepts them.
    template <typename Fits>
    void Consume(std::size_t size, const Fits& fits) {
        const std::string_view held = tail_.substr(std::min(at_, tail_.size()), size);
        equal_ = equal_ && held.size() == size && fits(held);
        at_ += size;
    }

    // Any date or time of the form; the first one seen is kept.
    void Stamp(std::string_view form, std::string& seen) {
        Consume(form.size(), [&](std::string_view held) {
            if (!std::equal(form.begin(), form.end(), held.begin(),
                            [](char f, char c) { return f == '9' ? IsDigit(c) : f == c; })) {
                return false;
            }
            if (seen.empty()) {
                seen = held;
            }
            return true;
        });
        lineOpen_ = true;
    }

    std::string_view tail_;
    std::size_t at_ = 0;
    bool equal_ = true;
    bool lineOpen_ = false;  // the line being built is not empty
    std::string date_;
    std::string time_;
};

// One slot's way through the base file: waiting for its start line, inside
// its block, or done.
class SlotTrack {
public:
    SlotTrack(std::string startLine, std::string_view tail)
        : startLine_(std::move(startLine)), comparison_(tail) {}

    const std::string& StartLineText() const { return startLine_; }
    const std::string& StrayStartLine() const { return strayStartLine_; }
    bool Waiting() const { return phase_ == Phase::Waiting; }
    bool Open() const { return phase_ == Phase::Open; }
    bool Matched() const { return matched_; }
    BlockPresence Presence() const { return presence_; }
    const TailComparison& Comparison() const { return comparison_; }

    void Start() { phase_ = Phase::Open; }

    // A start line met inside the open block; the first of another slot is kept.
    void NoteStartLine(std::string_view line) {
        if (strayStartLine_.empty() && line != startLine_) {
            strayStartLine_ = line;
        }
    }

    void Feed(std::string_view line) {
        // A line cut at the limit may look like an end line; as when the
        // slot is applied, it makes the block too large.
        if (line.size() > kBlockSizeLimit) {
            presence_ = BlockPresence::TooLarge;
            phase_ = Phase::Done;
            return;
        }
        if (IsEndLine(line)) {
            matched_ = comparison_.Finish();
            presence_ = BlockPresence::Found;
            phase_ = Phase::Done;
            return;
        }
        sawLine_ = true;
        switch (NextBlockStep(line, joined_)) {
            case BlockStep::AppendDate:
                comparison_.Date();
                break;
            case BlockStep::AppendTime:
                comparison_.Time();
                break;
            case BlockStep::CompleteThenText:
                comparison_.LineEnd();
                comparison_.Text(line);
                break;
            case BlockStep::AppendText:
                comparison_.Text(line);
                break;
        }
        // As when the slot is applied, a line that takes the expansion past
        // the limit makes the block too large to use.
        if (comparison_.Expanded() > kBlockSizeLimit) {
            presence_ = BlockPresence::TooLarge;
            phase_ = Phase::Done;
        }
    }

    // The base file ended inside the block. As when a slot is applied, a
    // start line with nothing after it counts as not found.
    void EndOfFile() {
        if (phase_ == Phase::Open) {
            presence_ = sawLine_ ? BlockPresence::NoEndLine : BlockPresence::NoStartLine;
        }
    }

private:
    enum class Phase { Waiting, Open, Done };
    std::string startLine_;
    std::string strayStartLine_;
    TailComparison comparison_;
    Phase phase_ = Phase::Waiting;
    bool joined_ = false;
    bool sawLine_ = false;
    bool matched_ = false;
    BlockPresence presence_ = BlockPresence::NoStartLine;
};

// Skips to the next start line of a slot still waiting, and starts it;
// false when no slot waits or none of their start lines follows.
bool StartNextBlock(BaseFileReader& base, std::vector<SlotTrack>& tracks) {
    std::vector<std::string_view> startLines;
    std::vector<SlotTrack*> waiting;
    for (SlotTrack& track : tracks) {
        if (track.Waiting()) {
            startLines.push_back(track.StartLineText());
            waiting.push_back(&track);
        }
    }
    const std::optional<std::size_t> found = base.SkipPastFirstOf(startLines);
    if (found) {
        waiting[*found]->Start();
    }
    return found.has_value();
}

// Gives one line to every open block, then starts the waiting slots whose
// start line it is; false at the end of the file.
bool FeedNextLine(BaseFileReader& base, std::vector<SlotTrack>& tracks, std::string& line) {
    if (!base.NextLine(line, kBlockSizeLimit)) {
        return false;
    }
    const std::string_view trimmed = TrimSpaces(line);
    const bool startLine = std::any_of(tracks.begin(), tracks.end(), [trimmed](const SlotTrack& track) {
        return trimmed == track.StartLineText();
    });
    for (SlotTrack& track : tracks) {
        if (track.Open()) {
            if (startLine) {
                track.NoteStartLine(trimmed);
            }
            track.Feed(line);
        } else if (track.Waiting() && trimmed == track.StartLineText()) {
            track.Start();  // the next line is its first
        }
    }
    // A line cut at the limit has made every open block too large; the
    // blocks after it are still to be found.
    return line.size() <= kBlockSizeLimit || base.SkipRestOfLine();
}

}  // namespace

SlotScan ScanSlots(BaseFileReader& base, const std::array<std::string, 8>& keyNames, std::string_view tail) {
    // A tail saved again with other line ends still compares equal, and so
    // does one whose last line has lost its line end, as a hand-written
    // signature often has: an expansion always ends its last line. Only the
    // line end may be missing, not an empty last line as well.
    std::string lfTail = WithLineEnds(tail, "\n");
    EndLastLine(lfTail);
    std::vector<SlotTrack> tracks;
    tracks.reserve(kSlotCount);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        tracks.emplace_back(StartLine(keyNames.at(static_cast<std::size_t>(slot))), lfTail);
    }
    const auto anyOpen = [&tracks] {
        return std::any_of(tracks.begin(), tracks.end(), [](const SlotTrack& track) { return track.Open(); });
    };
    std::string line;
    for (bool more = true; more;) {
        more = anyOpen() ? FeedNextLine(base, tracks, line) : StartNextBlock(base, tracks);
    }

    SlotScan scan;
    scan.readFailed = base.ReadFailed();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SlotTrack& track = tracks[static_cast<std::size_t>(slot)];
        track.EndOfFile();
        scan.blocks[static_cast<std::size_t>(slot)] = track.Presence();
        if (track.Presence() == BlockPresence::Found) {
            scan.strayStartLines[static_cast<std::size_t>(slot)] = track.StrayStartLine();
        }
        if (!scan.live && track.Matched()) {
            scan.live = slot;
            scan.date = track.Comparison().SeenDate();
            scan.time = track.Comparison().SeenTime();
        }
    }
    return scan;
}

LiveTail ScanBaseFile(const AppState& state, FileSystem& files, std::string_view tail) {
    LiveTail result;
    const OpenedInput input = OpenInputFile(files, state.Source, kNoBaseFileChosen);
    if (!input.file) {
        result.failure = input.failure;
        return result;
    }
    BaseFileReader reader(*input.file);
    result.scan = ScanSlots(reader, state.KeyName, tail);
    if (result.scan.readFailed) {
        result.failure = InputFileReadError(state.Source, input.file->FailureReason());
        return result;
    }
    result.outcome = result.scan.live ? LiveOutcome::Slot : LiveOutcome::NoneOfTheSeven;
    return result;
}

LiveTail FindLiveTail(const AppState& state, FileSystem& files) {
    LiveTail result;
    TailText tail = ReadTail(files, state.Dest, kLongestLiveTail);
    switch (tail.outcome) {
        case TailRead::Complete:
            break;
        case TailRead::Missing:
            result.outcome = LiveOutcome::NoTailFile;
            return result;
        case TailRead::Failed:
            result.failure = std::move(tail.failure);
            return result;
        case TailRead::TooLong:
            result.outcome = LiveOutcome::NoneOfTheSeven;
            return result;
    }
    return ScanBaseFile(state, files, tail.text);
}

}  // namespace tarnwick
