// Start-up probe for the floor: an empty window of the game's size on the same
// toolkit, ended after its first frame.
#include <QApplication>
#include <QWidget>

#include "first_frame.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(663, 433);  // the main window's client area
    poromea::bench::QuitAfterFirstFrame quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
