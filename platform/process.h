// Process services: where the executable is, the command line, the clock,
// the display, ending. One file per system implements them.
#pragma once

#include <ctime>
#include <string>

#include "core/services.h"

namespace tarnwick {

// The folder holding the running executable, without a trailing separator.
std::string ExecutableFolder();

// The command line as one text. On Windows the raw text after the program
// name (argc and argv are not used); elsewhere the arguments joined by single
// spaces, so `tarnwick "PRIV-2 NOMSG"` and `tarnwick PRIV-2 NOMSG` read alike.
std::string CommandLineText(int argc, char** argv);

// Whether a window system can be reached: on Linux DISPLAY, WAYLAND_DISPLAY
// or QT_QPA_PLATFORM is set; always true on Windows and macOS.
bool HasDisplay();

// A console whose reader has gone away makes a write fail instead of killing
// the program, so a tail already written still ends with its own status.
void IgnoreBrokenPipe();

#ifndef _WIN32
// The user's local time at an instant, as SystemClock::Now gives it.
LocalTime LocalTimeAt(std::time_t instant);
#endif

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
