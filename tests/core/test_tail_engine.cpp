#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/startup.h"
#include "core/tail_engine.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;
using Lines = std::vector<std::string>;

constexpr LocalTime kMorning{2003, 1, 11, 6, 2, 30};
constexpr LocalTime kEvening{2024, 12, 31, 23, 59, 5};

struct Expansion {
    TailOutcome outcome;
    Lines completed;
    std::string unfinished;
    bool operator==(const Expansion&) const = default;
    friend void PrintTo(const Expansion& e, std::ostream* out) {
        *out << static_cast<int>(e.outcome) << ' ' << ::testing::PrintToString(e.completed) << ' '
             << ::testing::PrintToString(e.unfinished);
    }
};

Expansion Expand(const std::string& base, std::string_view key, std::size_t blockSize, Clock& clock) {
    MemoryInputFile file(base);
    BaseFileReader reader(file, blockSize);
    Expansion result{};
    const TailExpansion expansion = ExpandTailBlock(reader, key, clock, [&](std::string_view line) {
        result.completed.emplace_back(line);
        return true;
    });
    result.outcome = expansion.outcome;
    result.unfinished = expansion.unfinished;
    return result;
}

TEST(ExpandTailBlock, JoinsPlaceholdersAndFindsTheBlock) {
    using enum TailOutcome;
    const struct {
        std::string base;
        Expansion expected;
    } cases[] = {
        {"//START K\r\nRegards\r\nSent \r\n%DATE\r\n\r\nBye\r\n//END\r\n",
         {Complete, {"Regards", "Sent 2003.01.11"}, "Bye"}},
        {"//START K\nDate: \n%DATE\n (\n%TIME\n)\n//END\n", {Complete, {}, "Date: 2003.01.11 (06:02:30)"}},
        {"//START K\n//END", {Complete, {}, ""}},
        {"//START K\nA\n\nB\n//END", {Complete, {"A", ""}, "B"}},
        {"//START K\nA\n\n//END", {Complete, {"A"}, ""}},
        {"//START K\n%DATE\n\nNext\n//END", {Complete, {"2003.01.11"}, "Next"}},
        {"//START K\n%DATE\n%TIME\n//END", {Complete, {}, "2003.01.1106:02:30"}},
        // Only the exact placeholder lines are placeholders; spaces are kept.
        {"//START K\n %DATE\n%DATE \n%date\n  A  \n//END",
         {Complete, {" %DATE", "%DATE ", "%date"}, "  A  "}},
        // The end line may carry spaces, nothing else.
        {"//START K\n//END x\n\t//END\n//end\n  //END  \nlater", {Complete, {"//END x", "\t//END"}, "//end"}},
        // Text before the block, other blocks and their end lines are ignored;
        // inside the block a start line is ordinary text.
        {"//END\n//START J\nx\n//END\n  //START K \n//START K\nA\n//END\n//START K\nB\n//END",
         {Complete, {"//START K"}, "A"}},
        {"//START K\nA\nB", {EndNotFound, {"A"}, "B"}},
        {"//START K\r\n", {StartNotFound, {}, ""}},
        {"//START K1\nA\n//END", {StartNotFound, {}, ""}},
        {"//START  K\nA\n//END", {StartNotFound, {}, ""}},
        {"//Start K\nA\n//END", {StartNotFound, {}, ""}},
    };
    for (const auto& c : cases) {
        for (const std::size_t blockSize : {std::size_t{3}, BaseFileReader::kDefaultBlockSize}) {
            FixedClock clock(kMorning);
            EXPECT_EQ(Expand(c.base, "K", blockSize, clock), c.expected)
                << ::testing::PrintToString(c.base) << " block " << blockSize;
        }
    }
}

TEST(ExpandTailBlock, ReadsTheClockOncePerPlaceholder) {
    FixedClock clock({kMorning, kEvening});
    EXPECT_EQ(Expand("//START K\n%DATE\n%TIME\n\nx\n%DATE\n//END", "K", 64, clock),
              (Expansion{TailOutcome::Complete, {"2003.01.1123:59:05"}, "x2024.12.31"}));
    EXPECT_EQ(clock.reads, 3);

    FixedClock unused(kMorning);
    Expand("//START K\nA\n//END", "K", 64, unused);
    Expand("no block", "K", 64, unused);
    EXPECT_EQ(unused.reads, 0);
}

TEST(ExpandTailBlock, StopsAtTheFirstLineTheSinkRefuses) {
    MemoryInputFile file("//START K\nA\nB\nC\n//END\n");
    BaseFileReader reader(file);
    FixedClock clock(kMorning);
    int calls = 0;
    const auto expansion = ExpandTailBlock(reader, "K", clock, [&](std::string_view) {
        ++calls;
        return false;
    });
    EXPECT_EQ(expansion.outcome, TailOutcome::WriteFailed);
    EXPECT_EQ(calls, 1);
}

// A tail operation with every service faked; the base file holds one block
// for PRIV-2 and the tail file an old tail.
struct Harness {
    explicit Harness(std::string_view lineEnd = "\n") : services{messages, clock, files, settings, lineEnd} {
        FillSlotTable(state);
        state.Source = "base.txt";
        state.Dest = "tail.txt";
        state.NoMsg = "OF";
        files.files["base.txt"] = kBase;
        files.files["tail.txt"] = "old tail\n";
    }
    static constexpr const char* kBase =
        "noise\r\n//START PRIV-2\r\nRegards\r\nSent \r\n%DATE\r\n\r\nBye\r\n//END\r\n";

    RecordingMessages messages;
    FixedClock clock{kMorning};
    MemoryFileSystem files;
    MemoryProfileStore store;
    Settings settings{store};
    Services services;
    AppState state;
};

constexpr int kPriv2 = 3;

TEST(ApplyTail, WritesTheBlockWithTheGivenLineEnd) {
    for (const std::string_view lineEnd : {"\n", "\r\n"}) {
        Harness h(lineEnd);
        h.state.Caption[kPriv2] = "Home";
        EXPECT_TRUE(ApplyTail(h.state, h.services, kPriv2));
        const std::string e(lineEnd);
        EXPECT_EQ(h.files.files["tail.txt"], "Regards" + e + "Sent 2003.01.11" + e + "Bye" + e);
        EXPECT_EQ(h.messages.shown,
                  (std::vector<RecordedMessage>{{"Set Vellicor for [ Home ].", MessageKind::Information}}));
    }
}

TEST(ApplyTail, DropsAnEmptyUnfinishedLineAndShowsSuccessOnlyForOF) {
    for (const char* noMsg : {"OF", "ON", "of", ""}) {
        Harness h;
        h.state.NoMsg = noMsg;
        h.files.files["base.txt"] = "//START PRIV-2\nA\n\n//END\n";
        EXPECT_TRUE(ApplyTail(h.state, h.services, kPriv2));
        EXPECT_EQ(h.files.files["tail.txt"], "A\n");
        EXPECT_EQ(h.messages.shown.size(), std::string_view(noMsg) == "OF" ? 1U : 0U) << noMsg;
    }
}

TEST(ApplyTail, EveryFailureIsReportedAndLeavesBothFilesAsTheyWere) {
    const struct {
        const char* name;
        std::function<void(Harness&)> arrange;
        RecordedMessage message;
    } cases[] = {
        {"missing base",
         [](Harness& h) { h.state.Source = "none.txt"; },
         {"INPUT FILE OPEN ERROR !!!\r\nFILE : none.txt", MessageKind::Warning}},
        {"tail is base",
         [](Harness& h) { h.state.Dest = "base.txt"; },
         {"OUTPUT FILE OPEN ERROR !!!\r\nFILE : base.txt", MessageKind::Warning}},
        {"tail not opened",
         [](Harness& h) { h.files.failOpenReplacing = true; },
         {"OUTPUT FILE OPEN ERROR !!!\r\nFILE : tail.txt", MessageKind::Warning}},
        {"no start",
         [](Harness& h) { h.files.files["base.txt"] = "//START PRIV-1\nA\n//END\n"; },
         {"INPUT SOURCE ERROR !!!\r\nNOT FOUND - //START PRIV-2", MessageKind::Error}},
        {"no end",
         [](Harness& h) { h.files.files["base.txt"] = "//START PRIV-2\nA\nB\n"; },
         {"INPUT SOURCE ERROR !!!\r\nNOT FOUND - //END", MessageKind::Error}},
        {"read fails before the block",
         [](Harness& h) { h.files.readFailAfter = 3; },
         {"INPUT FILE READ ERROR !!!\r\nFILE : base.txt", MessageKind::Warning}},
        {"read fails in the block",
         [](Harness& h) { h.files.readFailAfter = 40; },
         {"INPUT FILE READ ERROR !!!\r\nFILE : base.txt", MessageKind::Warning}},
        {"first write fails",
         [](Harness& h) { h.files.writesAllowed = 0; },
         {"OUTPUT FILE WRITE ERROR !!!\r\nFILE : tail.txt", MessageKind::Warning}},
        {"last write fails",
         [](Harness& h) { h.files.writesAllowed = 2; },
         {"OUTPUT FILE WRITE ERROR !!!\r\nFILE : tail.txt", MessageKind::Warning}},
        {"commit fails",
         [](Harness& h) { h.files.failCommits = true; },
         {"OUTPUT FILE WRITE ERROR !!!\r\nFILE : tail.txt", MessageKind::Warning}},
    };
    for (const auto& c : cases) {
        Harness h;
        c.arrange(h);
        const auto before = h.files.files;
        EXPECT_FALSE(ApplyTail(h.state, h.services, kPriv2)) << c.name;
        EXPECT_EQ(h.messages.shown, std::vector<RecordedMessage>{c.message}) << c.name;
        EXPECT_EQ(h.files.files, before) << c.name;
    }
}

TEST(PreviewTailText, RendersTheBlockAndNeverOpensTheTailFile) {
    Harness h;
    EXPECT_EQ(PreviewTailText(h.state, h.services, kPriv2, "\r\n"), "Regards\r\nSent 2003.01.11\r\nBye");
    EXPECT_TRUE(h.messages.shown.empty());

    h.files.files["base.txt"] = "//START PRIV-2\nA\nB\n";
    EXPECT_EQ(PreviewTailText(h.state, h.services, kPriv2, "\r\n"), std::nullopt);
    EXPECT_EQ(h.messages.shown, (std::vector<RecordedMessage>{{EndNotFoundError(), MessageKind::Error}}));
    EXPECT_TRUE(h.files.replaceOpens.empty());
}

TEST(SavePreviewText, WritesEveryLineBreakAsTheLineEndPlusOneMore) {
    const struct {
        std::string_view text;
        std::string_view lineEnd;
        std::string file;
    } cases[] = {
        {"a\r\nb\rc\nd", "\n", "a\nb\nc\nd\n"},
        {"a\r\nb\rc\nd", "\r\n", "a\r\nb\r\nc\r\nd\r\n"},
        {"\r\r\n\n", "\n", "\n\n\n\n"},
        {"", "\r\n", "\r\n"},
    };
    for (const auto& c : cases) {
        Harness h(c.lineEnd);
        EXPECT_TRUE(SavePreviewText(h.state, h.services, c.text));
        EXPECT_EQ(h.files.files["tail.txt"], c.file) << ::testing::PrintToString(c.text);
        EXPECT_EQ(
            h.messages.shown,
            (std::vector<RecordedMessage>{{"Set Vellicor for PreView Edit.", MessageKind::Information}}));
    }
}

TEST(SavePreviewText, AnUnchangedPreviewSavesWhatApplyTailWrites) {
    Harness preview;
    Harness applied;
    preview.state.NoMsg = applied.state.NoMsg = "ON";
    const auto text = PreviewTailText(preview.state, preview.services, kPriv2, "\r\n");
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(SavePreviewText(preview.state, preview.services, *text));
    EXPECT_TRUE(ApplyTail(applied.state, applied.services, kPriv2));
    EXPECT_EQ(preview.files.files, applied.files.files);
    EXPECT_TRUE(preview.messages.shown.empty());
}

TEST(SavePreviewText, FailuresAreReportedAndNeverTouchTheFiles) {
    const struct {
        std::function<void(Harness&)> arrange;
        std::string message;
    } cases[] = {
        {[](Harness& h) { h.state.Dest = "base.txt"; }, OutputFileOpenError("base.txt")},
        {[](Harness& h) { h.files.failOpenReplacing = true; }, OutputFileOpenError("tail.txt")},
        {[](Harness& h) { h.files.writesAllowed = 0; }, OutputFileWriteError("tail.txt")},
        {[](Harness& h) { h.files.failCommits = true; }, OutputFileWriteError("tail.txt")},
    };
    for (const auto& c : cases) {
        Harness h;
        c.arrange(h);
        const auto before = h.files.files;
        EXPECT_FALSE(SavePreviewText(h.state, h.services, "edited"));
        EXPECT_EQ(h.messages.shown, (std::vector<RecordedMessage>{{c.message, MessageKind::Warning}}));
        EXPECT_EQ(h.files.files, before);
    }
}

}  // namespace
}  // namespace tarnwick
