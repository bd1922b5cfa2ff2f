// Setting up at the first start: a new base file made from the example, with
// the text the tail file holds today kept word for word as one slot's block.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/services.h"

namespace tarnwick {

struct Services;

// Whether a tail holds anything worth keeping: a byte other than a space, a
// tab or a line end.
bool HoldsText(std::string_view tail);

// The slot a kept tail goes to unless the user picks another: the first
// private slot whose block in `baseText` has nothing but blank lines, else
// the first private slot.
int DefaultKeepSlot(std::string_view baseText, const std::array<std::string, 8>& keyNames);

struct BlockImport {
    std::optional<std::string> text;  // the new base file's text; none when refused
    std::string refusal;              // why the tail cannot be kept
};

// `baseText` with the block of `key` holding the lines of `tail`, so that the
// block expands to exactly the tail's text (its last line ended), every line
// end written as `lineEnd`. Refused when a line of the tail would be read as
// an end line, a start line or a placeholder line, when the tail is larger
// than a block may be, or when `baseText` has no complete block for `key`.
BlockImport KeepTailAsBlock(std::string_view baseText, std::string_view key, std::string_view tail,
                            std::string_view lineEnd);

enum class TailContent { Missing, Text, Empty, Unreadable };

struct TailReading {
    TailContent content = TailContent::Missing;
    std::string text;
    std::string failure;  // the message when it cannot be read
};

// Reads the tail file as it is now, for keeping its text. A tail of more
// than twice what a block may hold (CR LF ends take two bytes on file, one
// in a block) is read no further than that, and cannot be read.
TailReading ReadTailFile(FileSystem& files, const std::string& path);

// What the user chose.
struct FirstStartPlan {
    std::string tailPath;
    std::string basePath;
    bool newBase = true;          // make basePath from the example, else use the file there
    std::optional<int> keepSlot;  // keep the tail's text as this slot's block
    std::string tailText = {};    // that text, as read and shown when the choice was made
};

// Message texts (line breaks CR LF).
inline constexpr std::string_view kNoTailChosen =
    "Choose the tail file: the file your mail program reads its signature from.";
inline constexpr std::string_view kNoBaseChosen =
    "Choose where the new base file goes, or an existing base file.";
inline constexpr std::string_view kNoExample =
    "The example base file the program carries cannot be read, so no new base file can be made. Choose "
    "an existing base file.";
inline constexpr std::string_view kTailIsFolder = "The tail file is a folder. Choose a file.";
std::string BaseFileExistsError(std::string_view path);

// Carries the plan out: makes the new base file, never over an existing file,
// keeping the plan's tail text where asked; or checks that the existing base
// file can be read. The tail file is left alone. Every failure is reported,
// with nothing written; true when both paths can be used.
bool CarryOutFirstStart(const FirstStartPlan& plan, std::string_view exampleText,
                        const std::array<std::string, 8>& keyNames, Services& services);

}  // namespace tarnwick
