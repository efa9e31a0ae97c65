// Start-up probe: the game's real main window, built and shown exactly as
// app/main.cpp does, ended after its first frame.
#include <QApplication>

#include "first_frame.h"
#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("poromea"));
    app.setApplicationDisplayName(QStringLiteral("ポロメア"));
    poromea::qt::PictureLibrary pictures;
    poromea::qt::QtHost host(pictures);
    poromea::bench::QuitAfterFirstFrame quit;
    host.form1()->installEventFilter(&quit);
    host.showForm1();
    return app.exec();
}
