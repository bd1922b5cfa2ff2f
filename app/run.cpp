#include "app/run.h"

#include <string>

#include "core/app_state.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/console_messages.h"
#include "platform/native_file_system.h"
#include "platform/process.h"
#include "platform/profile_file.h"

#ifdef TARNWICK_WITH_GUI
#include <QApplication>

#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_message_service.h"
#include "ui/frm_main.h"
#endif

namespace tarnwick {

namespace {

// Exit status of window mode when no window can be shown.
constexpr int kNoWindowStatus = 2;

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
    return kNoWindowStatus;
}

}  // namespace

int Run(int argc, char** argv) {
    NativeFileSystem files;
    ProfileFile profile(files, ExecutableFolder());
    Settings settings(profile);
    SystemClock clock;
    ConsoleMessageService console;
    const bool display = HasDisplay();

#ifdef TARNWICK_WITH_GUI
    QtMessageService boxes;
    MessageService& messages = display ? static_cast<MessageService&>(boxes) : console;
#else
    MessageService& messages = console;
#endif
    Services services{messages, clock, files, settings};

    auto showMainWindow = [&](AppState& state) -> int {
#ifdef TARNWICK_WITH_GUI
        if (!display) {
            return NoWindowAvailable(console,
                                     "The main window needs a display, and none is set (DISPLAY or "
                                     "WAYLAND_DISPLAY).");
        }
        QApplication application(argc, argv);
        QtFileDialogs dialogs;
        ProcessEnd program;
        WindowServices windowServices{services, dialogs, program};
        return ShowMainWindow(state, windowServices);
#else
        (void)state;
        return NoWindowAvailable(console, "This build of Tarnwick has no windows.");
#endif
    };

    AppState state;
    return Main(state, services, JoinArguments(argc, argv), showMainWindow);
}

}  // namespace tarnwick
