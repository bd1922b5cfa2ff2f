// The preview window driven through its controls, over files held in memory.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <string>

#include "core/settings.h"
#include "core/tail_engine.h"
#include "tests/fakes.h"
#include "tests/ui/accessible.h"
#include "tests/ui/tab_order.h"
#include "ui/frm_view.h"

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

const std::string kBase = "/mail/base.txt";
const std::string kTail = "/mail/tail.txt";
const std::string kEnd(kLineEnd);

// A preview window beside a stand-in main window; the base file holds the
// block of PRIV-2 (slot 3).
struct Rig {
    explicit Rig(const std::string& block) {
        FillSlotTable(state);
        state.Source = kBase;
        state.Dest = kTail;
        state.NoMsg = "OF";
        files.files[kBase] = "//START PRIV-2\r\n" + block + "//END\r\n";
        view = new frmView(state, services, &main);
    }
    QPlainTextEdit* text() const { return view->findChild<QPlainTextEdit*>("txtView"); }
    QPushButton* button(const char* name) const { return view->findChild<QPushButton*>(name); }
    bool saveShown() const { return !button("cmdSave")->isHidden(); }

    MemoryFileSystem files;
    RecordingMessages messages;
    FixedClock clock{LocalTime{2003, 1, 11, 6, 2, 30}};
    MemoryProfileStore store;
    Settings settings{store};
    Services core{messages, clock, files, settings};
    RecordingDialogs dialogs;
    RecordingProgram program;
    WindowServices services{core, dialogs, program};
    AppState state;
    QWidget main;
    frmView* view = nullptr;  // owned by main
};

}  // namespace

class TestFrmView : public QObject {
    Q_OBJECT
private slots:
    void unchangedSaveMatchesApply_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<bool>("emptyUnfinished");  // the save adds one empty line
        QTest::newRow("plain") << "Regards\r\nTaro\r\n" << false;
        QTest::newRow("tabs, spaces, no-break space") << "\tIn  \r\n  山田\u00a0太郎\r\n" << false;
        QTest::newRow("placeholders") << "Date: \r\n%DATE\r\n (\r\n%TIME\r\n)\r\n" << false;
        QTest::newRow("empty unfinished line") << "A\r\n\r\n" << true;
    }
    void unchangedSaveMatchesApply() {
        QFETCH(QString, block);
        QFETCH(bool, emptyUnfinished);
        Rig rig(block.toStdString());
        rig.state.Dest = "/applied.txt";
        QVERIFY(ApplyTail(rig.state, rig.core, 3));
        rig.state.Dest = kTail;

        rig.view->PreviewTail(3, true);
        rig.view->SavePreviewEdit();

        QCOMPARE(rig.files.files[kTail], rig.files.files["/applied.txt"] + (emptyUnfinished ? kEnd : ""));
    }

    void preEditSwitchesReadOnlyAndSaveAndAFailureKeepsTheWindow() {
        Rig rig("A\r\nB\r\n");
        rig.files.files[kBase] += "//START PRIV-5\r\nno end\r\n";
        rig.view->PreviewTail(3, false);
        QCOMPARE(rig.text()->toPlainText(), QString("A\nB"));
        QCOMPARE(rig.button("cmdSet")->text(), QString("Set Private 2 (&3)"));
        QVERIFY(rig.text()->isReadOnly() && !rig.saveShown());
        QCOMPARE(rig.view->windowTitle(), QString("Set Vellicor View"));
        rig.view->PreviewTail(3, true);
        QCOMPARE(TabOrder(rig.text()), QString("txtView cmdClose cmdSave"));
        QVERIFY(!rig.text()->isReadOnly() && rig.saveShown());
        rig.view->PreviewTail(3, false);
        QVERIFY(rig.text()->isReadOnly() && !rig.saveShown());
        rig.view->PreviewTail(3, true);

        // A block without its end line is reported; what it gave so far is never shown.
        rig.view->PreviewTail(6, false);
        QCOMPARE(rig.messages.shown.size(), std::size_t{1});
        QCOMPARE(rig.text()->toPlainText(), QString("A\nB"));
        QCOMPARE(rig.button("cmdSet")->text(), QString("Set Private 2 (&3)"));
        QVERIFY(!rig.text()->isReadOnly() && rig.saveShown());
        QVERIFY(rig.files.replaceOpens.empty());
    }

    // The box and the slot button are named after the slot at each preview,
    // with the whole caption, or the key name where the caption is blank.
    void previewIsNamedAfterItsSlot_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("slotName");
        QTest::newRow("default") << "Set Private 2"
                                 << "Set Private 2";
        QTest::newRow("spaces around") << "  Home  "
                                       << "Home";
        QTest::newRow("long") << "Weekend with a rather long caption text"
                              << "Weekend with a rather long caption text";
        QTest::newRow("blank") << " "
                               << "PRIV-2";
    }
    void previewIsNamedAfterItsSlot() {
        QFETCH(QString, caption);
        QFETCH(QString, slotName);
        Rig rig("A\r\n");
        rig.view->PreviewTail(3, true);
        rig.state.Caption[3] = caption.toStdString();
        rig.view->PreviewTail(3, true);
        QCOMPARE(FocusableNames(rig.view), (QMap<QString, QString>{{"txtView", "Preview of " + slotName},
                                                                   {"cmdClose", "Close the preview"},
                                                                   {"cmdSave", "Save into the tail file"}}));
        QCOMPARE(AccessibleName(rig.button("cmdSet")), slotName);
    }

    void enterAndEscPressSaveOnlyWhileShown_data() {
        QTest::addColumn<bool>("preEdit");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("saves");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("Enter") << true << "txtView" << QKeySequence("Return") << true << "A\nB";
        QTest::newRow("Esc") << true << "txtView" << QKeySequence("Esc") << true << "A\nB";
        QTest::newRow("Esc on CLOSE") << true << "cmdClose" << QKeySequence("Esc") << true << "A\nB";
        QTest::newRow("Ctrl+Enter") << true << "txtView" << QKeySequence("Ctrl+Return") << false << "A\nB\n";
        QTest::newRow("Enter, read-only") << false << "txtView" << QKeySequence("Return") << false << "A\nB";
        QTest::newRow("Ctrl+Enter, read-only")
            << false << "txtView" << QKeySequence("Ctrl+Return") << false << "A\nB";
    }
    void enterAndEscPressSaveOnlyWhileShown() {
        QFETCH(bool, preEdit);
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        QFETCH(bool, saves);
        QFETCH(QString, textAfter);
        Rig rig("A\r\nB\r\n");
        rig.view->PreviewTail(3, preEdit);
        rig.text()->moveCursor(QTextCursor::End);

        QTest::keySequence(rig.view->findChild<QWidget*>(focus), keys);

        QCOMPARE(rig.text()->toPlainText(), textAfter);
        QCOMPARE(rig.files.files.contains(kTail), saves);
        if (saves) {
            QCOMPARE(rig.files.files[kTail], "A" + kEnd + "B" + kEnd);
        }
    }

    // Placed at ViewTop/ViewLeft when shown; where the user moves it is
    // recorded when it loses the focus and when its close box is used.
    void placedAtItsPositionAndRecordedWhereTheUserLeftIt() {
        Rig rig("A\r\n");
        rig.state.ViewTop = 2993;  // whole pixels, rounded
        rig.state.ViewLeft = 1493;
        rig.main.show();
        rig.view->PreviewTail(3, true);
        QVERIFY(QTest::qWaitForWindowActive(rig.view));
        QCOMPARE(QApplication::focusWidget(), rig.text());
        QCOMPARE(rig.view->pos(), QPoint(100, 200));
        rig.view->move(330, 150);
        rig.view->PreviewTail(3, true);  // shown again: stays where it is
        QCOMPARE(rig.view->pos(), QPoint(330, 150));

        QWidget other;  // the user clicks another window
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(rig.state.ViewTop, std::int16_t{2250});
        QCOMPARE(rig.state.ViewLeft, std::int16_t{4950});

        // Its slot button puts it right below the main window.
        QTest::mouseClick(rig.button("cmdSet"), Qt::LeftButton);
        QCOMPARE(rig.view->frameGeometry().topLeft(), rig.main.frameGeometry().bottomLeft() + QPoint(0, 1));
        rig.view->close();

        QVERIFY(rig.view->isHidden());
        QCOMPARE(rig.state.ViewTop, rig.view->y() * 15);
        QCOMPARE(rig.state.ViewLeft, rig.view->x() * 15);
        // The next preview starts from the design: empty, read-only, no SAVE.
        QCOMPARE(rig.text()->toPlainText() + rig.button("cmdSet")->text(), QString());
        QVERIFY(rig.text()->isReadOnly() && !rig.saveShown());
    }
};

QTEST_MAIN(TestFrmView)
#include "test_frm_view.moc"
