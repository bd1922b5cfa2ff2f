#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/live_slot.h"
#include "core/startup.h"
#include "core/tail_engine.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

// Every slot's block, with placeholders at a line's start, middle and end,
// a date-like text outside a placeholder, and two slots of the same text.
const std::string kBase =
    "notes 2026.01.01\r\n"
    "//START OFFI-1\r\nOffice\r\nDate: \r\n%DATE\r\n\r\nPhone 2024.05.17 10:30:00\r\n//END\r\n"
    "//START OFFI-2\n%TIME\n at start\n%DATE\n//END\n"
    "  //START PRIV-1  \rMid \r%DATE\r dle\r  //END  \r"
    "//START PRIV-2\nSame\n//END\n"
    "//START PRIV-3\nSame\n//END\n"
    "//START PRIV-4\nA\n\nB\n//END\n"
    "//START PRIV-5\n//END\n";

AppState SlotTable() {
    AppState state;
    FillSlotTable(state);
    return state;
}

SlotScan Scan(const std::string& base, const std::string& tail, std::size_t blockSize) {
    MemoryInputFile file(base);
    BaseFileReader reader(file, blockSize);
    return ScanSlots(reader, SlotTable().KeyName, tail);
}

// Block sizes that split start lines, placeholders and line ends everywhere.
const std::size_t kBlockSizes[] = {1, 2, 5, 13, BaseFileReader::kDefaultBlockSize};

TEST(ScanSlots, FindsTheSlotWhoseBlockGivesTheTail) {
    struct Case {
        const char* name;
        std::string base;
        std::string tail;
        std::optional<int> live;
        std::string date;
        std::string time;
    };
    const std::string office = "Office\nDate: 2001.02.03\nPhone 2024.05.17 10:30:00\n";
    const std::vector<Case> cases = {
        {"placeholder ends a line", kBase, office, 0, "2001.02.03", ""},
        {"placeholders start and end a line", kBase, "23:59:59 at start1999.12.31\n", 1, "1999.12.31",
         "23:59:59"},
        {"placeholder inside a line", kBase, "Mid 2026.12.06 dle\n", 2, "2026.12.06", ""},
        {"two slots of one text: the first", kBase, "Same\n", 3, "", ""},
        {"an empty line in the block", kBase, "A\n\nB\n", 5, "", ""},
        {"an empty block gives an empty tail", kBase, "", 6, "", ""},
        {"CR LF ends", kBase, "Office\r\nDate: 2001.02.03\r\nPhone 2024.05.17 10:30:00\r\n", 0, "2001.02.03",
         ""},
        {"CR ends", kBase, "A\r\rB\r", 5, "", ""},
        {"mixed ends", kBase, "A\r\n\rB\n", 5, "", ""},
        {"one byte added", kBase, "Same\n\n", std::nullopt, "", ""},
        {"one byte removed", kBase, "Sam\n", std::nullopt, "", ""},
        // A hand-written tail often lacks its last line end; only that may lack.
        {"no last line end", kBase, "Same", 3, "", ""},
        {"no last line end after a placeholder", kBase, "23:59:59 at start1999.12.31", 1, "1999.12.31",
         "23:59:59"},
        {"CR LF ends, none after the last line", kBase, "A\r\n\r\nB", 5, "", ""},
        {"an empty last line kept", "//START PRIV-2\nA\n\n\n//END\n", "A\n\n", 3, "", ""},
        {"an empty last line missing", "//START PRIV-2\nA\n\n\n//END\n", "A\n", std::nullopt, "", ""},
        {"an empty last line and a line end missing", "//START PRIV-2\nA\n\n\n//END\n", "A", std::nullopt, "",
         ""},
        {"the last line missing", kBase, "A\n\n", std::nullopt, "", ""},
        {"a last line more, without its end", kBase, "Same\nx", std::nullopt, "", ""},
        {"one byte removed, no last line end", kBase, "Sam", std::nullopt, "", ""},
        {"one byte changed", kBase, "Mid 2026.12.06 dlf\n", std::nullopt, "", ""},
        {"a date of another form", kBase, "Mid 2026.12.6 dle\n", std::nullopt, "", ""},
        {"a date with other separators", kBase, "Mid 2026-12-06 dle\n", std::nullopt, "", ""},
        {"a date of digits alone", kBase, "Mid 2026112106 dle\n", std::nullopt, "", ""},
        {"a date-like text outside a placeholder", kBase,
         "Office\nDate: 2001.02.03\nPhone 2024.05.18 10:30:00\n", std::nullopt, "", ""},
        {"a prefix of a block", kBase, "Office\nDate: 2001.02.03\n", std::nullopt, "", ""},
        {"an empty tail, no empty block", "//START PRIV-2\nx\n//END\n", "", std::nullopt, "", ""},
        {"the block is missing", "//START PRIV-1\nx\n//END\n", "y\n", std::nullopt, "", ""},
        {"a block without its end line", "//START PRIV-2\ny\n", "y\n", std::nullopt, "", ""},
        {"only the first block of a key counts", "//START PRIV-2\nx\n//END\n//START PRIV-2\ny\n//END\n",
         "y\n", std::nullopt, "", ""},
        {"a start line inside another block starts its own", "//START PRIV-1\n//START PRIV-2\ny\n//END\n",
         "y\n", 3, "", ""},
        {"the outer block holds the start line as text", "//START PRIV-1\n//START PRIV-2\ny\n//END\n",
         "//START PRIV-2\ny\n", 2, "", ""},
    };
    for (const Case& c : cases) {
        for (const std::size_t blockSize : kBlockSizes) {
            SCOPED_TRACE(std::string(c.name) + ", block size " + std::to_string(blockSize));
            const SlotScan scan = Scan(c.base, c.tail, blockSize);
            EXPECT_EQ(scan.live, c.live);
            EXPECT_EQ(scan.date, c.date);
            EXPECT_EQ(scan.time, c.time);
            EXPECT_FALSE(scan.readFailed);
        }
    }
}

// And which found block holds another slot's start line: its end line was
// mistyped, so it ran on into the next block.
TEST(ScanSlots, TellsWhyABlockIsMissingOrRunsIntoAnother) {
    using enum BlockPresence;
    using Strays = std::array<std::string, kSlotCount>;
    struct Case {
        std::string base;
        std::array<BlockPresence, kSlotCount> blocks;
        Strays strays{};
    };
    const std::vector<Case> cases = {
        {kBase, {Found, Found, Found, Found, Found, Found, Found}},
        {"", {NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoStartLine}},
        // As when applying a slot: a start line that ends the file is not found.
        {"//START OFFI-2\n//END\n//START PRIV-2\nx\n//START OFFI-1",
         {NoStartLine, Found, NoStartLine, NoEndLine, NoStartLine, NoStartLine, NoStartLine}},
        {"//START PRIV-5\n//START PRIV-4\n",
         {NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoEndLine}},
        {"//START PRIV-5\n//START PRIV-4\n\n",
         {NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoStartLine, NoEndLine, NoEndLine}},
        {"//START OFFI-1\nA\n//ENd\n  //START PRIV-2 \nB\n//END\n",
         {Found, NoStartLine, NoStartLine, Found, NoStartLine, NoStartLine, NoStartLine},
         {"//START PRIV-2"}},
        // Only a found block is said to hold one.
        {"//START OFFI-1\nA\n// END\n//START PRIV-2\nB\n",
         {NoEndLine, NoStartLine, NoStartLine, NoEndLine, NoStartLine, NoStartLine, NoStartLine}},
        {"//START PRIV-1\n//START OFFI-2\n//START PRIV-3\n//END\n",
         {NoStartLine, Found, Found, NoStartLine, Found, NoStartLine, NoStartLine},
         {"", "//START PRIV-3", "//START OFFI-2"}},
        // A start line of its own key, or one spelled otherwise, is no other slot's.
        {"//START PRIV-1\n//START PRIV-1\n//START  PRIV-2\n//START PRIV-9\n//END\n",
         {NoStartLine, NoStartLine, Found, NoStartLine, NoStartLine, NoStartLine, NoStartLine}},
    };
    for (const Case& c : cases) {
        for (const std::size_t blockSize : kBlockSizes) {
            SCOPED_TRACE(::testing::PrintToString(c.base) + ", block size " + std::to_string(blockSize));
            const SlotScan scan = Scan(c.base, "", blockSize);
            EXPECT_EQ(scan.blocks, c.blocks);
            EXPECT_EQ(scan.strayStartLines, c.strays);
        }
    }
}

// A block is never applied once its expansion would pass the limit, so such
// a block holds no tail, whether one line or many take it there.
TEST(ScanSlots, ABlockOverTheLimitHoldsNoTail) {
    const std::string half(kBlockSizeLimit / 2, 'x');
    // Ten bytes of date from six of base file: placeholders alone can pass it.
    std::string dates;
    for (std::size_t i = 0; i <= kBlockSizeLimit / 10; ++i) {
        dates += "%DATE\n";
    }
    // Cut at the limit, the line reads as an end line.
    const std::string longEndLine = "A\n//END" + std::string(kBlockSizeLimit, ' ') + "x\n";
    for (const std::string& body :
         {half + "\n" + half + "\n", std::string(kBlockSizeLimit + 1, 'x') + "\n", dates, longEndLine}) {
        const SlotScan scan =
            Scan("//START PRIV-2\n" + body + "//END\n", body, BaseFileReader::kDefaultBlockSize);
        EXPECT_EQ(scan.blocks[3], BlockPresence::TooLarge);
        EXPECT_EQ(scan.live, std::nullopt);
    }
    // Up to the limit the block is in use.
    const std::string fits(kBlockSizeLimit, 'x');
    EXPECT_EQ(
        Scan("//START PRIV-2\n" + fits + "\n//END\n", fits + "\n", BaseFileReader::kDefaultBlockSize).live,
        3);
}

TEST(FindLiveTail, TellsAMissingTailFromFilesThatCannotBeRead) {
    struct Case {
        const char* name;
        std::optional<std::string> tail;
        bool baseThere;
        std::size_t failAfter;
        LiveOutcome outcome;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {"the tail is live", "Same\n", true, SIZE_MAX, LiveOutcome::Slot, ""},
        {"no tail file yet", std::nullopt, true, SIZE_MAX, LiveOutcome::NoTailFile, ""},
        {"a tail too long to be a block", std::string(kLongestLiveTail + 1, 'x'), true, SIZE_MAX,
         LiveOutcome::NoneOfTheSeven, ""},
        {"no base file", "Same\n", false, SIZE_MAX, LiveOutcome::Failed,
         "INPUT FILE OPEN ERROR !!!\r\nFILE : base\r\nNo such file or directory"},
        {"the tail's read fails", "Same\n", true, 0, LiveOutcome::Failed,
         "INPUT FILE READ ERROR !!!\r\nFILE : tail\r\nInput/output error"},
        {"the base file's read fails", "Same\n", true, 10, LiveOutcome::Failed,
         "INPUT FILE READ ERROR !!!\r\nFILE : base\r\nInput/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        if (c.tail) {
            files.files["tail"] = *c.tail;
        }
        if (c.baseThere) {
            files.files["base"] = kBase;
        }
        files.readFailAfter = c.failAfter;
        AppState state = SlotTable();
        state.Dest = "tail";
        state.Source = "base";
        const LiveTail live = FindLiveTail(state, files);
        EXPECT_EQ(live.outcome, c.outcome);
        EXPECT_EQ(live.failure, c.failure);
        EXPECT_EQ(live.scan.live, c.outcome == LiveOutcome::Slot ? std::optional<int>(3) : std::nullopt);
        EXPECT_EQ(files.replaceOpens.size(), 0u);
    }
}

}  // namespace
}  // namespace tarnwick
