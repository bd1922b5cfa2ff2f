#include "core/first_start.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/app_state.h"
#include "core/startup.h"
#include "core/tail_engine.h"
#include "core/text.h"

namespace tarnwick {
namespace {

constexpr int kFirstPrivateSlot = 2;
constexpr std::size_t kLongestKeptTail = 2 * kBlockSizeLimit;

struct BlockLines {
    std::size_t first = 0;  // the line after the start line
    std::size_t end = 0;    // the end line
};

// Where the block of `key` lies, found as a slot is applied: after the
// first start line, up to the next end line.
std::optional<BlockLines> FindBlock(const std::vector<std::string_view>& lines, std::string_view key) {
    const std::string start = StartLine(key);
    const auto startLine = std::find_if(
        lines.begin(), lines.end(), [&start](std::string_view line) { return TrimSpaces(line) == start; });
    if (startLine == lines.end()) {
        return std::nullopt;
    }
    const auto endLine = std::find_if(startLine + 1, lines.end(), IsEndLine);
    if (endLine == lines.end()) {
        return std::nullopt;
    }
    return BlockLines{static_cast<std::size_t>(startLine + 1 - lines.begin()),
                      static_cast<std::size_t>(endLine - lines.begin())};
}

// What a line of the tail would be taken for inside a block, other than
// text; nothing for a line kept as it is.
std::optional<std::string_view> MisreadAs(std::string_view line) {
    if (IsEndLine(line)) {
        return "the block's end line";
    }
    if (IsPlaceholderLine(line)) {
        return "a date or time placeholder";
    }
    // Another slot's start line inside the block would start that slot there.
    const std::string_view trimmed = TrimSpaces(line);
    if (std::any_of(kSlotKeyNames.begin(), kSlotKeyNames.end(),
                    [trimmed](std::string_view key) { return trimmed == StartLine(key); })) {
        return "a block's start line";
    }
    return std::nullopt;
}

std::string MisreadRefusal(std::size_t lineNumber, std::string_view what) {
    std::string text = "Line ";
    text += std::to_string(lineNumber);
    text += " of the tail file would be read as ";
    text += what;
    text +=
        ", so its text cannot be kept word for word as a block. Edit the tail file, or go on without "
        "keeping its text.";
    return text;
}

constexpr std::string_view kTailTooLarge =
    "The tail file holds more than 8 MiB, more than a block may hold, so its text cannot be kept.";

// The block lines that expand to `lines`, each followed by a line end: an
// empty last line gives no line end of its own, so one more is needed.
std::vector<std::string_view> BlockFor(std::vector<std::string_view> lines) {
    if (!lines.empty() && lines.back().empty()) {
        lines.emplace_back();
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string_view>& lines, std::string_view lineEnd) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

bool WriteNewBaseFile(FileSystem& files, MessageService& messages, const std::string& path,
                      std::string_view text) {
    if (files.SameFile(path, path)) {
        messages.Show(BaseFileExistsError(path), MessageKind::Warning);
        return false;
    }
    const std::unique_ptr<OutputFile> output = files.OpenForReplacing(path);
    if (!output) {
        messages.Show(OutputFileOpenError(path, OpenFailureReason(path, files, kNoBaseFileChosen)),
                      MessageKind::Warning);
        return false;
    }
    if (!output->Write(text) || !output->Commit()) {
        messages.Show(OutputFileWriteError(path, output->FailureReason()), MessageKind::Warning);
        return false;
    }
    return true;
}

// The example's text, with the tail's text kept where the plan asks; none
// after the reason was reported.
std::optional<std::string> NewBaseText(const FirstStartPlan& plan, std::string_view exampleText,
                                       const std::array<std::string, 8>& keyNames, Services& services) {
    std::string text = WithLineEnds(exampleText, services.lineEnd);
    if (!plan.keepSlot || !HoldsText(plan.tailText)) {
        return text;  // nothing to keep
    }
    BlockImport kept = KeepTailAsBlock(text, keyNames.at(static_cast<std::size_t>(*plan.keepSlot)),
                                       plan.tailText, services.lineEnd);
    if (!kept.text) {
        services.messages.Show(kept.refusal, MessageKind::Warning);
    }
    return std::move(kept.text);
}

}  // namespace

bool HoldsText(std::string_view tail) {
    return tail.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

int DefaultKeepSlot(std::string_view baseText, const std::array<std::string, 8>& keyNames) {
    const std::vector<std::string_view> lines = SplitLines(baseText);
    for (int slot = kFirstPrivateSlot; slot < kSlotCount; ++slot) {
        const std::optional<BlockLines> block = FindBlock(lines, keyNames.at(static_cast<std::size_t>(slot)));
        if (block && std::none_of(lines.begin() + static_cast<std::ptrdiff_t>(block->first),
                                  lines.begin() + static_cast<std::ptrdiff_t>(block->end), HoldsText)) {
            return slot;
        }
    }
    return kFirstPrivateSlot;
}

BlockImport KeepTailAsBlock(std::string_view baseText, std::string_view key, std::string_view tail,
                            std::string_view lineEnd) {
    BlockImport result;
    const std::vector<std::string_view> tailLines = SplitLines(tail);
    // The expansion ends each line with one byte, the last line too.
    std::size_t expanded = 0;
    for (const std::string_view line : tailLines) {
        expanded += line.size() + 1;
    }
    if (expanded > kBlockSizeLimit) {
        result.refusal = kTailTooLarge;
        return result;
    }
    for (std::size_t at = 0; at < tailLines.size(); ++at) {
        if (const std::optional<std::string_view> what = MisreadAs(tailLines[at])) {
            result.refusal = MisreadRefusal(at + 1, *what);
            return result;
        }
    }
    std::vector<std::string_view> lines = SplitLines(baseText);
    const std::optional<BlockLines> block = FindBlock(lines, key);
    if (!block) {
        result.refusal = "The base file has no complete block for ";
        result.refusal += key;
        result.refusal += '.';
        return result;
    }
    const std::vector<std::string_view> blockLines = BlockFor(tailLines);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(block->first),
                lines.begin() + static_cast<std::ptrdiff_t>(block->end));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(block->first), blockLines.begin(),
                 blockLines.end());
    result.text = JoinLines(lines, lineEnd);
    return result;
}

TailReading ReadTailFile(FileSystem& files, const std::string& path) {
    TailText read = ReadTail(files, path, kLongestKeptTail);
    TailReading result;
    result.text = std::move(read.text);
    switch (read.outcome) {
        case TailRead::Missing:
            break;
        case TailRead::Complete:
            result.content = HoldsText(result.text) ? TailContent::Text : TailContent::Empty;
            break;
        case TailRead::Failed:
            result.content = TailContent::Unreadable;
            result.failure = std::move(read.failure);
            break;
        case TailRead::TooLong:
            result.content = TailContent::Unreadable;
            result.failure = kTailTooLarge;
            break;
    }
    return result;
}

std::string BaseFileExistsError(std::string_view path) {
    std::string text =
        "A file is already there, and it is kept as it is. Choose another place for the new base file, or "
        "choose that file as an existing base file.";
    text += kCrLf;
    text += "FILE : ";
    text += path;
    return text;
}

bool CarryOutFirstStart(const FirstStartPlan& plan, std::string_view exampleText,
                        const std::array<std::string, 8>& keyNames, Services& services) {
    const auto refuse = [&services](std::string_view text) {
        services.messages.Show(text, MessageKind::Warning);
        return false;
    };
    if (plan.tailPath.empty()) {
        return refuse(kNoTailChosen);
    }
    if (services.files.IsFolder(plan.tailPath)) {
        return refuse(kTailIsFolder);
    }
    if (plan.basePath.empty()) {
        return refuse(kNoBaseChosen);
    }
    if (const std::string_view clash =
            TailFileClash(services.files, plan.tailPath, plan.basePath, services.settings.Location());
        !clash.empty()) {
        return refuse(clash);
    }
    if (!plan.newBase) {
        const OpenedInput base = OpenInputFile(services.files, plan.basePath, kNoBaseFileChosen);
        return base.file ? true : refuse(base.failure);
    }
    // An empty base file would hold no slot at all.
    if (exampleText.empty()) {
        return refuse(kNoExample);
    }
    const std::optional<std::string> text = NewBaseText(plan, exampleText, keyNames, services);
    return text && WriteNewBaseFile(services.files, services.messages, plan.basePath, *text);
}

}  // namespace tarnwick
