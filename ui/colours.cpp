#include "ui/colours.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

// One sRGB channel (0..255) in linear light.
double LinearChannel(int value) {
    const double channel = value / 255.0;
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// `from` moved `step` 255ths of the way to `to`.
QColor Mix(const QColor& from, const QColor& to, int step) {
    const auto channel = [step](int a, int b) { return a + (b - a) * step / 255; };
    return {channel(from.red(), to.red()), channel(from.green(), to.green()),
            channel(from.blue(), to.blue())};
}

}  // namespace

double RelativeLuminance(const QColor& colour) {
    return 0.2126 * LinearChannel(colour.red()) + 0.7152 * LinearChannel(colour.green()) +
           0.0722 * LinearChannel(colour.blue());
}

double ContrastRatio(const QColor& first, const QColor& second) {
    // The initializer-list form returns values: the two-argument one would
    // return references to the temporaries.
    const auto [darker, lighter] = std::minmax({RelativeLuminance(first), RelativeLuminance(second)});
    return (lighter + 0.05) / (darker + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background) {
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor& extreme =
        ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
    // Black or white reaches 4.5 : 1 on any colour, so the search ends.
    for (int step = 0; step < 255; ++step) {
        const QColor candidate = Mix(wanted, extreme, step);
        if (ContrastRatio(candidate, background) >= kMinimumContrast) {
            return candidate;
        }
    }
    return extreme;
}

void SetFixedColours(QWidget* widget, QPalette::ColorRole backgroundRole, const QColor& background,
                     QPalette::ColorRole textRole, const QColor& text) {
    const QColor readable = ReadableOn(text, background);
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, backgroundRole, background);
        palette.setColor(group, textRole, readable);
    }
    palette.setColor(QPalette::Disabled, textRole, ReadableOn(Mix(readable, background, 128), background));
    widget->setPalette(palette);
}

}  // namespace tarnwick
