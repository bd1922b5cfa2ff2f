#include "app/run.h"

#include <string>

#include "core/app_state.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/console_messages.h"
#include "platform/mail_config_files.h"
#include "platform/native_file_system.h"
#include "platform/process.h"
#include "platform/profile_file.h"
#include "platform/standard_output.h"
#include "platform/system_messages.h"

#ifdef TARNWICK_WITH_GUI
#include "app/gui_entry.h"
#include "platform/gui_module.h"
#endif

namespace tarnwick {

namespace {

int NoWindowAvailable(MessageService& messages, std::string_view reason) {
    std::string text(reason);
    text += "\r\nTo switch the tail without a window, name a slot: tarnwick PRIV-2";
    messages.Show(text, MessageKind::Error);
    return kCannotRunStatus;
}

#ifdef TARNWICK_WITH_GUI
// Message boxes from the window module, loaded on the first message. Where
// the module cannot be loaded the message still reaches the user.
class ModuleMessageService final : public MessageService {
public:
    ModuleMessageService(GuiModule& module, MessageService& fallback)
        : module_(module), fallback_(fallback) {}

    void Show(std::string_view text, MessageKind kind) override {
        auto* show = reinterpret_cast<ShowMessageFunction>(module_.Function(kShowMessageName));
        if (show == nullptr) {
            fallback_.Show(std::string(text) + "\r\n(no message box: " + module_.Error() + ")", kind);
            return;
        }
        show(text.data(), text.size(), static_cast<int>(kind));
    }

private:
    GuiModule& module_;
    MessageService& fallback_;
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
    const bool display = HasDisplay();
    ConsoleMessageService console;
    SystemMessageService systemBoxes(console);
    // The console when no box can or should be shown (no display, or output
    // redirected on Windows), else boxes.
    const bool toConsole = MessagesGoToConsole();
    MessageService& notices = toConsole ? static_cast<MessageService&>(console) : systemBoxes;

#ifdef TARNWICK_WITH_GUI
    GuiModule module(executableFolder);
    ModuleMessageService boxes(module, notices);
#else
    SystemMessageService& boxes = systemBoxes;
#endif
    MessageService& messages = toConsole ? notices : boxes;
    NativeMailConfigFiles mailFiles(files);
    Services services{messages, clock, files, settings, kLineEnd, &mailFiles, &console};

    auto showMainWindow = [&](AppState& state) -> int {
        if (!display) {
            return NoWindowAvailable(notices,
                                     "The main window needs a display, and none is set (DISPLAY or "
                                     "WAYLAND_DISPLAY).");
        }
#ifdef TARNWICK_WITH_GUI
        auto* runWindows = reinterpret_cast<RunWindowsFunction>(module.Function(kRunWindowsName));
        if (runWindows == nullptr) {
            return NoWindowAvailable(notices, "The windows cannot be loaded: " + module.Error());
        }
        return runWindows(&state, &services, argc, argv);
#else
        (void)state;
        return NoWindowAvailable(notices, "This build of Tarnwick has no windows.");
#endif
    };

    StandardOutput output(boxes);
    AppState state;
    return Main(state, services, CommandLineText(argc, argv), showMainWindow, output, display);
}

}  // namespace tarnwick
