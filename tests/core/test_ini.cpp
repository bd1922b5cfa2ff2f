#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ini.h"

namespace tarnwick {
namespace {

using namespace std::string_literals;

const std::string kBom = "\xEF\xBB\xBF";

struct IniCase {
    const char* name;
    std::string text;
    std::string key;  // in section S
    std::string expected;
};

TEST(IniRead, FollowsTheProfileRules) {
    const std::vector<IniCase> cases = {
        {"mixed line ends", "[T]\r\nK=t\r[S]\nA=1\r\nK=v", "K", "v"},
        {"byte-order mark", kBom + "[S]\r\nK=v\r\n", "K", "v"},
        {"names in any case", "[s]\ndEsT=x\n", "DEST", "x"},
        {"blanks trimmed", " \t[ \vS\t ] junk\n \tK \v=  v w \t\n", "K", "v w"},
        {"section without bracket", "[S\nK=a=b\n", "K", "a=b"},
        {"comments and lines without =", "[S]\n ;K=c\nK\nK=v\n", "K", "v"},
        {"key before every section", "K=v\n[S]\n", "K", ""},
        {"only the first section counts", "[S]\nA=1\n[s]\nK=v\n", "K", ""},
        {"first matching key wins", "[S]\nK=1\nk=2\n", "K", "1"},
        {"one quote pair removed", "[S]\nK= \"\"v w\"\" \n", "K", "\"v w\""},
        {"single quotes", "[S]\nK='v'\n", "K", "v"},
        {"mismatched quotes", "[S]\nK=\"v'\n", "K", "\"v'"},
        {"empty quotes", "[S]\nK=\"\"\n", "K", ""},
        {"cut at nul", "[S]\nK=ab\0cd\n"s, "K", "ab"},
    };
    for (const IniCase& c : cases) {
        EXPECT_EQ(IniRead(c.text, "S", c.key), c.expected) << c.name;
    }
}

TEST(IniRead, CutsLongValuesAtACharacterBoundary) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {'"' + std::string(300, 'a') + '"', 255},
        {std::string(254, 'a') + "\xC3\xA9", 254},
        {std::string(253, 'a') + "\xE2\x82\xAC", 253},
        {std::string(300, '\x80'), 255},  // stray bytes count one each
    };
    for (const auto& [value, size] : cases) {
        const std::string text = "[S]\nK=" + value + "\n";
        const std::string unquoted = value.front() == '"' ? value.substr(1, value.size() - 2) : value;
        EXPECT_EQ(IniRead(text, "S", "K"), unquoted.substr(0, size)) << value.size();
        EXPECT_EQ(IniRead(text, "S", "K", kWholeValue), unquoted) << value.size();
    }
}

TEST(IniWrite, ChangesOnlyWhatItMust) {
    const std::vector<IniCase> cases = {
        {"new file", "", "K", "[S]\nK=v\n"},
        {"spelling, blanks and own line end kept", "[s]\r  key = old \rA=1\r\n", "KEY",
         "[s]\r  key = v \rA=1\r\n"},
        {"blank value filled", "[S]\nK= \t\n", "K", "[S]\nK=v \t\n"},
        {"after the last key line", "[S]\nA=1\n\n;c=1\n[T]\n", "K", "[S]\nA=1\nK=v\n\n;c=1\n[T]\n"},
        {"after a bare header", "[S]\r;c\r", "K", "[S]\rK=v\n;c\r"},
        {"after an unended last line", "[S]\nA=1", "K", "[S]\nA=1\nK=v\n"},
        {"new section after a cr", "[T]\rA=1\r", "K", "[T]\rA=1\r[S]\nK=v\n"},
        {"new section, unended last line", "[T]", "K", "[T]\n[S]\nK=v\n"},
        {"byte-order mark alone", kBom, "K", kBom + "[S]\nK=v\n"},
        {"first of two sections", "K=0\n[S]\n[S]\nK=1\n", "K", "K=0\n[S]\nK=v\n[S]\nK=1\n"},
        // A value already there leaves the text as it was.
        {"same value", "[S]\nK=v", "K", "[S]\nK=v"},
        {"same value, quoted", "[s]\r\nk = 'v' \r\n", "K", "[s]\r\nk = 'v' \r\n"},
        {"same value, double quotes", "[S]\nK=\"v\"\r", "K", "[S]\nK=\"v\"\r"},
    };
    for (const IniCase& c : cases) {
        EXPECT_EQ(IniWrite(c.text, "S", c.key, "v", "\n"), c.expected) << c.name;
    }
    EXPECT_EQ(IniWrite("", "S", "K", "'v'", "\r\n"), "[S]\r\nK=\"'v'\"\r\n");
    EXPECT_EQ(IniWrite("[S]\nK=\n", "S", "K", "", "\n"), "[S]\nK=\n");
}

TEST(IniWrite, RefusesWhatCouldInjectOrLoseLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"S", "K", "a\rb"}, {"S", "K", "a\nb"}, {"S\n", "K", "v"}, {"S]x", "K", "v"}, {" S", "K", "v"},
        {"S", "K=x", "v"},  {"S", ";K", "v"},   {"S", "[K", "v"},  {"S", "K\t", "v"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IniWrite("[S]\nK=old\n", c[0], c[1], c[2], "\n"), std::nullopt) << c[0] << c[1] << c[2];
    }
}

// Whatever the file looks like, a written value reads back unchanged, the
// other keys keep theirs, and writing it again changes nothing.
TEST(IniRoundTrip, WrittenValuesReadBackAndOthersStay) {
    const std::vector<std::string> texts = {
        "",
        "[S]\r\nA=1\r\n[T]\r\nK=t\r\n",
        "K=x\r[T]\rK=t\r[S]\rA=1",
        "[S]\nK= 'q' \t\nA=1\n[T]\nK=t",
    };
    const std::vector<std::string> values = {
        "x", "\"x\"", "'x'", "\"", "\"x", "\tx", "x\v", " \tx", " 'x' ", "a = b", "[x]", ";x", "", "\"\"",
    };
    for (const std::string& text : texts) {
        for (const std::string& value : values) {
            const auto written = IniWrite(text, "S", "K", value, "\r\n");
            ASSERT_TRUE(written.has_value());
            EXPECT_EQ(IniRead(*written, "s", "k"), value) << text << " / " << value;
            EXPECT_EQ(IniRead(*written, "S", "A"), IniRead(text, "S", "A")) << text << " / " << value;
            EXPECT_EQ(IniRead(*written, "T", "K"), IniRead(text, "T", "K")) << text << " / " << value;
            EXPECT_EQ(IniWrite(*written, "S", "K", value, "\r\n"), *written) << text << " / " << value;
        }
    }
}

}  // namespace
}  // namespace tarnwick
