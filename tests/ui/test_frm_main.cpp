// The main window driven through its controls, with recording fakes behind it.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "core/ini.h"
#include "core/settings.h"
#include "tests/fakes.h"
#include "tests/ui/accessible.h"
#include "tests/ui/tab_order.h"
#include "tests/ui/window_fakes.h"
#include "ui/frm_main.h"
#include "ui/frm_view.h"

namespace tarnwick {
namespace {

using namespace testing;

constexpr const char* kBase = "/mail/MailBase.TXT";
constexpr const char* kTail = "/mail/Vellicor.TXT";

// A base file with a plain block and one that has a date.
constexpr const char* kLiveBase =
    "//START OFFI-1\nHello\n//END\n//START OFFI-2\nSent \n%DATE\n//END\n//START PRIV-1\nA\n//ENd\n//START "
    "PRIV-2\n//END\n";

// One window over fakes: settings in memory, a base file with a block for
// slot 0 only, and recorders for messages, dialogs and the program's end.
struct Rig : WindowFakes {
    explicit Rig(std::optional<std::string> ini = std::nullopt) {
        store.text = std::move(ini);
        files.files[kBase] = "//START OFFI-1\nHello\n//END\n";
        FillSlotTable(state);
        state.Dest = kTail;
        state.Source = kBase;
        state.NoMsg = state.NoStop = "OF";
    }
    frmMain& Open() {
        window = std::make_unique<frmMain>(state, services);
        window->show();
        static_cast<void>(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    template <class T = QWidget>
    T* Find(const QString& name) {
        return window->findChild<T*>(name);
    }
    frmView* View() { return window->findChild<frmView*>(); }
    void Click(const QString& name) { Find<QPushButton>(name)->click(); }
    // PreView checked, then the slot pressed: the preview window opens.
    void Preview(int slot) {
        Find<QCheckBox>("chkView")->click();
        Click(QStringLiteral("cmdSet%1").arg(slot));
    }
    QString Status() { return Find<QLabel>("Label4")->text(); }
    std::string Stored(const SettingKey& k) const {
        return IniRead(store.text.value_or(""), k.section, k.key);
    }
    int StoredPosition(const SettingKey& key) const { return ParsePosition(Stored(key)); }

    AppState state;
    std::unique_ptr<frmMain> window;
};

// A slot button pressed with the path boxes as typed; a warning names the box it focuses.
struct Press {
    QString dest = QStringLiteral("  %1 ").arg(kTail);
    QString source = QStringLiteral("   %1").arg(kBase);
    int slot = 0;
    bool noStop = false;  // as stored at the start
    bool noMsg = false;
    bool clickNoMsg = false;  // before the press
    MessageKind kind = MessageKind::Information;
    QString focus = QString();
};
// A key in a control, a click on it (key 0), or the close box (no control).
struct WayOut {
    QString control;
    int key;
    bool saved;
    bool ends = true;
};
struct Positions {
    QString ini;
    QList<int> loaded;  // OptTop, OptLeft, ViewTop, ViewLeft
    QList<int> saved;   // MAINTOP, MAINLEFT, VIEWTOP, VIEWLEFT
};
struct Dialog {
    bool tail;
    QString before, folder, answer;
    std::vector<std::string> found = {};      // the tail files the mail programs read
    std::vector<std::string> shortcuts = {};  // what the dialog is asked to offer of them
};
// The tail on file at the start, what is done then, and what shows after.
struct Live {
    std::optional<std::string> tail;
    QString action;  // "", "apply", "press", "rename", "preview other", "save" or "edit and save"
    int marked;      // -1: no button
    QString status;
};

constexpr const char* kLongCaption =
    "Weekend with a rather long caption text that goes on past the status line";

// A rig over a tail and a base file on disk, where the watcher sees them;
// the base file in a folder of its own if asked.
struct DiskRig : Rig {
    explicit DiskRig(bool baseApart = false)
        : tail(folder.filePath("tail.txt")), base((baseApart ? baseFolder : folder).filePath("base.txt")) {
        state.Dest = tail.toStdString();
        state.Source = base.toStdString();
    }
    // Written both where the window reads it (the fakes) and on disk, where
    // the watcher sees it: in place, or by a rename as editors save.
    void Write(const QString& path, const char* text, bool inPlace = false) {
        files.files[path.toStdString()] = text;
        if (inPlace) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) > 0);
            return;
        }
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        QVERIFY(file.commit());
    }
    QTemporaryDir folder, baseFolder;
    QString tail, base;
};

// Which slot buttons carry the live mark: the icon and bold text, their
// text and name kept; a screen reader must hear the same mark.
QList<int> MarkedSlots(Rig& rig) {
    QList<int> marked;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        QPushButton* button = rig.Find<QPushButton>(QStringLiteral("cmdSet%1").arg(slot));
        const bool shown = !button->icon().isNull() && button->font().bold();
        if (shown) {
            marked << slot;
        }
        // Changes show as slots that cannot be.
        if (button->text() != FromLocal(ButtonText(slot, rig.state.Caption[slot])) ||
            AccessibleName(button) != FromLocal(rig.state.Caption[slot])) {
            marked << 100 + slot;
        }
        const QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(button);
        if (heard->state().checked != shown ||
            (heard->text(QAccessible::Description) == QStringLiteral("live")) != shown) {
            marked << 200 + slot;
        }
    }
    return marked;
}

bool WaitMarked(Rig& rig, const QList<int>& marked) {
    return QTest::qWaitFor([&] { return MarkedSlots(rig) == marked; });
}

// The whole caption is the tooltip and the name; the text keeps the
// caption's start and the access key, and fits.
void CheckLongCaption(QPushButton* button, int slot) {
    QCOMPARE(button->toolTip(), QString::fromLatin1(kLongCaption));
    QVERIFY2(button->text().startsWith(QStringLiteral("Weekend")), qPrintable(button->text()));
    QVERIFY2(button->text().endsWith(QStringLiteral(" (&%1)").arg(slot)), qPrintable(button->text()));
    QVERIFY(button->text().contains(QChar(0x2026)));
    QVERIFY(button->sizeHint().width() <= button->width());
    QCOMPARE(AccessibleName(button), QString::fromLatin1(kLongCaption));
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void startStateAndPreview() {
        Rig rig;
        rig.state.View = "ON";  // never restored at a start
        rig.Open();
        QCOMPARE(QApplication::focusWidget(), rig.Find<QLineEdit>("txtTo"));
        QCOMPARE(rig.window->size(), QSize(610, 276));  // 9150 x 4140 twips
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Set Vellicor"));
        QCOMPARE(TabOrder(rig.Find("txtTo")),
                 QStringLiteral("txtTo cmdRefTo txtFrom cmdRefFrom cmdSet0 cmdSet1 cmdCancel "
                                "cmdSet2 cmdSet3 cmdSet4 cmdSet5 cmdSet6 cmdSetOpt chkNoMsg "
                                "chkNoStop cmdExit chkView chkEdit"));
        // The labels' access keys lead to their boxes.
        QCOMPARE(rig.Find<QLabel>("Label1")->text() + rig.Find<QLabel>("Label2")->text(),
                 QStringLiteral("Dest(&D)： Source(&S)： "));
        QCOMPARE(rig.Find<QLabel>("Label2")->geometry().right(), 113);  // right edge at 1710 twips
        QTest::keyClick(rig.window.get(), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), rig.Find<QLineEdit>("txtFrom"));
        QCOMPARE(rig.Find<QPushButton>("cmdSet6")->text(), QStringLiteral("Set Private 5 (&6)"));
        QCheckBox* noStop = rig.Find<QCheckBox>("chkNoStop");  // paints the window's colour
        QCOMPARE(noStop->grab().toImage().pixelColor(noStop->width() - 1, 0), QColor(128, 255, 255));
        // Set once the window is painted; drawn at the task bar's size.
        QTRY_VERIFY(!rig.window->windowIcon().pixmap(32).isNull());

        // PreEdit starts checked and disabled; only its enabled state follows PreView.
        QCheckBox* view = rig.Find<QCheckBox>("chkView");
        QCheckBox* edit = rig.Find<QCheckBox>("chkEdit");
        QVERIFY(!view->isChecked() && edit->isChecked() && !edit->isEnabled());
        view->click();
        QVERIFY(edit->isEnabled());
        edit->click();
        // A preview takes the paths, writes nothing and keeps running; read-only without PreEdit.
        rig.Find<QLineEdit>("txtTo")->setText(QStringLiteral(" /new/tail.TXT"));
        rig.Click("cmdSet0");
        QCOMPARE(rig.state.Dest, std::string("/new/tail.TXT"));
        QVERIFY(rig.View()->isVisible());
        QVERIFY(rig.View()->findChild<QPlainTextEdit*>("txtView")->isReadOnly());
        QVERIFY(rig.files.replaceOpens.empty());
        QCOMPARE(rig.program.ends + rig.store.stores, 0);
        view->click();
        QVERIFY(!edit->isEnabled() && !edit->isChecked());
    }

    void slotPress_data() {
        QTest::addColumn<Press>("press");
        QTest::newRow("both empty: only Dest") << Press{.dest = "", .source = "", .focus = "txtTo"};
        QTest::newRow("Dest only spaces") << Press{.dest = "   ", .focus = "txtTo"};
        QTest::newRow("Source empty") << Press{.source = "", .clickNoMsg = true, .focus = "txtFrom"};
        QTest::newRow("applied: saved, ended") << Press{};
        QTest::newRow("missing block, No Msg: reported, saved, ended")
            << Press{.slot = 3, .noMsg = true, .kind = MessageKind::Error};
        QTest::newRow("No Stop: stays open, nothing saved") << Press{.noStop = true};
        QTest::newRow("No Msg checked: applied silently, saved ON") << Press{.clickNoMsg = true};
    }
    void slotPress() {
        QFETCH(Press, press);
        Rig rig;
        rig.state.Dest = "/old/tail.TXT";
        rig.state.Source = "/old/base.TXT";
        rig.state.NoStop = FlagText(press.noStop);
        rig.state.NoMsg = FlagText(press.noMsg);
        rig.Open();
        QCOMPARE(rig.Find<QCheckBox>("chkNoStop")->isChecked(), press.noStop);
        QCOMPARE(rig.Find<QCheckBox>("chkNoMsg")->isChecked(), press.noMsg);
        rig.Find<QLineEdit>("txtTo")->setText(press.dest);
        rig.Find<QLineEdit>("txtFrom")->setText(press.source);
        if (press.clickNoMsg) {
            rig.Find<QCheckBox>("chkNoMsg")->click();
        }
        QPushButton* button = rig.Find<QPushButton>(QStringLiteral("cmdSet%1").arg(press.slot));
        button->setFocus();
        button->click();

        const bool warned = !press.focus.isEmpty(), ended = !warned && !press.noStop;
        const bool noMsg = warned ? press.noMsg : press.noMsg != press.clickNoMsg;
        const bool silent = !warned && noMsg && press.kind == MessageKind::Information;
        QCOMPARE(rig.messages.shown.size(), std::size_t(silent ? 0 : 1));
        QCOMPARE(rig.messages.shown.empty() ? press.kind : rig.messages.shown[0].kind,
                 warned ? MessageKind::Warning : press.kind);
        if (warned) {
            QCOMPARE(rig.messages.shown[0].text,
                     std::string(press.focus == "txtTo" ? "Dest Is Empty, Please Input Dest !!!"
                                                        : "Source Is Empty, Please Input Source !!!"));
            QCOMPARE(rig.window->focusWidget(), rig.Find(press.focus));
        }
        // Stored trimmed, and only past the checks; the box keeps what was typed.
        QCOMPARE(rig.state.Dest, std::string(warned ? "/old/tail.TXT" : kTail));
        QCOMPARE(rig.state.Source, std::string(warned ? "/old/base.TXT" : kBase));
        QCOMPARE(rig.state.NoStop, FlagText(press.noStop));
        QCOMPARE(rig.state.NoMsg, FlagText(noMsg));
        QCOMPARE(rig.Find<QLineEdit>("txtTo")->text(), press.dest);
        QCOMPARE(rig.files.readOpens.empty(), warned);
        QCOMPARE(rig.files.files.contains(kTail), !warned && press.slot == 0);
        QCOMPARE(rig.program.ends, ended ? 1 : 0);
        QCOMPARE(rig.Stored(keys::kDest), std::string(ended ? kTail : ""));
        QCOMPARE(rig.Stored(keys::kNoMsg), ended ? FlagText(noMsg) : "");
    }

    void waysOut_data() {
        QTest::addColumn<WayOut>("way");
        QTest::newRow("Exit") << WayOut{"cmdExit", 0, true};
        QTest::newRow("Enter in txtTo: Exit") << WayOut{"txtTo", Qt::Key_Return, true};
        QTest::newRow("keypad Enter in txtFrom: Exit") << WayOut{"txtFrom", Qt::Key_Enter, true};
        QTest::newRow("Enter on a check box: Exit") << WayOut{"chkNoMsg", Qt::Key_Return, true};
        QTest::newRow("Enter on Cancel presses it") << WayOut{"cmdCancel", Qt::Key_Return, false};
        QTest::newRow("Enter on Ref...To presses it") << WayOut{"cmdRefTo", Qt::Key_Return, false, false};
        QTest::newRow("Esc in txtTo: nothing") << WayOut{"txtTo", Qt::Key_Escape, false, false};
        QTest::newRow("Esc on Cancel: nothing") << WayOut{"cmdCancel", Qt::Key_Escape, false, false};
        QTest::newRow("Cancel") << WayOut{"cmdCancel", 0, false};
        QTest::newRow("close box") << WayOut{"", 0, false};
    }
    void waysOut() {
        QFETCH(WayOut, way);
        Rig rig;
        frmMain& window = rig.Open();
        // Changed without a slot press since: Exit saves the state, not these.
        rig.Find<QCheckBox>("chkNoMsg")->setChecked(true);
        rig.Find<QLineEdit>("txtTo")->setText(QStringLiteral("/typed/later.TXT"));
        if (way.control.isEmpty()) {
            rig.Preview(0);
            window.close();
            QVERIFY(!rig.View()->isVisible());
        } else if (way.key == 0) {
            rig.Click(way.control);
        } else {
            rig.Find(way.control)->setFocus();
            QTest::keyClick(rig.Find(way.control), Qt::Key(way.key));
        }
        QCOMPARE(rig.program.ends, way.ends ? 1 : 0);
        QCOMPARE(rig.dialogs.requests.size(), std::size_t(way.control == "cmdRefTo"));
        QCOMPARE(
            rig.store.text.value_or(""),
            std::string(way.saved ? "[FILES]\nDEST=/mail/Vellicor.TXT\nSOURCE=/mail/MailBase.TXT\nNoMsg=OF\n"
                                    "NoStop=OF\n[POSITION]\nMAINTOP=0\nMAINLEFT=0\nVIEWTOP=4515\nVIEWLEFT=0\n"
                                  : ""));
    }

    void positions_data() {
        QTest::addColumn<Positions>("p");
        QTest::newRow("defaults follow the main window") << Positions{
            "[POSITION]\nMAINTOP=1500\nMAINLEFT=2400\n", {6015, 2400, 6015, 2400}, {1500, 2400, 6015, 2400}};
        QTest::newRow("stored values round-trip, also between pixels")
            << Positions{"[POSITION]\nMAINTOP=1234\nMAINLEFT=-7\nVIEWTOP=4444\nVIEWLEFT=-15\n",
                         {5749, -7, 4444, -15},
                         {1234, -7, 4444, -15}};
        QTest::newRow("out of range is clamped")
            << Positions{"[POSITION]\nOPTTOP=-99999\nOPTLEFT=40000\nVIEWTOP=99999\nVIEWLEFT=-32769\n",
                         {-32768, 32767, 32767, -32768},
                         {0, 0, 32767, -32768}};
    }
    void positions() {
        QFETCH(Positions, p);
        Rig rig(p.ini.toStdString());
        rig.Open();
        QCOMPARE((QList<int>{rig.state.OptTop, rig.state.OptLeft, rig.state.ViewTop, rig.state.ViewLeft}),
                 p.loaded);
        // Load reads the settings and touches no base or tail file.
        QVERIFY(rig.files.readOpens.empty() && rig.files.replaceOpens.empty());
        QCOMPARE(rig.store.stores, 0);
        rig.Click("cmdExit");
        QCOMPARE((QList<int>{rig.StoredPosition(keys::kMainTop), rig.StoredPosition(keys::kMainLeft),
                             rig.StoredPosition(keys::kViewTop), rig.StoredPosition(keys::kViewLeft)}),
                 p.saved);
        // The options window writes its own position.
        QCOMPARE(rig.Stored(keys::kOptTop), IniRead(p.ini.toStdString(), "POSITION", "OPTTOP"));
    }

    void optionsOpenAtTheirPosition() {
        Rig rig("[POSITION]\nOPTTOP=1493\nOPTLEFT=2993\n");
        rig.Open();
        QPoint shown;
        QTimer::singleShot(0, [&shown] {
            QWidget* options = QApplication::activeModalWidget();
            shown = options != nullptr ? options->pos() : QPoint(-1, -1);
            QApplication::closeAllWindows();  // ends the dialog, whichever is open
        });
        rig.Click("cmdSetOpt");
        QCOMPARE(shown, QPoint(200, 100));                         // rounded to whole pixels
        QCOMPARE(rig.Stored(keys::kOptTop), std::string("1493"));  // not moved: kept exactly
    }

    void windowOffScreenComesBack() {
        Rig rig("[POSITION]\nMAINTOP=30000\nMAINLEFT=-30000\n");
        rig.window = std::make_unique<frmMain>(rig.state, rig.services);  // not shown: no frame yet
        frmMain& window = *rig.window;
        QCOMPARE(rig.state.OptTop, 32767);  // the default below it is clamped too
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(window.frameGeometry()));
        rig.Click("cmdExit");
        QCOMPARE(rig.StoredPosition(keys::kMainTop), window.y() * 15);
        QCOMPARE(rig.StoredPosition(keys::kMainLeft), window.x() * 15);
    }

    void liveMark_data() {
        QTest::addColumn<Live>("live");
        QTest::newRow("open: no tail yet") << Live{std::nullopt, "", -1, "Live: no tail file yet"};
        QTest::newRow("applied with No Stop") << Live{"Hello!\n", "apply", 0, "Live: Set Official 1"};
        QTest::newRow("applied by a screen reader's press")
            << Live{"Hello!\n", "press", 0, "Live: Set Official 1"};
        QTest::newRow("preview saved") << Live{"Hello\n", "save", 1, "Live: Set Official 2, 2026.12.06"};
        QTest::newRow("edited preview saved")
            << Live{"Hello\n", "edit and save", -1, "Live: none of the seven"};
        // Paths typed in, then a preview not saved: the mark is of the new files at once.
        QTest::newRow("preview of other files")
            << Live{"Hello\n", "preview other", 1, "Live: Set Official 2, 2001.02.03"};
        QTest::newRow("caption renamed")
            << Live{"Sent 2001.02.03\r\n", "rename", 1, "Live: Business, 2001.02.03"};
        QTest::newRow("block ran into the next") << Live{
            "A\n//ENd\n//START PRIV-2\n", "", 2, "Live: Set Private 1; its block holds \"//START PRIV-2\""};
    }
    void liveMark() {
        QFETCH(Live, live);
        Rig rig;
        rig.files.files[kBase] = kLiveBase;
        if (live.tail) {
            rig.files.files[kTail] = *live.tail;
        }
        rig.state.NoStop = "ON";
        rig.Open();
        if (live.action == "apply") {
            rig.Click("cmdSet0");
        } else if (live.action == "press") {
            QAccessible::queryAccessibleInterface(rig.Find("cmdSet0"))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
            QVERIFY(QTest::qWaitFor([&] { return rig.files.files[kTail] == "Hello\n"; }));
        } else if (live.action == "rename") {
            QTimer::singleShot(0, [] {
                QWidget* options = QApplication::activeModalWidget();
                options->findChild<QLineEdit*>("txtUpdate1")->setText(QStringLiteral("Business"));
                options->findChild<QPushButton*>("cmdUpdate")->click();
            });
            rig.Click("cmdSetOpt");
        } else if (live.action == "preview other") {
            rig.files.files["/p/T2.TXT"] = "Sent 2001.02.03\n";
            QCOMPARE(MarkedSlots(rig), QList<int>{0});
            rig.Find<QLineEdit>("txtTo")->setText(QStringLiteral("/p/T2.TXT"));
            rig.Preview(0);
        } else if (!live.action.isEmpty()) {
            rig.Preview(1);
            if (live.action == "edit and save") {
                rig.View()->findChild<QPlainTextEdit*>("txtView")->insertPlainText(QStringLiteral("!"));
            }
            rig.View()->findChild<QPushButton*>("cmdSave")->click();
        }
        QCOMPARE(MarkedSlots(rig), live.marked < 0 ? QList<int>{} : QList<int>{live.marked});
        QCOMPARE(rig.Status(), live.status);
        QCOMPARE(rig.program.ends, 0);
    }

    // The tail made, then replaced on disk by another program, by a rename
    // each time as editors do: the watch must outlive the file it started on.
    // Then the base file, in a folder of its own, is changed in place.
    void liveMarkFollowsTheFilesOnDisk() {
        DiskRig rig(true);
        // The tail by a rename, the base file in place.
        rig.Write(rig.base, kLiveBase, true);
        rig.Open();
        QCOMPARE(rig.Status(), QStringLiteral("Live: no tail file yet"));
        rig.Write(rig.tail, "Hello\n");
        QVERIFY(WaitMarked(rig, {0}));
        rig.Write(rig.tail, "Sent 2001.02.03\n");
        QVERIFY(WaitMarked(rig, {1}));
        rig.Write(rig.base, "//START OFFI-2\nSent at \n%DATE\n//END\n", true);
        QVERIFY(WaitMarked(rig, {}));
        QCOMPARE(rig.Status(), QStringLiteral("Live: none of the seven"));
    }

    // Another file changing in the same folder wakes the watcher but reads
    // neither file again; a rewrite of the tail to the same size does.
    void unchangedFilesAreNotReadAgain() {
        DiskRig rig;
        const auto baseReads = [&] {
            return std::ranges::count(rig.files.readOpens, rig.base.toStdString());
        };
        rig.Write(rig.base, kLiveBase);
        rig.Write(rig.tail, "Hello\n");
        rig.Open();
        QCOMPARE(MarkedSlots(rig), QList<int>{0});
        const auto readsAtOpen = baseReads();
        rig.Write(rig.folder.filePath("other.txt"), "mail");
        QTest::qWait(1000);  // well past the watcher's quiet time
        QCOMPARE(baseReads(), readsAtOpen);
        rig.Write(rig.tail, "Hallo\n");
        QVERIFY(WaitMarked(rig, {}));
        QCOMPARE(baseReads(), readsAtOpen + 1);
    }

    // The tail rewritten while the base file is read after the tail: the
    // look-up shows the old tail, and the change is looked up after it.
    void changeDuringALookUpIsLookedUpAfterIt() {
        DiskRig rig;
        rig.Write(rig.base, kLiveBase);
        rig.Write(rig.tail, "Hello\n", true);
        rig.Open();
        bool changed = false;
        rig.files.beforeRead = [&](const std::string& path) {
            if (path == rig.base.toStdString() && !changed) {
                changed = true;
                rig.Write(rig.tail, "Sent 2001.02.03\n", true);
            }
        };
        rig.dialogs.answer = rig.base.toStdString();
        rig.Click("cmdRefFrom");  // looks the live slot up again
        QVERIFY(changed);
        QCOMPARE(MarkedSlots(rig), QList<int>{0});
        QVERIFY(WaitMarked(rig, {1}));
    }

    void longCaptionsKeepTheirStartAndAccessKey() {
        Rig rig;
        rig.files.files[kBase] = kLiveBase;
        rig.files.files[kTail] = "Sent 2001.02.03\n";
        rig.state.Caption[1] = kLongCaption;
        rig.Open();
        CheckLongCaption(rig.Find<QPushButton>("cmdSet1"), 1);
        // The status line, too, keeps the whole text as its tooltip and fits.
        QLabel* status = rig.Find<QLabel>("Label4");
        QCOMPARE(status->toolTip(), QStringLiteral("Live: %1, 2001.02.03").arg(kLongCaption));
        QCOMPARE(AccessibleName(status), status->toolTip());
        QVERIFY(status->text().contains(QChar(0x2026)));
        QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) <= status->width());
        rig.Preview(1);
        CheckLongCaption(rig.View()->findChild<QPushButton*>("cmdSet"), 1);
        QCOMPARE(AccessibleName(rig.View()->findChild<QPlainTextEdit*>("txtView")),
                 QStringLiteral("Preview of %1").arg(kLongCaption));
        // A short caption is shown whole.
        QCOMPARE(rig.Find<QPushButton>("cmdSet0")->text(), QStringLiteral("Set Official 1 (&0)"));
    }

    // Every control the focus reaches says what it is, in plain words.
    void everyControlIsNamed() {
        Rig rig;
        rig.state.Caption[3] = kLongCaption;
        rig.Open();
        QCOMPARE(FocusableNames(rig.window.get()),
                 (QMap<QString, QString>{{"txtTo", "Tail file (Dest)"},
                                         {"cmdRefTo", "Choose the tail file"},
                                         {"txtFrom", "Base file (Source)"},
                                         {"cmdRefFrom", "Choose the base file"},
                                         {"cmdSet0", "Set Official 1"},
                                         {"cmdSet1", "Set Official 2"},
                                         {"cmdCancel", "Cancel without saving"},
                                         {"cmdSet2", "Set Private 1"},
                                         {"cmdSet3", kLongCaption},
                                         {"cmdSet4", "Set Private 3"},
                                         {"cmdSet5", "Set Private 4"},
                                         {"cmdSet6", "Set Private 5"},
                                         {"cmdSetOpt", "Rename the slot buttons (Option)"},
                                         {"chkNoMsg", "No success message (No Msg)"},
                                         {"chkNoStop", "Stay open after a slot (No Stop)"},
                                         {"cmdExit", "Exit and save the settings"},
                                         {"chkView", "Preview instead of writing (PreView)"},
                                         {"chkEdit", "Edit the preview (PreEdit)"}}));
        // A screen reader names a box after its label: the two must agree.
        QCOMPARE(AccessibleName(rig.Find("Label1")), QStringLiteral("Tail file (Dest)"));
        QCOMPARE(AccessibleName(rig.Find("Label2")), QStringLiteral("Base file (Source)"));
    }

    void dialogs_data() {
        QTest::addColumn<Dialog>("d");
        const QString home = QDir::homePath() + (QDir::homePath().endsWith('/') ? "" : "/");
        QTest::newRow("base: Windows path, chosen")
            << Dialog{false, "C:\\M\\B.TXT", "C:\\M\\", "/p/B.TXT", {"/home/u/.signature"}};
        QTest::newRow("base: none yet: home, cancelled") << Dialog{false, "", home, ""};
        // Two identities that share a file offer it once.
        QTest::newRow("tail: POSIX path, chosen, found files offered")
            << Dialog{true,
                      "/home/u/T.TXT",
                      "/home/u/",
                      "/p/T.TXT",
                      {"/home/u/.signature", "/tb/sig.txt", "/home/u/.signature"},
                      {"/home/u/.signature", "/tb/sig.txt"}};
        QTest::newRow("tail: bare name, cancelled") << Dialog{true, "Vellicor.TXT", "", ""};
    }
    void dialogs() {
        QFETCH(Dialog, d);
        Rig rig;
        std::string& path = d.tail ? rig.state.Dest : rig.state.Source;
        path = d.before.toStdString();
        // Only the chosen file completes a pair in which OFFI-1 is live.
        rig.files.files[kTail] = rig.files.files["/p/T.TXT"] = "Hello\n";
        rig.files.files["/p/B.TXT"] = rig.files.files[kBase];
        for (const std::string& path : d.found) {
            const auto program = "program " + std::to_string(rig.mail.configs.size());
            rig.mail.configs.push_back({MailConfigKind::PlainSignature, program, path, ""});
        }
        rig.Open();
        QCOMPARE(rig.mail.reads, 0);  // the window opens without reading the mail programs' settings
        QLineEdit* box = rig.Find<QLineEdit>(d.tail ? "txtTo" : "txtFrom");
        box->setText(QStringLiteral("/typed/x.TXT"));  // the dialog starts from the state
        rig.dialogs.answer = d.answer.toStdString();
        rig.Find<QPushButton>(d.tail ? "cmdRefTo" : "cmdRefFrom")->click();

        QCOMPARE(rig.dialogs.requests.size(), std::size_t{1});
        const FileDialogRequest& request = rig.dialogs.requests[0];
        QCOMPARE(request.save, d.tail);
        QCOMPARE(request.title,
                 std::string(d.tail ? "Save File Name for Vellicor" : "Base File Name for Vellicor"));
        QCOMPARE(request.filter, std::string("TEXT FILE (*.TXT)|*.txt|ALL FILE (*.*)|*.*"));
        QCOMPARE(QString::fromStdString(request.initialFolder), d.folder);
        QCOMPARE(request.initialName, std::string(d.tail ? "Vellicor.TXT" : "MailBase.TXT"));
        QCOMPARE(request.defaultExtension, std::string(d.tail ? "TXT" : ""));
        QCOMPARE(request.mustExist, !d.tail);
        QCOMPARE(rig.mail.reads, int(d.tail));
        QCOMPARE(request.shortcuts, d.shortcuts);
        QCOMPARE(path, (d.answer.isEmpty() ? d.before : d.answer).toStdString());
        QCOMPARE(box->text(), d.answer.isEmpty() ? QStringLiteral("/typed/x.TXT") : d.answer);
        QCOMPARE(MarkedSlots(rig), d.answer.isEmpty() ? QList<int>{} : QList<int>{0});
    }
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::TestFrmMain)
#include "test_frm_main.moc"
