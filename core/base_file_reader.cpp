#include "core/base_file_reader.h"

#include <algorithm>
#include <cstring>

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

}  // namespace

BaseFileReader::BaseFileReader(InputFile& file, std::size_t blockSize)
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)) {}

bool BaseFileReader::Fill(std::size_t keep) {
    if (eof_ || readFailed_) {
        return false;
    }
    if (buffer_.size() < keep + blockSize_) {
        // Room for the start of a start line carried over from the block
        // before, so the buffer is allocated once.
        constexpr std::size_t kCarryRoom = 256;
        buffer_.resize(std::max(keep, kCarryRoom) + blockSize_);
    }
    if (keep > 0 && begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, keep);
    }
    begin_ = 0;
    end_ = keep;
    const std::ptrdiff_t count = file_.Read(buffer_.data() + keep, blockSize_);
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
    while (end_ < kUtf8Bom.size() && kUtf8Bom.starts_with(std::string_view(buffer_.data(), end_))) {
        const std::ptrdiff_t count = file_.Read(buffer_.data() + end_, buffer_.size() - end_);
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
    if (std::string_view(buffer_.data(), end_).starts_with(kUtf8Bom)) {
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
        const char* const first = buffer_.data() + begin_;
        const char* const last = buffer_.data() + end_;
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
            ConsumeLineEnd(static_cast<std::size_t>(stop - buffer_.data()));
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
        const char* const first = buffer_.data() + begin_;
        const auto size = end_ - begin_;
        const auto* lf = static_cast<const char*>(std::memchr(first, '\n', size));
        const auto* cr =
            static_cast<const char*>(std::memchr(first, '\r', lf != nullptr ? lf - first : size));
        const char* const stop = cr != nullptr ? cr : lf;
        if (stop != nullptr) {
            ConsumeLineEnd(static_cast<std::size_t>(stop - buffer_.data()));
            return true;
        }
        begin_ = end_;
    }
}

bool BaseFileReader::SkipPastLine(std::string_view trimmedLine) {
    // The scan finds the text itself and then looks at its line.
    const NeedleSearch search(trimmedLine);
    const std::size_t size = trimmedLine.size();
    if (AtEnd()) {
        return false;
    }
    // From here on begin_ is the start of a line, or of what stands for it:
    // the part of a line from an earlier block that could still match.
    for (;;) {
        const char* const data = buffer_.data();
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
                std::size_t after = at + size;
                while (after < end_ && data[after] == ' ') {
                    ++after;
                }
                if (after == end_) {
                    break;  // the line goes on in the next block
                }
                if (IsLineEnd(data[after])) {
                    ConsumeLineEnd(after);
                    return !AtEnd();
                }
            }
            from = at + 1;
        }

        // The block's last line is unfinished. Keep only what could still
        // become the line sought: its text after the leading spaces, while
        // that is the start of the text sought, or the whole of it followed
        // by spaces. Any other line is skipped to its end unread.
        std::size_t lineStart = end_;
        while (lineStart > begin_ && !IsLineEnd(data[lineStart - 1])) {
            --lineStart;
        }
        std::string_view rest(data + lineStart, end_ - lineStart);
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        std::size_t keep = 0;
        bool live = false;
        if (rest.size() <= size) {
            live = trimmedLine.starts_with(rest);
            keep = rest.size();
        } else {
            live =
                rest.starts_with(trimmedLine) && rest.find_first_not_of(' ', size) == std::string_view::npos;
            keep = size;
        }
        if (live) {
            begin_ = static_cast<std::size_t>(rest.data() - data);
            if (!Fill(keep)) {
                return false;
            }
        } else {
            begin_ = end_;
            if (!SkipRestOfLine()) {
                return false;
            }
        }
    }
}

}  // namespace tarnwick
