// The functions the window module exports, found by name at run time.
#pragma once

#include <cstddef>

#include "core/app_state.h"
#include "core/startup.h"

namespace tarnwick {

// Shows one message box; kind is a MessageKind.
using ShowMessageFunction = void (*)(const char* text, std::size_t size, int kind);
inline constexpr const char* kShowMessageName = "tarnwick_show_message";

// Runs the main window until the program ends; returns the exit status.
using RunWindowsFunction = int (*)(AppState* state, Services* services, int argc, char** argv);
inline constexpr const char* kRunWindowsName = "tarnwick_run_windows";

}  // namespace tarnwick
