#include "core/startup.h"

#include <array>
#include <utility>

#include "core/find_tails.h"
#include "core/live_commands.h"
#include "core/tail_engine.h"
#include "core/text.h"
#include "core/usage.h"

namespace tarnwick {

namespace {

std::optional<int> SlotOfKeyName(std::string_view word) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (word == kSlotKeyNames[slot]) {
            return slot;
        }
    }
    return std::nullopt;
}

constexpr std::string_view kOptionPrefix = "--";

constexpr std::array<std::pair<std::string_view, CommandOption>, 7> kOptions = {{
    {"--help", CommandOption::Help},
    {"--version", CommandOption::Version},
    {"--status", CommandOption::Status},
    {"--refresh", CommandOption::Refresh},
    {"--list", CommandOption::List},
    {"--find-tails", CommandOption::FindTails},
    {"--print", CommandOption::Print},
}};

CommandOption OptionOfWord(std::string_view word) {
    for (const auto& [name, option] : kOptions) {
        if (word == name) {
            return option;
        }
    }
    return CommandOption::Unknown;
}

void ReadCaptions(AppState& state, Settings& settings) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        std::string caption;
        if (settings.GetProfile(keys::kCaptionSection, state.KeyName[slot], caption)) {
            state.Caption[slot] = caption;
        }
    }
}

void ReadFileSettings(AppState& state, Settings& settings) {
    settings.Get(keys::kDest, state.Dest);
    settings.Get(keys::kSource, state.Source);
    settings.Get(keys::kNoMsg, state.NoMsg);
    settings.Get(keys::kNoStop, state.NoStop);
}

// --help, --version and an unknown option, which need no settings; the exit
// status, or nothing for any other command line.
std::optional<int> RunPlainOption(const CommandLine& command, Services& services, TextOutput& output) {
    switch (command.option) {
        case CommandOption::Help:
            output.Write(UsageText());
            return 0;
        case CommandOption::Version:
            output.Write(VersionText());
            return 0;
        case CommandOption::Unknown:
            services.messages.Show(UnknownOptionError(command.optionWord), MessageKind::Error);
            return kCannotRunStatus;
        default:
            return std::nullopt;
    }
}

// --print [KEY]: the slot's text, or the live slot's, on standard output;
// failures on the console.
int PrintSlot(AppState& state, Services& services, const CommandLine& command, TextOutput& output) {
    MessageService& console =
        services.consoleMessages != nullptr ? *services.consoleMessages : services.messages;
    if (!command.unknownKey.empty()) {
        console.Show(NotASlotKeyError(command.unknownKey), MessageKind::Error);
        return kCannotRunStatus;
    }
    // Only the messages differ: printing writes no tail and looks for no mail program.
    Services quiet{console, services.clock, services.files, services.settings};
    return PrintSlotText(state, quiet, command.slot, output);
}

// The options about the live slot and the tail files, run once the settings
// are read.
std::optional<int> RunLiveSlotOption(const CommandLine& command, AppState& state, Services& services,
                                     TextOutput& output) {
    switch (command.option) {
        case CommandOption::Status:
            return PrintLiveSlot(state, services, output);
        case CommandOption::Refresh:
            return RefreshLiveSlot(state, services);
        case CommandOption::List:
            return ListSlots(state, services, output);
        case CommandOption::FindTails:
            return PrintMailTails(state, services, output);
        case CommandOption::Print:
            return PrintSlot(state, services, command, output);
        default:
            return std::nullopt;
    }
}

}  // namespace

CommandLine ParseCommandLine(std::string_view text) {
    CommandLine command;
    const std::string_view line = TrimSpaces(text);
    const std::size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    if (word.starts_with(kOptionPrefix)) {
        command.option = OptionOfWord(word);
        command.optionWord = word;
        if (command.option == CommandOption::Print && space != std::string_view::npos) {
            // The key after --print, any text after it ignored as after a key.
            const std::string_view rest = TrimSpaces(line.substr(space + 1));
            const std::string_view key = rest.substr(0, rest.find(' '));
            command.slot = SlotOfKeyName(ToUpperAscii(key));
            command.unknownKey = command.slot ? std::string_view() : key;
        }
        return command;
    }
    // Only the first word decides the mode; an unknown one means window mode.
    command.slot = SlotOfKeyName(ToUpperAscii(word));
    if (!command.slot) {
        command.unknownWord = word;
    }
    // Exactly one space, then exactly NOMSG in any case.
    if (space != std::string_view::npos) {
        command.noMsg = ToUpperAscii(line.substr(space + 1)) == "NOMSG";
    }
    return command;
}

int Main(AppState& state, Services& services, std::string_view commandLine,
         const MainWindowLauncher& showMainWindow, TextOutput& output, bool hasDisplay) {
    const CommandLine command = ParseCommandLine(commandLine);
    if (const std::optional<int> status = RunPlainOption(command, services, output)) {
        return *status;
    }
    // Where no window can open instead, a mistyped key is most likely meant
    // as one; with a display the word still opens the main window.
    if (!hasDisplay && !command.unknownWord.empty()) {
        services.messages.Show(NotASlotKeyError(command.unknownWord), MessageKind::Error);
        return kCannotRunStatus;
    }
    FillSlotTable(state);
    {
        const Settings::ReadBatch batch(services.settings);
        ReadCaptions(state, services.settings);
        ReadFileSettings(state, services.settings);
    }
    if (const std::optional<int> status = RunLiveSlotOption(command, state, services, output)) {
        return *status;
    }
    if (!command.slot) {
        return showMainWindow(state);
    }
    // The command line's choice overrides the stored setting for this run;
    // nothing is written back.
    state.NoMsg = FlagText(command.noMsg);
    return ApplyTail(state, services, *command.slot) ? 0 : 1;
}

}  // namespace tarnwick
