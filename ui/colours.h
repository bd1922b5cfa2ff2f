// Text colours that stay readable on the fixed background colours of the
// windows, whatever colours the desktop's theme brings.
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace tarnwick {

// The least contrast a text may have against what is behind it.
inline constexpr double kMinimumContrast = 4.5;

// Relative luminance of an sRGB colour: 0 for black, 1 for white.
double RelativeLuminance(const QColor& colour);

// The contrast ratio of two colours, from 1 (alike) to 21 (black and white).
double ContrastRatio(const QColor& first, const QColor& second);

// `wanted` where it has kMinimumContrast against `background`; otherwise
// `wanted` mixed just far enough towards black or white, whichever the
// background sets off better, so it keeps its hue.
QColor ReadableOn(const QColor& wanted, const QColor& background);

// Gives `widget` a fixed `background` in the `backgroundRole` and the text
// colour `text` (made readable on it) in the `textRole`, in every colour
// group: a theme's own text colour never lands on a colour of the program.
// Disabled text is a paler, still readable shade of the text colour.
void SetFixedColours(QWidget* widget, QPalette::ColorRole backgroundRole, const QColor& background,
                     QPalette::ColorRole textRole, const QColor& text);

}  // namespace tarnwick
