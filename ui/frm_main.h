// The main window: the two file paths, the seven slot buttons and the options.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>

#include "core/app_state.h"
#include "core/live_slot.h"
#include "core/mail_programs.h"
#include "ui/ui_common.h"

class QCheckBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tarnwick {

class frmView;

class frmMain : public QWidget {
    Q_OBJECT
public:
    // Builds the controls and runs Load: the window is ready to be shown.
    frmMain(AppState& state, WindowServices& services);
    ~frmMain() override;

    // The outer height the default positions of the other windows add to
    // MainTop: the client area plus the design's title bar and frame.
    static constexpr int kOuterHeightTwips = 4515;

    // Neither file is set: nothing has been set up yet.
    bool NothingSetUp() const;
    // Opens the start-up dialog and takes on the files chosen there.
    void OpenFirstStart();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void NameControls();
    void ConnectHandlers();
    void Load();
    frmView& PreviewWindow();
    void chkView_Click();
    void cmdSet_Click(int slot);
    void cmdRefFrom_Click();
    void cmdRefTo_Click();
    void cmdSetOpt_Click();
    void cmdExit_Click();
    void cmdCancel_Click();
    void SaveSettings();
    // The tail files the mail programs read, looked up now: a dialog that
    // offers them opens later than the window and should see them as they are.
    std::vector<MailTail> FoundTails() const;
    // Marks the button of the slot the tail file holds and names it in the
    // status line, and watches the tail and base files for the next change.
    void ShowLiveSlot();
    // Shows the last look-up with the captions as they are now.
    void ShowLiveMark();
    void WatchFiles();
    // After the watcher saw a change: looks the live slot up again unless
    // the tail and base files are as the last look-up found them (another
    // file in their folders changed, or the change was this window's own).
    void FilesChanged();
    QStringList FilesOnDisk() const;

    AppState& state_;
    WindowServices& services_;

    QLineEdit* txtTo_ = nullptr;
    QLineEdit* txtFrom_ = nullptr;
    QPushButton* cmdRefTo_ = nullptr;
    QPushButton* cmdRefFrom_ = nullptr;
    std::array<QPushButton*, kSlotCount> cmdSet_{};
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdSetOpt_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QCheckBox* chkNoMsg_ = nullptr;
    QCheckBox* chkNoStop_ = nullptr;
    QCheckBox* chkView_ = nullptr;
    QCheckBox* chkEdit_ = nullptr;
    QLabel* lblLive_ = nullptr;
    LiveTail live_;     // the last look-up of the live slot
    QStringList seen_;  // the files on disk as that look-up found them
    // A change on disk shows once things are quiet: a save is several events.
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* liveDelay_ = nullptr;
    // The preview window, made on the first preview; it lives as long as
    // this one.
    QPointer<frmView> view_;
};

// The folder part of a path, for a file dialog's initial folder.
std::string FolderOf(std::string_view path);

// The open-file dialog for an existing base file, starting in the folder of
// the base file `source`.
FileDialogRequest BaseFileRequest(std::string_view source);

// Creates the main window, runs Load, shows it and runs the event loop.
int ShowMainWindow(AppState& state, WindowServices& services);

}  // namespace tarnwick
