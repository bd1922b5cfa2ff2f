#include "ui/ui_common.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMargins>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

#include "core/settings.h"
#include "core/text.h"
#include "ui/accessible.h"
#include "ui/colours.h"

namespace tarnwick {

namespace {

// The families of a fall-back list that are installed. Qt would skip the
// others too, but only after asking the font configuration for stand-ins
// for each, which costs more than the whole window.
QStringList InstalledFamilies(std::initializer_list<QString> families) {
    QStringList installed;
    for (const QString& family : families) {
        if (QFontDatabase::hasFamily(family)) {
            installed << family;
        }
    }
    return installed;
}

// A check mark in a disc, in the theme's selection colours, so that it
// stands out in any theme; drawn here, as looking up an icon theme or
// loading the SVG renderer would hold up the window's appearance.
QIcon LiveMarkIcon(const QWidget* button) {
    const int side = button->style()->pixelMetric(QStyle::PM_ButtonIconSize, nullptr, button);
    const qreal ratio = button->devicePixelRatioF();
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(button->palette().color(QPalette::Highlight));
    painter.drawEllipse(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
    painter.setPen(QPen(button->palette().color(QPalette::HighlightedText), side / 7.0, Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(
        QPolygonF{{side * 0.27, side * 0.52}, {side * 0.44, side * 0.70}, {side * 0.75, side * 0.32}});
    return QIcon(pixmap);
}

}  // namespace

int PositionToPixels(std::int16_t twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

std::int16_t PixelsToPosition(int pixels) {
    return ClampPosition(static_cast<long long>(pixels) * kTwipsPerPixel);
}

std::int16_t PixelsToPosition(int pixels, std::int16_t previous) {
    return PositionToPixels(previous) == pixels ? previous : PixelsToPosition(pixels);
}

QString FromLocal(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

std::string TrimmedText(const QLineEdit* box) {
    return std::string(TrimSpaces(ToLocal(box->text())));
}

bool FitsSystemCodePage(const QString& text) {
    return QString::fromLocal8Bit(text.toLocal8Bit()) == text;
}

QFont ProportionalFont(double pointSize, bool bold, bool italic) {
    static const QStringList families = InstalledFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP"),
         QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), QStringLiteral("DejaVu Sans")});
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont FixedFont(double pointSize) {
    static const QStringList families =
        InstalledFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                           QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                           QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(pointSize);
    return font;
}

void PlaceLabel(QLabel* label, int rightTwips, int topTwips, int heightTwips) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->adjustSize();
    const int width = label->width();
    const int height = std::max(Px(heightTwips), label->height());
    const int top = Px(topTwips) - (height - Px(heightTwips)) / 2;
    label->setGeometry(Px(rightTwips) - width, top, width, height);
}

void FitToText(QWidget* control, Qt::Alignment keep) {
    const QRect design = control->geometry();
    const QSize needed = control->sizeHint();
    const bool scrolls = qobject_cast<QLineEdit*>(control) != nullptr;
    const int width = scrolls ? design.width() : std::max(design.width(), needed.width());
    const int height = std::max(design.height(), needed.height());
    const int left = keep.testFlag(Qt::AlignRight) ? design.right() + 1 - width : design.left();
    control->setGeometry(left, design.top() - (height - design.height()) / 2, width, height);
}

void SetBackground(QWidget* widget, const QColor& colour) {
    // Labels and check boxes write in the window's text colour.
    SetFixedColours(widget, QPalette::Window, colour, QPalette::WindowText, Qt::black);
    // Buttons (check boxes among them) would fill with the Button role.
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

void ApplyWindowDesign(QWidget* window, const WindowDesign& design) {
    window->setObjectName(design.objectName);
    window->setWindowTitle(design.title);
    // Once shown the window has its real frame, which may not fit where
    // the one it was placed with did.
    WhenFirstPainted(window, [window, file = design.iconFile] {
        window->setWindowIcon(ResourceIcon(file));
        KeepOnScreen(window);
    });
    window->setFixedSize(Px(design.clientWidthTwips), Px(design.clientHeightTwips));
    SetBackground(window, design.background);
}

QLabel* AddNotice(QWidget* window, int rightTwips, int topTwips, int heightTwips) {
    auto* notice = new QLabel(QStringLiteral("Tarnwick " TARNWICK_VERSION), window);
    notice->setObjectName(QStringLiteral("Label3"));
    notice->setFont(ProportionalFont(9, false, true));
    notice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    notice->adjustSize();
    const int height = std::max(Px(heightTwips), notice->height());
    notice->setGeometry(Px(rightTwips) - notice->width(), Px(topTwips), notice->width(), height);
    return notice;
}

void SetSlotButtonText(QPushButton* button, int slot, std::string_view caption) {
    const QString whole = FromLocal(caption);
    const QString accessKey = FromLocal(ButtonText(slot, {}));
    button->setToolTip(whole);
    button->setAccessibleName(SlotName(slot, caption));
    button->setText(whole + accessKey);
    // The caption gives up what the text is too wide by, and again should
    // the ellipsis itself not fit.
    const QFontMetrics metrics(button->font());
    int room = metrics.horizontalAdvance(whole);
    for (int excess = button->sizeHint().width() - button->width(); excess > 0 && room > 0;
         excess = button->sizeHint().width() - button->width()) {
        room -= excess;
        button->setText(metrics.elidedText(whole, Qt::ElideRight, std::max(room, 0)) + accessKey);
    }
}

void MarkLiveButton(QPushButton* button, bool live) {
    button->setIcon(live ? LiveMarkIcon(button) : QIcon());
    QFont font = button->font();
    font.setBold(live);
    button->setFont(font);
    button->setAccessibleDescription(live ? QStringLiteral("live") : QString());
    SetLiveState(button, live);
}

void SetElidedText(QLabel* label, const QString& text) {
    label->setToolTip(text);
    label->setAccessibleName(text);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
}

namespace {

class FirstPaint final : public QObject {
public:
    FirstPaint(QWidget* widget, std::function<void()> action) : QObject(widget), action_(std::move(action)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            deleteLater();
            action_();
        }
        return false;
    }

private:
    std::function<void()> action_;
};

}  // namespace

void WhenFirstPainted(QWidget* widget, std::function<void()> action) {
    new FirstPaint(widget, std::move(action));
}

namespace {

// How far a point lies from a rectangle, squared; 0 inside it.
long long DistanceSquared(const QPoint& point, const QRect& area) {
    const long long dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
    const long long dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
    return dx * dx + dy * dy;
}

// The start of a span moved inside an area's span; a longer span starts
// where the area does.
int FitSpan(int start, int length, int areaStart, int areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

// The window frame around a shown window's client area.
QMargins FrameMargins(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace

QRect PlaceOnScreen(const QRect& frame, const QList<QRect>& areas) {
    if (areas.isEmpty()) {
        return frame;
    }
    const QPoint centre = frame.center();
    const QRect& area = *std::min_element(areas.begin(), areas.end(), [&](const QRect& a, const QRect& b) {
        return DistanceSquared(centre, a) < DistanceSquared(centre, b);
    });
    return {QPoint(FitSpan(frame.left(), frame.width(), area.left(), area.width()),
                   FitSpan(frame.top(), frame.height(), area.top(), area.height())),
            frame.size()};
}

void KeepOnScreen(QWidget* window) {
    QMargins margins = FrameMargins(window);
    const QWidget* owner = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    if (margins.isNull() && owner != nullptr) {
        margins = FrameMargins(owner);
    }
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas << screen->availableGeometry();
    }
    // pos() is where the frame starts, shown or not.
    window->move(PlaceOnScreen(QRect(window->pos(), window->size().grownBy(margins)), areas).topLeft());
}

}  // namespace tarnwick
