// The start-up dialog over fakes, and the whole first start over real files:
// no settings, the dialog, a slot applied, the old signature back.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "core/first_start.h"
#include "core/ini.h"
#include "core/settings.h"
#include "platform/native_file_system.h"
#include "platform/profile_file.h"
#include "tests/fakes.h"
#include "ui/frm_main.h"
#include "ui/frm_start.h"

namespace tarnwick {
namespace {

using namespace testing;

constexpr const char* kFoundTail = "/home/jane/.thunderbird/sig.txt";
constexpr const char* kOtherTail = "/home/jane/.signature";
constexpr const char* kPickedTail = "/home/jane/picked.txt";
constexpr const char* kNewBase = "/home/jane/Documents/MailBase.TXT";
constexpr const char* kOldBase = "/home/jane/mine.TXT";

// Answers each file dialog by its title; a title not listed is cancelled.
class DialogsByTitle final : public FileDialogs {
public:
    std::string Ask(const FileDialogRequest& request) override {
        asked.push_back(request);
        const auto answer = answers.find(request.title);
        return answer == answers.end() ? std::string() : answer->second;
    }
    std::map<std::string, std::string> answers;
    std::vector<FileDialogRequest> asked;
};

std::string ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(missing)");
}

void WriteAll(const QString& path, const std::string& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text.data(), static_cast<qint64>(text.size())), static_cast<qint64>(text.size()));
}

// The example with `tail` kept in the slot of `key`, as the dialog writes it.
std::string ExampleKeeping(std::string_view key, std::string_view tail) {
    return *KeepTailAsBlock(ExampleBaseText(), key, tail, "\n").text;
}

// What the user does in the dialog, what is on file, and what comes of it.
struct Outcome {
    std::optional<std::string> tailText;   // in the tail file the dialog starts with
    int found = -1;                        // the found file picked, else the tail is browsed for
    bool existingBase = false;             // browse for an existing base
    std::optional<std::string> atNewBase;  // a file already where the new base goes
    int keepSlot = -1;                     // pick this slot for the kept text
    bool uncheckKeep = false;
    bool keepOffered = true;  // the check box can be used
    bool accepted = true;
    std::optional<std::string> baseAfter;  // the new base path's text; none: no file
    bool noneFound = false;                // no mail program's file found: the box starts empty
    const char* dest = nullptr;            // a tail already set: the dialog opened again
    bool tailIsFolder = false;             // the tail path names a folder
};

}  // namespace

class TestFrmStart : public QObject {
    Q_OBJECT

private slots:
    void outcomes_data() {
        QTest::addColumn<Outcome>("o");
        const std::string tail = "Best wishes,\nJane\n";
        QTest::newRow("a found file, kept in the first private slot")
            << Outcome{tail, 0, false, {}, -1, false, true, true, ExampleKeeping("PRIV-1", tail)};
        QTest::newRow("another found file, kept in a slot picked")
            << Outcome{tail, 1, false, {}, 4, false, true, true, ExampleKeeping("PRIV-3", tail)};
        QTest::newRow("a file picked, not kept")
            << Outcome{tail, -1, false, {}, -1, true, true, true, ExampleBaseText()};
        QTest::newRow("none found, a file picked")
            << Outcome{tail, -1, false, {}, -1, false, true, true, ExampleKeeping("PRIV-1", tail), true};
        QTest::newRow("an empty tail: nothing to keep")
            << Outcome{"\n", -1, false, {}, -1, false, false, true, ExampleBaseText()};
        QTest::newRow("no tail yet: nothing to keep")
            << Outcome{{}, -1, false, {}, -1, false, false, true, ExampleBaseText()};
        QTest::newRow("a tail that would not read back as a block")
            << Outcome{"Sent\n%DATE\n", 0, false, {}, -1, false, false, true, ExampleBaseText()};
        QTest::newRow("an existing base, nothing added to it")
            << Outcome{tail, 0, true, {}, -1, false, false, true, {}};
        QTest::newRow("a file where the new base would go is kept")
            << Outcome{tail, 0, false, "my own notes\n", -1, false, true, false, "my own notes\n"};
        QTest::newRow("opened again: the tail set stays, shown among those found") << Outcome{
            tail, 0, false, {}, -1, false, true, true, ExampleKeeping("PRIV-1", tail), false, kOtherTail};
        QTest::newRow("opened again: a tail none found stays") << Outcome{
            tail, 0, false, {}, -1, false, true, true, ExampleKeeping("PRIV-1", tail), false, kPickedTail};
        QTest::newRow("a folder picked: refused, the reason shown")
            << Outcome{{}, -1, false, {}, -1, false, false, false, {}, false, nullptr, true};
    }
    void outcomes() {
        QFETCH(Outcome, o);
        FakeServices fakes;
        MemoryFileSystem& files = fakes.files;
        DialogsByTitle dialogs;
        AppState state;
        FillSlotTable(state);
        files.files[kOldBase] = "//START PRIV-1\nmine\n//END\n";
        const std::string tailPath = o.dest         ? o.dest
                                     : o.found >= 0 ? (o.found == 0 ? kFoundTail : kOtherTail)
                                                    : kPickedTail;
        state.Dest = o.dest ? o.dest : "";
        if (o.tailText) {
            files.files[tailPath] = *o.tailText;
        }
        if (o.tailIsFolder) {
            files.folders.insert(tailPath);
        }
        if (o.atNewBase) {
            files.files[kNewBase] = *o.atNewBase;
        }
        dialogs.answers["Tail File for Vellicor"] = kPickedTail;
        dialogs.answers["Base File Name for Vellicor"] = kOldBase;

        std::vector<MailTail> candidates = {{"Thunderbird", "Jane", kFoundTail}, {"mutt", "", kOtherTail}};
        if (o.noneFound) {
            candidates.clear();
        }
        frmStart dialog(state, fakes.services, dialogs, candidates);
        dialog.show();
        auto* found = dialog.findChild<QComboBox*>("cboFound");
        QCOMPARE(found->count(), static_cast<int>(candidates.size()));
        QCOMPARE(found->isVisible(), !o.noneFound);
        if (o.dest) {
            const auto shown = std::find_if(candidates.begin(), candidates.end(),
                                            [&](const MailTail& c) { return c.path == tailPath; });
            QCOMPARE(found->currentIndex(),
                     shown == candidates.end() ? -1 : static_cast<int>(shown - candidates.begin()));
        }
        if (o.found > 0) {
            found->setCurrentIndex(o.found);
            emit found->activated(o.found);
        } else if (o.found < 0) {
            dialog.findChild<QPushButton*>("cmdRefTail")->click();
        }
        dialog.findChild<QLineEdit*>("txtNewBase")->setText(kNewBase);
        if (o.existingBase) {
            dialog.findChild<QPushButton*>("cmdRefOldBase")->click();
            QVERIFY(dialog.findChild<QRadioButton*>("optOldBase")->isChecked());
        }
        auto* keep = dialog.findChild<QCheckBox*>("chkKeep");
        if (o.keepSlot >= 0) {
            dialog.findChild<QComboBox*>("cboSlot")->setCurrentIndex(o.keepSlot);
        }
        if (o.uncheckKeep) {
            keep->click();
        }
        QCOMPARE(keep->isEnabled(), o.keepOffered);
        QCOMPARE(keep->isChecked(), o.keepOffered && !o.uncheckKeep);
        QVERIFY(!dialog.findChild<QLabel*>("lblKeep")->text().isEmpty());
        QCOMPARE(dialog.findChild<QLabel*>("lblTail")->text().contains(QStringLiteral("Is a directory")),
                 o.tailIsFolder);

        dialog.findChild<QPushButton*>("cmdOK")->click();
        QCOMPARE(dialog.result() == QDialog::Accepted, o.accepted);
        QCOMPARE(dialog.isVisible(), !o.accepted);
        QCOMPARE(fakes.messages.shown.empty(), o.accepted);
        const auto base = files.files.find(kNewBase);
        QCOMPARE(base != files.files.end() ? std::optional(base->second) : std::nullopt, o.baseAfter);
        if (o.tailText) {
            QCOMPARE(files.files[tailPath], *o.tailText);  // only read
        }
        const std::vector<std::string> foundPaths = {kFoundTail, kOtherTail};
        for (const FileDialogRequest& asked : dialogs.asked) {
            const bool offers = asked.title == "Tail File for Vellicor" && !o.noneFound;
            QCOMPARE(asked.shortcuts, offers ? foundPaths : std::vector<std::string>{});
        }
        QCOMPARE(files.files[kOldBase], std::string("//START PRIV-1\nmine\n//END\n"));
        if (o.accepted) {
            QCOMPARE(dialog.Plan().tailPath, tailPath);
            QCOMPARE(dialog.Plan().basePath, std::string(o.existingBase ? kOldBase : kNewBase));
        }
    }

    // Every control says what it is; the texts fit.
    void everyControlIsNamed() {
        FakeServices fakes;
        DialogsByTitle dialogs;
        AppState state;
        FillSlotTable(state);
        frmStart dialog(state, fakes.services, dialogs, {{"Thunderbird", "Jane", kFoundTail}});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (QWidget* control : dialog.findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&dialog)) {
                continue;
            }
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(access && !access->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
            QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(control->objectName()));
        }
    }

    // No settings file, the window, the dialog, the kept slot live at once, a
    // slot applied, and the old signature back with one more press: all on
    // real files.
    void firstStartEndToEnd() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString tail = folder.filePath(QStringLiteral(".signature"));
        const QString base = folder.filePath(QStringLiteral("MailBase.TXT"));
        // Written by hand: no line end after its last line.
        const std::string signature = "-- \r\nJane Example\r\n\r\nexample.org";
        WriteAll(tail, signature);

        NativeFileSystem files;
        ProfileFile profile(files, folder.path().toStdString());
        Settings settings(profile, "\n");
        RecordingMessages messages;
        FixedClock clock{LocalTime{2026, 12, 7, 9, 30, 0}};
        MemoryFileSystem unused;
        MemoryMailFiles mail(unused);
        mail.configs = {{MailConfigKind::PlainSignature, "Claws Mail", tail.toStdString(), ""}};
        Services core{messages, clock, files, settings, "\n", &mail};
        DialogsByTitle dialogs;
        RecordingProgram program;
        WindowServices services{core, dialogs, program};
        AppState state;
        FillSlotTable(state);
        state.NoMsg = state.NoStop = "ON";

        frmMain window(state, services);
        window.show();
        QVERIFY(window.NothingSetUp());
        QCOMPARE(window.findChild<QLabel*>("Label4")->toolTip(), FirstStartHint());

        bool answered = false;
        QTimer::singleShot(0, &window, [&] {
            auto* dialog = qobject_cast<frmStart*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QLineEdit*>("txtNewBase")->setText(base);
            dialog->findChild<QPushButton*>("cmdOK")->click();
            answered = true;
        });
        // The window's key opens the dialog, as the first start does by itself.
        QAction* setUp = window.findChild<QAction*>("actSetUp");
        QCOMPARE(setUp->shortcut(), QKeySequence(QKeySequence::New));
        QVERIFY(window.actions().contains(setUp));
        setUp->trigger();
        QVERIFY(answered);
        QVERIFY(messages.shown.empty());

        const std::string ini = profile.Load().value_or("");
        QCOMPARE(IniRead(ini, "FILES", "DEST"), tail.toStdString());
        QCOMPARE(IniRead(ini, "FILES", "SOURCE"), base.toStdString());
        QCOMPARE(window.findChild<QLineEdit*>("txtTo")->text(), tail);
        QCOMPARE(window.findChild<QLineEdit*>("txtFrom")->text(), base);
        auto* kept = window.findChild<QPushButton*>("cmdSet2");
        QCOMPARE(kept->accessibleDescription(), QStringLiteral("live"));
        QCOMPARE(window.findChild<QLabel*>("Label4")->toolTip(), QStringLiteral("Live: Set Private 1"));
        QCOMPARE(ReadAll(tail), signature);

        window.findChild<QPushButton*>("cmdSet3")->click();
        QCOMPARE(ReadAll(tail), std::string("Cheers,\nJane\n\nWritten on 2026.12.07, 09:30:00\n"));
        QCOMPARE(kept->accessibleDescription(), QString());
        kept->click();
        QCOMPARE(ReadAll(tail), std::string("-- \nJane Example\n\nexample.org\n"));
        QCOMPARE(kept->accessibleDescription(), QStringLiteral("live"));
        QVERIFY(messages.shown.empty());
    }
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::TestFrmStart)
#include "test_frm_start.moc"
