#include "ui/frm_view.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <optional>
#include <string>

#include "core/tail_engine.h"
#include "ui/accessible.h"
#include "ui/colours.h"

namespace tarnwick {

namespace {

const QColor kWindowColour(255, 255, 192);
const QColor kTextBoxColour(192, 255, 192);

// Client area 9150 x 3885 twips.
constexpr int kClientWidthTwips = 9150;
constexpr int kClientHeightTwips = 3885;

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

frmView::frmView(AppState& state, WindowServices& services, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | kFixedWindowHints),
      state_(state),
      services_(services),
      mainWindow_(mainWindow) {
    ApplyWindowDesign(
        this, {QStringLiteral("frmView"), QStringLiteral("Set Vellicor View"), QStringLiteral("hand.svg"),
               kClientWidthTwips, kClientHeightTwips, kWindowColour});
    CreateControls();
    NameControls();
    ResetToDesign();
    MoveToStoredPosition();
}

void frmView::CreateControls() {
    cmdSet_ = new QPushButton(this);
    cmdSet_->setObjectName(QStringLiteral("cmdSet"));
    cmdSet_->setGeometry(TwipsRect(120, 120, 2175, 495));
    // Not a tab stop: a click moves the window and leaves the focus where it was.
    cmdSet_->setFocusPolicy(Qt::NoFocus);

    txtView_ = new QPlainTextEdit(this);
    txtView_->setObjectName(QStringLiteral("txtView"));
    txtView_->setGeometry(TwipsRect(120, 720, 8895, 2775));
    txtView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtView_->setFont(FixedFont(11.25));
    // Tab walks the window's controls; Ctrl+Tab types a tab character.
    txtView_->setTabChangesFocus(true);
    SetFixedColours(txtView_, QPalette::Base, kTextBoxColour, QPalette::Text, Qt::black);
    txtView_->installEventFilter(this);

    cmdClose_ = new QPushButton(QStringLiteral("CLOSE (&C)"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setGeometry(TwipsRect(6840, 120, 2175, 495));
    cmdClose_->setAutoDefault(true);

    AddNotice(this, 4440 + 4560, 3600, 180);

    cmdSave_ = new QPushButton(QStringLiteral("SAVE (&S)"), this);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdSave_->setGeometry(TwipsRect(4560, 120, 2175, 495));
    cmdSave_->setAutoDefault(true);
    cmdSave_->setDefault(true);

    setTabOrder(txtView_, cmdClose_);
    setTabOrder(cmdClose_, cmdSave_);

    connect(cmdSet_, &QPushButton::clicked, this, &frmView::cmdSet_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmView::cmdClose_Click);
    connect(cmdSave_, &QPushButton::clicked, this, &frmView::SavePreviewEdit);
}

void frmView::NameControls() {
    // The slot button and the text box take their names from the slot at
    // each preview.
    cmdSet_->setAccessibleDescription(QStringLiteral("Move this window below the main window"));
    cmdClose_->setAccessibleName(QStringLiteral("Close the preview"));
    cmdSave_->setAccessibleName(QStringLiteral("Save into the tail file"));
}

void frmView::PreviewTail(int slot, bool preEdit) {
    // The box holds "\n" line breaks; the save turns each into the file's line end.
    const std::optional<std::string> text = PreviewTailText(state_, services_.core, slot, "\n");
    if (!text) {
        return;  // reported; the window keeps what it showed
    }
    txtView_->setPlainText(FromLocal(*text));
    SetSlotButtonText(cmdSet_, slot, state_.Caption[slot]);
    txtView_->setAccessibleName(QStringLiteral("Preview of %1").arg(SlotName(slot, state_.Caption[slot])));
    SetEditable(preEdit);
    // After every preview the window takes the focus, so a second preview of
    // a window left behind the main window comes to the front, ready to edit.
    if (isVisible()) {
        raise();
    } else {
        MoveToStoredPosition();
        txtView_->setFocus();
        show();
    }
    activateWindow();
}

void frmView::SavePreviewEdit() {
    if (SavePreviewText(state_, services_.core, ToLocal(ShownText()))) {
        emit PreviewSaved();
    }
}

QString frmView::ShownText() const {
    // toPlainText() would turn no-break spaces into spaces; the raw text keeps
    // them, and only its block and line separators become line breaks.
    QString text = txtView_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

bool frmView::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        Deactivate();
    }
    return QWidget::event(event);
}

void frmView::keyPressEvent(QKeyEvent* event) {
    // SAVE is this window's default and cancel button while it is shown.
    if ((IsEnter(event) || event->key() == Qt::Key_Escape) && SaveVisible()) {
        cmdSave_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmView::closeEvent(QCloseEvent* event) {
    // The close box ends this window's life as far as the user can tell: the
    // position is recorded as when it loses the focus, and the next preview
    // starts from the design and places it at ViewTop/ViewLeft.
    Deactivate();
    ResetToDesign();
    event->accept();
}

bool frmView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtView_ && event->type() == QEvent::KeyPress) {
        return TextBoxKey(static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

// Keys the text box would otherwise take for itself. True when handled.
bool frmView::TextBoxKey(QKeyEvent* key) {
    const bool control = key->modifiers().testFlag(Qt::ControlModifier);
    if (IsEnter(key) && control) {
        if (!txtView_->isReadOnly()) {
            txtView_->insertPlainText(QStringLiteral("\n"));
        }
        return true;
    }
    if (key->key() == Qt::Key_Tab && control) {
        if (!txtView_->isReadOnly()) {
            txtView_->insertPlainText(QStringLiteral("\t"));
        }
        return true;
    }
    if (IsEnter(key) || key->key() == Qt::Key_Escape) {
        // Without SAVE the box is read-only and the key has nothing to do.
        if (SaveVisible()) {
            cmdSave_->click();
        }
        return true;
    }
    return false;
}

void frmView::MoveToStoredPosition() {
    move(PositionToPixels(state_.ViewLeft), PositionToPixels(state_.ViewTop));
    KeepOnScreen(this);
}

void frmView::ResetToDesign() {
    txtView_->clear();
    cmdSet_->setText(QString());
    cmdSet_->setToolTip(QString());
    cmdSet_->setAccessibleName(QString());
    txtView_->setAccessibleName(QStringLiteral("Preview"));
    SetEditable(false);
}

void frmView::SetEditable(bool editable) {
    txtView_->setReadOnly(!editable);
    if (!editable) {
        // Read-only text can still be walked and copied with the keyboard.
        txtView_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    cmdSave_->setVisible(editable);
}

bool frmView::SaveVisible() const {
    return !cmdSave_->isHidden();
}

void frmView::cmdSet_Click() {
    if (!mainWindow_) {
        return;
    }
    const QRect main = mainWindow_->window()->frameGeometry();
    move(main.left(), main.top() + main.height());
    KeepOnScreen(this);
}

void frmView::cmdClose_Click() {
    hide();
}

void frmView::Deactivate() {
    const QPoint position = pos();
    state_.ViewTop = PixelsToPosition(position.y(), state_.ViewTop);
    state_.ViewLeft = PixelsToPosition(position.x(), state_.ViewLeft);
}

}  // namespace tarnwick
