// Start-up: the services bundle, the command line and Main.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "core/app_state.h"
#include "core/services.h"
#include "core/settings.h"

namespace tarnwick {

// The services every part of the program works through, chosen in app/.
struct Services {
    MessageService& messages;
    Clock& clock;
    FileSystem& files;
    Settings& settings;
    std::string_view lineEnd = kLineEnd;  // written into the tail file
};

// What the command line asks for.
struct CommandLine {
    std::optional<int> slot;  // a slot to apply at once; none: window mode
    bool noMsg = false;       // NOMSG followed the key name
};

CommandLine ParseCommandLine(std::string_view text);

// Shows the main window and runs it; returns the exit status.
using MainWindowLauncher = std::function<int(AppState&)>;

// Fills the state from the slot table and the settings file, then applies a
// slot (command-line mode) or shows the main window. Returns the exit status:
// 0 after success, 1 after a reported failure in command-line mode.
int Main(AppState& state, Services& services, std::string_view commandLine,
         const MainWindowLauncher& showMainWindow);

}  // namespace tarnwick
