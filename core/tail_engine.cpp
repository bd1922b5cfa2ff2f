#include "core/tail_engine.h"

#include <algorithm>
#include <utility>

#include "core/startup.h"
#include "core/text.h"
#include "core/whole_file.h"

namespace tarnwick {
namespace {

constexpr std::string_view kStartMarker = "//START ";
constexpr std::string_view kEndLine = "//END";
constexpr std::string_view kDatePlaceholder = "%DATE";
constexpr std::string_view kTimePlaceholder = "%TIME";

// Three numbers, the first `firstWidth` digits wide and the others two,
// zero-padded and joined by `separator`.
std::string JoinPadded(int first, std::size_t firstWidth, int second, int third, char separator) {
    std::string text;
    const auto append = [&text](int value, std::size_t width) {
        const std::string digits = std::to_string(value);
        text.append(width > digits.size() ? width - digits.size() : 0, '0');
        text += digits;
    };
    append(first, firstWidth);
    text += separator;
    append(second, 2);
    text += separator;
    append(third, 2);
    return text;
}

std::string FileMessage(std::string_view headline, std::string_view path, std::string_view reason) {
    std::string text(headline);
    text += kCrLf;
    text += "FILE : ";
    text += path;
    if (!reason.empty()) {
        text += kCrLf;
        text += reason;
    }
    return text;
}

// "INPUT SOURCE ERROR !!!", CR LF, then the pieces of the detail.
std::string SourceError(std::string_view what, std::string_view line, std::string_view key = {}) {
    std::string text = "INPUT SOURCE ERROR !!!";
    text += kCrLf;
    text += what;
    text += line;
    text += key;
    return text;
}

// Runs once the base file is open and before it is read; false stops the
// run after the step has reported why.
using BeforeExpanding = std::function<bool()>;

// Opens the base file and expands the slot's block into `sink`, reporting
// every failure on the way but the sink's own, which the sink reports. The
// unfinished line when the block was complete. ApplyTail and the preview
// share this, so both report alike.
std::optional<std::string> ExpandSlot(const AppState& state, Services& services, int slot,
                                      const BeforeExpanding& beforeExpanding, const CompletedLineSink& sink) {
    const OpenedInput opened = OpenInputFile(services.files, state.Source, kNoBaseFileChosen);
    if (!opened.file) {
        services.messages.Show(opened.failure, MessageKind::Warning);
        return std::nullopt;
    }
    InputFile& input = *opened.file;
    if (beforeExpanding && !beforeExpanding()) {
        return std::nullopt;
    }
    const std::string& key = state.KeyName.at(static_cast<std::size_t>(slot));
    BaseFileReader reader(input);
    TailExpansion expansion = ExpandTailBlock(reader, key, services.clock, sink);
    switch (expansion.outcome) {
        case TailOutcome::Complete:
            return std::move(expansion.unfinished);
        case TailOutcome::StartNotFound:
            services.messages.Show(StartNotFoundError(key), MessageKind::Error);
            break;
        case TailOutcome::EndNotFound:
            services.messages.Show(EndNotFoundError(), MessageKind::Error);
            break;
        case TailOutcome::TooLarge:
            services.messages.Show(BlockTooLargeError(key), MessageKind::Error);
            break;
        case TailOutcome::ReadFailed:
            services.messages.Show(InputFileReadError(state.Source, input.FailureReason()),
                                   MessageKind::Warning);
            break;
        case TailOutcome::WriteFailed:
            break;  // the sink knows why, and has said so
    }
    return std::nullopt;
}

// Opens the tail file for replacing, refusing the base file and the settings
// file so that neither can ever be overwritten with a tail. Null after the
// failure was reported.
std::unique_ptr<OutputFile> OpenTailFile(const AppState& state, Services& services) {
    std::unique_ptr<OutputFile> output;
    std::string reason(TailFileClash(services.files, state.Dest, state.Source, services.settings.Location()));
    if (reason.empty()) {
        output = services.files.OpenForReplacing(state.Dest);
        reason = output ? std::string() : OpenFailureReason(state.Dest, services.files, kNoTailFileChosen);
    }
    if (!output) {
        services.messages.Show(OutputFileOpenError(state.Dest, reason), MessageKind::Warning);
    }
    return output;
}

void ReportWriteFailure(const AppState& state, Services& services, const OutputFile& output) {
    services.messages.Show(OutputFileWriteError(state.Dest, output.FailureReason()), MessageKind::Warning);
}

bool CommitTailFile(const AppState& state, Services& services, OutputFile& output) {
    if (!output.Commit()) {
        ReportWriteFailure(state, services, output);
        return false;
    }
    return true;
}

}  // namespace

std::string DateText(const LocalTime& time) {
    return JoinPadded(time.year, 4, time.month, time.day, '.');
}

std::string TimeText(const LocalTime& time) {
    return JoinPadded(time.hour, 2, time.minute, time.second, ':');
}

std::string StartLine(std::string_view key) {
    std::string line(kStartMarker);
    line += key;
    return line;
}

bool IsEndLine(std::string_view line) {
    return TrimSpaces(line) == kEndLine;
}

bool IsPlaceholderLine(std::string_view line) {
    return line == kDatePlaceholder || line == kTimePlaceholder;
}

BlockStep NextBlockStep(std::string_view line, bool& joined) {
    if (IsPlaceholderLine(line)) {
        joined = false;
        return line == kDatePlaceholder ? BlockStep::AppendDate : BlockStep::AppendTime;
    }
    if (joined) {
        return BlockStep::CompleteThenText;
    }
    joined = true;
    return BlockStep::AppendText;
}

TailExpansion ExpandTailBlock(BaseFileReader& base, std::string_view key, Clock& clock,
                              const CompletedLineSink& sink, std::size_t limit) {
    TailExpansion result;
    if (!base.SkipPastLine(StartLine(key))) {
        result.outcome = base.ReadFailed() ? TailOutcome::ReadFailed : TailOutcome::StartNotFound;
        return result;
    }

    std::string pending;  // the output line being built
    bool joined = false;
    bool ended = false;
    std::string line;
    std::size_t completed = 0;  // bytes of the completed lines, line ends included
    // What a next ordinary line may add: a joined pending line is completed
    // by it, with a line end.
    const auto room = [&] { return limit - std::min(limit, completed + pending.size() + (joined ? 1 : 0)); };
    // Lines are read up to the whole limit, not just the room left, so that
    // an end line is recognised however full the block. A line longer than
    // the limit, an end line too, makes the block too large, as in the
    // live-slot scan: what was read of it may look like an end line.
    while (base.NextLine(line, limit)) {
        if (line.size() > limit) {
            result.outcome = TailOutcome::TooLarge;
            return result;
        }
        if (IsEndLine(line)) {
            ended = true;
            break;
        }
        if (!IsPlaceholderLine(line) && line.size() > room()) {
            result.outcome = TailOutcome::TooLarge;
            return result;
        }
        const BlockStep step = NextBlockStep(line, joined);
        switch (step) {
            case BlockStep::AppendDate:
            case BlockStep::AppendTime: {
                const LocalTime now = clock.Now();
                const std::string stamp = step == BlockStep::AppendDate ? DateText(now) : TimeText(now);
                // A block of nothing but placeholders grows too, by more
                // than its own size.
                if (completed + pending.size() + stamp.size() > limit) {
                    result.outcome = TailOutcome::TooLarge;
                    return result;
                }
                pending += stamp;
                break;
            }
            case BlockStep::CompleteThenText:
                if (!sink(pending)) {
                    result.outcome = TailOutcome::WriteFailed;
                    return result;
                }
                completed += pending.size() + 1;
                pending.swap(line);
                break;
            case BlockStep::AppendText:
                pending += line;
                break;
        }
    }
    // A failed read looks like the end of the file to the reader; the block
    // may well have gone on.
    if (base.ReadFailed()) {
        result.outcome = TailOutcome::ReadFailed;
        return result;
    }
    result.outcome = ended ? TailOutcome::Complete : TailOutcome::EndNotFound;
    result.unfinished = std::move(pending);
    return result;
}

std::string_view TailFileClash(FileSystem& files, const std::string& tail, const std::string& base,
                               const std::string& settings) {
    // Two spellings of a file not there yet are told apart by the spelling alone.
    if ((!tail.empty() && tail == base) || files.SameFile(tail, base)) {
        return kTailIsBaseFile;
    }
    if (files.SameFile(tail, settings)) {
        return kTailIsSettingsFile;
    }
    return {};
}

std::string OpenFailureReason(std::string_view path, const FileSystem& files, std::string_view unchosen) {
    return path.empty() ? std::string(unchosen) : files.FailureReason();
}

OpenedInput OpenInputFile(FileSystem& files, const std::string& path, std::string_view unchosen) {
    OpenedInput result{files.OpenForReading(path), {}};
    if (!result.file) {
        result.failure = InputFileOpenError(path, OpenFailureReason(path, files, unchosen));
    }
    return result;
}

TailText ReadTail(FileSystem& files, const std::string& path, std::size_t limit) {
    TailText result;
    // SameFile holds for any existing file and itself.
    if (!files.SameFile(path, path)) {
        return result;
    }
    const OpenedInput input = OpenInputFile(files, path, kNoTailFileChosen);
    if (!input.file) {
        result.outcome = TailRead::Failed;
        result.failure = input.failure;
        return result;
    }
    switch (ReadWholeFile(*input.file, limit, result.text)) {
        case WholeFileRead::Complete:
            result.outcome = TailRead::Complete;
            break;
        case WholeFileRead::Failed:
            result.outcome = TailRead::Failed;
            result.failure = InputFileReadError(path, input.file->FailureReason());
            break;
        case WholeFileRead::TooLong:
            result.outcome = TailRead::TooLong;
            break;
    }
    return result;
}

std::string InputFileOpenError(std::string_view path, std::string_view reason) {
    return FileMessage("INPUT FILE OPEN ERROR !!!", path, reason);
}

std::string OutputFileOpenError(std::string_view path, std::string_view reason) {
    return FileMessage("OUTPUT FILE OPEN ERROR !!!", path, reason);
}

std::string InputFileReadError(std::string_view path, std::string_view reason) {
    return FileMessage("INPUT FILE READ ERROR !!!", path, reason);
}

std::string OutputFileWriteError(std::string_view path, std::string_view reason) {
    return FileMessage("OUTPUT FILE WRITE ERROR !!!", path, reason);
}

std::string StartNotFoundError(std::string_view key) {
    return SourceError("NOT FOUND - ", kStartMarker, key);
}

std::string EndNotFoundError() {
    return SourceError("NOT FOUND - ", kEndLine);
}

std::string BlockTooLargeError(std::string_view key) {
    return SourceError("BLOCK LARGER THAN 8 MiB - ", kStartMarker, key);
}

std::string TailSetMessage(std::string_view caption) {
    std::string text = "Set Vellicor for [ ";
    text += caption;
    text += " ].";
    return text;
}

bool ApplyTail(AppState& state, Services& services, int slot) {
    std::unique_ptr<OutputFile> output;
    const auto openTail = [&] {
        output = OpenTailFile(state, services);
        return output != nullptr;
    };
    const auto writeLine = [&](std::string_view line) {
        if (output->Write(line) && output->Write(services.lineEnd)) {
            return true;
        }
        ReportWriteFailure(state, services, *output);
        return false;
    };

    const std::optional<std::string> unfinished = ExpandSlot(state, services, slot, openTail, writeLine);
    if (!unfinished) {
        return false;  // reported; the uncommitted tail file is dropped unchanged
    }
    if (!unfinished->empty() && !writeLine(*unfinished)) {
        return false;
    }
    if (!CommitTailFile(state, services, *output)) {
        return false;
    }
    if (state.NoMsg == kFlagOff) {
        services.messages.Show(TailSetMessage(state.Caption.at(static_cast<std::size_t>(slot))),
                               MessageKind::Information);
    }
    return true;
}

std::optional<std::string> PreviewTailText(AppState& state, Services& services, int slot,
                                           std::string_view lineBreak) {
    std::string text;
    const auto addLine = [&](std::string_view line) {
        text += line;
        text += lineBreak;
        return true;
    };
    const std::optional<std::string> unfinished = ExpandSlot(state, services, slot, {}, addLine);
    if (!unfinished) {
        return std::nullopt;
    }
    text += *unfinished;
    return text;
}

bool SavePreviewText(AppState& state, Services& services, std::string_view text) {
    const std::unique_ptr<OutputFile> output = OpenTailFile(state, services);
    if (!output) {
        return false;
    }
    // The text box may hold any mix of line breaks; the tail file gets the
    // platform's line end throughout.
    std::string converted = WithLineEnds(text, services.lineEnd);
    converted += services.lineEnd;
    if (!output->Write(converted)) {
        ReportWriteFailure(state, services, *output);
        return false;
    }
    if (!CommitTailFile(state, services, *output)) {
        return false;
    }
    if (state.NoMsg == kFlagOff) {
        services.messages.Show(kPreviewSavedMessage, MessageKind::Information);
    }
    return true;
}

}  // namespace tarnwick
