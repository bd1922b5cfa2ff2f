// The caption options window: renames the seven slot buttons.
#pragma once

#include <QDialog>
#include <array>

#include "core/app_state.h"
#include "core/services.h"
#include "core/settings.h"

class QLineEdit;
class QPushButton;

namespace tarnwick {

class frmOpt : public QDialog {
    Q_OBJECT
public:
    // mainButtons are the main window's cmdSet(0..6), read at Load and
    // relabelled at Update; messages tells why Update refuses a caption.
    frmOpt(AppState& state, Settings& settings, MessageService& messages,
           const std::array<QPushButton*, kSlotCount>& mainButtons, QWidget* parent);

    // Every way of closing (Update, Cancel, Esc, the close box) ends here.
    void done(int result) override;

private:
    void CreateControls();
    void NameControls();
    void Load();
    void txtUpdate_Change(int slot);
    void cmdSet_Click(int slot);
    void cmdUpdate_Click();
    bool CaptionsFitCodePage();
    void QueryUnload();

    AppState& state_;
    Settings& settings_;
    MessageService& messages_;
    std::array<QPushButton*, kSlotCount> mainButtons_;

    std::array<QPushButton*, kSlotCount> cmdSet_{};
    std::array<QPushButton*, kSlotCount> cmdPrev_{};
    std::array<QLineEdit*, kSlotCount> txtUpdate_{};
    QPushButton* cmdUpdate_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace tarnwick
