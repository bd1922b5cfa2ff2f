// How the three windows look under a desktop's theme: readable text on the
// colours they fix, the theme's own colours elsewhere, no clipped text, and
// a place inside the screen. Run on two virtual screens, a laptop's and one
// smaller than any window.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string_view>
#include <vector>

#include "tests/ui/window_fakes.h"
#include "ui/colours.h"
#include "ui/frm_main.h"
#include "ui/frm_opt.h"
#include "ui/frm_view.h"

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

// A desktop theme's palette: its window colour with `text` on it, and the
// dimmed text it gives disabled controls.
QPalette Theme(const QColor& window, const QColor& text, const QColor& disabled) {
    QPalette palette(window, window);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, text);
        palette.setColor(QPalette::Disabled, role, disabled);
    }
    return palette;
}

// The main window, and from it the preview and the options window, over a
// base file with a block for OFFI-1.
struct Rig : WindowFakes {
    explicit Rig(const std::string& ini = {}) {
        store.text = ini;
        FillSlotTable(state);
        state.Dest = "/mail/tail.txt";
        state.Source = "/mail/base.txt";
        state.NoMsg = state.NoStop = "OF";
        files.files[state.Source] = "//START OFFI-1\nKind regards,\n//END\n";
        main = std::make_unique<frmMain>(state, services);
        main->show();
    }
    template <class T = QPushButton>
    T* Find(const QString& name) const {
        return main->findChild<T*>(name);
    }
    frmView* ShowPreview() const {
        Find<QCheckBox>("chkView")->click();
        Find("cmdSet0")->click();
        return main->findChild<frmView*>();
    }

    AppState state;
    std::unique_ptr<frmMain> main;
};

// The contrast of a text with what is behind it, from the window's pixels in
// `area` of the widget: the colour most of them show is the background, and
// the text is the colour that stands out most from it.
double PaintedContrast(const QWidget* widget, const QRect& area) {
    QWidget* window = widget->window();
    const QImage image = window->grab(QRect(widget->mapTo(window, area.topLeft()), area.size())).toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    const QColor background(
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first);
    double most = 1;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it) {
        most = std::max(most, ContrastRatio(QColor(*it), background));
    }
    return most;
}

// Where each text of a window is painted: labels and check boxes (beside
// their box), the caption boxes inside their frame, the preview's page.
QList<std::pair<const QWidget*, QRect>> TextAreas(const QWidget* window) {
    QList<std::pair<const QWidget*, QRect>> areas;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        areas.append({label, label->rect()});
    }
    for (const QCheckBox* box : window->findChildren<QCheckBox*>()) {
        QStyleOptionButton option;
        option.initFrom(box);
        areas.append({box, box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box)});
    }
    for (const QLineEdit* caption : window->findChildren<QLineEdit*>(QRegularExpression("^txtUpdate"))) {
        const int frame = caption->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 1;
        areas.append({caption, caption->rect().adjusted(frame, frame, -frame, -frame)});
    }
    for (const QPlainTextEdit* page : window->findChildren<QPlainTextEdit*>()) {
        areas.append({page->viewport(), page->viewport()->rect()});
    }
    return areas;
}

// The room a control's text needs, against the room it has; a line box
// scrolls sideways, so only its height counts, and a text box scrolls.
bool TextFits(const QWidget* control) {
    const QSize needed = control->sizeHint();
    const bool scrolls = qobject_cast<const QLineEdit*>(control) != nullptr;
    return qobject_cast<const QAbstractScrollArea*>(control) != nullptr ||
           (needed.height() <= control->height() && (scrolls || needed.width() <= control->width()));
}

QRect Area(int screen) {
    return QGuiApplication::screens().at(screen)->availableGeometry();
}

struct Stored {
    QString window;  // "main", "view", "options", or "docked": the view below the main window
    QString key;     // the position stored: "MAIN", "VIEW" or "OPT"
    int screen;      // whose area `offset` counts from
    QPoint offset;   // from the area's top left; negative: from its bottom right
    int expected;    // the screen it must open on
};

}  // namespace

class TestWindowLook : public QObject {
    Q_OBJECT
private slots:
    void contrastRatio_data() {
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("second");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
        QTest::newRow("alike") << QColor(128, 255, 255) << QColor(128, 255, 255) << 1.0;
        QTest::newRow("blue on white") << QColor(0, 0, 255) << QColor(Qt::white) << 8.59;
        QTest::newRow("red on white") << QColor(255, 0, 0) << QColor(Qt::white) << 4.0;
        QTest::newRow("white on cyan") << QColor(Qt::white) << QColor(128, 255, 255) << 1.18;
        QTest::newRow("mid grey on black") << QColor(118, 118, 118) << QColor(Qt::black) << 4.62;
        QTest::newRow("dark grey, linear part") << QColor(10, 10, 10) << QColor(Qt::black) << 1.06;
    }
    void contrastRatio() {
        QFETCH(QColor, first);
        QFETCH(QColor, second);
        QFETCH(double, ratio);
        const double contrast = ContrastRatio(first, second);
        QVERIFY2(qAbs(contrast - ratio) < 0.01, qPrintable(QString::number(contrast)));
    }

    void readableOn_data() {
        QTest::addColumn<QColor>("wanted");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("kept");
        QTest::newRow("blue on white: kept") << QColor(0, 0, 255) << QColor(Qt::white) << true;
        QTest::newRow("red on white: deeper") << QColor(255, 0, 0) << QColor(Qt::white) << false;
        QTest::newRow("yellow on cyan: darker") << QColor(255, 255, 0) << QColor(128, 255, 255) << false;
        QTest::newRow("blue on black: lighter") << QColor(0, 0, 255) << QColor(Qt::black) << false;
        QTest::newRow("grey on mid grey") << QColor(128, 128, 128) << QColor(119, 119, 119) << false;
        QTest::newRow("black on cyan: kept") << QColor(Qt::black) << QColor(128, 255, 255) << true;
    }
    void readableOn() {
        QFETCH(QColor, wanted);
        QFETCH(QColor, background);
        QFETCH(bool, kept);
        const QColor readable = ReadableOn(wanted, background);
        const double contrast = ContrastRatio(readable, background);
        QVERIFY2(contrast >= kMinimumContrast, qPrintable(readable.name()));
        QCOMPARE(readable == wanted, kept);
        if (!kept) {
            // Changed no more than it takes, and still of its hue.
            QVERIFY2(contrast < kMinimumContrast + 0.2, qPrintable(QString::number(contrast)));
            QCOMPARE(readable.hsvHue(), wanted.hsvHue());
        }
    }

    // Under each theme, style and font: every text on a colour the windows
    // fix reads at 4.5 : 1 or better, the controls they leave alone keep the
    // theme's colours, and every control has the room its text needs,
    // inside its window and clear of the others.
    void textsReadableAndWhole_data() {
        QTest::addColumn<QPalette>("theme");
        QTest::addColumn<QString>("style");
        QTest::addColumn<double>("points");
        const QPalette light = Theme(QColor(239, 239, 239), Qt::black, QColor(190, 190, 190));
        const QPalette dark = Theme(QColor(53, 53, 53), Qt::white, QColor(127, 127, 127));
        const QPalette highContrast = Theme(Qt::black, Qt::yellow, Qt::green);
        QTest::newRow("light, Fusion, 9 pt") << light << "Fusion" << 9.0;
        QTest::newRow("dark, Fusion, 11 pt") << dark << "Fusion" << 11.0;
        QTest::newRow("high contrast, Fusion, 13 pt") << highContrast << "Fusion" << 13.0;
        QTest::newRow("dark, Windows, 13 pt") << dark << "Windows" << 13.0;
        QTest::newRow("high contrast, Windows, 9 pt") << highContrast << "Windows" << 9.0;
        QTest::newRow("light, Windows, 11 pt") << light << "Windows" << 11.0;
    }
    void textsReadableAndWhole() {
        QFETCH(QPalette, theme);
        QFETCH(QString, style);
        QFETCH(double, points);
        QApplication::setStyle(QStyleFactory::create(style));
        QApplication::setPalette(theme);
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setFont(font);

        Rig rig;
        frmView* view = rig.ShowPreview();
        rig.Find<QCheckBox>("chkView")->click();  // PreEdit disabled again
        std::array<QPushButton*, kSlotCount> buttons{};
        for (int slot = 0; slot < kSlotCount; ++slot) {
            buttons[slot] = rig.Find(QStringLiteral("cmdSet%1").arg(slot));
        }
        frmOpt options(rig.state, rig.settings, rig.messages, buttons, rig.main.get());
        options.findChild<QLineEdit*>("txtUpdate1")->setText(QStringLiteral("Edited"));
        options.show();
        QVERIFY(!rig.Find<QCheckBox>("chkEdit")->isEnabled());

        for (const QWidget* window : std::initializer_list<const QWidget*>{rig.main.get(), view, &options}) {
            for (const auto& [widget, area] : TextAreas(window)) {
                const double contrast = PaintedContrast(widget, area);
                QVERIFY2(contrast >= kMinimumContrast,
                         qPrintable(QStringLiteral("%1 %2: %3 : 1")
                                        .arg(window->objectName(), widget->objectName())
                                        .arg(contrast)));
            }
            QWidgetList controls = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            controls.removeIf([](const QWidget* control) { return control->isWindow(); });
            for (const QWidget* control : controls) {
                const QString name = window->objectName() + ' ' + control->objectName();
                QVERIFY2(control->isHidden() || TextFits(control), qPrintable(name));
                QVERIFY2(window->rect().contains(control->geometry()), qPrintable(name));
                for (const QWidget* other : controls) {
                    QVERIFY2(other == control || other->isHidden() ||
                                 !other->geometry().intersects(control->geometry()),
                             qPrintable(name + " / " + other->objectName()));
                }
            }
        }
        QCOMPARE(rig.Find<QLineEdit>("txtTo")->palette().color(QPalette::Base), theme.color(QPalette::Base));
        QCOMPARE(rig.Find("cmdExit")->palette().color(QPalette::ButtonText),
                 theme.color(QPalette::ButtonText));
    }

    void placeOnScreen_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QPoint>("placed");
        const QRect laptop(0, 0, 1280, 870);
        const QRect beside(1280, 100, 400, 300);
        const QList<QRect> both{laptop, beside};
        QTest::newRow("inside: stays") << QRect(100, 200, 600, 300) << both << QPoint(100, 200);
        QTest::newRow("past the bottom: up") << QRect(100, 800, 600, 300) << both << QPoint(100, 570);
        QTest::newRow("past the left: right") << QRect(-50, 200, 600, 300) << both << QPoint(0, 200);
        QTest::newRow("wholly off above: down") << QRect(300, -2000, 600, 300) << both << QPoint(300, 0);
        QTest::newRow("centre on the other screen")
            << QRect(1300, 300, 200, 200) << both << QPoint(1300, 200);
        QTest::newRow("larger than it: its top left")
            << QRect(1500, 150, 610, 310) << both << QPoint(1280, 100);
        QTest::newRow("only taller: top, and moved left")
            << QRect(1600, 50, 200, 400) << both << QPoint(1480, 100);
        QTest::newRow("nearest to a centre off every screen")
            << QRect(1700, 600, 100, 100) << both << QPoint(1580, 300);
        QTest::newRow("no screen: stays") << QRect(-50, -60, 10, 10) << QList<QRect>{} << QPoint(-50, -60);
    }
    void placeOnScreen() {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, areas);
        QFETCH(QPoint, placed);
        QCOMPARE(PlaceOnScreen(frame, areas), QRect(placed, frame.size()));
    }

    // Whatever the stored position, each window opens inside the screen it
    // is nearest to, frame and all; on a screen too small for it, at its
    // top left.
    void windowsOpenInsideTheScreen_data() {
        QTest::addColumn<Stored>("stored");
        QTest::newRow("preview below the main window") << Stored{"view", "VIEW", 0, {0, 0}, 0};
        QTest::newRow("main past the bottom right") << Stored{"main", "MAIN", 0, {-100, -50}, 0};
        QTest::newRow("preview past the bottom") << Stored{"view", "VIEW", 0, {10, -60}, 0};
        QTest::newRow("preview moved below the main window") << Stored{"docked", "MAIN", 0, {0, -300}, 0};
        QTest::newRow("options past the right") << Stored{"options", "OPT", 0, {-300, 10}, 0};
        QTest::newRow("main wholly off above") << Stored{"main", "MAIN", 0, {-1500, -1500}, 0};
        QTest::newRow("main on the small screen") << Stored{"main", "MAIN", 1, {10, 10}, 1};
        QTest::newRow("preview right of the small screen") << Stored{"view", "VIEW", 1, {-1, 5}, 1};
    }
    void windowsOpenInsideTheScreen() {
        QFETCH(Stored, stored);
        QCOMPARE(QGuiApplication::screens().size(), 2);
        const QRect area = Area(stored.screen);
        const QPoint at((stored.offset.x() < 0 ? area.right() + 1 : area.left()) + stored.offset.x(),
                        (stored.offset.y() < 0 ? area.bottom() + 1 : area.top()) + stored.offset.y());
        const QString top = QString::number(at.y() * 15), left = QString::number(at.x() * 15);
        const QString position = QStringLiteral("%1TOP=%2\n%1LEFT=%3\n").arg(stored.key, top, left);
        Rig rig("[POSITION]\n" + (stored.offset == QPoint() ? "" : position.toStdString()));
        QRect frame;
        if (stored.window == "main") {
            QVERIFY(QTest::qWaitForWindowExposed(rig.main.get()));
            frame = rig.main->frameGeometry();
        } else if (stored.window != "options") {
            // Placed with the main window's frame before its own is known.
            frmView* view = rig.ShowPreview();
            if (stored.window == "docked") {
                QVERIFY(QTest::qWaitForWindowExposed(view));
                view->findChild<QPushButton*>("cmdSet")->click();
            }
            frame = view->frameGeometry();
        } else {
            QTimer::singleShot(0, [&frame] {
                QWidget* options = QApplication::activeModalWidget();
                if (QTest::qWaitForWindowExposed(options)) {
                    frame = options->frameGeometry();
                }
                options->close();
            });
            rig.Find("cmdSetOpt")->click();
        }
        // Inside the area, or at its top left where larger: as placed already.
        QVERIFY(frame.isValid());
        QCOMPARE(PlaceOnScreen(frame, {Area(stored.expected)}), frame);
    }
};

// The two screens are named on the command line, where the platform is
// named also on Windows: wine hands no QT_ variable to the program. The
// file's path is relative, as a drive's colon would end the platform's name.
int main(int argc, char** argv) {
    QTemporaryFile file(QStringLiteral("screens-XXXXXX.json"));
    if (!file.open() || file.write(R"({"screens": [{"name": "laptop", "width": 1280, "height": 900},
                                   {"name": "small", "x": 1280, "width": 400, "height": 240}]})") < 0 ||
        !file.flush()) {
        return 1;
    }
    QByteArray platform =
        "offscreen:configfile=" + QDir::current().relativeFilePath(file.fileName()).toLocal8Bit();
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::string_view(argv[i]) == "-platform" && i + 1 < argc) {
            ++i;  // replaced by the platform with the two screens
        } else {
            arguments.push_back(argv[i]);
        }
    }
    char platformOption[] = "-platform";
    arguments.insert(arguments.begin() + 1, {platformOption, platform.data()});
    int count = static_cast<int>(arguments.size());
    QApplication application(count, arguments.data());
    TestWindowLook test;
    return QTest::qExec(&test, count, arguments.data());
}

#include "test_window_look.moc"
