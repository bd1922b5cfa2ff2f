#include "ui/frm_opt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <algorithm>
#include <string>
#include <vector>

#include "ui/colours.h"
#include "ui/ui_common.h"

namespace tarnwick {

namespace {

const QColor kWindowColour(255, 255, 192);
const QColor kHeadingColour(192, 255, 255);
const QColor kUntouchedColour(0, 0, 255);
const QColor kEditedColour(255, 0, 0);
const QColor kCaptionBoxColour(255, 255, 255);

constexpr int kClientWidthTwips = 6810;
constexpr int kClientHeightTwips = 5985;
constexpr int kRowStepTwips = 600;

void SetTextColour(QLineEdit* box, const QColor& colour) {
    // The caption colours are fixed, so the box behind them is fixed too.
    SetFixedColours(box, QPalette::Base, kCaptionBoxColour, QPalette::Text, colour);
}

// "OFFI-1 (&A)": the selectors use the letters A to G, so they do not clash
// with the digits of the main window's slot buttons.
QString SelectorText(int slot) {
    std::string text(kSlotKeyNames[slot]);
    text += " (&";
    text += static_cast<char>('A' + slot);
    text += ')';
    return QString::fromStdString(text);
}

}  // namespace

frmOpt::frmOpt(AppState& state, Settings& settings, MessageService& messages,
               const std::array<QPushButton*, kSlotCount>& mainButtons, QWidget* parent)
    : QDialog(parent, Qt::Dialog | kFixedWindowHints),
      state_(state),
      settings_(settings),
      messages_(messages),
      mainButtons_(mainButtons) {
    ApplyWindowDesign(
        this, {QStringLiteral("frmOpt"), QStringLiteral("Set Vellicor Option"), QStringLiteral("mailbox.svg"),
               kClientWidthTwips, kClientHeightTwips, kWindowColour});
    CreateControls();
    NameControls();
    Load();
    cmdSet_[0]->setFocus();
}

void frmOpt::CreateControls() {
    auto* heading = new QLabel(QStringLiteral("Set Private Button Caption"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setFont(ProportionalFont(14.25));
    heading->setAlignment(Qt::AlignCenter);
    SetBackground(heading, kHeadingColour);
    // The design's height is that of the design font; a taller fall-back
    // font keeps its descenders.
    const QRect headingRect = TwipsRect(255, 120, 6225, 285);
    heading->setGeometry(headingRect.x(), headingRect.y(), headingRect.width(),
                         std::max(headingRect.height(), heading->sizeHint().height()));

    const QFont selectorFont = ProportionalFont(11.25);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const int top = kRowStepTwips * slot;
        const QString index = QString::number(slot);

        auto* selector = new QPushButton(SelectorText(slot), this);
        selector->setObjectName(QStringLiteral("cmdSet") + index);
        selector->setFont(selectorFont);
        selector->setGeometry(TwipsRect(240, 600 + top, 1500, 495));
        cmdSet_[slot] = selector;

        // Shows the future button text only: never focused, never pressed.
        auto* preview = new QPushButton(this);
        preview->setObjectName(QStringLiteral("cmdPrev") + index);
        preview->setGeometry(TwipsRect(1920, 600 + top, 2175, 495));
        preview->setFocusPolicy(Qt::NoFocus);
        preview->setAutoDefault(false);
        cmdPrev_[slot] = preview;

        auto* caption = new QLineEdit(this);
        caption->setObjectName(QStringLiteral("txtUpdate") + index);
        caption->setGeometry(TwipsRect(4320, 720 + top, 2175, 270));
        caption->setAlignment(Qt::AlignCenter);
        FitToText(caption);
        txtUpdate_[slot] = caption;

        connect(selector, &QPushButton::clicked, this, [this, slot] { cmdSet_Click(slot); });
        connect(caption, &QLineEdit::textChanged, this, [this, slot] { txtUpdate_Change(slot); });
    }

    cmdUpdate_ = new QPushButton(QStringLiteral("Update (&U)"), this);
    cmdUpdate_->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate_->setGeometry(TwipsRect(1920, 4920, 2175, 495));
    cmdUpdate_->setDefault(true);

    cmdCancel_ = new QPushButton(QStringLiteral("Cancel (&N)"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(TwipsRect(4320, 4920, 2175, 495));

    AddNotice(this, 6480, 5640, 180);

    // Tab walks each row's selector and caption, then Update and Cancel.
    QWidget* previous = nullptr;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (previous != nullptr) {
            setTabOrder(previous, cmdSet_[slot]);
        }
        setTabOrder(cmdSet_[slot], txtUpdate_[slot]);
        previous = txtUpdate_[slot];
    }
    setTabOrder(previous, cmdUpdate_);
    setTabOrder(cmdUpdate_, cmdCancel_);

    connect(cmdUpdate_, &QPushButton::clicked, this, &frmOpt::cmdUpdate_Click);
    // Esc reaches reject() too, which is what Cancel does.
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void frmOpt::NameControls() {
    // A row's controls say which slot they belong to; the preview buttons
    // take their names from the captions (SetSlotButtonText).
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const QString key = FromLocal(kSlotKeyNames[slot]);
        cmdSet_[slot]->setAccessibleName(QStringLiteral("Select the caption of %1").arg(key));
        txtUpdate_[slot]->setAccessibleName(QStringLiteral("Caption of %1").arg(key));
        cmdPrev_[slot]->setAccessibleDescription(QStringLiteral("How the button of %1 will read").arg(key));
    }
    cmdUpdate_->setAccessibleName(QStringLiteral("Update the captions"));
    cmdCancel_->setAccessibleName(QStringLiteral("Cancel without changes"));
}

void frmOpt::Load() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (mainButtons_[slot] != nullptr) {
            cmdPrev_[slot]->setText(mainButtons_[slot]->text());
            cmdPrev_[slot]->setAccessibleName(mainButtons_[slot]->accessibleName());
        }
        // Setting the text runs the Change handler, which redraws the
        // preview from it; the box then starts out as untouched.
        txtUpdate_[slot]->setText(FromLocal(state_.Caption[slot]));
        SetTextColour(txtUpdate_[slot], kUntouchedColour);
    }
}

void frmOpt::txtUpdate_Change(int slot) {
    SetSlotButtonText(cmdPrev_[slot], slot, ToLocal(txtUpdate_[slot]->text()));
    SetTextColour(txtUpdate_[slot], kEditedColour);
}

void frmOpt::cmdSet_Click(int slot) {
    QLineEdit* caption = txtUpdate_[slot];
    caption->setFocus();
    caption->setSelection(0, static_cast<int>(caption->text().size()));
}

// Captions are stored in the system code page (the ANSI code page on
// Windows, which the settings files of earlier versions are written in). A
// caption with characters it has no place for would come back as question
// marks, so Update stores none of the seven and says which one to change.
bool frmOpt::CaptionsFitCodePage() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        QLineEdit* caption = txtUpdate_[slot];
        if (!FitsSystemCodePage(caption->text())) {
            messages_.Show("The caption of " + state_.KeyName[slot] +
                               " has characters that this system's code page cannot hold, so the settings "
                               "file cannot keep it.\r\nChange it, or press Cancel to keep the captions as "
                               "they were.",
                           MessageKind::Warning);
            cmdSet_Click(slot);
            return false;
        }
    }
    return true;
}

void frmOpt::cmdUpdate_Click() {
    if (!CaptionsFitCodePage()) {
        return;
    }
    // All seven are stored, changed or not, untrimmed and possibly empty: an
    // empty caption brings the default back at the next start.
    std::vector<ProfileValue> captions;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        state_.Caption[slot] = ToLocal(txtUpdate_[slot]->text());
        captions.emplace_back(keys::kCaptionSection, state_.KeyName[slot], state_.Caption[slot]);
        if (mainButtons_[slot] != nullptr) {
            SetSlotButtonText(mainButtons_[slot], slot, state_.Caption[slot]);
        }
    }
    settings_.PutProfiles(captions);
    accept();
}

void frmOpt::done(int result) {
    // The close box goes through reject() as well; a hidden window has
    // already been closed and records nothing more.
    if (isVisible()) {
        QueryUnload();
    }
    QDialog::done(result);
}

void frmOpt::QueryUnload() {
    const QPoint position = pos();
    state_.OptTop = PixelsToPosition(position.y(), state_.OptTop);
    settings_.PutPosition(keys::kOptTop, state_.OptTop);
    state_.OptLeft = PixelsToPosition(position.x(), state_.OptLeft);
    settings_.PutPosition(keys::kOptLeft, state_.OptLeft);
}

}  // namespace tarnwick
