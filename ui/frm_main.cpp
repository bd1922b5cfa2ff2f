#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "core/find_tails.h"
#include "core/live_commands.h"
#include "core/live_slot.h"
#include "core/settings.h"
#include "core/tail_engine.h"
#include "core/text.h"
#include "ui/accessible.h"
#include "ui/frm_opt.h"
#include "ui/frm_start.h"
#include "ui/frm_view.h"

namespace tarnwick {

namespace {

constexpr int kClientWidthTwips = 9150;
constexpr int kClientHeightTwips = 4140;
const QColor kBackground(128, 255, 255);

// How long the files must stay unchanged before the live slot is looked
// up again.
constexpr int kLiveDelayMs = 200;

constexpr std::string_view kDialogFilter = "TEXT FILE (*.TXT)|*.txt|ALL FILE (*.*)|*.*";

// Slot buttons sit in three columns and three rows; Cancel and Option take
// the free places of the third column.
constexpr std::array<int, kSlotCount> kSlotLeft = {1680, 4200, 1680, 4200, 6720, 1680, 4200};
constexpr std::array<int, kSlotCount> kSlotTop = {1320, 1320, 1920, 1920, 1920, 2520, 2520};

QPushButton* AddButton(QWidget* window, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // Enter on a focused button presses that button, not the default one.
    button->setAutoDefault(true);
    return button;
}

QCheckBox* AddCheckBox(QWidget* window, const char* name, const QString& caption, QRect geometry) {
    auto* box = new QCheckBox(caption, window);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    SetBackground(box, kBackground);
    return box;
}

QLineEdit* AddPathBox(QWidget* window, const char* name, QRect geometry) {
    auto* box = new QLineEdit(window);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFont(ProportionalFont(11.25));
    return box;
}

void AddPathLabel(QWidget* window, const char* name, const QString& caption, QLineEdit* buddy, int rightTwips,
                  int topTwips) {
    auto* label = new QLabel(caption, window);
    label->setObjectName(QLatin1String(name));
    label->setFont(ProportionalFont(11.25, true));
    label->setBuddy(buddy);
    PlaceLabel(label, rightTwips, topTwips, 225);
}

// The space between a path box and its button, and between the columns of
// check boxes.
constexpr int kGapTwips = 105;

// The Ref buttons share a column at the right edge, as wide as the wider
// one's text needs; the path boxes end a gap before it.
void FitRefColumn(std::initializer_list<std::pair<QPushButton*, QLineEdit*>> rows) {
    int left = INT_MAX;
    for (const auto& [button, box] : rows) {
        FitToText(button, Qt::AlignRight);
        FitToText(box);
        left = std::min(left, button->x());
    }
    for (const auto& [button, box] : rows) {
        button->setGeometry(left, button->y(), button->geometry().right() + 1 - left, button->height());
        box->resize(left - Px(kGapTwips) - box->x(), box->height());
    }
}

// Two rows of two check boxes, each as large as its text needs: the second
// column starts clear of the first, and a row that would run into the row
// or the control below it moves up.
void FitCheckBoxRows(const std::array<std::array<QCheckBox*, 2>, 2>& rows, const QWidget* below) {
    int secondLeft = rows[0][1]->x();
    for (const auto& row : rows) {
        FitToText(row[0]);
        FitToText(row[1]);
        secondLeft = std::max(secondLeft, row[0]->geometry().right() + 1 + Px(kGapTwips));
    }
    int limit = below->y();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        (*row)[1]->move(secondLeft, (*row)[1]->y());
        for (QCheckBox* box : *row) {
            box->move(box->x(), std::min(box->y(), limit - box->height()));
        }
        limit = std::min((*row)[0]->y(), (*row)[1]->y());
    }
}

}  // namespace

frmMain::frmMain(AppState& state, WindowServices& services) : state_(state), services_(services) {
    setWindowFlags(Qt::Window | kFixedWindowHints);
    ApplyWindowDesign(
        this, {QStringLiteral("frmMain"), QStringLiteral("Set Vellicor"), QStringLiteral("envelope.svg"),
               kClientWidthTwips, kClientHeightTwips, kBackground});
    CreateControls();
    NameControls();
    ConnectHandlers();
    Load();
}

frmMain::~frmMain() {
    delete view_;
}

void frmMain::CreateControls() {
    // Created in tab order, so the focus chain follows the design.
    txtTo_ = AddPathBox(this, "txtTo", TwipsRect(1800, 240, 5775, 375));
    AddPathLabel(this, "Label1", QStringLiteral("Dest(&D)： "), txtTo_, 615 + 1095, 360);
    cmdRefTo_ = AddButton(this, "cmdRefTo", QStringLiteral("Ref...To(&T)"), TwipsRect(7680, 240, 1215, 375));
    txtFrom_ = AddPathBox(this, "txtFrom", TwipsRect(1800, 720, 5775, 375));
    AddPathLabel(this, "Label2", QStringLiteral("Source(&S)： "), txtFrom_, 360 + 1350, 840);
    cmdRefFrom_ =
        AddButton(this, "cmdRefFrom", QStringLiteral("Ref...From(&F)"), TwipsRect(7680, 720, 1215, 375));
    const auto addSlot = [this](int slot) {
        const std::string name = "cmdSet" + std::to_string(slot);
        cmdSet_[slot] =
            AddButton(this, name.c_str(), QString(), TwipsRect(kSlotLeft[slot], kSlotTop[slot], 2175, 495));
        ExposeLiveState(cmdSet_[slot]);
    };
    addSlot(0);
    addSlot(1);
    cmdCancel_ = AddButton(this, "cmdCancel", QStringLiteral("Cancel(&C)"), TwipsRect(6720, 1320, 2175, 495));
    for (int slot = 2; slot < kSlotCount; ++slot) {
        addSlot(slot);
    }
    cmdSetOpt_ = AddButton(this, "cmdSetOpt", QStringLiteral("Option(&O)"), TwipsRect(6720, 2520, 2175, 495));
    chkNoMsg_ =
        AddCheckBox(this, "chkNoMsg", QStringLiteral("No Msg (&M)"), TwipsRect(1680, 3240, 1335, 255));
    chkNoStop_ =
        AddCheckBox(this, "chkNoStop", QStringLiteral("No Stop (&X)"), TwipsRect(3120, 3240, 1335, 255));
    cmdExit_ = AddButton(this, "cmdExit", QStringLiteral("Exit(&Q)"), TwipsRect(6720, 3120, 2175, 495));
    cmdExit_->setDefault(true);
    AddNotice(this, 4335 + 4560, 3840, 180);
    chkView_ = AddCheckBox(this, "chkView", QStringLiteral("PreView (&V)"), TwipsRect(1680, 3600, 1335, 255));
    chkEdit_ = AddCheckBox(this, "chkEdit", QStringLiteral("PreEdit (&E)"), TwipsRect(3120, 3600, 1335, 255));
    // The status line; labels are numbered.
    lblLive_ = new QLabel(this);
    lblLive_->setObjectName(QStringLiteral("Label4"));
    lblLive_->setFont(ProportionalFont(9.75));
    lblLive_->setGeometry(TwipsRect(240, 3870, 6240, 240));
    FitRefColumn({{cmdRefTo_, txtTo_}, {cmdRefFrom_, txtFrom_}});
    FitCheckBoxRows({{{chkNoMsg_, chkNoStop_}, {chkView_, chkEdit_}}}, lblLive_);

    QWidget* previous = txtTo_;
    for (QWidget* next :
         std::initializer_list<QWidget*>{cmdRefTo_, txtFrom_, cmdRefFrom_, cmdSet_[0], cmdSet_[1], cmdCancel_,
                                         cmdSet_[2], cmdSet_[3], cmdSet_[4], cmdSet_[5], cmdSet_[6],
                                         cmdSetOpt_, chkNoMsg_, chkNoStop_, cmdExit_, chkView_, chkEdit_}) {
        setTabOrder(previous, next);
        previous = next;
    }
    txtTo_->setFocus();
}

void frmMain::NameControls() {
    // What a screen reader calls each control: what it is or does, and the
    // caption's words where they are more than a symbol. The slot buttons
    // take their names from their captions (SetSlotButtonText).
    txtTo_->setAccessibleName(QStringLiteral("Tail file (Dest)"));
    cmdRefTo_->setAccessibleName(QStringLiteral("Choose the tail file"));
    txtFrom_->setAccessibleName(QStringLiteral("Base file (Source)"));
    cmdRefFrom_->setAccessibleName(QStringLiteral("Choose the base file"));
    cmdCancel_->setAccessibleName(QStringLiteral("Cancel without saving"));
    cmdSetOpt_->setAccessibleName(QStringLiteral("Rename the slot buttons (Option)"));
    chkNoMsg_->setAccessibleName(QStringLiteral("No success message (No Msg)"));
    chkNoStop_->setAccessibleName(QStringLiteral("Stay open after a slot (No Stop)"));
    cmdExit_->setAccessibleName(QStringLiteral("Exit and save the settings"));
    chkView_->setAccessibleName(QStringLiteral("Preview instead of writing (PreView)"));
    chkEdit_->setAccessibleName(QStringLiteral("Edit the preview (PreEdit)"));
    // A screen reader names a box after its label, so the label reads as the box.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            label->setAccessibleName(label->buddy()->accessibleName());
        }
    }
}

void frmMain::ConnectHandlers() {
    connect(chkView_, &QCheckBox::toggled, this, &frmMain::chkView_Click);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        connect(cmdSet_[slot], &QPushButton::clicked, this, [this, slot] { cmdSet_Click(slot); });
    }
    connect(cmdRefFrom_, &QPushButton::clicked, this, &frmMain::cmdRefFrom_Click);
    connect(cmdRefTo_, &QPushButton::clicked, this, &frmMain::cmdRefTo_Click);
    connect(cmdSetOpt_, &QPushButton::clicked, this, &frmMain::cmdSetOpt_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmMain::cmdCancel_Click);
    // The start-up dialog, later too: a key and the window's context menu,
    // which leave the designed controls as they are.
    auto* setUp = new QAction(QStringLiteral("Set Up Tail and Base Files..."), this);
    setUp->setObjectName(QStringLiteral("actSetUp"));
    setUp->setShortcut(QKeySequence::New);
    addAction(setUp);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(setUp, &QAction::triggered, this, &frmMain::OpenFirstStart);

    watcher_ = new QFileSystemWatcher(this);
    liveDelay_ = new QTimer(this);
    liveDelay_->setSingleShot(true);
    liveDelay_->setInterval(kLiveDelayMs);
    connect(watcher_, &QFileSystemWatcher::fileChanged, liveDelay_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, liveDelay_, qOverload<>(&QTimer::start));
    connect(liveDelay_, &QTimer::timeout, this, &frmMain::FilesChanged);
}

void frmMain::Load() {
    txtTo_->setText(FromLocal(state_.Dest));
    txtFrom_->setText(FromLocal(state_.Source));
    chkNoMsg_->setChecked(IsOn(state_.NoMsg));
    chkNoStop_->setChecked(IsOn(state_.NoStop));
    chkView_->setChecked(false);
    chkEdit_->setChecked(true);
    chkEdit_->setEnabled(false);
    // The other windows default to directly below this one.
    Settings& settings = services_.core.settings;
    const Settings::ReadBatch batch(settings);
    state_.MainTop = settings.GetPosition(keys::kMainTop, 0);
    state_.MainLeft = settings.GetPosition(keys::kMainLeft, 0);
    const std::int16_t below = ClampPosition(state_.MainTop + kOuterHeightTwips);
    state_.OptTop = settings.GetPosition(keys::kOptTop, below);
    state_.OptLeft = settings.GetPosition(keys::kOptLeft, state_.MainLeft);
    state_.ViewTop = settings.GetPosition(keys::kViewTop, below);
    state_.ViewLeft = settings.GetPosition(keys::kViewLeft, state_.MainLeft);

    move(PositionToPixels(state_.MainLeft), PositionToPixels(state_.MainTop));
    KeepOnScreen(this);

    ShowLiveSlot();
}

frmView& frmMain::PreviewWindow() {
    // Made on the first preview rather than at Load: a hidden window is
    // nothing to the user, and its text box and fixed-width font would hold
    // up the main window's appearance.
    if (!view_) {
        view_ = new frmView(state_, services_, this);
        connect(view_, &frmView::PreviewSaved, this, &frmMain::ShowLiveSlot);
    }
    return *view_;
}

void frmMain::ShowLiveSlot() {
    // Taken before the files are read, so that a change while they are read
    // counts as one.
    seen_ = FilesOnDisk();
    live_ = FindLiveTail(state_, services_.core.files);
    ShowLiveMark();
    // Watching anew drops what the old watch had seen meanwhile; a change
    // while the files were read is looked up again once things are quiet.
    WatchFiles();
    if (FilesOnDisk() != seen_) {
        liveDelay_->start();
    }
}

void frmMain::FilesChanged() {
    if (FilesOnDisk() != seen_) {
        ShowLiveSlot();
    }
}

QStringList frmMain::FilesOnDisk() const {
    // Size and times tell a replaced or rewritten file without reading it;
    // a rename over the file changes its change time even where the size and
    // the modification time stay.
    QStringList stamps;
    for (const std::string& path : {state_.Dest, state_.Source}) {
        const QFileInfo file(FromLocal(path));
        stamps << (file.exists() ? QStringLiteral("%1 %2 %3")
                                       .arg(file.size())
                                       .arg(file.lastModified().toMSecsSinceEpoch())
                                       .arg(file.metadataChangeTime().toMSecsSinceEpoch())
                                 : QString());
    }
    return stamps;
}

void frmMain::ShowLiveMark() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        MarkLiveButton(cmdSet_[slot], live_.outcome == LiveOutcome::Slot && live_.scan.live == slot);
        SetSlotButtonText(cmdSet_[slot], slot, state_.Caption[slot]);
    }
    SetElidedText(lblLive_,
                  state_.Source.empty() ? FirstStartHint() : FromLocal(LiveStatusLine(state_, live_)));
}

void frmMain::WatchFiles() {
    // A file replaced by a rename is watched no more, and a tail not yet
    // there cannot be watched at all: their folders tell of both.
    QStringList paths;
    for (const std::string& path : {state_.Dest, state_.Source}) {
        if (!path.empty()) {
            const QFileInfo file(FromLocal(path));
            paths << file.absoluteFilePath() << file.absolutePath();
        }
    }
    paths.removeDuplicates();
    const QStringList watched = watcher_->files() + watcher_->directories();
    if (!watched.isEmpty()) {
        watcher_->removePaths(watched);
    }
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            watcher_->addPath(path);
        }
    }
}

void frmMain::chkView_Click() {
    chkEdit_->setEnabled(chkView_->isChecked());
}

void frmMain::cmdSet_Click(int slot) {
    const std::string dest = TrimmedText(txtTo_);
    if (dest.empty()) {
        services_.core.messages.Show("Dest Is Empty, Please Input Dest !!!", MessageKind::Warning);
        txtTo_->setFocus();
        return;
    }
    const std::string source = TrimmedText(txtFrom_);
    if (source.empty()) {
        services_.core.messages.Show("Source Is Empty, Please Input Source !!!", MessageKind::Warning);
        txtFrom_->setFocus();
        return;
    }
    const bool otherFiles = dest != state_.Dest || source != state_.Source;
    state_.Dest = dest;
    state_.Source = source;
    state_.NoMsg = FlagText(chkNoMsg_->isChecked());
    state_.NoStop = FlagText(chkNoStop_->isChecked());
    state_.View = FlagText(chkView_->isChecked());

    if (IsOn(state_.View)) {
        // The mark is of the files typed in, even should the preview not be saved.
        if (otherFiles) {
            ShowLiveSlot();
        }
        PreviewWindow().PreviewTail(slot, chkEdit_->isChecked());
        return;
    }
    // A failed apply has been reported; the program goes on as after success.
    ApplyTail(state_, services_.core, slot);
    if (!IsOn(state_.NoStop)) {
        SaveSettings();
        services_.program.EndProgram();
        return;
    }
    ShowLiveSlot();
}

void frmMain::cmdRefFrom_Click() {
    const std::string chosen = services_.dialogs.Ask(BaseFileRequest(state_.Source));
    if (!chosen.empty()) {
        state_.Source = chosen;
        txtFrom_->setText(FromLocal(chosen));
        ShowLiveSlot();
    }
}

void frmMain::cmdRefTo_Click() {
    FileDialogRequest request;
    request.save = true;
    request.title = "Save File Name for Vellicor";
    request.filter = kDialogFilter;
    request.initialFolder = FolderOf(state_.Dest);
    request.initialName = "Vellicor.TXT";
    request.defaultExtension = "TXT";
    request.shortcuts = TailPaths(FoundTails());
    const std::string chosen = services_.dialogs.Ask(request);
    if (!chosen.empty()) {
        state_.Dest = chosen;
        txtTo_->setText(FromLocal(chosen));
        ShowLiveSlot();
    }
}

std::vector<MailTail> frmMain::FoundTails() const {
    MailConfigFiles* files = services_.core.mailFiles;
    return files == nullptr ? std::vector<MailTail>{} : FindMailTails(files->Read(), files->HomeFolder());
}

bool frmMain::NothingSetUp() const {
    return state_.Dest.empty() && state_.Source.empty();
}

void frmMain::OpenFirstStart() {
    frmStart start(state_, services_.core, services_.dialogs, FoundTails(), this);
    if (start.exec() != QDialog::Accepted) {
        return;
    }
    state_.Dest = start.Plan().tailPath;
    state_.Source = start.Plan().basePath;
    txtTo_->setText(FromLocal(state_.Dest));
    txtFrom_->setText(FromLocal(state_.Source));
    services_.core.settings.PutProfiles({{keys::kDest, state_.Dest}, {keys::kSource, state_.Source}});
    ShowLiveSlot();
}

void frmMain::cmdSetOpt_Click() {
    frmOpt options(state_, services_.core.settings, services_.core.messages, cmdSet_, this);
    options.move(PositionToPixels(state_.OptLeft), PositionToPixels(state_.OptTop));
    KeepOnScreen(&options);
    options.exec();
    // Only the captions may have changed; a change on disk meanwhile has
    // been looked up already.
    ShowLiveMark();
}

void frmMain::cmdExit_Click() {
    SaveSettings();
    services_.program.EndProgram();
}

void frmMain::cmdCancel_Click() {
    services_.program.EndProgram();
}

// QueryUnload: the close box ends the program without saving.
void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    if (view_) {
        view_->close();
    }
    services_.program.EndProgram();
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // Keys a focused control leaves unused arrive here. Enter presses the
    // default button (a focused button has already taken its own Enter);
    // Esc presses nothing and does not close the window.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (cmdExit_->isEnabled()) {
                cmdExit_->click();
            }
            event->accept();
            return;
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void frmMain::SaveSettings() {
    const QPoint position = pos();
    state_.MainTop = PixelsToPosition(position.y(), state_.MainTop);
    state_.MainLeft = PixelsToPosition(position.x(), state_.MainLeft);
    services_.core.settings.PutProfiles({
        {keys::kDest, state_.Dest},
        {keys::kSource, state_.Source},
        {keys::kNoMsg, state_.NoMsg},
        {keys::kNoStop, state_.NoStop},
        {keys::kMainTop, FormatPosition(state_.MainTop)},
        {keys::kMainLeft, FormatPosition(state_.MainLeft)},
        {keys::kViewTop, FormatPosition(state_.ViewTop)},
        {keys::kViewLeft, FormatPosition(state_.ViewLeft)},
    });
}

FileDialogRequest BaseFileRequest(std::string_view source) {
    FileDialogRequest request;
    request.title = "Base File Name for Vellicor";
    request.filter = kDialogFilter;
    request.initialFolder = FolderOf(source);
    request.initialName = "MailBase.TXT";
    request.mustExist = true;
    return request;
}

std::string FolderOf(std::string_view path) {
    if (path.empty()) {
        // Nothing chosen yet: the user's own folder is where files live.
        QString home = QDir::homePath();
        if (!home.endsWith(QLatin1Char('/'))) {
            home += QLatin1Char('/');
        }
        return ToLocal(home);
    }
    // A stored Windows path works too.
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, separator + 1));
}

int ShowMainWindow(AppState& state, WindowServices& services) {
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    frmMain window(state, services);
    // The default icon of the message boxes, once the window is up.
    WhenFirstPainted(&window,
                     [] { QApplication::setWindowIcon(ResourceIcon(QStringLiteral("envelope.svg"))); });
    window.show();
    // The first start offers to set things up once the window is in sight,
    // as finding the mail programs' files takes a while; the dialog opens
    // once that paint has ended. A later start with files set goes straight to
    // the slots.
    if (window.NothingSetUp()) {
        WhenFirstPainted(&window, [&window] {
            QMetaObject::invokeMethod(&window, &frmMain::OpenFirstStart, Qt::QueuedConnection);
        });
    }
    QApplication::exec();
    return 0;
}

}  // namespace tarnwick
