// The order in which Tab walks a window's controls, for the window tests.
#pragma once

#include <QStringList>
#include <QWidget>

namespace tarnwick::testing {

// The object names of the controls that Tab stops at, from `first` round to it.
inline QString TabOrder(QWidget* first) {
    QStringList names;
    QWidget* widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
            names << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    return names.join(QLatin1Char(' '));
}

}  // namespace tarnwick::testing
