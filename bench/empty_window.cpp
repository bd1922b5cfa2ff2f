// The yardstick for the main window's start-up: a minimal Qt Widgets program
// that shows one empty window of the main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(610, 276);
    window.show();
    return QApplication::exec();
}
