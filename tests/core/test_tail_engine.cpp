#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "core/startup.h"
#include "core/tail_engine.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;
using Lines = std::vector<std::string>;
using Messages = std::vector<RecordedMessage>;

constexpr LocalTime kMorning{2003, 1, 11, 6, 2, 30};
constexpr LocalTime kMidnight{2003, 1, 11, 23, 59, 59};

// The outcome, the completed lines and the unfinished line.
using Expansion = std::tuple<TailOutcome, Lines, std::string>;

Expansion Expand(const std::string& base, std::size_t blockSize, Clock& clock,
                 std::size_t limit = kBlockSizeLimit) {
    MemoryInputFile file(base);
    BaseFileReader reader(file, blockSize);
    Lines completed;
    const TailExpansion expansion = ExpandTailBlock(
        reader, "K", clock,
        [&](std::string_view line) {
            completed.emplace_back(line);
            return true;
        },
        limit);
    return {expansion.outcome, completed, expansion.unfinished};
}

// The clock says a second to midnight, then morning: each placeholder reads
// it once. The limit: the real one (kReal), or ten bytes of text, a line end
// counting as one; end lines of up to ten bytes are found even when no room
// is left.
TEST(ExpandTailBlock, JoinsPlaceholdersFindsTheBlockAndKeepsToTheLimit) {
    using enum TailOutcome;
    constexpr std::size_t kReal = kBlockSizeLimit;
    const std::tuple<std::size_t, std::string, Expansion> cases[] = {
        {kReal,
         "//START K\nDate: \n%DATE\n (\n%TIME\n)\n//END\n",
         {Complete, {}, "Date: 2003.01.11 (06:02:30)"}},
        {kReal, "//START K\n//END", {Complete, {}, ""}},
        {kReal, "//START K\nA\n\nB\n//END", {Complete, {"A", ""}, "B"}},
        {kReal, "//START K\nA\n\n//END", {Complete, {"A"}, ""}},
        {kReal, "//START K\n%DATE\n\nNext\n//END", {Complete, {"2003.01.11"}, "Next"}},
        {kReal, "//START K\n%DATE\n%TIME\n//END", {Complete, {}, "2003.01.1106:02:30"}},
        // Only the exact placeholder lines are placeholders; spaces are kept.
        {kReal,
         "//START K\n %DATE\n%DATE \n%date\n  A  \n//END",
         {Complete, {" %DATE", "%DATE ", "%date"}, "  A  "}},
        // The end line may carry spaces, nothing else.
        {kReal,
         "//START K\n//END x\n\t//END\n//end\n  //END  \nlater",
         {Complete, {"//END x", "\t//END"}, "//end"}},
        // Text before the block, other blocks and their end lines are ignored;
        // inside the block a start line is ordinary text.
        {kReal,
         "//END\n//START J\nx\n//END\n  //START K \n//START K\nA\n//END\n//START K\nB\n//END",
         {Complete, {"//START K"}, "A"}},
        {kReal, "//START K\nA\nB", {EndNotFound, {"A"}, "B"}},
        {kReal, "//START K\r\n", {StartNotFound, {}, ""}},
        {10, "//START K\n1234567890\n//END", {Complete, {}, "1234567890"}},
        {10, "//START K\n1234\n12345\n  //END  ", {Complete, {"1234"}, "12345"}},
        {10, "//START K\n12345678901\n//END", {TooLarge, {}, ""}},
        {10, "//START K\n1234\n123456\n//END", {TooLarge, {}, ""}},
        {10, "//START K\n%DATE\n//END", {Complete, {}, "2003.01.11"}},
        {10, "//START K\n%DATE\n%TIME\n//END", {TooLarge, {}, ""}},
        {10, "//START K\n%DATE\n\nx\n//END", {TooLarge, {}, ""}},
        // Longer than the limit, an end line is no way out: what was read of
        // it looks like one.
        {10, "//START K\n1\n//END      \n", {TooLarge, {}, ""}},
        {10, "//START K\n1\n //END        x\n//END", {TooLarge, {}, ""}},
    };
    for (const auto& [limit, base, expected] : cases) {
        for (const std::size_t blockSize : {std::size_t{3}, BaseFileReader::kDefaultBlockSize}) {
            FixedClock clock({kMidnight, kMorning});
            EXPECT_EQ(Expand(base, blockSize, clock, limit), expected)
                << ::testing::PrintToString(base) << " block " << blockSize << " limit " << limit;
        }
    }
}

// An end line padded with spaces still closes a block that has nearly no
// room left.
TEST(ExpandTailBlock, FindsAPaddedEndLineOfANearlyFullBlock) {
    const std::string text(kBlockSizeLimit - 5, 'x');
    FixedClock clock(kMorning);
    EXPECT_EQ(Expand("//START K\n" + text + "\n" + std::string(300, ' ') + "//END\n", 1 << 20, clock),
              (Expansion{TailOutcome::Complete, {}, text}));
}

// The files and what goes wrong with them; by default nothing does.
struct Fault {
    std::string source = "base.txt";
    std::string dest = "tail.txt";
    std::string base = "noise\r\n//START PRIV-2\r\nRegards\r\nSent \r\n%DATE\r\n\r\nBye\r\n//END\r\n";
    bool failOpen = false;
    std::size_t readFailAfter = SIZE_MAX;
    std::size_t writesAllowed = SIZE_MAX;
    bool failCommit = false;
};

// A tail operation with every service faked; the base file holds one block
// for PRIV-2 and the tail file an old tail.
struct Harness : FakeServices {
    explicit Harness(const Fault& fault = {}, std::string_view lineEnd = "\n") : FakeServices(lineEnd) {
        FillSlotTable(state);
        state.Source = fault.source;
        state.Dest = fault.dest;
        state.NoMsg = "OF";
        files.files = {{"base.txt", fault.base}, {"tail.txt", "old tail\n"}, {"Tarnwick.ini", "[FILES]\n"}};
        store.location = "Tarnwick.ini";
        files.failOpenReplacing = fault.failOpen;
        files.readFailAfter = fault.readFailAfter;
        files.writesAllowed = fault.writesAllowed;
        files.failCommits = fault.failCommit;
    }
    AppState state;
};

constexpr int kPriv2 = 3;

RecordedMessage Warning(std::string text) {
    return {std::move(text), MessageKind::Warning};
}
RecordedMessage Error(std::string text) {
    return {std::move(text), MessageKind::Error};
}

TEST(ApplyTail, WritesTheBlockWithTheGivenLineEndAndShowsSuccessOnlyForOF) {
    using Run = std::pair<std::string_view, std::string_view>;  // line end, NoMsg
    const Messages success{{"Set Vellicor for [ Home ].", MessageKind::Information}};
    for (const auto& [lineEnd, noMsg] :
         {Run{"\n", "OF"}, Run{"\r\n", "OF"}, Run{"\n", "ON"}, Run{"\n", "of"}, Run{"\n", ""}}) {
        Harness h({}, lineEnd);
        h.state.NoMsg = noMsg;
        h.state.Caption[kPriv2] = "Home";
        EXPECT_TRUE(ApplyTail(h.state, h.services, kPriv2));
        const std::string e(lineEnd);
        EXPECT_EQ(h.files.files["tail.txt"], "Regards" + e + "Sent 2026.12.07" + e + "Bye" + e);
        EXPECT_EQ(h.messages.shown, noMsg == "OF" ? success : Messages{}) << noMsg;
    }
    Harness h({.base = "//START PRIV-2\nA\n\n//END\n"});  // an empty unfinished line is dropped
    EXPECT_TRUE(ApplyTail(h.state, h.services, kPriv2));
    EXPECT_EQ(h.files.files["tail.txt"], "A\n");
}

// A preview saved into the tail file meets the same output failures, but
// for a later write: it is written in one.
TEST(ApplyTail, EveryFailureIsReportedAndLeavesBothFilesAsTheyWere) {
    const std::pair<Fault, RecordedMessage> cases[] = {
        {{.source = "none.txt"},
         Warning("INPUT FILE OPEN ERROR !!!\r\nFILE : none.txt\r\nNo such file or directory")},
        {{.source = ""}, Warning("INPUT FILE OPEN ERROR !!!\r\nFILE : \r\nNo base file is chosen.")},
        {{.dest = ""}, Warning("OUTPUT FILE OPEN ERROR !!!\r\nFILE : \r\nNo tail file is chosen.")},
        {{.dest = "base.txt"},
         Warning("OUTPUT FILE OPEN ERROR !!!\r\nFILE : base.txt\r\nThe tail file is the base file.")},
        {{.dest = "Tarnwick.ini"},
         Warning("OUTPUT FILE OPEN ERROR !!!\r\nFILE : Tarnwick.ini\r\nThe tail file is the settings file.")},
        {{.failOpen = true}, Warning("OUTPUT FILE OPEN ERROR !!!\r\nFILE : tail.txt\r\nPermission denied")},
        {{.base = "//START PRIV-1\nA\n//END\n"},
         Error("INPUT SOURCE ERROR !!!\r\nNOT FOUND - //START PRIV-2")},
        {{.base = "//START PRIV-2\nA\nB\n"}, Error("INPUT SOURCE ERROR !!!\r\nNOT FOUND - //END")},
        {{.base = "//START PRIV-2\n" + std::string(kBlockSizeLimit + 1, 'x') + "\n//END\n"},
         Error("INPUT SOURCE ERROR !!!\r\nBLOCK LARGER THAN 8 MiB - //START PRIV-2")},
        // Where the limit cuts the line, what follows is no end line.
        {{.base = "//START PRIV-2\n" + std::string(kBlockSizeLimit, 'x') + "//END\n//END\n"},
         Error("INPUT SOURCE ERROR !!!\r\nBLOCK LARGER THAN 8 MiB - //START PRIV-2")},
        {{.readFailAfter = 3}, Warning("INPUT FILE READ ERROR !!!\r\nFILE : base.txt\r\nInput/output error")},
        {{.readFailAfter = 40},
         Warning("INPUT FILE READ ERROR !!!\r\nFILE : base.txt\r\nInput/output error")},
        {{.writesAllowed = 0},
         Warning("OUTPUT FILE WRITE ERROR !!!\r\nFILE : tail.txt\r\nNo space left on device")},
        {{.writesAllowed = 2},
         Warning("OUTPUT FILE WRITE ERROR !!!\r\nFILE : tail.txt\r\nNo space left on device")},
        {{.failCommit = true},
         Warning("OUTPUT FILE WRITE ERROR !!!\r\nFILE : tail.txt\r\nDisk quota exceeded")},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        for (const bool preview : {false, true}) {
            if (preview &&
                (!cases[i].second.text.starts_with("OUTPUT") || cases[i].first.writesAllowed == 2)) {
                continue;
            }
            Harness h(cases[i].first);
            const auto before = h.files.files;
            EXPECT_FALSE(preview ? SavePreviewText(h.state, h.services, "edited")
                                 : ApplyTail(h.state, h.services, kPriv2))
                << i;
            EXPECT_EQ(h.messages.shown, Messages{cases[i].second}) << i;
            EXPECT_EQ(h.files.files, before) << i;
        }
    }
}

TEST(SavePreviewText, WritesEveryLineBreakAsTheLineEndPlusOneMore) {
    const std::tuple<std::string_view, std::string_view, std::string> cases[] = {
        {"a\r\nb\rc\nd", "\n", "a\nb\nc\nd\n"},
        {"a\r\nb\rc\nd", "\r\n", "a\r\nb\r\nc\r\nd\r\n"},
        {"\r\r\n\n", "\n", "\n\n\n\n"},
        {"", "\r\n", "\r\n"}};
    for (const auto& [text, lineEnd, file] : cases) {
        Harness h({}, lineEnd);
        EXPECT_TRUE(SavePreviewText(h.state, h.services, text));
        EXPECT_EQ(h.files.files["tail.txt"], file) << ::testing::PrintToString(text);
        EXPECT_EQ(h.messages.shown, (Messages{{"Set Vellicor for PreView Edit.", MessageKind::Information}}));
    }
    Harness quiet;
    quiet.state.NoMsg = "ON";
    EXPECT_TRUE(SavePreviewText(quiet.state, quiet.services, "x"));
    EXPECT_TRUE(quiet.messages.shown.empty());
}

}  // namespace
}  // namespace tarnwick
