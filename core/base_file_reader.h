// Reads the base file's lines from an InputFile, one large block at a time,
// without ever holding the whole file. CR LF, a lone CR and a lone LF each
// end a line; a last line without a line end is still a line.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/services.h"

namespace tarnwick {

class BaseFileReader {
public:
    static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

    explicit BaseFileReader(InputFile& file, std::size_t blockSize = kDefaultBlockSize);

    // Skips every line up to and including the first whose text, with spaces
    // removed at both ends, equals `trimmedLine`. False when the end of the
    // file is reached before such a line, or right after it. `trimmedLine`
    // is a start line such as "//START PRIV-2": not empty, no spaces at its
    // ends, no line end inside.
    bool SkipPastLine(std::string_view trimmedLine);

    // As SkipPastLine for the first line that equals any of `trimmedLines`,
    // which all start with the same byte; the index of the one found.
    std::optional<std::size_t> SkipPastFirstOf(std::span<const std::string_view> trimmedLines);

    // The next line without its line end; false at the end of the file. A
    // line longer than `limit` bytes is not read whole: `line` then holds its
    // first limit + 1 bytes, so that memory stays bounded whatever the file
    // holds; SkipRestOfLine then goes on past it.
    bool NextLine(std::string& line, std::size_t limit = kNoLimit);
    // Skips to just past the next line end; false at the end of the file.
    bool SkipRestOfLine();

    // True once a read of the file has failed; the reader then acts as if
    // the file ended there.
    bool ReadFailed() const { return readFailed_; }

private:
    // Reads the next block after the `keep` bytes at begin_, which move to the
    // front of the buffer; false at the end of the file or after a failure.
    bool Fill(std::size_t keep = 0);
    // Drops a byte-order mark at the very start of the file, reading on while
    // the first bytes could still be one; then as Fill.
    bool SkipByteOrderMark();
    // True at the end of the file; first drops the LF of a CR LF split across
    // two blocks.
    bool AtEnd();
    // Consumes the line end starting at `at` (CR LF, CR or LF).
    void ConsumeLineEnd(std::size_t at);

    InputFile& file_;
    std::size_t blockSize_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool eof_ = false;
    bool readFailed_ = false;
    bool skipLf_ = false;  // the last line ended with a CR: an LF next belongs to it
    bool atStart_ = true;  // nothing read yet: a byte-order mark may come
};

}  // namespace tarnwick
