#include "platform/process.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifndef _WIN32
#include <unistd.h>

#include <climits>
#endif

#ifdef __APPLE__
#include <mach-o/dyld.h>

#include <cstdint>
#endif

namespace tarnwick {
namespace {

#ifndef _WIN32
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
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        if (buffer.size() >= (std::size_t{1} << 16)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
#endif
}

bool IsSetAndNotEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}
#endif

}  // namespace

#ifndef _WIN32
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
#endif

LocalTime LocalTimeAt(std::time_t instant) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &instant);
#else
    localtime_r(&instant, &local);
#endif
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

LocalTime SystemClock::Now() {
    return LocalTimeAt(std::time(nullptr));
}

void ProcessEnd::EndProgram() {
    // _Exit runs no destructors and no handlers: the windows vanish without
    // further events. Buffered console output must not be lost with them.
    (void)std::fflush(nullptr);
    std::_Exit(0);
}

void IgnoreBrokenPipe() {
#ifndef _WIN32
    (void)std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace tarnwick
