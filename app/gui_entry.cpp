// The window module: Qt message boxes, file dialogs and the windows.
#include "app/gui_entry.h"

#include <QApplication>
#include <type_traits>

#include "platform/process.h"
#include "platform/qt/font_preload.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_message_service.h"
#include "ui/frm_main.h"

#ifdef _WIN32
#define TARNWICK_EXPORT extern "C" __declspec(dllexport)
#else
#define TARNWICK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TARNWICK_EXPORT void tarnwick_show_message(const char* text, std::size_t size, int kind) {
    tarnwick::QtMessageService().Show({text, size}, static_cast<tarnwick::MessageKind>(kind));
}

TARNWICK_EXPORT int tarnwick_run_windows(tarnwick::AppState* state, tarnwick::Services* services, int argc,
                                         char** argv) {
    tarnwick::FontPreload fonts;
    QApplication application(argc, argv);
    fonts.Wait();
    tarnwick::QtFileDialogs dialogs;
    tarnwick::ProcessEnd program;
    tarnwick::WindowServices windowServices{*services, dialogs, program};
    return tarnwick::ShowMainWindow(*state, windowServices);
}

// The executable looks these up by name as the types in gui_entry.h.
static_assert(std::is_same_v<decltype(&tarnwick_show_message), tarnwick::ShowMessageFunction>);
static_assert(std::is_same_v<decltype(&tarnwick_run_windows), tarnwick::RunWindowsFunction>);
