// The mail programs' configuration readers, on excerpts the programs wrote
// or read, as they are and with single lines changed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/mail_programs.h"
#include "tests/file_helpers.h"

namespace tarnwick {
namespace {

constexpr std::string_view kHome = "/home/jane";

using Reader = std::vector<MailTail> (*)(std::string_view text);

std::vector<MailTail> Thunderbird(std::string_view text) {
    return ReadGeckoPrefs(text, "Thunderbird");
}
std::vector<MailTail> Mutt(std::string_view text) {
    return ReadMuttrc(text, "mutt", kHome);
}
std::vector<MailTail> Aerc(std::string_view text) {
    return ReadAercAccounts(text, kHome);
}

std::vector<MailTail> KMail(std::string_view text) {
    return ReadKMailIdentities(text, kHome);
}

std::string Fixture(const std::string& name) {
    return ::tarnwick::testing::ReadAll(std::string(TARNWICK_MAIL_FIXTURES) + "/" + name);
}

struct ReaderCase {
    const char* name;
    Reader read;
    const char* fixture;
    std::vector<std::pair<std::string, std::string>> edits;  // each replaces one text of the fixture
    std::vector<MailTail> expected;
};

void PrintTo(const ReaderCase& c, std::ostream* out) {
    *out << c.name;
}

class MailReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(MailReaderTest, FindsTheFileSignatures) {
    const ReaderCase& c = GetParam();
    std::string text = Fixture(c.fixture);
    ASSERT_FALSE(text.empty()) << c.fixture;
    for (const auto& [from, to] : c.edits) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    EXPECT_EQ(c.read(text), c.expected);
}

const MailTail kThunderbirdWork{"Thunderbird", "Jane Doe <jane@example.org>", "/home/jane/sigs/work.txt"};
const MailTail kThunderbirdClub{"Thunderbird", "J\xC3\xBCrgen \"Jay\" Doe <club@example.org>",
                                "/home/jane/Mail signatures/J\xC3\xBCrgen\\club.txt"};
const std::string kId1File = R"(user_pref("mail.identity.id1.sig_file", "/home/jane/sigs/work.txt");)";

const MailTail kClawsWork{"Claws Mail", "Jane Doe <jane@example.org>", "/home/jane/sigs/work.txt"};
const MailTail kClawsNotes{"Claws Mail", "J\xC3\xBCrgen Doe <notes@example.org>",
                           "/home/jane/Mail signatures/notes=1.txt"};
const std::pair<std::string, std::string> kClawsNotesAsFile{"signature_type=2", "signature_type=0"};

const MailTail kMuttDefault{"mutt", "Jane Doe <jane@example.org>", "/home/jane/sigs/work.txt"};
const MailTail kMuttAnyHook{"mutt", "send-hook .", "/home/jane/sigs/work.txt"};
const MailTail kMuttClubHook{"mutt", "send-hook ~f club@example.org", "/home/jane/Mail signatures/club.txt"};
const std::string kMuttSet = "set signature=\"~/sigs/work.txt\"\t# the work signature";

const MailTail kKMailWork{"KMail", "Jane Doe <jane@example.org>", "/home/jane/sigs/work.txt"};
const MailTail kKMailDesk{"KMail", "Jane Doe <desk@example.org>", "/srv/mail signatures/desk.txt"};
const std::string kKMailWorkFile = "Signature File[$e]=$HOME/sigs/work.txt";

const MailTail kAercPersonal{"aerc", "Personal", "/home/jane/sigs/personal.txt"};
const MailTail kAercClub{"aerc", "Club", "/home/jane/Mail signatures/club.txt"};

const ReaderCase kReaderCases[] = {
    // Thunderbird: three identities, the second attaches no file.
    {"ThunderbirdAsWritten", Thunderbird, "thunderbird-prefs.js", {}, {kThunderbirdWork, kThunderbirdClub}},
    {"ThunderbirdNoFileSignature",
     Thunderbird,
     "thunderbird-prefs.js",
     {{"id1.attach_signature\", true", "id1.attach_signature\", false"},
      {"id3.attach_signature\", true", "id3.attach_signature\", false"}},
     {}},
    {"ThunderbirdCommentedOut",
     Thunderbird,
     "thunderbird-prefs.js",
     {{"user_pref(\"mail.identity.id1.attach", "// user_pref(\"mail.identity.id1.attach"}},
     {kThunderbirdClub}},
    {"ThunderbirdBrokenLine",
     Thunderbird,
     "thunderbird-prefs.js",
     {{kId1File, R"(user_pref("mail.identity.id1.sig_file", "/home/jane/sigs/wo)"}},
     {kThunderbirdClub}},
    {"ThunderbirdSpacedAndEscaped",
     Thunderbird,
     "thunderbird-prefs.js",
     {{kId1File,
       R"(  user_pref ( 'mail.identity.id1.sig_file' ,"/x/\u00C4\x41 \ud83d\ude00\ud800.txt" ) ;)"}},
     {{"Thunderbird", "Jane Doe <jane@example.org>",
       "/x/\xC3\x84"
       "A \xF0\x9F\x98\x80\xEF\xBF\xBD.txt"},
      kThunderbirdClub}},
    // Claws Mail: a file, a command and a text signature.
    {"ClawsAsWritten", ReadClawsAccounts, "claws-mail-accountrc", {}, {kClawsWork}},
    {"ClawsSeveralFiles",
     ReadClawsAccounts,
     "claws-mail-accountrc",
     {kClawsNotesAsFile},
     {kClawsWork, kClawsNotes}},
    {"ClawsNoFileSignature",
     ReadClawsAccounts,
     "claws-mail-accountrc",
     {{"signature_type=0", "signature_type=2"}},
     {}},
    // A byte-order mark belongs to no line; the first group stays.
    {"ClawsByteOrderMark",
     ReadClawsAccounts,
     "claws-mail-accountrc",
     {{"[Account: 1]", "\xEF\xBB\xBF[Account: 1]"}},
     {kClawsWork}},
    {"ClawsBrokenHeading",
     ReadClawsAccounts,
     "claws-mail-accountrc",
     {{"[Account: 1]", "[Account: 1"}, kClawsNotesAsFile},
     {kClawsNotes}},
    // mutt: a top-level signature, two hooks with files, one with a command.
    {"MuttAsWritten", Mutt, "mutt-muttrc", {}, {kMuttDefault, kMuttAnyHook, kMuttClubHook}},
    {"MuttCommentedOut", Mutt, "mutt-muttrc", {{kMuttSet, "#" + kMuttSet}}, {kMuttAnyHook, kMuttClubHook}},
    {"MuttUnsetLater",
     Mutt,
     "mutt-muttrc",
     {{"send-hook .", "unset signature\nsend-hook ."}},
     {kMuttAnyHook, kMuttClubHook}},
    // mutt reads an unclosed quote to the line's end.
    {"MuttBrokenQuote",
     Mutt,
     "mutt-muttrc",
     {{kMuttSet, "set signature=\"~/sigs/work.txt\t# the work signature"}},
     {{"mutt", "Jane Doe <jane@example.org>", "/home/jane/sigs/work.txt\t# the work signature"},
      kMuttAnyHook,
      kMuttClubHook}},
    {"MuttContinuedWithHome",
     Mutt,
     "mutt-muttrc",
     {{kMuttSet, "set from=x@example.org ; set signature = \\\n$HOME/sigs/a\\ b.txt#c"}},
     {{"mutt", "Jane Doe <x@example.org>", "/home/jane/sigs/a b.txt"}, kMuttAnyHook, kMuttClubHook}},
    // mutt runs a backquoted command inside double quotes too.
    {"MuttBackquoted",
     Mutt,
     "mutt-muttrc",
     {{kMuttSet, "set signature=`echo ~/sigs/work.txt`"},
      {"'set signature=~/sigs/work.txt'", "'set signature=\"`echo ~/sigs/work.txt`\"'"}},
     {kMuttClubHook}},
    {"MuttEqualsInValue",
     Mutt,
     "mutt-muttrc",
     {{kMuttSet, "set signature=~/sigs/a=b.txt"}},
     {{"mutt", "Jane Doe <jane@example.org>", "/home/jane/sigs/a=b.txt"}, kMuttAnyHook, kMuttClubHook}},
    {"NeoMuttCommandOnly", Mutt, "neomutt-neomuttrc", {}, {}},
    // aerc: two files; the second account runs a command.
    {"AercAsWritten", Aerc, "aerc-accounts.conf", {}, {kAercPersonal, kAercClub}},
    {"AercBrokenHeading", Aerc, "aerc-accounts.conf", {{"[Club]", "[Club"}}, {kAercPersonal}},
    {"AercQuotedAndComment",
     Aerc,
     "aerc-accounts.conf",
     {{"~/sigs/personal.txt", "\"~/sigs/per;sonal.txt\""},
      {"/home/jane/Mail signatures/club.txt", "~/club.txt ; an old one"}},
     {{"aerc", "Personal", "/home/jane/sigs/per;sonal.txt"}, {"aerc", "Club", "/home/jane/club.txt"}}},
    // KMail: two file signatures, an inline text and a command.
    {"KMailAsWritten", KMail, "kmail-emailidentities", {}, {kKMailWork, kKMailDesk}},
    {"KMailSignatureOff",
     KMail,
     "kmail-emailidentities",
     {{"Signature Enabled=true", "Signature Enabled=false"}},
     {kKMailDesk}},
    {"KMailCommentedOut",
     KMail,
     "kmail-emailidentities",
     {{"Signature Type=file", "#Signature Type=file"}},
     {kKMailDesk}},
    {"KMailBrokenHeading", KMail, "kmail-emailidentities", {{"[Identity #2]", "[Identity #2"}}, {kKMailWork}},
    // How KDE writes a "$", a tab, a backslash and a blank at the end.
    {"KMailEscapedPaths",
     KMail,
     "kmail-emailidentities",
     {{kKMailWorkFile, R"(Signature File[$e]=$HOME/price $$5\ta\\b.txt\s)"},
      {"/srv/mail signatures/desk.txt", "$$HOME/x.txt"}},
     {{"KMail", "Jane Doe <jane@example.org>", "/home/jane/price $5\ta\\b.txt "},
      {"KMail", "Jane Doe <desk@example.org>", "$HOME/x.txt"}}},
};

INSTANTIATE_TEST_SUITE_P(Excerpts, MailReaderTest, ::testing::ValuesIn(kReaderCases),
                         [](const ::testing::TestParamInfo<ReaderCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(GeckoProfiles, RelativeAndAbsolute) {
    const std::string text = Fixture("thunderbird-profiles.ini");
    const std::vector<GeckoProfile> expected = {{"aiq9n0o8.default-release", true}, {"/tmp/ff/tb", false}};
    EXPECT_EQ(ReadGeckoProfiles(text), expected);
    std::string broken = text;
    broken.replace(broken.find("[Profile0]"), 10, "[Profile0");
    EXPECT_EQ(ReadGeckoProfiles(broken), std::vector<GeckoProfile>{expected.front()});
}

TEST(ExpandTilde, OnlyATildeOfItsOwn) {
    struct Case {
        const char* path;
        const char* home;
        const char* expanded;
    };
    const Case cases[] = {
        {"~", "/home/jane", "/home/jane"},
        {"~/a", "/home/jane/", "/home/jane/a"},
        {"~\\a", "C:\\Users\\jane", "C:\\Users\\jane\\a"},
        {"~joe/a", "/home/jane", "~joe/a"},
        {"/a/~/b", "/home/jane", "/a/~/b"},
        {"~/a", "", "~/a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandTilde(c.path, c.home), c.expanded) << c.path;
    }
}

}  // namespace
}  // namespace tarnwick
