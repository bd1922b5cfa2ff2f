#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/settings.h"
#include "core/startup.h"
#include "core/tail_engine.h"
#include "core/usage.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using testing::MemoryMailFiles, testing::RecordedMessage, testing::RecordingMessages,
    testing::RecordingOutput;

// Anything but exactly one space and NOMSG shows the message; only a key
// name as the first word selects a slot, upper-cased as ASCII only (a dotless
// i is no "I"); a first word starting with "--" is an option, spelled exactly.
TEST(ParseCommandLine, PicksSlotMessageFlagAndOption) {
    using enum CommandOption;
    const std::tuple<const char*, std::optional<int>, bool, CommandOption> cases[] = {
        {"", std::nullopt, false, None},
        {"OFFI-1", 0, false, None},
        {"  priv-2  ", 3, false, None},
        {"PRIV-5", 6, false, None},
        {"PRIV-2 NOMSG", 3, true, None},
        {"PRIV-2 NoMsg  ", 3, true, None},
        {"PRIV-2  NOMSG", 3, false, None},
        {"PRIV-2 NOMSG X", 3, false, None},
        {"PRIV-2\tNOMSG", std::nullopt, false, None},
        {"PRIV-8", std::nullopt, false, None},
        {"OFFI-1NOMSG", std::nullopt, false, None},
        {"NOMSG PRIV-2", std::nullopt, false, None},
        {"PRIV-", std::nullopt, false, None},
        {"offı-1", std::nullopt, false, None},
        {" --help ", std::nullopt, false, Help},
        {"--version PRIV-2", std::nullopt, false, Version},
        {"--HELP", std::nullopt, false, Unknown},
        {"--PRIV-2", std::nullopt, false, Unknown},
        {"--status", std::nullopt, false, Status},
        {"--refresh NOMSG", std::nullopt, false, Refresh},
        {"--list", std::nullopt, false, List},
        {"--print", std::nullopt, false, Print},
        {"--print  priv-2 NOMSG", 3, false, Print},  // the key in any case, NOMSG ignored
        {"-h", std::nullopt, false, None},
        {"PRIV-2 --help", 3, false, None},
    };
    for (const auto& [text, slot, noMsg, option] : cases) {
        const CommandLine command = ParseCommandLine(text);
        EXPECT_EQ(std::tuple(command.slot, command.noMsg, command.option), std::tuple(slot, noMsg, option))
            << '"' << text << '"';
    }
}

class MainTest : public ::testing::Test, public testing::FakeServices {
protected:
    int RunMain(std::string_view commandLine) {
        Services services{messages, clock, files, settings, "\n", mailFiles, &console};
        return Main(
            state, services, commandLine,
            [this](AppState& shown) {
                ++windowShown;
                EXPECT_EQ(&shown, &state);
                return 0;
            },
            output, hasDisplay);
    }

    void WriteSettings(std::string text) { store.text = std::move(text); }
    // Forgets what earlier runs printed and showed.
    void Clear() {
        output.written.clear();
        messages.shown.clear();
        console.shown.clear();
    }

    RecordingMessages console;  // what must never become a box
    RecordingOutput output;
    AppState state;
    int windowShown = 0;
    MailConfigFiles* mailFiles = nullptr;
    bool hasDisplay = true;
};

// Without a display, a first word that is no key name cannot mean the main
// window either. No regular expressions: GoogleTest's Windows build knows
// only simple ones.
TEST_F(MainTest, HelpVersionAndUnknownWordsNeedNoSettings) {
    using ::testing::AllOf, ::testing::EndsWith, ::testing::HasSubstr, ::testing::IsEmpty,
        ::testing::StartsWith;
    const std::string keys =
        " is not a slot key.\r\nThe slot keys are OFFI-1 OFFI-2 PRIV-1 PRIV-2 PRIV-3 PRIV-4 PRIV-5, in any "
        "case.\r\nSee tarnwick --help.";
    // The command line, whether there is a display, the status, the output
    // and the error shown (empty: none).
    const std::tuple<const char*, bool, int, ::testing::Matcher<std::string>, std::string> cases[] = {
        {"--help", true, 0,
         AllOf(StartsWith("Usage:\n  tarnwick "), HasSubstr("Tarnwick.ini"), EndsWith("\n")), ""},
        {"--version", true, 0, AllOf(StartsWith("tarnwick "), HasSubstr("."), EndsWith("\n")), ""},
        {"--status-of PRIV-2", true, 2, IsEmpty(), "Unknown option --status-of. See tarnwick --help."},
        {"  priv-9 NOMSG", false, 2, IsEmpty(), "\"priv-9\"" + keys},
        {"help", false, 2, IsEmpty(), "\"help\"" + keys},
        {"--help", false, 0, StartsWith("Usage:"), ""},
    };
    for (const auto& [commandLine, display, status, written, error] : cases) {
        SCOPED_TRACE(commandLine);
        Clear();
        hasDisplay = display;
        EXPECT_EQ(RunMain(commandLine), status);
        EXPECT_THAT(output.written, written);
        using Shown = std::vector<RecordedMessage>;
        EXPECT_EQ(messages.shown, error.empty() ? Shown() : Shown({{error, MessageKind::Error}}));
        EXPECT_EQ(store.loads, 0);
        EXPECT_EQ(windowShown, 0);
        EXPECT_TRUE(files.readOpens.empty());
    }
}

// The block has a date and a time; the tail on file holds others. PRIV-4's
// block is too large, PRIV-5's has no end.
TEST_F(MainTest, LiveSlotOptionsPrintRefreshAndNeverTouchAnEditedTail) {
    const std::string base =
        "//START OFFI-1\nA\n//END\n//START PRIV-2\nSent \n%DATE\n \n%TIME\n//END\n"
        "//START OFFI-2\nC\n//ENd\n//START PRIV-3\n//END\n"
        "//START PRIV-4\n" +
        std::string(kBlockSizeLimit + 1, 'x') + "\n//END\n//START PRIV-5\nB\n";
    const std::string oldTail = "Sent 2001.02.03 04:05:06\r\n";
    const std::string edited = "Sent 2001.02.03 04:05:06 \n";
    const std::string none =
        "The tail file holds none of the seven slots: it was edited or written by something else.";
    const std::string noTail = "The tail file holds nothing: there is no tail file yet.\n";
    const std::string fileLines = "Base file: base\nTail file: tail\n";
    const std::string list =
        "OFFI-1 Set Official 1: block found\n"
        "OFFI-2 Set Official 2: block found, but it holds the start line of another slot, \"//START "
        "PRIV-3\": is an end line mistyped?\n"
        "PRIV-1 Set Private 1: no block: no start line\nPRIV-2 Weekend: block found\n"
        "PRIV-3 Set Private 3: block found\nPRIV-4 Set Private 4: no block: larger than 8 MiB\n"
        "PRIV-5 Set Private 5: no block: no end line\nBase file: base\n";
    const std::string priv2Now = "Sent 2026.12.07 09:30:00\n";
    using enum MessageKind;
    struct Case {
        const char* commandLine;
        std::optional<std::string> tail;  // none: no tail file
        int status;
        std::string output;
        std::vector<RecordedMessage> shown = {};
        std::vector<RecordedMessage> onConsole = {};
        std::optional<std::string> rewritten = {};  // the tail written; none: the tail stays
        bool hasDisplay = true;
    };
    const std::vector<Case> cases = {
        {"--status", oldTail, 0, "PRIV-2 Weekend, 2001.02.03 04:05:06\n" + fileLines},
        {"--status", "A\n", 0, "OFFI-1 Set Official 1\n" + fileLines},
        {"--status", edited, 3, none + "\n" + fileLines},
        {"--status", std::nullopt, 3, noTail + fileLines},
        {"--refresh", oldTail, 0, "", {}, {}, priv2Now},
        {"--refresh", "B\n", 3, "", {{none + " Nothing was written.", Warning}}},
        {"--list", "B\n", 0, list},
        // --print writes no file and reports only on the console.
        {"--print priv-2", "B\n", 0, priv2Now},
        {"--print", oldTail, 0, priv2Now},
        {"--print OFFI-1 NOMSG", std::nullopt, 0, "A\n"},
        {"--print PRIV-3", "B\n", 0, ""},
        {"--print", "B\n", 3, "", {}, {{none + " Nothing was printed.", Warning}}},
        {"--print PRIV-5", "B\n", 1, "", {}, {{EndNotFoundError(), Error}}},
        {"--print PRIV-9", "B\n", 2, "", {}, {{NotASlotKeyError("PRIV-9"), Error}}},
        {"--print PRIV-9", "B\n", 2, "", {}, {{NotASlotKeyError("PRIV-9"), Error}}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.commandLine) + " " + ::testing::PrintToString(c.tail));
        WriteSettings("[FILES]\nDEST=tail\nSOURCE=base\nNoMsg=OF\n[CAPTION]\nPRIV-2=Weekend\n");
        files.files = {{"base", base}};
        if (c.tail) {
            files.files["tail"] = *c.tail;
        }
        Clear();
        hasDisplay = c.hasDisplay;
        EXPECT_EQ(RunMain(c.commandLine), c.status);
        EXPECT_EQ(output.written, c.output);
        EXPECT_EQ(messages.shown, c.shown);
        EXPECT_EQ(console.shown, c.onConsole);
        EXPECT_EQ(files.files.contains("tail") ? std::optional(files.files["tail"]) : std::nullopt,
                  c.rewritten ? c.rewritten : c.tail);
        EXPECT_EQ(windowShown, 0);
        EXPECT_EQ(store.stores, 0);
    }
}

// No base file, or one that fails after the tail's two bytes were read.
TEST_F(MainTest, LiveSlotOptionsReportFailuresWithStatusOne) {
    using Files = std::map<std::string, std::string>;
    for (const auto& [fileSet, failure] :
         {std::pair<Files, std::string>{
              {{"tail", "x\n"}}, "INPUT FILE OPEN ERROR !!!\r\nFILE : base\r\nNo such file or directory"},
          {{{"tail", "x\n"}, {"base", "//START PRIV-2\nx\n//END\n"}},
           "INPUT FILE READ ERROR !!!\r\nFILE : base\r\nInput/output error"}}) {
        for (const char* commandLine : {"--status", "--refresh", "--list"}) {
            SCOPED_TRACE(std::string(commandLine) + " " + failure);
            WriteSettings("[FILES]\nDEST=tail\nSOURCE=base\n");
            files.files = fileSet;
            files.readFailAfter = 4;
            Clear();
            EXPECT_EQ(RunMain(commandLine), 1);
            EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{failure, MessageKind::Warning}}));
            EXPECT_EQ(output.written, "");
            EXPECT_EQ(files.files, fileSet);
        }
    }
}

TEST_F(MainTest, WindowModeGetsSlotTableCaptionsAndFileSettings) {
    WriteSettings(
        "[files]\ndest=/t/tail.txt\nSOURCE = /t/base.txt\nNOMSG=ON\nNoStop=OF\n"
        "[CAPTION]\nPRIV-2=Weekend\nPRIV-3=\noffi-1=  Office  \nPRIV-5=Last\n");
    EXPECT_EQ(RunMain("PRIV-8"), 0);
    EXPECT_EQ(windowShown, 1);
    // An empty caption keeps the default; window mode keeps the stored flag.
    using Texts = std::array<std::string, 4>;
    EXPECT_EQ((Texts{state.Caption[0], state.Caption[3], state.Caption[4], state.Caption[6]}),
              (Texts{"Office", "Weekend", "Set Private 3", "Last"}));
    EXPECT_EQ((Texts{state.Dest, state.Source, state.NoMsg, state.NoStop}),
              (Texts{"/t/tail.txt", "/t/base.txt", "ON", "OF"}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(files.readOpens.empty()) << "window mode touches no base file at start";
}

TEST_F(MainTest, FindTailsPrintsEachFileOnceWithItsState) {
    // The tail file in the settings is a link to the one mutt names.
    WriteSettings("[FILES]\nDEST=/home/jane/tail\n");
    files.links["/home/jane/tail"] = "/home/jane/sigs/work.txt";
    files.files["/home/jane/sigs/work.txt"] = "Jane\n";
    files.files["/home/jane/.signature"] = "Bye\n";
    MemoryMailFiles mail(files);
    const std::string muttrc = "set signature=~/sigs/work.txt\nsend-hook . 'set signature=~/sigs/club.txt'\n";
    mail.configs = {{MailConfigKind::Muttrc, "mutt", "/home/jane/.muttrc", muttrc},
                    {MailConfigKind::Muttrc, "mutt", "/home/jane/.muttrc", muttrc},
                    {MailConfigKind::PlainSignature, "Many programs", "/home/jane/.signature", ""},
                    // A raw tab in the name and an escaped line break in the path each print as a space.
                    {MailConfigKind::KMailIdentities, "KMail", "/home/jane/.config/emailidentities",
                     "[Identity #0]\nName=Jane\tDoe\nSignature Type=file\nSignature File=/s/a\\nb.txt\n"}};
    mailFiles = &mail;
    EXPECT_EQ(RunMain("--find-tails"), 0);
    EXPECT_EQ(output.written,
              "mutt\tdefault\t/home/jane/sigs/work.txt\texists, the current tail file\n"
              "mutt\tsend-hook .\t/home/jane/sigs/club.txt\tmissing\n"
              "Many programs\tdefault signature file\t/home/jane/.signature\texists\n"
              "KMail\tJane Doe\t/s/a b.txt\tmissing\n");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainTest, FindTailsFindingNoneIsStatusThree) {
    MemoryMailFiles mail(files);
    mail.configs = {
        {MailConfigKind::ClawsAccounts, "Claws Mail", "/c/accountrc", "[Account: 1]\nsignature_type=1\n"}};
    for (MailConfigFiles* source : std::initializer_list<MailConfigFiles*>{&mail, nullptr}) {
        mailFiles = source;
        Clear();
        EXPECT_EQ(RunMain("--find-tails"), kNoneFoundStatus);
        EXPECT_EQ(output.written, "No mail program's tail file was found.\n");
    }
}

}  // namespace
}  // namespace tarnwick
