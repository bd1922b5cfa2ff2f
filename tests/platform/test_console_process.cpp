// Console messages and the process services.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/tail_engine.h"
#include "platform/console_messages.h"
#include "platform/process.h"

namespace tarnwick {
namespace {

// What has reached the file itself, not what waits in the stream's buffer.
std::string Contents(std::FILE* file) {
    std::string text(4096, '\0');
    text.resize(
        static_cast<std::size_t>(std::max<ssize_t>(::pread(::fileno(file), text.data(), text.size(), 0), 0)));
    std::fclose(file);
    return text;
}

TEST(ConsoleMessageServiceTest, WritesEachKindToItsStream) {
    struct Case {
        MessageKind kind;
        std::string text;
        std::string out;
        std::string err;
    };
    const std::vector<Case> cases = {
        {MessageKind::Information, "Set.", "Set Vellicor: information: Set.\n", ""},
        // Only the CR LF pair is a message line break; other bytes pass as they are.
        {MessageKind::Error, "a\r\n\r\nb\rc\nd\r\n", "", "Set Vellicor: error: a\n\nb\rc\nd\n\n"},
    };
    for (const Case& c : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(out != nullptr && err != nullptr);
        ConsoleMessageService(out, err).Show(c.text, c.kind);
        EXPECT_EQ(Contents(out), c.out) << c.text;
        EXPECT_EQ(Contents(err), c.err) << c.text;
    }
}

TEST(ProcessTest, DisplayIsReachableWhenAnyDisplayVariableIsSet) {
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    // Values of the three variables (nullptr: unset) and whether a display is reachable.
    const std::vector<std::pair<std::vector<const char*>, bool>> cases = {
        {{nullptr, nullptr, nullptr}, false}, {{"", "", ""}, false},
        {{":0", nullptr, nullptr}, true},     {{nullptr, "wayland-0", ""}, true},
        {{"", nullptr, "offscreen"}, true},
    };
    for (const auto& [values, expected] : cases) {
        for (int i = 0; i < 3; ++i) {
            values[i] != nullptr ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
        }
        EXPECT_EQ(HasDisplay(), expected) << ::testing::PrintToString(values);
    }
    for (int i = 0; i < 3; ++i) {
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
    }
}

// The clock's fields against the C library's own formatting of the same
// instant, in zones east and west of Greenwich, one of them in summer time.
TEST(ProcessTest, ClockGivesTheLocalDateAndTime) {
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved != nullptr ? saved : "";
    for (const char* zone : {"JST-9", "EST5EDT,M3.2.0,M11.1.0"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        for (std::time_t instant = 1767225599; instant < 1798761600; instant += 2678400 + 3607) {
            std::tm local{};
            ASSERT_NE(::localtime_r(&instant, &local), nullptr);
            char expected[32];
            ASSERT_GT(std::strftime(expected, sizeof expected, "%Y.%m.%d %H:%M:%S", &local), 0u);
            const LocalTime time = LocalTimeAt(instant);
            EXPECT_EQ(DateText(time) + " " + TimeText(time), expected) << zone << " " << instant;
        }
    }
    saved != nullptr ? ::setenv("TZ", savedZone.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace tarnwick
