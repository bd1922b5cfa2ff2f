#include <gtest/gtest.h>

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

// Block sizes and read sizes that put block borders everywhere: inside a
// CR LF, inside the start line, between its spaces.
struct Split {
    std::size_t block;
    std::size_t piece;
};
const Split kSplits[] = {
    {1, SIZE_MAX}, {2, SIZE_MAX},  {3, SIZE_MAX}, {7, SIZE_MAX},
    {7, 3},        {64, SIZE_MAX}, {64, 5},       {BaseFileReader::kDefaultBlockSize, SIZE_MAX}};

std::string Describe(const std::string& text, const Split& split) {
    return ::testing::PrintToString(text) + " block " + std::to_string(split.block) + " piece " +
           std::to_string(split.piece);
}

Lines RemainingLines(BaseFileReader& reader) {
    Lines lines;
    std::string line;
    while (reader.NextLine(line)) {
        lines.push_back(line);
    }
    return lines;
}

struct SkipResult {
    bool found;
    Lines after;
    bool operator==(const SkipResult&) const = default;
    friend void PrintTo(const SkipResult& result, std::ostream* out) {
        *out << (result.found ? "found, then " : "not found, ") << ::testing::PrintToString(result.after);
    }
};

SkipResult SkipThenRead(const std::string& text, std::string_view startLine, const Split& split) {
    MemoryInputFile file(text, split.piece);
    BaseFileReader reader(file, split.block);
    const bool found = reader.SkipPastLine(startLine);
    return {found, found ? RemainingLines(reader) : Lines{}};
}

TEST(BaseFileReader, EveryLineEndEndsOneLineWhereverTheBlocksSplit) {
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r", {"a"}},
        {"\n", {""}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"\r\n\r\n", {"", ""}},
        {"\r\n\n", {"", ""}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {" x \t\v", {" x \t\v"}},
    };
    for (const auto& c : cases) {
        for (const auto& split : kSplits) {
            MemoryInputFile file(c.text, split.piece);
            BaseFileReader reader(file, split.block);
            EXPECT_EQ(RemainingLines(reader), c.lines) << Describe(c.text, split);
            EXPECT_FALSE(reader.ReadFailed());
        }
    }
}

TEST(BaseFileReader, SkipsPastTheFirstLineThatTrimsToTheText) {
    const std::string spaces(300, ' ');
    const std::string longNoise(5000, 'x');
    const struct {
        std::string text;
        SkipResult result;
    } cases[] = {
        {"//START K1\nA", {true, {"A"}}},
        {"x\r\n  //START K1  \r\nA\r\n", {true, {"A"}}},
        {spaces + "//START K1" + spaces + "\rA", {true, {"A"}}},
        {"  \r\n//STA\n//START K1\r\nA", {true, {"A"}}},
        {"//START K1\nA\n//START K1\nB", {true, {"A", "//START K1", "B"}}},
        // The line end of the start line is all that is skipped after it.
        {"//START K1\r\n\r\n", {true, {""}}},
        {"//START K1\r\n\nA", {true, {"", "A"}}},
        {"//START K1\r\rA", {true, {"", "A"}}},
        // Lines that hold the text but are not it; a real start line follows.
        {"x//START K1\n//START K1\nA", {true, {"A"}}},
        {"//START K1 x\n  //START K1\nB", {true, {"B"}}},
        {"//START K1" + spaces + "x\n//START K1 \nA", {true, {"A"}}},
        {longNoise + "//START K1\n//START K1\nA", {true, {"A"}}},
        {"//START K1//START K1\n//START K1\nA", {true, {"A"}}},
        // No start line, or nothing after it.
        {"//START K1", {false, {}}},
        {"//START K1\r\n", {false, {}}},
        {"//START K1  \r", {false, {}}},
        {"\t//START K1\nA", {false, {}}},
        {"//START K1\t\nA", {false, {}}},
        {"//start K1\nA", {false, {}}},
        {"//START  K1\nA", {false, {}}},
        {"//START K10\nA", {false, {}}},
        {"x //START K1\nA", {false, {}}},
        {"//START K\n1\nA", {false, {}}},
        {"/\n/START K1\nA", {false, {}}},
    };
    for (const auto& c : cases) {
        for (const auto& split : kSplits) {
            EXPECT_EQ(SkipThenRead(c.text, "//START K1", split), c.result) << Describe(c.text, split);
        }
    }
}

TEST(BaseFileReader, TextsThatNoTrimmedLineCanEqual) {
    for (const auto& split : kSplits) {
        EXPECT_EQ(SkipThenRead("a\n  \nB", "", split), (SkipResult{true, {"B"}}));
        EXPECT_EQ(SkipThenRead("//START \nA", "//START ", split), (SkipResult{false, {}}));
        EXPECT_EQ(SkipThenRead("A\nB\nC", "A\nB", split), (SkipResult{false, {}}));
    }
}

// The straightforward reading: the whole text split into lines at once.
SkipResult Expected(std::string_view text, std::string_view startLine) {
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
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (TrimSpaces(lines[i]) == startLine) {
            return {true, Lines(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end())};
        }
    }
    return {false, {}};
}

TEST(BaseFileReader, RandomTextsReadAsIfWhole) {
    const std::string pieces[] = {"//START K1", "//START K", "//STA", "RT K1", "1",  " ", "   ",
                                  "\r",         "\n",        "\r\n",  "x",     "\t", "//"};
    std::mt19937 random(20031);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> count(0, 14);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = count(random); n > 0; --n) {
            text += pieces[pick(random)];
        }
        const SkipResult expected = Expected(text, "//START K1");
        for (const auto& split : kSplits) {
            ASSERT_EQ(SkipThenRead(text, "//START K1", split), expected) << Describe(text, split);
        }
    }
}

TEST(BaseFileReader, AFailedReadEndsTheFileAndIsRemembered) {
    const std::string text = "noise\n//START K1\nA\n";
    for (const std::size_t failAfter : {std::size_t{0}, std::size_t{8}, text.size() - 3, text.size()}) {
        MemoryInputFile file(text, SIZE_MAX, failAfter);
        BaseFileReader reader(file, 4);
        const bool found = reader.SkipPastLine("//START K1");
        RemainingLines(reader);
        EXPECT_TRUE(reader.ReadFailed()) << failAfter;
        EXPECT_EQ(found, failAfter > 17) << failAfter;
    }

    MemoryInputFile file("ab\ncd", SIZE_MAX, 4);
    BaseFileReader reader(file, 2);
    EXPECT_EQ(RemainingLines(reader), (Lines{"ab", "c"}));
    EXPECT_TRUE(reader.ReadFailed());
}

}  // namespace
}  // namespace tarnwick
