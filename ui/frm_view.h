// The preview window: shows a slot's expanded tail, lets the user edit it and
// save it into the tail file.
#pragma once

#include <QWidget>

#include "core/app_state.h"
#include "ui/ui_common.h"

class QPlainTextEdit;
class QPushButton;

namespace tarnwick {

class frmView : public QWidget {
    Q_OBJECT
public:
    // Created hidden at ViewTop/ViewLeft by the main window's Load.
    frmView(AppState& state, WindowServices& services, QWidget* mainWindow);

    // Expands the slot and shows it; editable with SAVE when preEdit (the
    // main window's PreEdit box) is checked.
    void PreviewTail(int slot, bool preEdit);
    void SavePreviewEdit();

    // (The rest of the interface belongs to the window's implementation.)
};

}  // namespace tarnwick
