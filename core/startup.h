// Start-up: the services bundle, the command line and Main.
#pragma once

#include <functional>
#include <optional>
#include <string>
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
    std::string_view lineEnd = kLineEnd;   // written into the tail file
    MailConfigFiles* mailFiles = nullptr;  // for --find-tails; none: no mail program is looked for
    // Where --print reports a failure: the console, never a box, since a mail
    // program runs it with nobody there to answer one. None: `messages`.
    MessageService* consoleMessages = nullptr;
};

// A first word that starts with "--".
enum class CommandOption { None, Help, Version, Status, Refresh, List, FindTails, Print, Unknown };

// What the command line asks for.
struct CommandLine {
    std::optional<int> slot;  // a slot to apply at once, or --print's; none: window mode
    bool noMsg = false;       // NOMSG followed the key name
    CommandOption option = CommandOption::None;
    std::string optionWord;   // the option as given, for the message about an unknown one
    std::string unknownWord;  // a first word that is neither a key name nor an option
    std::string unknownKey;   // the word after --print when it is no key name
};

CommandLine ParseCommandLine(std::string_view text);

// Shows the main window and runs it; returns the exit status.
using MainWindowLauncher = std::function<int(AppState&)>;

// Exit statuses beyond 0 (success) and 1 (a reported failure).
inline constexpr int kCannotRunStatus = 2;  // an unknown option; window mode without a display
inline constexpr int kNoLiveStatus = 3;     // the tail file holds none of the seven slots
inline constexpr int kNoneFoundStatus = 3;  // --find-tails found no mail program's tail file

// Fills the state from the slot table and the settings file, then runs an
// option, applies a slot (command-line mode) or shows the main window.
// Returns the exit status: 0 after success, 1 after a reported failure in
// command-line mode, kCannotRunStatus for an unknown option, and, without a
// display, for a first word that is no key name. An option's own output goes
// to `output`.
int Main(AppState& state, Services& services, std::string_view commandLine,
         const MainWindowLauncher& showMainWindow, TextOutput& output, bool hasDisplay);

}  // namespace tarnwick
