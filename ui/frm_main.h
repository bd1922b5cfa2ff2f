// The main window: the two file paths, the seven slot buttons and the options.
#pragma once

#include <QWidget>

#include "core/app_state.h"
#include "ui/ui_common.h"

namespace tarnwick {

class frmMain : public QWidget {
    Q_OBJECT
public:
    frmMain(AppState& state, WindowServices& services);
    // (Load, the handlers and SaveSettings belong to the implementation.)
};

// The folder part of a path, for a file dialog's initial folder.
std::string FolderOf(std::string_view path);

// Creates the main window, runs Load, shows it and runs the event loop.
int ShowMainWindow(AppState& state, WindowServices& services);

}  // namespace tarnwick
