#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/base_file_reader.h"
#include "core/text.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using testing::MemoryInputFile;
using Lines = std::vector<std::string>;

// Block and read sizes that put block borders everywhere: inside a CR LF,
// inside the start line, between its spaces.
struct Split {
    std::size_t block;
    std::size_t piece;
};
const Split kSplits[] = {{1, SIZE_MAX}, {2, SIZE_MAX}, {3, SIZE_MAX},
                         {7, SIZE_MAX}, {7, 3},        {64, SIZE_MAX},
                         {64, 5},       {300, 100},    {BaseFileReader::kDefaultBlockSize, SIZE_MAX}};

std::string Describe(const std::string& text, const Split& split) {
    return ::testing::PrintToString(text) + " block " + std::to_string(split.block) + " piece " +
           std::to_string(split.piece);
}

// The lines the reader gives after the start line, or all of them when there
// is none; nothing when the start line is not found.
std::optional<Lines> Read(const std::string& text, const Split& split, const char* startLine = nullptr) {
    MemoryInputFile file(text, split.piece);
    BaseFileReader reader(file, split.block);
    if (startLine != nullptr && !reader.SkipPastLine(startLine)) {
        return std::nullopt;
    }
    Lines lines;
    for (std::string line; reader.NextLine(line);) {
        lines.push_back(line);
    }
    return lines;
}

// Line ends in every split are left to the random texts below.
TEST(BaseFileReader, DropsAByteOrderMarkOnlyWholeAndAtTheVeryStart) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::pair<std::string, Lines> cases[] = {
        {bom + bom + "a\nb" + bom, {bom + "a", "b" + bom}},
        {bom, {}},
        {bom + "\r\n", {""}},
        {bom.substr(0, 2) + "a", {bom.substr(0, 2) + "a"}},
    };
    for (const auto& [text, lines] : cases) {
        for (const auto& split : kSplits) {
            EXPECT_EQ(Read(text, split), lines) << Describe(text, split);
        }
    }
}

// Cases the random texts below cannot make: runs of spaces longer than the
// room kept for a start line carried between blocks, long other lines, and
// near misses of the start line.
TEST(BaseFileReader, SkipsPastTheFirstLineThatTrimsToTheText) {
    const std::string spaces(300, ' ');
    const std::optional<Lines> none;
    const std::pair<std::string, std::optional<Lines>> cases[] = {
        {spaces + "//START K1" + spaces + "\rA", Lines{"A"}},
        {"//START K1" + spaces + "x\n//START K1 \nA", Lines{"A"}},
        {std::string(5000, 'x') + "//START K1\n//START K1\nA", Lines{"A"}},
        {"\xEF\xBB\xBF//START K1\nA", Lines{"A"}},
        {"//START K1\r\n", none},  // the start line is the last line
        // A lone CR as the last byte of a block still ends its line.
        {"xxxxxx\r" + std::string(56, 'x') + "\r//START K1\nA", Lines{"A"}},
        {"//start K1\nA", none},
        {"//START  K1\nA", none},
        {"//START K10\nA", none},
    };
    for (const auto& [text, result] : cases) {
        for (const auto& split : kSplits) {
            EXPECT_EQ(Read(text, split, "//START K1"), result) << Describe(text, split);
        }
    }
}

TEST(BaseFileReader, FindsAStartLineLongerThanTheRoomKeptForOne) {
    const std::string start = "//START " + std::string(300, 'K');
    for (const auto& split : kSplits) {
        EXPECT_EQ(Read("x\n" + start + "\nA", split, start.c_str()), Lines{"A"}) << split.block;
    }
}

// The straightforward reading: the whole text split into lines at once.
Lines WholeLines(std::string_view text) {
    Lines lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(std::exchange(line, {}));
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

TEST(BaseFileReader, RandomTextsReadAsIfWhole) {
    const std::string pieces[] = {"//START K1", "//START K", "//STA", "RT K1", "1",  " ", "   ",
                                  "\r",         "\n",        "\r\n",  "x",     "\t", "//"};
    std::mt19937 random(20031);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> count(0, 14);
    std::uniform_int_distribution<int> longCount(100, 200);  // past the larger blocks
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = round % 10 == 0 ? longCount(random) : count(random); n > 0; --n) {
            text += pieces[pick(random)];
        }
        const Lines lines = WholeLines(text);
        const auto start = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return TrimSpaces(line) == "//START K1";
        });
        const auto expected =
            lines.end() - start > 1 ? std::optional(Lines(start + 1, lines.end())) : std::nullopt;
        for (const auto& split : kSplits) {
            ASSERT_EQ(Read(text, split), lines) << Describe(text, split);
            ASSERT_EQ(Read(text, split, "//START K1"), expected) << Describe(text, split);
        }
    }
}

}  // namespace
}  // namespace tarnwick
