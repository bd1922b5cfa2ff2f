// The icons as SVG, drawn by Qt SVG at every size.
#include <QIcon>
#include <QString>

#include "ui/ui_common.h"

// The resources sit in a static library, whose registration is not linked in
// unless something names it; this must be outside any namespace.
static void InitUiResources() {
    Q_INIT_RESOURCE(resources);
}

namespace tarnwick {

QIcon ResourceIcon(const QString& fileName) {
    static const bool registered = (InitUiResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/icons/") + fileName);
}

}  // namespace tarnwick
