// A second yardstick for the main window's start-up: the empty window of
// empty_window.cpp with one line of text on it. Text needs the font
// configuration and the first font read, and the first text set wakes the
// accessibility bridge: costs that every window with words pays before it
// is mapped, and the empty window never does.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(610, 276);
    QLabel label(QStringLiteral("Tarnwick"), &window);
    window.show();
    return QApplication::exec();
}
