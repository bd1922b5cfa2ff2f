// The preview window: shows a slot's expanded tail, lets the user edit it and
// save it into the tail file.
#pragma once

#include <QPointer>
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

signals:
    // The edited text is now the tail file.
    void PreviewSaved();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void NameControls();
    // The text as the box holds it, line breaks as "\n" and every other
    // character kept (no space stands in for a no-break space).
    QString ShownText() const;
    void MoveToStoredPosition();
    void ResetToDesign();
    void SetEditable(bool editable);
    bool SaveVisible() const;
    bool TextBoxKey(QKeyEvent* key);
    void cmdSet_Click();
    void cmdClose_Click();
    void Deactivate();

    AppState& state_;
    WindowServices& services_;
    QPointer<QWidget> mainWindow_;

    QPushButton* cmdSet_ = nullptr;
    QPlainTextEdit* txtView_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
};

}  // namespace tarnwick
