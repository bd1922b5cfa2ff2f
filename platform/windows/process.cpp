// Process services on Windows.
#include "platform/process.h"

#include <windows.h>

#include "platform/windows/text.h"

namespace tarnwick {
namespace {

// The running executable's full path; empty when unknown.
std::wstring ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The text after the program name, read as the C runtime's start-up code
// reads it: a quote starts or ends a quoted stretch, in which blanks do not
// end the name, and there are no escapes. The blanks that follow the name
// belong to neither.
std::wstring_view AfterProgramName(std::wstring_view line) {
    std::size_t at = 0;
    for (bool quoted = false; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == L'"') {
            quoted = !quoted;
        }
    }
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    return line.substr(at);
}

}  // namespace

std::string ExecutableFolder() {
    const std::wstring path = ExecutablePath();
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::string() : AnsiText(path.substr(0, separator));
}

bool HasDisplay() {
    return true;
}

std::string CommandLineText(int /*argc*/, char** /*argv*/) {
    return AnsiText(AfterProgramName(::GetCommandLineW()));
}

// Writing to a closed pipe fails with an error on Windows; nothing to set.
void IgnoreBrokenPipe() {}

LocalTime SystemClock::Now() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace tarnwick
