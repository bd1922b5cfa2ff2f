// The start-up dialog: which file the mail program reads its signature from,
// which base file keeps the closing texts, and whether the signature in use
// today is kept as a slot's block.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/first_start.h"
#include "core/mail_programs.h"
#include "core/startup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnwick {

// The paths of `found`, each once, in their order: what a tail file dialog
// offers as shortcuts. Several identities often share one file.
std::vector<std::string> TailPaths(const std::vector<MailTail>& found);

// The example base file with all seven slots, as the program carries it.
std::string ExampleBaseText();

// The main window's status line while no base file is set.
QString FirstStartHint();

// Where a new base file goes unless the user picks another place: the user's
// documents folder, else the settings file's folder, else the home folder.
std::string DefaultBasePath(std::string_view settingsLocation);

class frmStart : public QDialog {
    Q_OBJECT
public:
    frmStart(const AppState& state, Services& services, FileDialogs& dialogs, std::vector<MailTail> found,
             QWidget* parent = nullptr);

    // What was chosen; complete once the dialog was accepted.
    const FirstStartPlan& Plan() const { return plan_; }

    // Carries the plan out; the dialog stays open after a failure, which has
    // been reported.
    void accept() override;

private:
    void CreateControls();
    void ConnectHandlers();
    void cboFound_Activated(int index);
    void cmdRefTail_Click();
    void cmdRefNewBase_Click();
    void cmdRefOldBase_Click();
    // Reads the tail file anew and shows what it holds.
    void TailChanged();
    // Shows whether and why the tail's text can be kept.
    void ShowChoices();
    FirstStartPlan ChosenPlan() const;

    const AppState& state_;
    Services& services_;
    FileDialogs& dialogs_;
    std::vector<MailTail> found_;
    std::string example_;
    TailReading tail_;
    bool keepWanted_ = true;  // the user's last word on keeping the text
    FirstStartPlan plan_;

    QComboBox* cboFound_ = nullptr;
    QLineEdit* txtTail_ = nullptr;
    QPushButton* cmdRefTail_ = nullptr;
    QLabel* lblTail_ = nullptr;
    QRadioButton* optNewBase_ = nullptr;
    QLineEdit* txtNewBase_ = nullptr;
    QPushButton* cmdRefNewBase_ = nullptr;
    QRadioButton* optOldBase_ = nullptr;
    QLineEdit* txtOldBase_ = nullptr;
    QPushButton* cmdRefOldBase_ = nullptr;
    QCheckBox* chkKeep_ = nullptr;
    QComboBox* cboSlot_ = nullptr;
    QLabel* lblKeep_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace tarnwick
