// What the three windows share: twips, text conversion, fonts, the notice
// line, and the services a window works through.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/services.h"
#include "core/startup.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tarnwick {

// The services of the windows: the core's, plus dialogs and ending.
struct WindowServices {
    Services& core;
    FileDialogs& dialogs;
    ProgramControl& program;
};

inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}
inline QRect TwipsRect(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}
// Twips to logical pixels and back for window positions (16-bit twips).
int PositionToPixels(std::int16_t twips);
std::int16_t PixelsToPosition(int pixels);
// The position of a window now at `pixels` whose last known position was
// `previous`: kept when the window has not moved off that pixel, so a stored
// position that is not a whole number of pixels survives a save unchanged.
std::int16_t PixelsToPosition(int pixels, std::int16_t previous);

// Texts inside the program are bytes in the system code page.
QString FromLocal(std::string_view text);
std::string ToLocal(const QString& text);
// Whether a text comes back unchanged from the system code page.
bool FitsSystemCodePage(const QString& text);
// The text of a path box as the program keeps it: trimmed of spaces.
std::string TrimmedText(const QLineEdit* box);

// The windows' fonts: the design's face first, then Japanese-capable and
// generic fall-backs.
QFont ProportionalFont(double pointSize, bool bold = false, bool italic = false);
QFont FixedFont(double pointSize);

// A label sized to its text, right-aligned with its right edge at rightTwips
// and centred on the designed box when its text is taller than the box.
void PlaceLabel(QLabel* label, int rightTwips, int topTwips, int heightTwips);

// Grows a control to the room its text needs (its size hint), never below
// its designed size; a line box scrolls sideways, so it only grows taller.
// It keeps its left edge, or its right edge with Qt::AlignRight, and stays
// centred on its designed height.
void FitToText(QWidget* control, Qt::Alignment keep = Qt::AlignLeft);

// An icon of the program's resources, named by its SVG source, such as
// "envelope.svg".
QIcon ResourceIcon(const QString& fileName);

// Sets a widget's background colour, with black text on it (made readable
// as SetFixedColours does).
void SetBackground(QWidget* widget, const QColor& colour);

// The title-bar hints of every window: a close box only, and no resizing.
inline constexpr Qt::WindowFlags kFixedWindowHints = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                     Qt::MSWindowsFixedSizeDialogHint;

// What sets a window of the program apart from the others.
struct WindowDesign {
    QString objectName;
    QString title;
    QString iconFile;  // as for ResourceIcon
    int clientWidthTwips;
    int clientHeightTwips;
    QColor background;
};

// Names, titles, sizes and colours a window as designed. The icon follows
// once the window is first painted: drawing an SVG icon in every size the
// window system asks for would hold up the window's appearance.
void ApplyWindowDesign(QWidget* window, const WindowDesign& design);

// Runs `action` once, when the widget is first painted, which is after the
// window system has shown it.
void WhenFirstPainted(QWidget* widget, std::function<void()> action);

// The one-line notice (program name and version) shared by all windows:
// right-aligned with its right edge at rightTwips, sized to its text.
QLabel* AddNotice(QWidget* window, int rightTwips, int topTwips, int heightTwips);

// A slot button's text: the caption and its access key (ButtonText). A
// caption too long for the button loses its end to an ellipsis, so that its
// start and the " (3)" stay in sight; the tooltip holds the whole caption,
// and so does the name a screen reader reads (SlotName).
void SetSlotButtonText(QPushButton* button, int slot, std::string_view caption);

// Marks the button of the slot the tail file holds: a check-mark icon in the
// theme's selection colours and bold text, which read at a glance in every
// colour theme, high-contrast ones included. Set the text
// again afterwards: the mark takes room from it. A screen reader hears the
// mark as the checked state (ExposeLiveState) and the description "live".
void MarkLiveButton(QPushButton* button, bool live);

// Sets a label's text, cut in the middle where it is too long for the label;
// the tooltip and the name a screen reader reads hold the whole text.
void SetElidedText(QLabel* label, const QString& text);

// Where a window's frame goes: inside the available area that is nearest
// its centre (the one it opens on), moved no further than it must; a frame
// larger than that area starts at the area's top left.
QRect PlaceOnScreen(const QRect& frame, const QList<QRect>& areas);

// Moves a window to where PlaceOnScreen puts it. A window not yet shown has
// no frame, so it is reckoned with the frame of the window that owns it.
void KeepOnScreen(QWidget* window);

}  // namespace tarnwick
