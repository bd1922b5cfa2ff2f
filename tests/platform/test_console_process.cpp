// Console messages and the process services.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/console_messages.h"
#include "platform/process.h"

namespace tarnwick {
namespace {

std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char block[256];
    for (std::size_t count; (count = std::fread(block, 1, sizeof block, file)) > 0;) {
        text.append(block, count);
    }
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
        {MessageKind::Information, "Set Vellicor for [ Set Private 2 ].",
         "Set Vellicor: information: Set Vellicor for [ Set Private 2 ].\n", ""},
        {MessageKind::Warning, "INPUT FILE OPEN ERROR !!!\r\nFILE : ", "",
         "Set Vellicor: warning: INPUT FILE OPEN ERROR !!!\nFILE : \n"},
        {MessageKind::Error, "INPUT SOURCE ERROR !!!\r\nNOT FOUND - //END", "",
         "Set Vellicor: error: INPUT SOURCE ERROR !!!\nNOT FOUND - //END\n"},
        // Only the CR LF pair is a message line break; other bytes pass as they are.
        {MessageKind::Warning, "a\r\n\r\nb\rc\nd\r\n", "", "Set Vellicor: warning: a\n\nb\rc\nd\n\n"},
        {MessageKind::Information, "", "Set Vellicor: information: \n", ""},
    };
    for (const Case& c : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_NE(out, nullptr);
        ASSERT_NE(err, nullptr);
        ConsoleMessageService(out, err).Show(c.text, c.kind);
        EXPECT_EQ(Contents(out), c.out) << c.text;
        EXPECT_EQ(Contents(err), c.err) << c.text;
        std::fclose(out);
        std::fclose(err);
    }
}

TEST(ProcessTest, ExecutableFolderHoldsTheRunningProgram) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "/platform_tests"));
}

TEST(ProcessTest, DisplayIsReachableWhenAnyDisplayVariableIsSet) {
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
        bool expected;
    };
    const std::vector<Case> cases = {
        {nullptr, nullptr, nullptr, false},    {"", "", "", false},
        {":0", nullptr, nullptr, true},        {nullptr, "wayland-0", nullptr, true},
        {nullptr, nullptr, "offscreen", true}, {"", "", "xcb", true},
    };
    for (const Case& c : cases) {
        const char* values[] = {c.display, c.wayland, c.platform};
        for (int i = 0; i < 3; ++i) {
            values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
        }
        EXPECT_EQ(HasDisplay(), c.expected)
            << (c.display ? c.display : "-") << " " << (c.wayland ? c.wayland : "-") << " "
            << (c.platform ? c.platform : "-");
    }
    for (int i = 0; i < 3; ++i) {
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
    }
}

TEST(ProcessTest, WritingToAVanishedReaderFailsInsteadOfKilling) {
    IgnoreBrokenPipe();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    errno = 0;
    EXPECT_EQ(::write(ends[1], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    ::close(ends[1]);
}

}  // namespace
}  // namespace tarnwick
