#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/first_start.h"
#include "core/live_slot.h"
#include "core/startup.h"
#include "core/tail_engine.h"
#include "core/text.h"
#include "tests/fakes.h"
#include "tests/file_helpers.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

std::string Example() {
    return ReadAll(TARNWICK_EXAMPLES "/MailBase.TXT");
}

AppState SlotTable() {
    AppState state;
    FillSlotTable(state);
    return state;
}

constexpr const char* kTail = "/home/jane/.signature";
constexpr const char* kBase = "/home/jane/Documents/MailBase.TXT";
constexpr const char* kFolder = "/home/jane/Documents";
constexpr const char* kSettings = "/home/jane/.config/tarnwick/Tarnwick.ini";

// Files in memory, with the example's slot table.
struct Rig : FakeServices {
    AppState state = SlotTable();

    // Applies `slot` from `base` into a fresh tail: what a slot button writes.
    std::optional<std::string> Applied(const std::string& base, int slot) {
        files.files["/base"] = base;
        state.Source = "/base";
        state.Dest = "/applied";
        state.NoMsg = "ON";
        if (!ApplyTail(state, services, slot)) {
            return std::nullopt;
        }
        return files.files["/applied"];
    }
};

TEST(KeepTailAsBlock, KeepsTheTailWordForWordAsALiveBlock) {
    struct Case {
        const char* name;
        std::string tail;
        int slot;
    };
    const std::vector<Case> cases = {
        {"plain lines", "Best,\nJane\n", 2},
        {"CR LF and lone CR ends", "Best,\r\nJane\rExample\r\n", 2},
        {"an empty line inside", "Jane\n\n--\nexample.org\n", 6},
        {"empty lines at the end", "Jane\n\n\n", 3},
        {"spaces and tabs at the ends", "  Jane \t\n\t\n", 4},
        {"text in another script", "ジェーン・エグザンプル\n東京\n", 2},
        {"look-alikes that are text", "%DATE and time\n//ENDING\n//START PRIV-9\n %DATE\n", 2},
        {"into a block that had placeholders", "Sent by Jane\n", 1},
        // 8 MiB once the line end is one byte, as the block expands.
        {"as large as a block may be", std::string(kBlockSizeLimit - 1, 'a') + "\r\n", 2},
        // Live as it is, though the block ends its last line as every tail it writes does.
        {"no last line end", "Best,\r\nJane", 2},
    };
    const std::string example = Example();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        const BlockImport kept =
            KeepTailAsBlock(example, rig.state.KeyName.at(static_cast<std::size_t>(c.slot)), c.tail, "\r\n");
        ASSERT_TRUE(kept.text) << kept.refusal;
        EXPECT_EQ(kept.text->find('\n'), kept.text->find("\r\n") + 1) << "line ends as asked";

        MemoryInputFile file(*kept.text);
        BaseFileReader reader(file);
        const SlotScan scan = ScanSlots(reader, rig.state.KeyName, c.tail);
        EXPECT_EQ(scan.live, c.slot);
        for (BlockPresence presence : scan.blocks) {
            EXPECT_EQ(presence, BlockPresence::Found) << "every other block stays whole";
        }

        std::string lfTail = WithLineEnds(c.tail, "\n");
        EndLastLine(lfTail);
        EXPECT_EQ(rig.Applied(*kept.text, c.slot), lfTail);
        // The example's own slots still give what they gave.
        const int other = c.slot == 2 ? 3 : 2;
        EXPECT_EQ(rig.Applied(*kept.text, other), rig.Applied(example, other));
    }
}

TEST(KeepTailAsBlock, RefusesWhatCannotBeKeptAsItIs) {
    const std::string example = Example();
    const auto misread = [](int line, const std::string& what) {
        return "Line " + std::to_string(line) + " of the tail file would be read as " + what +
               ", so its text cannot be kept word for word as a block. Edit the tail file, or go on "
               "without keeping its text.";
    };
    // What is refused, the base, the tail and why.
    const std::vector<std::array<std::string, 4>> cases = {
        {"an end line", example, "Jane\n  //END \n", misread(2, "the block's end line")},
        {"a date placeholder", example, "Sent \r\n%DATE\r\n", misread(2, "a date or time placeholder")},
        {"a time placeholder", example, "%TIME", misread(1, "a date or time placeholder")},
        {"another slot's start line", example, "a\nb\n //START OFFI-2\n", misread(3, "a block's start line")},
        {"no start line", "//START OFFI-1\nx\n//END\n", "Jane\n",
         "The base file has no complete block for PRIV-1."},
        {"no end line", "//START PRIV-1\nx\n", "Jane\n", "The base file has no complete block for PRIV-1."},
        {"larger than a block", example, std::string(kBlockSizeLimit, 'a'),
         "The tail file holds more than 8 MiB, more than a block may hold, so its text cannot be kept."},
    };
    for (const auto& [name, base, tail, refusal] : cases) {
        const BlockImport kept = KeepTailAsBlock(base, "PRIV-1", tail, "\n");
        EXPECT_FALSE(kept.text) << name;
        EXPECT_EQ(kept.refusal, refusal) << name;
    }
}

TEST(DefaultKeepSlot, IsTheFirstEmptyPrivateBlockElsePrivateOne) {
    const std::vector<std::tuple<const char*, std::string, int>> cases = {
        {"the example: every block holds text", Example(), 2},
        {"an empty block", "//START PRIV-1\nJane\n//END\n//START PRIV-3\n//END\n//START PRIV-4\n//END\n", 4},
        {"a block of blank lines", "//START PRIV-2\r\n \r\n\t\r\n//END\r\n", 3},
        {"an empty official block does not count", "//START OFFI-2\n//END\n", 2},
        {"an empty block without its end line", "//START PRIV-5\n", 2},
    };
    for (const auto& [name, base, slot] : cases) {
        EXPECT_EQ(DefaultKeepSlot(base, SlotTable().KeyName), slot) << name;
    }
}

TEST(CarryOutFirstStart, MakesANewBaseOnlyWhereNoFileIs) {
    struct Case {
        const char* name;
        std::string tailPath;
        std::string basePath;
        bool newBase;
        std::optional<int> keepSlot;
        std::optional<std::string> tail;
        std::optional<std::string> baseBefore;
        std::string message;                   // empty: none
        std::optional<std::string> baseAfter;  // as written
        bool failCommit = false;
        bool noExample = false;
        std::optional<std::string> read = {};  // the text the dialog read; none: the tail on file
    };
    const std::string example = Example();
    const std::string exampleKeeping = *KeepTailAsBlock(example, "PRIV-2", "Jane\r\n", "\n").text;
    const auto none = std::nullopt;
    const std::vector<Case> cases = {
        {"keeps the tail's text", kTail, kBase, true, 3, "Jane\r\n", none, "", exampleKeeping},
        {"keeps the text as it was read, not as it reads now", kTail, kBase, true, 3, "%DATE\n", none, "",
         exampleKeeping, false, false, "Jane\r\n"},
        {"without keeping", kTail, kBase, true, none, "Jane\n", none, "", example},
        {"nothing to keep: no tail yet", kTail, kBase, true, 3, none, none, "", example},
        {"nothing to keep: blank tail", kTail, kBase, true, 3, " \n\n", none, "", example},
        {"a file already there", kTail, kBase, true, 3, "Jane\n", "mine", BaseFileExistsError(kBase), "mine"},
        {"a tail that cannot be kept", kTail, kBase, true, 3, "%DATE\n", none, "placeholder", none},
        {"an existing base is used as it is", kTail, kBase, false, 3, "Jane\n", "mine", "", "mine"},
        {"an existing base that is not there", kTail, kBase, false, none, none, none,
         InputFileOpenError(kBase, "No such file or directory"), none},
        {"no tail chosen", "", kBase, true, none, none, none, std::string(kNoTailChosen), none},
        {"no base chosen", kTail, "", false, none, "Jane\n", none, std::string(kNoBaseChosen), none},
        {"the tail as base", kTail, kTail, false, none, "Jane\n", none, std::string(kTailIsBaseFile), none},
        {"a failed write", kTail, kBase, true, none, none, none,
         OutputFileWriteError(kBase, "Disk quota exceeded"), none, true},
        {"the settings file as tail", kSettings, kBase, true, none, "[FILES]\n", none,
         std::string(kTailIsSettingsFile), none},
        {"a folder as tail", kFolder, kBase, true, none, none, none, std::string(kTailIsFolder), none},
        {"no example to make it from", kTail, kBase, true, none, none, none, std::string(kNoExample), none,
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.files.failCommits = c.failCommit;
        rig.store.location = kSettings;
        rig.files.folders.insert(kFolder);
        for (const auto& [path, text] : {std::pair{c.tailPath, c.tail}, {std::string(kBase), c.baseBefore}}) {
            if (text) {
                rig.files.files[path] = *text;
            }
        }
        const FirstStartPlan plan{c.tailPath, c.basePath, c.newBase, c.keepSlot,
                                  c.read.value_or(c.tail.value_or(""))};
        EXPECT_EQ(CarryOutFirstStart(plan, c.noExample ? "" : example, rig.state.KeyName, rig.services),
                  c.message.empty());
        ASSERT_EQ(rig.messages.shown.size(), c.message.empty() ? 0U : 1U);
        if (!c.message.empty()) {
            EXPECT_NE(rig.messages.shown[0].text.find(c.message), std::string::npos);
        }
        const auto base = rig.files.files.find(kBase);
        EXPECT_EQ(base != rig.files.files.end() ? std::optional(base->second) : std::nullopt, c.baseAfter);
        if (c.tail) {
            EXPECT_EQ(rig.files.files[c.tailPath], *c.tail) << "the tail is only read";
        }
    }
}

}  // namespace
}  // namespace tarnwick
