// What a screen reader is told of a window's controls, for the window tests.
#pragma once

#include <QAccessible>
#include <QMap>
#include <QWidget>

namespace tarnwick::testing {

inline QString AccessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// The names of the controls of `window` (not of the windows it owns) that
// can take the focus, by object name.
inline QMap<QString, QString> FocusableNames(QWidget* window) {
    QMap<QString, QString> names;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus && widget->window() == window) {
            names.insert(widget->objectName(), AccessibleName(widget));
        }
    }
    return names;
}

}  // namespace tarnwick::testing
