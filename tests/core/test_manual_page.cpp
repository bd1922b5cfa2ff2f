// The manual page and the usage text list the same options and exit
// statuses, so neither can change without the other.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/usage.h"
#include "tests/file_helpers.h"

namespace tarnwick {
namespace {

// The manual page's source with roff's escaped hyphens made plain.
std::string ManualPage() {
    std::string page = testing::ReadAll(TARNWICK_MANUAL_PAGE);
    return std::regex_replace(page, std::regex(R"(\\-)"), "-");
}

// The first capture of every match.
std::set<std::string> Captures(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex expression(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator();
         ++it) {
        found.insert((*it)[1].str());
    }
    return found;
}

struct ListedCase {
    const char* name;
    std::string usagePattern;
    std::string manualPattern;
};

TEST(ManualPage, ListsWhatTheUsageTextLists) {
    const std::vector<ListedCase> cases = {
        {"synopsis", R"(\n  tarnwick (--[a-z-]+))", R"(\n\.B tarnwick (--[a-z-]+)\n)"},
        {"options", R"(\n  tarnwick (--[a-z-]+))", R"(\n\.TP\n\.B (--[a-z-]+)\n)"},
        {"exit statuses", R"(\n  ([0-9])  )", R"(\n\.TP\n\.B ([0-9])\n)"},
    };
    const std::string usage = UsageText();
    const std::string manual = ManualPage();
    ASSERT_FALSE(manual.empty()) << TARNWICK_MANUAL_PAGE;
    for (const ListedCase& c : cases) {
        const std::set<std::string> listed = Captures(usage, c.usagePattern);
        EXPECT_GE(listed.size(), 4U) << c.name;
        EXPECT_EQ(Captures(manual, c.manualPattern), listed) << c.name;
    }
}

}  // namespace
}  // namespace tarnwick
