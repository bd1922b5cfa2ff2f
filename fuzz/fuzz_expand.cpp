// Feeds any bytes to the base file reader and the block expansion. However
// the file is cut into blocks and reads, the result must be the same; the
// lines after the start line must be those of a plain split of the whole
// text (a leading byte-order mark dropped); a failed read is either reported
// or made no difference; and a size limit either refuses a block whose text,
// or one of whose lines (the end line too), goes beyond it, or makes no
// difference, lines read only up to it.
//
// Input: five bytes choosing block size, read size, failing offset, key and
// size limit, then the base file.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/base_file_reader.h"
#include "core/tail_engine.h"
#include "core/text.h"
#include "tests/fakes.h"

namespace {

using namespace tarnwick;
using Lines = std::vector<std::string>;

class CountingClock final : public Clock {
public:
    LocalTime Now() override {
        ++reads;
        return {2003, 1, 11, 6, 2, reads % 60};
    }
    int reads = 0;
};

struct Result {
    TailOutcome outcome;
    Lines completed;
    std::string unfinished;
    int clockReads;
    bool operator==(const Result&) const = default;
};

Result Expand(std::string_view text, std::string_view key, std::size_t block, std::size_t piece,
              std::size_t failAfter, std::size_t limit = kBlockSizeLimit) {
    testing::MemoryInputFile file(std::string(text), piece, failAfter);
    BaseFileReader reader(file, block);
    CountingClock clock;
    Result result{};
    const TailExpansion expansion = ExpandTailBlock(
        reader, key, clock,
        [&](std::string_view line) {
            result.completed.emplace_back(line);
            return true;
        },
        limit);
    result.outcome = expansion.outcome;
    result.unfinished = expansion.unfinished;
    result.clockReads = clock.reads;
    return result;
}

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The size of the expanded text, a line end counting as one byte.
std::size_t TextSize(const Result& result) {
    std::size_t size = result.unfinished.size();
    for (const std::string& line : result.completed) {
        size += line.size() + 1;
    }
    return size;
}

Lines PlainSplit(std::string_view text) {
    if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    Lines lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

// The longest line of the block whose start line is lines[start], its end
// line included.
std::size_t LongestBlockLine(const Lines& lines, std::size_t start) {
    std::size_t longest = 0;
    for (std::size_t i = start + 1; i < lines.size(); ++i) {
        longest = std::max(longest, lines[i].size());
        if (IsEndLine(lines[i])) {
            break;
        }
    }
    return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const std::size_t block = 1 + data[0] % 64;
    const std::size_t piece = 1 + data[1] % 16;
    const std::size_t failAt = data[2];
    const std::string_view key = data[3] % 2 == 0 ? "K" : "PRIV-2";
    const std::size_t limit = data[4] == 0 ? BaseFileReader::kNoLimit : data[4];  // so most lines are long
    const std::string_view text(reinterpret_cast<const char*>(data) + 5, size - 5);

    const Result whole = Expand(text, key, text.size() + 1, SIZE_MAX, SIZE_MAX);  // one block
    Require(Expand(text, key, block, piece, SIZE_MAX) == whole, "the result depends on the block size");
    for (const std::string& line : whole.completed) {
        Require(line.find_first_of("\r\n") == std::string::npos, "a line end inside an output line");
    }
    if (failAt > 0) {
        const Result failed = Expand(text, key, block, piece, failAt - 1);
        Require(failed.outcome == TailOutcome::ReadFailed || failed == whole, "a failed read went unnoticed");
    }
    std::string startLine = "//START ";
    startLine += key;
    const Lines lines = PlainSplit(text);
    std::size_t start = 0;
    while (start + 1 < lines.size() && TrimSpaces(lines[start]) != startLine) {
        ++start;
    }
    const bool expectFound = start + 1 < lines.size();

    const Result limited = Expand(text, key, block, piece, SIZE_MAX, std::min(limit, kBlockSizeLimit));
    if (limited.outcome == TailOutcome::TooLarge) {
        Require(TextSize(whole) > limit || LongestBlockLine(lines, start) > limit,
                "a block refused as too large that fits");
    } else {
        Require(limited == whole, "a size limit changed a block that fits");
    }

    // The reader alone against a plain split of the whole text.
    testing::MemoryInputFile file(std::string(text), piece);
    BaseFileReader reader(file, block);
    Require(reader.SkipPastLine(startLine) == expectFound, "start line found where it is not, or missed");
    if (expectFound) {
        std::string line;
        bool cut = false;
        for (std::size_t i = start + 1; i < lines.size() && !cut; ++i) {
            Require(reader.NextLine(line, limit) &&
                        line == lines[i].substr(0, limit == SIZE_MAX ? limit : limit + 1),
                    "a line differs from the plain split");
            cut = lines[i].size() > limit;  // the reader is of no further use
        }
        Require(cut || !reader.NextLine(line), "a line after the end of the text");
    }
    return 0;
}
