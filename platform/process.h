// Process services: where the executable is, the clock, the display, ending.
#pragma once

#include <ctime>
#include <string>

#include "core/services.h"

namespace tarnwick {

// The folder holding the running executable, without a trailing separator.
std::string ExecutableFolder();

// Whether a window system can be reached: on Linux DISPLAY, WAYLAND_DISPLAY
// or QT_QPA_PLATFORM is set; always true on Windows and macOS.
bool HasDisplay();

// A console whose reader has gone away makes a write fail instead of killing
// the program, so a tail already written still ends with its own status.
void IgnoreBrokenPipe();

// The user's local time at an instant.
LocalTime LocalTimeAt(std::time_t instant);

class SystemClock final : public Clock {
public:
    LocalTime Now() override;
};

// Ends the process at once with status 0.
class ProcessEnd final : public ProgramControl {
public:
    void EndProgram() override;
};

}  // namespace tarnwick
