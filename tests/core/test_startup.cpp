#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/startup.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using testing::FixedClock;
using testing::MemoryFileSystem;
using testing::MemoryProfileStore;
using testing::RecordedMessage;
using testing::RecordingMessages;

struct CommandLineCase {
    const char* name;
    const char* text;
    std::optional<int> slot;
    bool noMsg;
};
void PrintTo(const CommandLineCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ParseCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ParseCommandLineTest, PicksSlotAndMessageFlag) {
    const CommandLineCase& c = GetParam();
    const CommandLine command = ParseCommandLine(c.text);
    EXPECT_EQ(command.slot, c.slot);
    EXPECT_EQ(command.noMsg, c.noMsg);
}

const CommandLineCase kForms[] = {
    {"Empty", "", std::nullopt, false},
    {"FirstSlot", "OFFI-1", 0, false},
    {"SpacesAround", "  priv-2  ", 3, false},
    {"LastSlot", "PRIV-5", 6, false},
    {"Nomsg", "PRIV-2 NOMSG", 3, true},
    {"NomsgThenSpaces", "PRIV-2 NoMsg  ", 3, true},
    // Anything but exactly one space and NOMSG shows the message.
    {"TwoSpacesBeforeNomsg", "PRIV-2  NOMSG", 3, false},
    {"WordAfterNomsg", "PRIV-2 NOMSG X", 3, false},
    {"TabBeforeNomsg", "PRIV-2\tNOMSG", std::nullopt, false},
    // Only a key name as the first word selects a slot.
    {"NoSuchSlot", "PRIV-8", std::nullopt, false},
    {"NomsgWithoutSpace", "OFFI-1NOMSG", std::nullopt, false},
    {"NomsgFirst", "NOMSG PRIV-2", std::nullopt, false},
    {"KeyCutShort", "PRIV-", std::nullopt, false},
    // Upper-casing is ASCII only: a dotless i is no "I".
    {"DotlessI", "offı-1", std::nullopt, false},
};

INSTANTIATE_TEST_SUITE_P(Forms, ParseCommandLineTest, ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) {
                             return std::string(info.param.name);
                         });

class MainTest : public ::testing::Test {
protected:
    int RunMain(std::string_view commandLine) {
        Services services{messages, clock, files, settings, "\n"};
        return Main(state, services, commandLine, [this](AppState& shown) {
            ++windowShown;
            EXPECT_EQ(&shown, &state);
            return 0;
        });
    }

    void WriteSettings(std::string text) { store.text = std::move(text); }

    RecordingMessages messages;
    FixedClock clock{LocalTime{2003, 1, 11, 6, 2, 30}};
    MemoryFileSystem files;
    MemoryProfileStore store;
    Settings settings{store, "\n"};
    AppState state;
    int windowShown = 0;
};

TEST_F(MainTest, WindowModeGetsSlotTableCaptionsAndFileSettings) {
    WriteSettings(
        "[files]\ndest=/t/tail.txt\nSOURCE = /t/base.txt\nNOMSG=ON\nNoStop=OF\n"
        "[CAPTION]\nPRIV-2=Weekend\nPRIV-3=\noffi-1=  Office  \nPRIV-5=Last\n");
    EXPECT_EQ(RunMain("PRIV-8"), 0);
    EXPECT_EQ(windowShown, 1);
    EXPECT_EQ(state.Caption[3], "Weekend");
    EXPECT_EQ(state.Caption[4], "Set Private 3") << "an empty caption keeps the default";
    EXPECT_EQ(state.Caption[0], "Office");
    EXPECT_EQ(state.Caption[6], "Last");
    EXPECT_EQ(state.Dest, "/t/tail.txt");
    EXPECT_EQ(state.Source, "/t/base.txt");
    EXPECT_EQ(state.NoMsg, "ON") << "window mode keeps the stored flag";
    EXPECT_EQ(state.NoStop, "OF");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(files.readOpens.empty()) << "window mode touches no base file at start";
}

TEST_F(MainTest, CommandLineAppliesSlotAndNeverWritesSettings) {
    WriteSettings("[FILES]\nDEST=tail\nSOURCE=base\nNoMsg=ON\n[CAPTION]\nPRIV-2=Weekend\n");
    files.files["base"] = "//START PRIV-2\r\nHello\r\n//END\r\n";
    EXPECT_EQ(RunMain(" priv-2 "), 0);
    EXPECT_EQ(windowShown, 0);
    EXPECT_EQ(files.files["tail"], "Hello\n");
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Set Vellicor for [ Weekend ].", MessageKind::Information}}))
        << "without NOMSG the message shows even when the settings say ON";
    EXPECT_EQ(store.stores, 0);
}

TEST_F(MainTest, FailureGivesStatusOneAndStillReports) {
    EXPECT_EQ(RunMain("OFFI-1 NOMSG"), 1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"INPUT FILE OPEN ERROR !!!\r\nFILE : ", MessageKind::Warning}}))
        << "no settings file: the base file name is empty";
    EXPECT_EQ(store.stores, 0);
}

}  // namespace
}  // namespace tarnwick
