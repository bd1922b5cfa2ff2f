// The tail engine: finds one slot's block in the base file, expands its
// %DATE and %TIME lines, and writes the tail file or renders a preview.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/app_state.h"
#include "core/base_file_reader.h"
#include "core/services.h"

namespace tarnwick {

struct Services;

enum class TailOutcome { Complete, StartNotFound, EndNotFound, TooLarge, ReadFailed, WriteFailed };

// The most text a block may expand to, line ends counted as one byte. A
// larger block is refused rather than streamed: a tail written in place and a
// preview hold the whole text in memory, and memory stays bounded whatever
// the base file holds.
inline constexpr std::size_t kBlockSizeLimit = std::size_t{8} << 20;

struct TailExpansion {
    TailOutcome outcome = TailOutcome::StartNotFound;
    std::string unfinished;  // the last, unfinished output line
};

// Receives each completed output line at the moment it is completed; returns
// false to stop the expansion (the output could not be written).
using CompletedLineSink = std::function<bool(std::string_view line)>;

// "yyyy.mm.dd" and "hh:nn:ss".
std::string DateText(const LocalTime& time);
std::string TimeText(const LocalTime& time);

// The line that starts the block of key name `key`: "//START " + key.
std::string StartLine(std::string_view key);

// Whether a block line ends the block: "//END" with spaces around.
bool IsEndLine(std::string_view line);

// Whether a block line is a placeholder: exactly "%DATE" or "%TIME".
bool IsPlaceholderLine(std::string_view line);

// What one line inside a block adds to the output. A placeholder line adds
// its date or time to the line being built, and the ordinary line right
// after a placeholder is joined to it too; any other ordinary line first
// completes the line being built. `joined` carries that between the lines
// of one block and starts false.
enum class BlockStep { AppendText, CompleteThenText, AppendDate, AppendTime };
BlockStep NextBlockStep(std::string_view line, bool& joined);

// Expands the block of key name `key`. The clock is read once per
// placeholder line. Stops with TooLarge once the text would exceed `limit`.
TailExpansion ExpandTailBlock(BaseFileReader& base, std::string_view key, Clock& clock,
                              const CompletedLineSink& sink, std::size_t limit = kBlockSizeLimit);

// Why a file could not be opened or used, in words that the file system
// cannot give.
inline constexpr std::string_view kNoBaseFileChosen = "No base file is chosen.";
inline constexpr std::string_view kNoTailFileChosen = "No tail file is chosen.";
inline constexpr std::string_view kTailIsBaseFile = "The tail file is the base file.";
inline constexpr std::string_view kTailIsSettingsFile = "The tail file is the settings file.";

// Why `tail` cannot be the tail file, which every slot applied overwrites:
// it is the base file or the settings file. Empty when it can be.
std::string_view TailFileClash(FileSystem& files, const std::string& tail, const std::string& base,
                               const std::string& settings);

// Why `path` could not be opened: `unchosen` when it is empty, else what the
// file system says.
std::string OpenFailureReason(std::string_view path, const FileSystem& files, std::string_view unchosen);

// A file opened for reading, or the message saying why it could not be:
// `unchosen` for an empty path, else the system's reason.
struct OpenedInput {
    std::unique_ptr<InputFile> file;  // null when it could not be opened
    std::string failure;
};
OpenedInput OpenInputFile(FileSystem& files, const std::string& path, std::string_view unchosen);

// The tail file's text as it is now. A tail not there yet is Missing, no
// failure; one of more than `limit` bytes is not read whole.
enum class TailRead { Missing, Complete, TooLong, Failed };
struct TailText {
    TailRead outcome = TailRead::Missing;
    std::string text;
    std::string failure;  // the message when Failed
};
TailText ReadTail(FileSystem& files, const std::string& path, std::size_t limit);

// Message texts (line breaks CR LF): the headline, the file, and the reason
// on a last line of its own where one is known.
std::string InputFileOpenError(std::string_view path, std::string_view reason);
std::string OutputFileOpenError(std::string_view path, std::string_view reason);
std::string InputFileReadError(std::string_view path, std::string_view reason);
std::string OutputFileWriteError(std::string_view path, std::string_view reason);
std::string StartNotFoundError(std::string_view key);
std::string EndNotFoundError();
std::string BlockTooLargeError(std::string_view key);
std::string TailSetMessage(std::string_view caption);
inline constexpr std::string_view kPreviewSavedMessage = "Set Vellicor for PreView Edit.";

// Writes the slot's expanded block into the tail file Dest and reports the
// outcome. True on success (the caller only uses it for the exit status).
bool ApplyTail(AppState& state, Services& services, int slot);

// The slot's expanded block as preview text: completed lines each followed by
// lineBreak, then the unfinished line. Failures are reported and give nothing;
// the tail file is never opened.
std::optional<std::string> PreviewTailText(AppState& state, Services& services, int slot,
                                           std::string_view lineBreak);

// Writes an edited preview text plus one line end into the tail file Dest,
// every line break (CR LF, CR or LF) written as the platform's line end.
// Refuses to overwrite the base file. True on success.
bool SavePreviewText(AppState& state, Services& services, std::string_view text);

}  // namespace tarnwick
