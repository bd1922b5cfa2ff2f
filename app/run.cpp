#include "app/run.h"

#include <string>

#include "core/app_state.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/console_messages.h"
#include "platform/native_file_system.h"
#include "platform/process.h"
#include "platform/profile_file.h"
#include "platform/standard_output.h"

#ifdef TARNWICK_WITH_GUI
#include "app/gui_entry.h"
#include "platform/gui_module.h"
#endif

namespace tarnwick {

namespace {

// The command line as one text: the arguments joined by single spaces, so
// `tarnwick "PRIV-2 NOMSG"` and `tarnwick PRIV-2 NOMSG` read alike.
std::string JoinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

int NoWindowAvailable(MessageService& console, std::string_view reason) {
    std::string text(reason);
    text += "\r\nTo switch the tail without a window, name a slot: tarnwick PRIV-2";
    console.Show(text, MessageKind::Error);
    return kCannotRunStatus;
}

#ifdef TARNWICK_WITH_GUI
// Message boxes from the window module, loaded on the first message. Where
// the module cannot be loaded the message still reaches the console.
class ModuleMessageService final : public MessageService {
public:
    ModuleMessageService(GuiModule& module, MessageService& console) : module_(module), console_(console) {}

    void Show(std::string_view text, MessageKind kind) override {
        auto* show = reinterpret_cast<ShowMessageFunction>(module_.Function(kShowMessageName));
        if (show == nullptr) {
            console_.Show(std::string(text) + "\r\n(no message box: " + module_.Error() + ")", kind);
            return;
        }
        show(text.data(), text.size(), static_cast<int>(kind));
    }

private:
    GuiModule& module_;
    MessageService& console_;
};
#endif

}  // namespace

int Run(int argc, char** argv) {
    IgnoreBrokenPipe();
    const std::string executableFolder = ExecutableFolder();
    NativeFileSystem files;
    ProfileFile profile(files, executableFolder);
    Settings settings(profile);
    SystemClock clock;
    ConsoleMessageService console;
    const bool display = HasDisplay();

#ifdef TARNWICK_WITH_GUI
    GuiModule module(executableFolder);
    ModuleMessageService boxes(module, console);
    MessageService& messages = display ? static_cast<MessageService&>(boxes) : console;
#else
    MessageService& messages = console;
#endif
    Services services{messages, clock, files, settings};

    auto showMainWindow = [&](AppState& state) -> int {
        if (!display) {
            return NoWindowAvailable(console,
                                     "The main window needs a display, and none is set (DISPLAY or "
                                     "WAYLAND_DISPLAY).");
        }
#ifdef TARNWICK_WITH_GUI
        auto* runWindows = reinterpret_cast<RunWindowsFunction>(module.Function(kRunWindowsName));
        if (runWindows == nullptr) {
            return NoWindowAvailable(console, "The windows cannot be loaded: " + module.Error());
        }
        return runWindows(&state, &services, argc, argv);
#else
        (void)state;
        return NoWindowAvailable(console, "This build of Tarnwick has no windows.");
#endif
    };

    StandardOutput output;
    AppState state;
    return Main(state, services, JoinArguments(argc, argv), showMainWindow, output);
}

}  // namespace tarnwick
