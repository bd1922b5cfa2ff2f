// The caption options window: renames the seven slot buttons.
#pragma once

#include <QDialog>
#include <array>

#include "core/app_state.h"
#include "core/settings.h"

class QPushButton;

namespace tarnwick {

class frmOpt : public QDialog {
    Q_OBJECT
public:
    // mainButtons are the main window's cmdSet(0..6), read at Load and
    // relabelled at Update.
    frmOpt(AppState& state, Settings& settings, const std::array<QPushButton*, kSlotCount>& mainButtons,
           QWidget* parent);
};

}  // namespace tarnwick
