// The icons where Qt has no SVG support: the build draws each SVG as a PNG
// in every size a window or task bar asks for, and Qt picks the nearest.
#include <QIcon>
#include <QSize>
#include <QString>
#include <array>

#include "ui/ui_common.h"

static void InitUiResources() {
    Q_INIT_RESOURCE(icons_png);
}

namespace tarnwick {

namespace {

constexpr std::array kIconSides = {TARNWICK_ICON_SIDES};

}  // namespace

QIcon ResourceIcon(const QString& fileName) {
    static const bool registered = (InitUiResources(), true);
    (void)registered;
    QString base = fileName;
    base.chop(static_cast<qsizetype>(sizeof(".svg") - 1));
    QIcon icon;
    for (const int side : kIconSides) {
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(base).arg(side), QSize(side, side));
    }
    return icon;
}

}  // namespace tarnwick
