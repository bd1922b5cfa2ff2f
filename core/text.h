// Small text rules shared by every part of the program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The line end written into text files: mail programs on Linux and macOS read
// signature files with LF ends.
#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

// The blanks that settings and configuration files trim: space, tab and
// vertical tab.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

// The text without its leading blanks, or without blanks at both ends.
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimBlanks(std::string_view text);

// A UTF-8 byte-order mark, which some editors put at the start of a text
// file; it belongs to no line.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Where the text starts after a byte-order mark, if any.
std::size_t BodyStart(std::string_view text);

// Line break inside a message text.
inline constexpr std::string_view kCrLf = "\r\n";

// CR and LF: a lone CR, a lone LF and CR LF each end a line.
inline bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// One line of a text.
struct TextLine {
    std::string_view content;  // without the line end
    std::size_t next;          // offset just past the line end
};

// The line starting at `begin`; the last line may have no end.
TextLine LineAt(std::string_view text, std::size_t begin);

// The text's lines without their ends; a last line end ends the last line and
// starts no new one.
std::vector<std::string_view> SplitLines(std::string_view text);

// The text with every line end (CR LF, a lone CR, a lone LF) written as
// `lineEnd`.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

// Gives the last line of an LF-ended text its LF where it has none; an empty
// text has no line to end.
void EndLastLine(std::string& text);

// Removes the ASCII space at both ends; tabs and other blanks stay.
std::string_view TrimSpaces(std::string_view text);

// Upper-cases ASCII letters only; every other byte is kept.
std::string ToUpperAscii(std::string_view text);

}  // namespace tarnwick
