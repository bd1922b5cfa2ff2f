// Feeds any bytes to the base file reader and the block expansion. However
// the file is cut into blocks and reads, the result must be the same; the
// lines after the start line must be those of a plain split of the whole
// text; and a failed read is either reported or made no difference.
//
// Input: four bytes choosing block size, read size, failing offset and key,
// then the base file.
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
              std::size_t failAfter) {
    testing::MemoryInputFile file(std::string(text), piece, failAfter);
    BaseFileReader reader(file, block);
    CountingClock clock;
    Result result{};
    const TailExpansion expansion = ExpandTailBlock(reader, key, clock, [&](std::string_view line) {
        result.completed.emplace_back(line);
        return true;
    });
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

Lines PlainSplit(std::string_view text) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const std::size_t block = 1 + data[0] % 64;
    const std::size_t piece = 1 + data[1] % 16;
    const std::size_t failAt = data[2];
    const std::string_view key = data[3] % 2 == 0 ? "K" : "PRIV-2";
    const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);

    const Result whole = Expand(text, key, text.size() + 1, SIZE_MAX, SIZE_MAX);  // one block
    Require(Expand(text, key, block, piece, SIZE_MAX) == whole, "the result depends on the block size");
    for (const std::string& line : whole.completed) {
        Require(line.find_first_of("\r\n") == std::string::npos, "a line end inside an output line");
    }
    if (failAt > 0) {
        const Result failed = Expand(text, key, block, piece, failAt - 1);
        Require(failed.outcome == TailOutcome::ReadFailed || failed == whole, "a failed read went unnoticed");
    }

    // The reader alone against a plain split of the whole text.
    std::string startLine = "//START ";
    startLine += key;
    const Lines lines = PlainSplit(text);
    std::size_t start = 0;
    while (start + 1 < lines.size() && TrimSpaces(lines[start]) != startLine) {
        ++start;
    }
    const bool expectFound = start + 1 < lines.size();
    testing::MemoryInputFile file(std::string(text), piece);
    BaseFileReader reader(file, block);
    Require(reader.SkipPastLine(startLine) == expectFound, "start line found where it is not, or missed");
    if (expectFound) {
        std::string line;
        for (std::size_t i = start + 1; i < lines.size(); ++i) {
            Require(reader.NextLine(line) && line == lines[i], "a line differs from the plain split");
        }
        Require(!reader.NextLine(line), "a line after the end of the text");
    }
    return 0;
}
