// The main window driven through its controls, with recording fakes behind it.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

#include "core/ini.h"
#include "core/settings.h"
#include "tests/fakes.h"
#include "ui/frm_main.h"
#include "ui/frm_opt.h"
#include "ui/frm_view.h"

namespace tarnwick {
namespace {

using namespace testing;

constexpr const char* kBase = "/mail/MailBase.TXT";
constexpr const char* kTail = "/mail/Vellicor.TXT";

// One window over fakes: a settings file in memory, a base file with a block
// for slot 0 only, and recorders for messages, dialogs and the program's end.
struct Rig {
    explicit Rig(std::optional<std::string> ini = std::nullopt) {
        store.text = std::move(ini);
        files.files[kBase] = "//START OFFI-1\nHello\n//END\n";
        FillSlotTable(state);
        state.Dest = kTail;
        state.Source = kBase;
        state.NoMsg = "OF";
        state.NoStop = "OF";
    }
    frmMain& Open() {
        window = std::make_unique<frmMain>(state, services);
        return *window;
    }
    frmMain& Show() {
        Open().show();
        if (!QTest::qWaitForWindowActive(window.get())) {
            qWarning("the main window did not become active");
        }
        return *window;
    }
    template <class T = QWidget>
    T* Find(const QString& name) {
        T* found = window->findChild<T*>(name);
        if (found == nullptr) {
            qFatal("no control named %s", qPrintable(name));
        }
        return found;
    }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
    QPushButton* Button(const std::string& name) { return Find<QPushButton>(QString::fromStdString(name)); }
    QCheckBox* Check(const char* name) { return Find<QCheckBox>(name); }
    std::string Stored(const SettingKey& key) const {
        return IniRead(store.text.value_or(""), key.section, key.key);
    }

    AppState state;
    RecordingMessages messages;
    FixedClock clock{LocalTime{2026, 12, 6, 14, 5, 9}};
    MemoryFileSystem files;
    MemoryProfileStore store;
    Settings settings{store, "\n"};
    Services core{messages, clock, files, settings, "\n"};
    RecordingDialogs dialogs;
    RecordingProgram program;
    WindowServices services{core, dialogs, program};
    std::unique_ptr<frmMain> window;
};

frmView* PreviewWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* view = qobject_cast<frmView*>(widget)) {
            return view;
        }
    }
    return nullptr;
}

QString HomeFolder() {
    const QString home = QDir::homePath();
    return home.endsWith(QLatin1Char('/')) ? home : home + QLatin1Char('/');
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void windowAndLabels() {
        Rig rig;
        rig.state.Caption[3] = "Weekend";
        frmMain& window = rig.Open();
        QCOMPARE(window.windowTitle(), QStringLiteral("Set Vellicor"));
        QCOMPARE(window.size(), QSize(610, 276));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(rig.Button("cmdSet3")->text(), QStringLiteral("Weekend (&3)"));
        QVERIFY(rig.Button("cmdExit")->isDefault());
        // A check box paints the window's colour around its text too.
        QCheckBox* noStop = rig.Check("chkNoStop");
        QCOMPARE(noStop->grab().toImage().pixelColor(noStop->width() - 1, 0), QColor(128, 255, 255));

        // Labels end where the design puts their right edge, whatever the font.
        for (const auto& [name, text, buddy] :
             {std::tuple{"Label1", QStringLiteral("Dest(&D)： "), "txtTo"},
              std::tuple{"Label2", QStringLiteral("Source(&S)： "), "txtFrom"}}) {
            auto* label = rig.Find<QLabel>(name);
            QCOMPARE(label->text(), text);
            QCOMPARE(label->buddy(), rig.Box(buddy));
            QCOMPARE(label->geometry().right() + 1, 1710 / 15);
            QVERIFY(label->width() >= label->sizeHint().width());
        }
        auto* notice = rig.Find<QLabel>("Label3");
        QVERIFY(notice->text().startsWith(QStringLiteral("Tarnwick ")));
        QCOMPARE(notice->geometry().right() + 1, 8895 / 15);
    }

    void tabOrderAndAccessKeys() {
        Rig rig;
        frmMain& window = rig.Show();
        QCOMPARE(QApplication::focusWidget(), rig.Box("txtTo"));

        QStringList chain;
        QWidget* widget = rig.Box("txtTo");
        do {
            if (widget->focusPolicy() & Qt::TabFocus && widget->isEnabled()) {
                chain << widget->objectName();
            }
            widget = widget->nextInFocusChain();
        } while (widget != rig.Box("txtTo") && chain.size() < 40);
        QCOMPARE(chain, QStringLiteral(
                            "txtTo cmdRefTo txtFrom cmdRefFrom cmdSet0 cmdSet1 cmdCancel cmdSet2 "
                            "cmdSet3 cmdSet4 cmdSet5 cmdSet6 cmdSetOpt chkNoMsg chkNoStop cmdExit chkView")
                            .split(QLatin1Char(' ')));

        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), rig.Box("txtFrom"));
        QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), rig.Box("txtTo"));

        // Alt+digit presses that slot's button (an access key animates the
        // click first): with Dest empty each one reports it.
        rig.Box("txtTo")->clear();
        for (int slot = 0; slot < kSlotCount; ++slot) {
            QTest::keyClick(&window, static_cast<Qt::Key>(Qt::Key_0 + slot), Qt::AltModifier);
            QTRY_COMPARE(rig.messages.shown.size(), std::size_t(slot + 1));
        }
        QTest::keyClick(&window, Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(rig.dialogs.requests.size(), std::size_t{1});
    }

    void emptyPathIsCaughtFirst_data() {
        QTest::addColumn<QString>("dest");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString destEmpty = QStringLiteral("Dest Is Empty, Please Input Dest !!!");
        const QString sourceEmpty = QStringLiteral("Source Is Empty, Please Input Source !!!");
        QTest::newRow("both empty: only Dest") << ""
                                               << "" << destEmpty << "txtTo";
        QTest::newRow("Dest only spaces") << "   " << kBase << destEmpty << "txtTo";
        QTest::newRow("Source empty") << kTail << "" << sourceEmpty << "txtFrom";
        QTest::newRow("Source only spaces") << kTail << "  " << sourceEmpty << "txtFrom";
    }
    void emptyPathIsCaughtFirst() {
        QFETCH(QString, dest);
        QFETCH(QString, source);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Rig rig;
        rig.Open();
        rig.Box("txtTo")->setText(dest);
        rig.Box("txtFrom")->setText(source);
        rig.Check("chkNoMsg")->setChecked(true);
        rig.Button("cmdSet0")->setFocus();
        rig.Button("cmdSet0")->click();

        QCOMPARE(rig.messages.shown,
                 (std::vector<RecordedMessage>{{message.toStdString(), MessageKind::Warning}}));
        QCOMPARE(rig.window->focusWidget()->objectName(), focus);
        QCOMPARE(rig.state.NoMsg, std::string("OF"));  // the state is as loaded
        QVERIFY(rig.files.readOpens.empty());
        QCOMPARE(rig.program.ends, 0);
    }

    void slotPress_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("noStop");
        QTest::addColumn<MessageKind>("kind");
        QTest::newRow("applied: saved, ended") << 0 << false << MessageKind::Information;
        QTest::newRow("missing block: still saved, ended") << 3 << false << MessageKind::Error;
        QTest::newRow("No Stop, applied: stays open") << 0 << true << MessageKind::Information;
        QTest::newRow("No Stop, missing block: stays open") << 3 << true << MessageKind::Error;
    }
    void slotPress() {
        QFETCH(int, slot);
        QFETCH(bool, noStop);
        QFETCH(MessageKind, kind);
        Rig rig;
        rig.state.Dest = "/old/tail.TXT";
        rig.state.Source = "/old/base.TXT";
        rig.Open();
        const QString typedTail = QStringLiteral("  ") + kTail + QStringLiteral(" ");
        rig.Box("txtTo")->setText(typedTail);
        rig.Box("txtFrom")->setText(QStringLiteral("   ") + kBase);
        rig.Check("chkNoStop")->setChecked(noStop);
        rig.Button("cmdSet" + std::to_string(slot))->click();

        // Stored trimmed; the box keeps what was typed.
        QCOMPARE(rig.state.Dest, std::string(kTail));
        QCOMPARE(rig.state.Source, std::string(kBase));
        QCOMPARE(rig.state.NoStop, std::string(noStop ? "ON" : "OF"));
        QCOMPARE(rig.Box("txtTo")->text(), typedTail);
        QCOMPARE(rig.messages.shown.size(), std::size_t{1});
        QCOMPARE(rig.messages.shown[0].kind, kind);
        QCOMPARE(rig.files.files.contains(kTail), slot == 0);
        QCOMPARE(rig.program.ends, noStop ? 0 : 1);
        QCOMPARE(rig.store.stores > 0, !noStop);
        QCOMPARE(rig.Stored(keys::kDest), std::string(noStop ? "" : kTail));
    }

    void preview() {
        Rig rig;
        rig.state.View = "ON";  // never restored at a start
        rig.Open();
        QCheckBox* view = rig.Check("chkView");
        QCheckBox* edit = rig.Check("chkEdit");
        QVERIFY(!view->isChecked());
        QVERIFY(edit->isChecked());
        QVERIFY(!edit->isEnabled());
        view->click();
        QVERIFY(edit->isEnabled());
        edit->click();

        // A preview changes the state, writes nothing and keeps running.
        rig.Box("txtTo")->setText(QStringLiteral(" /new/tail.TXT"));
        rig.Button("cmdSet0")->click();
        QCOMPARE(rig.state.Dest, std::string("/new/tail.TXT"));
        QVERIFY(PreviewWindow() != nullptr && PreviewWindow()->isVisible());
        QVERIFY(rig.files.replaceOpens.empty());
        QCOMPARE(rig.program.ends, 0);
        QCOMPARE(rig.store.stores, 0);

        view->click();
        QVERIFY(!edit->isEnabled());
        QVERIFY(!edit->isChecked());  // only its enabled state follows PreView
    }

    void keys_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("ends");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("Enter in txtTo presses Exit") << "txtTo" << int(Qt::Key_Return) << 1 << true << 0;
        QTest::newRow("keypad Enter in txtFrom presses Exit")
            << "txtFrom" << int(Qt::Key_Enter) << 1 << true << 0;
        QTest::newRow("Enter on a check box presses Exit")
            << "chkNoMsg" << int(Qt::Key_Return) << 1 << true << 0;
        QTest::newRow("Enter on Ref...To presses it") << "cmdRefTo" << int(Qt::Key_Return) << 0 << false << 1;
        QTest::newRow("Enter on Cancel presses it") << "cmdCancel" << int(Qt::Key_Return) << 1 << false << 0;
        QTest::newRow("Esc in txtTo does nothing") << "txtTo" << int(Qt::Key_Escape) << 0 << false << 0;
        QTest::newRow("Esc on Cancel does nothing") << "cmdCancel" << int(Qt::Key_Escape) << 0 << false << 0;
    }
    void keys() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, ends);
        QFETCH(bool, saved);
        QFETCH(int, dialogs);
        Rig rig;
        frmMain& window = rig.Show();
        QWidget* target = rig.Find(focus);
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key));
        QCOMPARE(rig.program.ends, ends);
        QCOMPARE(rig.store.stores > 0, saved);
        QCOMPARE(rig.dialogs.requests.size(), std::size_t(dialogs));
        QVERIFY(window.isVisible());
    }

    void exitSavesTheStateNotTheControls() {
        Rig rig;
        rig.Open();
        // Changed after the last slot press: none of this is saved.
        rig.Check("chkNoMsg")->setChecked(true);
        rig.Check("chkNoStop")->setChecked(true);
        rig.Box("txtTo")->setText(QStringLiteral("/typed/later.TXT"));
        rig.Button("cmdExit")->click();
        QCOMPARE(rig.program.ends, 1);
        QCOMPARE(
            rig.store.text.value_or(""),
            std::string("[FILES]\nDEST=/mail/Vellicor.TXT\nSOURCE=/mail/MailBase.TXT\nNoMsg=OF\nNoStop=OF\n"
                        "[POSITION]\nMAINTOP=0\nMAINLEFT=0\nVIEWTOP=4515\nVIEWLEFT=0\n"));
    }

    void endsWithoutSaving_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void endsWithoutSaving() {
        QFETCH(bool, closeBox);
        const std::string ini = "[FILES]\nDEST=/kept.TXT\n";
        Rig rig(ini);
        frmMain& window = rig.Show();
        rig.Check("chkView")->setChecked(true);
        rig.Button("cmdSet0")->click();  // a preview: the state changes, nothing is saved
        QVERIFY(PreviewWindow()->isVisible());
        if (closeBox) {
            window.close();
            QVERIFY(!PreviewWindow()->isVisible());
        } else {
            rig.Button("cmdCancel")->click();
        }
        QCOMPARE(rig.program.ends, 1);
        QCOMPARE(rig.store.stores, 0);
        QCOMPARE(rig.store.text, std::optional<std::string>(ini));
    }

    void positions_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QPoint>("windowAt");
        QTest::addColumn<QList<int>>("loaded");  // OptTop, OptLeft, ViewTop, ViewLeft
        QTest::addColumn<QList<int>>("saved");   // MAINTOP, MAINLEFT, VIEWTOP, VIEWLEFT
        QTest::newRow("no POSITION section: top left, others below")
            << "[FILES]\nNoMsg=OF\n"
            << QPoint(0, 0) << QList<int>{4515, 0, 4515, 0} << QList<int>{0, 0, 4515, 0};
        QTest::newRow("defaults follow the main window")
            << "[POSITION]\nMAINTOP=1500\nMAINLEFT=3000\n"
            << QPoint(200, 100) << QList<int>{6015, 3000, 6015, 3000} << QList<int>{1500, 3000, 6015, 3000};
        QTest::newRow("stored values round-trip, also between pixels")
            << "[POSITION]\nMAINTOP=1234\nMAINLEFT=-7\nOPTTOP=222\nOPTLEFT=333\nVIEWTOP=4444\nVIEWLEFT=-15\n"
            << QPoint(0, 82) << QList<int>{222, 333, 4444, -15} << QList<int>{1234, -7, 4444, -15};
        QTest::newRow("out of range is clamped")
            << "[POSITION]\nOPTTOP=-99999\nOPTLEFT=40000\nVIEWTOP=99999\nVIEWLEFT=-32769\n"
            << QPoint(0, 0) << QList<int>{-32768, 32767, 32767, -32768} << QList<int>{0, 0, 32767, -32768};
        QTest::newRow("default below a main window near the limit is clamped")
            << "[POSITION]\nMAINTOP=30000\n"
            << QPoint() << QList<int>{32767, 0, 32767, 0} << QList<int>{};
    }
    void positions() {
        QFETCH(QString, ini);
        QFETCH(QPoint, windowAt);
        QFETCH(QList<int>, loaded);
        QFETCH(QList<int>, saved);
        Rig rig(ini.toStdString());
        frmMain& window = rig.Open();
        QCOMPARE((QList<int>{rig.state.OptTop, rig.state.OptLeft, rig.state.ViewTop, rig.state.ViewLeft}),
                 loaded);
        // Load reads the settings file and nothing else.
        QVERIFY(rig.files.readOpens.empty() && rig.files.replaceOpens.empty());
        QCOMPARE(rig.store.stores, 0);
        if (saved.isEmpty()) {
            return;
        }
        QCOMPARE(window.pos(), windowAt);
        rig.Button("cmdExit")->click();
        const auto stored = [&](const SettingKey& key) { return int(ParsePosition(rig.Stored(key))); };
        QCOMPARE((QList<int>{stored(keys::kMainTop), stored(keys::kMainLeft), stored(keys::kViewTop),
                             stored(keys::kViewLeft)}),
                 saved);
        // The options window writes its own position when it closes.
        QCOMPARE(rig.Stored(keys::kOptTop), IniRead(ini.toStdString(), "POSITION", "OPTTOP"));
    }

    void windowOffScreenComesBack() {
        Rig rig("[POSITION]\nMAINTOP=30000\nMAINLEFT=-30000\n");
        frmMain& window = rig.Open();
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(window.frameGeometry()));
        rig.Button("cmdExit")->click();
        QCOMPARE(int(ParsePosition(rig.Stored(keys::kMainTop))), window.y() * 15);
        QCOMPARE(int(ParsePosition(rig.Stored(keys::kMainLeft))), window.x() * 15);
    }

    void optionWindowOpensModalAtItsPosition() {
        Rig rig("[POSITION]\nOPTTOP=1500\nOPTLEFT=750\n");
        rig.Show();
        std::optional<QPoint> at;
        QTimer::singleShot(0, [&] {
            if (auto* options = qobject_cast<frmOpt*>(QApplication::activeModalWidget())) {
                at = options->pos();
                options->close();
            }
        });
        rig.Button("cmdSetOpt")->click();
        QCOMPARE(at, std::optional<QPoint>(QPoint(50, 100)));
        QCOMPARE(rig.program.ends, 0);
    }

    void dialogs_data() {
        QTest::addColumn<bool>("tail");
        QTest::addColumn<QString>("answer");
        QTest::newRow("base file chosen") << false << "/picked/Base.TXT";
        QTest::newRow("base file dialog cancelled") << false << "";
        QTest::newRow("tail file chosen") << true << "/picked/Tail.TXT";
        QTest::newRow("tail file dialog cancelled") << true << "";
    }
    void dialogs() {
        QFETCH(bool, tail);
        QFETCH(QString, answer);
        Rig rig;
        const std::string before = tail ? "/home/u/tails/Vellicor.TXT" : "C:\\Mail\\MailBase.TXT";
        (tail ? rig.state.Dest : rig.state.Source) = before;
        rig.Open();
        QLineEdit* box = rig.Box(tail ? "txtTo" : "txtFrom");
        const QString typed = QStringLiteral("/typed/elsewhere/x.TXT");  // the dialog starts from the state
        box->setText(typed);
        rig.dialogs.answer = answer.toStdString();
        rig.Button(tail ? "cmdRefTo" : "cmdRefFrom")->click();

        QCOMPARE(rig.dialogs.requests.size(), std::size_t{1});
        const FileDialogRequest& request = rig.dialogs.requests[0];
        QCOMPARE(request.save, tail);
        QCOMPARE(request.title,
                 std::string(tail ? "Save File Name for Vellicor" : "Base File Name for Vellicor"));
        QCOMPARE(request.filter, std::string("TEXT FILE (*.TXT)|*.txt|ALL FILE (*.*)|*.*"));
        QCOMPARE(request.initialFolder, std::string(tail ? "/home/u/tails/" : "C:\\Mail\\"));
        QCOMPARE(request.initialName, std::string(tail ? "Vellicor.TXT" : "MailBase.TXT"));
        QCOMPARE(request.defaultExtension, std::string(tail ? "TXT" : ""));
        QCOMPARE(request.mustExist, !tail);

        QCOMPARE(tail ? rig.state.Dest : rig.state.Source, answer.isEmpty() ? before : answer.toStdString());
        QCOMPARE(box->text(), answer.isEmpty() ? typed : answer);
        QCOMPARE(rig.store.stores, 0);
    }

    void folderOf_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("empty: the home folder") << "" << HomeFolder();
        QTest::newRow("POSIX path") << "/home/u/MailBase.TXT"
                                    << "/home/u/";
        QTest::newRow("file in the root") << "/MailBase.TXT"
                                          << "/";
        QTest::newRow("Windows path") << "C:\\Mail\\MailBase.TXT"
                                      << "C:\\Mail\\";
        QTest::newRow("mixed separators: the last one") << "C:\\a/b\\c.TXT"
                                                        << "C:\\a/b\\";
        QTest::newRow("bare name: the dialog's own folder") << "MailBase.TXT"
                                                            << "";
    }
    void folderOf() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(QString::fromStdString(FolderOf(path.toStdString())), folder);
    }
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::TestFrmMain)
#include "test_frm_main.moc"
