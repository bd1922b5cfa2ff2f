#include "core/base_file_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/text.h"

namespace tarnwick {
namespace {

// How often a byte turns up in ordinary mail text, roughly (higher: more
// often). The search below looks for the needle's least common byte.
int Commonness(unsigned char c) {
    static constexpr std::string_view kFrequentLower = "etaoinsrhldcu";  // most frequent first
    static constexpr std::string_view kRareUpper = "JQVXZ";
    if (c == ' ') {
        return 100;
    }
    if (c >= 'a' && c <= 'z') {
        const auto rank = kFrequentLower.find(static_cast<char>(c));
        return rank == std::string_view::npos ? 70 : 90 - static_cast<int>(rank);
    }
    if (c == '\n' || c == '\r' || c == '.' || c == ',' || c == '-' || (c >= '0' && c <= '9')) {
        return 50;
    }
    if (c >= 0x80) {
        return 45;  // text in other scripts
    }
    if (c >= 'A' && c <= 'Z') {
        return kRareUpper.find(static_cast<char>(c)) == std::string_view::npos ? 35 : 15;
    }
    return 25;  // other punctuation and control bytes
}

// Finds a fixed text in a block at memchr speed: jumps between occurrences of
// the text's least common byte and compares the whole text only there.
class NeedleSearch {
public:
    explicit NeedleSearch(std::string_view needle) : needle_(needle) {
        for (std::size_t i = 1; i < needle_.size(); ++i) {
            if (Commonness(static_cast<unsigned char>(needle_[i])) <
                Commonness(static_cast<unsigned char>(needle_[rare_]))) {
                rare_ = i;
            }
        }
    }

    // The first occurrence in [first, last), or last when there is none.
    const char* Find(const char* first, const char* last) const {
        const std::size_t size = needle_.size();
        if (static_cast<std::size_t>(last - first) < size) {
            return last;
        }
        // The rare byte of an occurrence that fits lies before `stop`.
        const char* const stop = last - (size - 1 - rare_);
        const char* at = first + rare_;
        while (at < stop) {
            at = static_cast<const char*>(
                std::memchr(at, needle_[rare_], static_cast<std::size_t>(stop - at)));
            if (at == nullptr) {
                return last;
            }
            const char* const start = at - rare_;
            if (std::memcmp(start, needle_.data(), size) == 0) {
                return start;
            }
            ++at;
        }
        return last;
    }

private:
    std::string_view needle_;
    std::size_t rare_ = 0;
};

std::size_t CommonPrefixSize(std::string_view a, std::string_view b) {
    return static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

struct LineMatch {
    std::optional<std::size_t> index;  // the line that `text` starts with, spaces and a line end after it
    std::size_t lineEndOffset = 0;     // where that line end is in `text`
    bool unfinished = false;           // `text` ends before it can tell
};

// Which of `lines` the text at a line's start holds up to a line end, with
// only spaces between.
LineMatch MatchAt(std::string_view text, std::span<const std::string_view> lines) {
    LineMatch match;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (text.size() <= lines[i].size()) {
            match.unfinished = match.unfinished || lines[i].starts_with(text);
            continue;
        }
        if (!text.starts_with(lines[i])) {
            continue;
        }
        const std::size_t after = std::min(text.find_first_not_of(' ', lines[i].size()), text.size());
        if (after == text.size()) {
            match.unfinished = true;
        } else if (IsLineEnd(text[after])) {
            match.index = i;
            match.lineEndOffset = after;
            return match;
        }
    }
    return match;
}

// How much of an unfinished line's text (after its leading spaces) to keep
// for the next block: all of it while it is the start of a line sought, the
// line alone when only spaces follow it; nothing when it can match no more.
std::optional<std::size_t> KeptSize(std::string_view rest, std::span<const std::string_view> lines) {
    std::optional<std::size_t> keep;
    for (const std::string_view line : lines) {
        const bool live = rest.size() <= line.size()
                              ? line.starts_with(rest)
                              : rest.starts_with(line) &&
                                    rest.find_first_not_of(' ', line.size()) == std::string_view::npos;
        if (live) {
            keep = std::max(keep.value_or(0), std::min(rest.size(), line.size()));
        }
    }
    return keep;
}

}  // namespace

BaseFileReader::BaseFileReader(InputFile& file, std::size_t blockSize)
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)) {}

bool BaseFileReader::Fill(std::size_t keep) {
    if (eof_ || readFailed_) {
        return false;
    }
    if (capacity_ < keep + blockSize_) {
        // Room for the start of a start line carried over from the block
        // before, so the buffer is allocated once. Left unfilled: a small
        // file touches only the pages its read fills, not the whole block.
        constexpr std::size_t kCarryRoom = 256;
        const std::size_t capacity = std::max(keep, kCarryRoom) + blockSize_;
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (keep > 0) {
            std::memcpy(grown.get(), buffer_.get() + begin_, keep);
        }
        buffer_ = std::move(grown);
        capacity_ = capacity;
    } else if (keep > 0 && begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, keep);
    }
    begin_ = 0;
    end_ = keep;
    const std::ptrdiff_t count = file_.Read(buffer_.get() + keep, blockSize_);
    if (count < 0) {
        readFailed_ = true;
        return false;
    }
    if (count == 0) {
        eof_ = true;
        return false;
    }
    end_ = keep + std::min(static_cast<std::size_t>(count), blockSize_);
    return atStart_ ? SkipByteOrderMark() : true;
}

bool BaseFileReader::SkipByteOrderMark() {
    atStart_ = false;
    while (end_ < kUtf8Bom.size() && kUtf8Bom.starts_with(std::string_view(buffer_.get(), end_))) {
        const std::ptrdiff_t count = file_.Read(buffer_.get() + end_, capacity_ - end_);
        if (count < 0) {
            readFailed_ = true;
            return false;
        }
        if (count == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(count);
    }
    if (std::string_view(buffer_.get(), end_).starts_with(kUtf8Bom)) {
        begin_ = kUtf8Bom.size();
    }
    // A file of nothing but the mark: what follows decides.
    return begin_ < end_ || Fill();
}

bool BaseFileReader::AtEnd() {
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            return true;
        }
        if (!skipLf_) {
            return false;
        }
        skipLf_ = false;
        if (buffer_[begin_] == '\n') {
            ++begin_;
        }
    }
}

void BaseFileReader::ConsumeLineEnd(std::size_t at) {
    begin_ = at + 1;
    const bool cr = buffer_[at] == '\r';
    // A CR that ends the block may be the first half of a CR LF.
    skipLf_ = cr && begin_ == end_;
    if (cr && begin_ < end_ && buffer_[begin_] == '\n') {
        ++begin_;
    }
}

bool BaseFileReader::NextLine(std::string& line, std::size_t limit) {
    line.clear();
    if (AtEnd()) {
        return false;
    }
    for (;;) {
        const char* const first = buffer_.get() + begin_;
        const char* const last = buffer_.get() + end_;
        const char* const stop = std::find_if(first, last, IsLineEnd);
        const auto size = static_cast<std::size_t>(stop - first);
        if (size > limit - line.size()) {
            const std::size_t taken = limit - line.size() + 1;
            line.append(first, taken);
            begin_ += taken;
            return true;
        }
        line.append(first, stop);
        if (stop != last) {
            ConsumeLineEnd(static_cast<std::size_t>(stop - buffer_.get()));
            return true;
        }
        begin_ = end_;
        if (!Fill()) {
            return true;  // the last line has no line end
        }
    }
}

bool BaseFileReader::SkipRestOfLine() {
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            return false;
        }
        const char* const first = buffer_.get() + begin_;
        const auto size = end_ - begin_;
        const auto* lf = static_cast<const char*>(std::memchr(first, '\n', size));
        const auto* cr =
            static_cast<const char*>(std::memchr(first, '\r', lf != nullptr ? lf - first : size));
        const char* const stop = cr != nullptr ? cr : lf;
        if (stop != nullptr) {
            ConsumeLineEnd(static_cast<std::size_t>(stop - buffer_.get()));
            return true;
        }
        begin_ = end_;
    }
}

bool BaseFileReader::SkipPastLine(std::string_view trimmedLine) {
    return SkipPastFirstOf({&trimmedLine, 1}).has_value();
}

std::optional<std::size_t> BaseFileReader::SkipPastFirstOf(std::span<const std::string_view> trimmedLines) {
    // The scan finds the text all the lines start with, then looks at its line.
    std::string_view common = trimmedLines.empty() ? std::string_view() : trimmedLines.front();
    for (const std::string_view line : trimmedLines) {
        common = common.substr(0, CommonPrefixSize(common, line));
    }
    if (common.empty() || AtEnd()) {
        return std::nullopt;
    }
    const NeedleSearch search(common);
    // From here on begin_ is the start of a line, or of what stands for it:
    // the part of a line from an earlier block that could still match.
    for (;;) {
        const char* const data = buffer_.get();
        if (skipLf_ && begin_ < end_) {
            skipLf_ = false;
            begin_ += data[begin_] == '\n' ? 1 : 0;
        }
        std::size_t from = begin_;
        for (;;) {
            const std::size_t at = static_cast<std::size_t>(search.Find(data + from, data + end_) - data);
            if (at == end_) {
                break;
            }
            std::size_t lineStart = at;
            while (lineStart > begin_ && data[lineStart - 1] == ' ') {
                --lineStart;
            }
            if (lineStart == begin_ || IsLineEnd(data[lineStart - 1])) {
                const LineMatch match = MatchAt({data + at, end_ - at}, trimmedLines);
                if (match.unfinished) {
                    break;  // the line goes on in the next block
                }
                if (match.index) {
                    ConsumeLineEnd(at + match.lineEndOffset);
                    return AtEnd() ? std::nullopt : match.index;
                }
            }
            from = at + 1;
        }

        // The block's last line is unfinished. Keep only what could still
        // become a line sought: its text after the leading spaces, while
        // that is the start of a text sought, or the whole of one followed
        // by spaces. Any other line is skipped to its end unread.
        std::size_t lineStart = end_;
        while (lineStart > begin_ && !IsLineEnd(data[lineStart - 1])) {
            --lineStart;
        }
        std::string_view rest(data + lineStart, end_ - lineStart);
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        const std::optional<std::size_t> keep = KeptSize(rest, trimmedLines);
        if (keep) {
            begin_ = static_cast<std::size_t>(rest.data() - data);
            if (!Fill(*keep)) {
                return std::nullopt;
            }
        } else {
            begin_ = end_;
            if (!SkipRestOfLine()) {
                return std::nullopt;
            }
        }
    }
}

}  // namespace tarnwick
