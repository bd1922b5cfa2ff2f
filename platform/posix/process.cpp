// Process services on Linux and macOS.
#include "platform/process.h"

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>

#ifdef __APPLE__
#include <mach-o/dyld.h>

#include <cstdint>
#endif

#include "platform/posix/read_link.h"

namespace tarnwick {
namespace {

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    if (slash == std::string::npos) {
        return {};
    }
    if (slash == 0) {
        return "/";
    }
    return file.substr(0, slash);
}

// The running executable's real path (links resolved); empty when unknown.
std::string ExecutablePath() {
#if defined(__APPLE__)
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) {
        return {};
    }
    path.resize(path.find('\0'));
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
#else
    return ReadLink("/proc/self/exe").value_or(std::string());
#endif
}

bool IsSetAndNotEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

std::string ExecutableFolder() {
    return FolderOf(ExecutablePath());
}

bool HasDisplay() {
#ifdef __APPLE__
    return true;
#else
    return IsSetAndNotEmpty("DISPLAY") || IsSetAndNotEmpty("WAYLAND_DISPLAY") ||
           IsSetAndNotEmpty("QT_QPA_PLATFORM");
#endif
}

std::string CommandLineText(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

void IgnoreBrokenPipe() {
    (void)std::signal(SIGPIPE, SIG_IGN);
}

LocalTime LocalTimeAt(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

LocalTime SystemClock::Now() {
    return LocalTimeAt(std::time(nullptr));
}

}  // namespace tarnwick
