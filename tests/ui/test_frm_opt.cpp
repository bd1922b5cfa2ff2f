// The caption options window driven through its controls, over a settings
// file held in memory.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <QtTest>
#include <array>
#include <memory>
#include <string>

#include "core/settings.h"
#include "tests/fakes.h"
#include "tests/ui/accessible.h"
#include "tests/ui/tab_order.h"
#include "ui/frm_opt.h"
#include "ui/ui_common.h"

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

// The options window, open at (90, 240), over a stand-in main window with
// its seven slot buttons.
struct Rig {
    Rig() {
        FillSlotTable(state);
        for (int slot = 0; slot < kSlotCount; ++slot) {
            buttons[slot] = new QPushButton(FromLocal(ButtonText(slot, state.Caption[slot])), &main);
            buttons[slot]->setGeometry(TwipsRect(0, 0, 2175, 495));  // as on the main window
        }
        options = std::make_unique<frmOpt>(state, settings, messages, buttons, &main);
        options->move(90, 240);
        options->show();
    }
    template <typename T = QPushButton>
    T* find(const char* name, int slot = -1) const {
        return options->findChild<T*>(slot < 0 ? QString(name) : QString(name) + QString::number(slot));
    }
    QLineEdit* caption(int slot) const { return find<QLineEdit>("txtUpdate", slot); }
    QColor colour(int slot) const { return caption(slot)->palette().color(QPalette::Text); }

    MemoryProfileStore store;
    Settings settings{store};
    RecordingMessages messages;
    AppState state;
    QWidget main;
    std::array<QPushButton*, kSlotCount> buttons{};
    std::unique_ptr<frmOpt> options;
};

}  // namespace

class TestFrmOpt : public QObject {
    Q_OBJECT
private slots:
    // Every way of closing stores OPTTOP and OPTLEFT; only Update keeps the
    // edited captions and stores them too.
    void everyCloseRecordsThePosition_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close box";
        QTest::newRow("Update") << "update";
    }
    void everyCloseRecordsThePosition() {
        QFETCH(QString, how);
        Rig rig;
        QTest::keyClicks(rig.caption(1), "x");
        if (how == "cancel") {
            QTest::mouseClick(rig.find("cmdCancel"), Qt::LeftButton);
        } else if (how == "esc") {
            QTest::keyClick(rig.caption(3), Qt::Key_Escape);
        } else if (how == "close box") {
            rig.options->windowHandle()->close();
        } else {
            QTest::mouseClick(rig.find("cmdUpdate"), Qt::LeftButton);
        }
        QVERIFY(rig.options->isHidden());
        QCOMPARE(rig.settings.GetPosition(keys::kOptTop, -1), std::int16_t{3600});
        QCOMPARE(rig.settings.GetPosition(keys::kOptLeft, -1), std::int16_t{1350});
        const bool updated = how == "update";
        QCOMPARE(rig.state.Caption[1], std::string(updated ? "Set Official 2x" : "Set Official 2"));
        QCOMPARE(rig.buttons[1]->text(), QString(updated ? "Set Official 2x (&1)" : "Set Official 2 (&1)"));
        std::string value;
        QCOMPARE(rig.settings.GetProfile("CAPTION", "OFFI-2", value), updated);
    }

    // Enter in a caption box presses Update, the default button.
    void updateStoresAllSevenCaptions() {
        Rig rig;
        QVERIFY(QTest::qWaitForWindowActive(rig.options.get()));
        QTest::mouseClick(rig.find("cmdSet", 1), Qt::LeftButton);
        QTest::keyClicks(rig.caption(1), "Work");  // replaces the selected text
        QTest::mouseClick(rig.find("cmdSet", 2), Qt::LeftButton);
        QTest::keyClick(rig.caption(2), Qt::Key_Delete);
        rig.caption(3)->setText("  Home  ");
        rig.caption(6)->setText("Family");
        rig.caption(5)->setText("Weekend with a rather long caption text");
        std::array<QString, kSlotCount> previews;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            previews[slot] = rig.find("cmdPrev", slot)->text();
        }
        QTest::keyClick(rig.caption(2), Qt::Key_Return);

        QVERIFY(rig.options->isHidden());
        // Kept as typed for the run; the file keeps what its rules keep (outer
        // spaces go), and an empty value reads as missing: the default.
        const std::array<const char*, kSlotCount> captions = {
            "Set Official 1", "Work",          "",
            "  Home  ",       "Set Private 3", "Weekend with a rather long caption text",
            "Family"};
        // Named with the whole caption, or the key name where it is blank.
        const std::array<const char*, kSlotCount> names = {"Set Official 1", "Work",      "PRIV-1", "Home",
                                                           "Set Private 3",  captions[5], "Family"};
        for (int slot = 0; slot < kSlotCount; ++slot) {
            QCOMPARE(AccessibleName(rig.buttons[slot]), QString(names[slot]));
            QCOMPARE(rig.buttons[slot]->text(), previews[slot]);
            QCOMPARE(rig.state.Caption[slot], captions[slot]);
            std::string value;
            QCOMPARE(rig.settings.GetProfile("CAPTION", kSlotKeyNames[slot], value), slot != 2);
            QCOMPARE(value, slot == 3 ? "Home" : captions[slot]);
        }
        QCOMPARE(rig.buttons[2]->text(), QString(" (&2)"));
        QCOMPARE(rig.buttons[3]->text(), QString("  Home   (&3)"));
        // Too long for the button: its start and access key stay, the tooltip has it whole.
        QVERIFY(previews[5].startsWith("Weekend") && previews[5].endsWith(QString::fromUtf8("\u2026 (&5)")));
        QCOMPARE(rig.buttons[5]->toolTip(), QString(captions[5]));
        QCOMPARE(rig.find("cmdPrev", 5)->toolTip(), QString(captions[5]));
        // Opened again, the preview of the blank caption reads as its button does.
        frmOpt again(rig.state, rig.settings, rig.messages, rig.buttons, &rig.main);
        QCOMPARE(AccessibleName(again.findChild<QPushButton*>("cmdPrev2")), QString("PRIV-1"));
    }

    // Captions are kept in the system code page: one it cannot hold is
    // refused, naming its slot, and none of the seven is stored. A lone
    // surrogate fits no code page, so every system takes both ways.
    void updateStoresOnlyWhatTheCodePageHolds_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("fitsNoCodePage");
        QTest::newRow("Japanese") << QString("日本語") << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + "x" << true;
    }
    void updateStoresOnlyWhatTheCodePageHolds() {
        QFETCH(QString, caption);
        QFETCH(bool, fitsNoCodePage);
        const QByteArray local = caption.toLocal8Bit();
        const bool held = QString::fromLocal8Bit(local) == caption;
        QVERIFY(!(held && fitsNoCodePage));
        Rig rig;
        rig.caption(6)->setText(caption);
        QTest::mouseClick(rig.find("cmdUpdate"), Qt::LeftButton);

        QCOMPARE(rig.options->isHidden(), held);
        std::string value;
        QCOMPARE(rig.settings.GetProfile("CAPTION", "OFFI-1", value), held);
        QCOMPARE(rig.settings.GetProfile("CAPTION", "PRIV-5", value), held);
        QCOMPARE(value, held ? local.toStdString() : std::string());
        QCOMPARE(rig.state.Caption[6], held ? local.toStdString() : std::string("Set Private 5"));
        if (held) {
            QVERIFY(rig.messages.shown.empty());
            return;
        }
        QCOMPARE(rig.messages.shown.size(), std::size_t{1});
        QCOMPARE(rig.messages.shown[0].kind, MessageKind::Warning);
        QVERIFY(rig.messages.shown[0].text.starts_with("The caption of PRIV-5 has characters"));
        QCOMPARE(rig.buttons[6]->text(), QString("Set Private 5 (&6)"));
        // The box keeps what was typed, red and selected, for the user to change.
        QCOMPARE(rig.options->focusWidget(), rig.caption(6));
        QCOMPARE(rig.caption(6)->selectedText(), caption);
        QCOMPARE(rig.colour(6), QColor(238, 0, 0));
    }

    void captionsTurnRedAtTheFirstEdit() {
        Rig rig;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            QCOMPARE(rig.colour(slot), QColor(0, 0, 255));
            QCOMPARE(rig.find("cmdPrev", slot)->text(), rig.buttons[slot]->text());
        }
        QTest::keyClick(rig.caption(4), Qt::Key_X);
        QCOMPARE(rig.colour(4), QColor(238, 0, 0));  // red, deep enough to read on the white box
        QCOMPARE(rig.colour(3), QColor(0, 0, 255));
        QCOMPARE(rig.find("cmdPrev", 4)->text(), QString("Set Private 3x (&4)"));
        QCOMPARE(AccessibleName(rig.find("cmdPrev", 4)), QString("Set Private 3x"));
        QCOMPARE(rig.find("cmdSet", 6)->text(), QString("PRIV-5 (&G)"));
        QCOMPARE(rig.options->windowTitle() + " / " + rig.find<QLabel>("Label1")->text(),
                 QString("Set Vellicor Option / Set Private Button Caption"));
        QCOMPARE(
            TabOrder(rig.find("cmdSet", 0)),
            QString("cmdSet0 txtUpdate0 cmdSet1 txtUpdate1 cmdSet2 txtUpdate2 cmdSet3 txtUpdate3 cmdSet4 "
                    "txtUpdate4 cmdSet5 txtUpdate5 cmdSet6 txtUpdate6 cmdUpdate cmdCancel"));
        QCOMPARE(rig.buttons[4]->text(), QString("Set Private 3 (&4)"));
        // Each row's controls name their slot.
        QMap<QString, QString> names{{"cmdUpdate", "Update the captions"},
                                     {"cmdCancel", "Cancel without changes"}};
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const QString key = QString::fromLatin1(kSlotKeyNames[slot]);
            names.insert(QStringLiteral("cmdSet%1").arg(slot), "Select the caption of " + key);
            names.insert(QStringLiteral("txtUpdate%1").arg(slot), "Caption of " + key);
        }
        QCOMPARE(FocusableNames(rig.options.get()), names);
    }
};

QTEST_MAIN(TestFrmOpt)
#include "test_frm_opt.moc"
