#include "ui/frm_start.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>

#include "core/text.h"
#include "ui/frm_main.h"
#include "ui/ui_common.h"

// The example sits in a static library's resources, whose registration is
// not linked in unless something names it; this must be outside any namespace.
static void InitExampleResource() {
    Q_INIT_RESOURCE(examples);
}

namespace tarnwick {

namespace {

constexpr std::string_view kTailFilter = "ALL FILE (*.*)|*.*|TEXT FILE (*.TXT)|*.txt";
constexpr const char* kBaseFileName = "MailBase.TXT";

template <class Control>
Control* Named(Control* control, const char* name, const QString& accessibleName) {
    control->setObjectName(QLatin1String(name));
    control->setAccessibleName(accessibleName);
    return control;
}

QPushButton* AddBrowseButton(const char* name, const QString& accessibleName) {
    return Named(new QPushButton(QStringLiteral("Browse...")), name, accessibleName);
}

QLabel* AddNote(const char* name, const QString& accessibleName) {
    auto* label = Named(new QLabel, name, accessibleName);
    label->setWordWrap(true);
    return label;
}

QString TailStateText(const TailReading& tail) {
    switch (tail.content) {
        case TailContent::Missing:
            return QStringLiteral("There is no file here yet: the first slot you apply makes it.");
        case TailContent::Empty:
            return QStringLiteral("It holds no text yet.");
        case TailContent::Unreadable:
            return QStringLiteral("It cannot be read:\n") + FromLocal(WithLineEnds(tail.failure, "\n"));
        case TailContent::Text:
            break;
    }
    const auto lines = std::count(tail.text.begin(), tail.text.end(), '\n') +
                       (tail.text.empty() || tail.text.back() == '\n' ? 0 : 1);
    return lines == 1 ? QStringLiteral("It holds one line of text: the signature in use today.")
                      : QStringLiteral("It holds %1 lines of text: the signature in use today.").arg(lines);
}

}  // namespace

std::vector<std::string> TailPaths(const std::vector<MailTail>& found) {
    std::vector<std::string> paths;
    for (const MailTail& candidate : found) {
        if (std::find(paths.begin(), paths.end(), candidate.path) == paths.end()) {
            paths.push_back(candidate.path);
        }
    }
    return paths;
}

std::string ExampleBaseText() {
    InitExampleResource();
    QFile file(QStringLiteral(":/examples/MailBase.TXT"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // The example is UTF-8; the program's texts are in the system's code page.
    return ToLocal(QString::fromUtf8(file.readAll()));
}

QString FirstStartHint() {
    return QStringLiteral("No base file yet: press %1 to set one up.")
        .arg(QKeySequence(QKeySequence::New).toString(QKeySequence::NativeText));
}

std::string DefaultBasePath(std::string_view settingsLocation) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) {
        return ToLocal(QDir(documents).filePath(QLatin1String(kBaseFileName)));
    }
    std::string folder = settingsLocation.empty() ? FolderOf({}) : FolderOf(settingsLocation);
    return folder + kBaseFileName;
}

frmStart::frmStart(const AppState& state, Services& services, FileDialogs& dialogs,
                   std::vector<MailTail> found, QWidget* parent)
    : QDialog(parent),
      state_(state),
      services_(services),
      dialogs_(dialogs),
      found_(std::move(found)),
      example_(ExampleBaseText()) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(QStringLiteral("Set Up Vellicor"));
    setAccessibleName(QStringLiteral("Set up the tail file and the base file"));
    CreateControls();
    ConnectHandlers();

    // A tail already set stays: switching it unasked would have a slot
    // overwrite a file the user never picked.
    const auto setTail = std::find_if(found_.begin(), found_.end(),
                                      [this](const MailTail& found) { return found.path == state_.Dest; });
    if (!state_.Dest.empty()) {
        cboFound_->setCurrentIndex(setTail == found_.end() ? -1 : static_cast<int>(setTail - found_.begin()));
    }
    const std::string tail = !state_.Dest.empty() || found_.empty() ? state_.Dest : found_.front().path;
    txtTail_->setText(FromLocal(tail));
    const std::string defaultBase = DefaultBasePath(services_.settings.Location());
    txtNewBase_->setText(FromLocal(defaultBase));
    // A base file already set, or one already at the usual place, is the
    // likely choice; a new one is made only when asked for.
    const std::string existing = !state_.Source.empty()                               ? state_.Source
                                 : services_.files.SameFile(defaultBase, defaultBase) ? defaultBase
                                                                                      : std::string();
    txtOldBase_->setText(FromLocal(existing));
    (existing.empty() ? optNewBase_ : optOldBase_)->setChecked(true);
    cboSlot_->setCurrentIndex(DefaultKeepSlot(example_, state_.KeyName));
    TailChanged();
}

void frmStart::CreateControls() {
    auto* intro = AddNote("lblIntro", QStringLiteral("What this dialog sets up"));
    intro->setText(QStringLiteral(
        "Choose the file your mail program reads its signature from, and the base file that keeps your "
        "closing texts. The slot buttons then switch that file between them."));

    auto* tailGroup =
        Named(new QGroupBox(QStringLiteral("&Tail file: where your mail program reads the signature")),
              "fraTail", QStringLiteral("Tail file"));
    auto* tailGrid = new QGridLayout(tailGroup);
    cboFound_ =
        Named(new QComboBox, "cboFound", QStringLiteral("Signature files of the mail programs found"));
    for (const MailTail& candidate : found_) {
        cboFound_->addItem(FromLocal(candidate.program + ", " + candidate.identity + " - " + candidate.path));
    }
    cboFound_->setVisible(!found_.empty());
    txtTail_ = Named(new QLineEdit, "txtTail", QStringLiteral("Tail file path"));
    cmdRefTail_ = AddBrowseButton("cmdRefTail", QStringLiteral("Pick the tail file"));
    lblTail_ = AddNote("lblTail", QStringLiteral("What the tail file holds"));
    tailGrid->addWidget(cboFound_, 0, 0, 1, 2);
    tailGrid->addWidget(txtTail_, 1, 0);
    tailGrid->addWidget(cmdRefTail_, 1, 1);
    tailGrid->addWidget(lblTail_, 2, 0, 1, 2);

    auto* baseGroup = Named(new QGroupBox(QStringLiteral("Base file: where your closing texts are kept")),
                            "fraBase", QStringLiteral("Base file"));
    auto* baseGrid = new QGridLayout(baseGroup);
    optNewBase_ = Named(new QRadioButton(QStringLiteral("&New, made from the example with all seven slots:")),
                        "optNewBase", QStringLiteral("Make a new base file from the example"));
    txtNewBase_ = Named(new QLineEdit, "txtNewBase", QStringLiteral("Path of the new base file"));
    cmdRefNewBase_ = AddBrowseButton("cmdRefNewBase", QStringLiteral("Pick where the new base file goes"));
    optOldBase_ = Named(new QRadioButton(QStringLiteral("An &existing base file, used as it is:")),
                        "optOldBase", QStringLiteral("Use an existing base file"));
    txtOldBase_ = Named(new QLineEdit, "txtOldBase", QStringLiteral("Path of the existing base file"));
    cmdRefOldBase_ = AddBrowseButton("cmdRefOldBase", QStringLiteral("Pick an existing base file"));
    baseGrid->addWidget(optNewBase_, 0, 0, 1, 2);
    baseGrid->addWidget(txtNewBase_, 1, 0);
    baseGrid->addWidget(cmdRefNewBase_, 1, 1);
    baseGrid->addWidget(optOldBase_, 2, 0, 1, 2);
    baseGrid->addWidget(txtOldBase_, 3, 0);
    baseGrid->addWidget(cmdRefOldBase_, 3, 1);

    auto* keepGroup = Named(new QGroupBox(QStringLiteral("The signature in use today")), "fraKeep",
                            QStringLiteral("The signature in use today"));
    auto* keepGrid = new QGridLayout(keepGroup);
    chkKeep_ = Named(new QCheckBox(QStringLiteral("&Keep the tail file's text as the block of")), "chkKeep",
                     QStringLiteral("Keep the tail file's text as a slot's block"));
    cboSlot_ = Named(new QComboBox, "cboSlot", QStringLiteral("Slot that keeps the tail file's text"));
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        cboSlot_->addItem(FromLocal(state_.KeyName.at(index) + " (" + state_.Caption.at(index) + ")"));
    }
    lblKeep_ = AddNote("lblKeep", QStringLiteral("Whether the tail file's text can be kept"));
    keepGrid->addWidget(chkKeep_, 0, 0);
    keepGrid->addWidget(cboSlot_, 0, 1);
    keepGrid->setColumnStretch(2, 1);
    keepGrid->addWidget(lblKeep_, 1, 0, 1, 3);

    auto* buttons = new QDialogButtonBox;
    cmdOK_ = Named(buttons->addButton(QStringLiteral("Set &Up"), QDialogButtonBox::AcceptRole), "cmdOK",
                   QStringLiteral("Set up"));
    cmdCancel_ = Named(buttons->addButton(QDialogButtonBox::Cancel), "cmdCancel", QStringLiteral("Cancel"));
    cmdOK_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmStart::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmStart::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(tailGroup);
    layout->addWidget(baseGroup);
    layout->addWidget(keepGroup);
    layout->addWidget(buttons);
    // As wide as a path wants; the notes wrap within that.
    txtTail_->setMinimumWidth(txtTail_->fontMetrics().averageCharWidth() * 60);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmStart::ConnectHandlers() {
    connect(cboFound_, &QComboBox::activated, this, &frmStart::cboFound_Activated);
    connect(cmdRefTail_, &QPushButton::clicked, this, &frmStart::cmdRefTail_Click);
    connect(cmdRefNewBase_, &QPushButton::clicked, this, &frmStart::cmdRefNewBase_Click);
    connect(cmdRefOldBase_, &QPushButton::clicked, this, &frmStart::cmdRefOldBase_Click);
    connect(txtTail_, &QLineEdit::editingFinished, this, &frmStart::TailChanged);
    connect(optNewBase_, &QRadioButton::toggled, this, &frmStart::ShowChoices);
    // Typing a path chooses it.
    connect(txtNewBase_, &QLineEdit::textEdited, optNewBase_, [this] { optNewBase_->setChecked(true); });
    connect(txtOldBase_, &QLineEdit::textEdited, optOldBase_, [this] { optOldBase_->setChecked(true); });
    connect(cboSlot_, &QComboBox::currentIndexChanged, this, &frmStart::ShowChoices);
    connect(chkKeep_, &QCheckBox::clicked, this, [this](bool checked) { keepWanted_ = checked; });
}

void frmStart::cboFound_Activated(int index) {
    txtTail_->setText(FromLocal(found_.at(static_cast<std::size_t>(index)).path));
    TailChanged();
}

void frmStart::cmdRefTail_Click() {
    FileDialogRequest request;
    request.save = true;  // the tail may not be there yet
    request.title = "Tail File for Vellicor";
    request.filter = kTailFilter;
    request.shortcuts = TailPaths(found_);
    const std::string current = TrimmedText(txtTail_);
    request.initialFolder = FolderOf(current);
    if (!current.empty()) {
        request.initialName = current.substr(request.initialFolder.size());
    }
    const std::string chosen = dialogs_.Ask(request);
    if (!chosen.empty()) {
        txtTail_->setText(FromLocal(chosen));
        TailChanged();
    }
}

void frmStart::cmdRefNewBase_Click() {
    FileDialogRequest request = BaseFileRequest(TrimmedText(txtNewBase_));
    request.save = true;
    request.title = "New Base File for Vellicor";
    request.defaultExtension = "TXT";
    request.mustExist = false;
    const std::string chosen = dialogs_.Ask(request);
    if (!chosen.empty()) {
        txtNewBase_->setText(FromLocal(chosen));
        optNewBase_->setChecked(true);
    }
}

void frmStart::cmdRefOldBase_Click() {
    const std::string chosen = dialogs_.Ask(BaseFileRequest(TrimmedText(txtOldBase_)));
    if (!chosen.empty()) {
        txtOldBase_->setText(FromLocal(chosen));
        optOldBase_->setChecked(true);
    }
}

void frmStart::TailChanged() {
    const std::string path = TrimmedText(txtTail_);
    tail_ = path.empty() ? TailReading{} : ReadTailFile(services_.files, path);
    lblTail_->setText(path.empty() ? QStringLiteral("Pick the file, or type its path.")
                                   : TailStateText(tail_));
    ShowChoices();
}

void frmStart::ShowChoices() {
    const bool newBase = optNewBase_->isChecked();
    QString note;
    bool keepable = false;
    if (!newBase) {
        note = QStringLiteral("An existing base file is used as it is: nothing is added to it.");
    } else if (tail_.content != TailContent::Text) {
        note = QStringLiteral("The tail file holds no text to keep.");
    } else {
        const auto slot = static_cast<std::size_t>(std::max(0, cboSlot_->currentIndex()));
        const BlockImport kept = KeepTailAsBlock(example_, state_.KeyName.at(slot), tail_.text, "\n");
        keepable = kept.text.has_value();
        note = keepable ? QStringLiteral(
                              "The slot's button then writes it back word for word; the tail file "
                              "itself is not changed now.")
                        : FromLocal(kept.refusal);
    }
    chkKeep_->setEnabled(keepable);
    chkKeep_->setChecked(keepable && keepWanted_);
    cboSlot_->setEnabled(keepable);
    lblKeep_->setText(note);
}

FirstStartPlan frmStart::ChosenPlan() const {
    FirstStartPlan plan;
    plan.tailPath = TrimmedText(txtTail_);
    plan.newBase = optNewBase_->isChecked();
    plan.basePath = TrimmedText(plan.newBase ? txtNewBase_ : txtOldBase_);
    if (chkKeep_->isEnabled() && chkKeep_->isChecked()) {
        plan.keepSlot = cboSlot_->currentIndex();
        plan.tailText = tail_.text;
    }
    return plan;
}

void frmStart::accept() {
    // A path typed and not yet left counts as it reads now.
    TailChanged();
    const FirstStartPlan plan = ChosenPlan();
    if (!CarryOutFirstStart(plan, example_, state_.KeyName, services_)) {
        return;
    }
    plan_ = plan;
    QDialog::accept();
}

}  // namespace tarnwick
