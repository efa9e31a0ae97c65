// Start-up: the main window, then the event loop until the last window closes.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace {

// Until the application object exists, Qt's messages are about reaching the
// display. Qt ends the process with abort() when it cannot; instead say why in
// one line and leave with an ordinary failure status.
QString lastStartupWarning;

void onStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        if (type != QtDebugMsg && type != QtInfoMsg) lastStartupWarning = message.section(u'\n', 0, 0);
        return;
    }
    const QString why = lastStartupWarning.isEmpty() ? message.section(u'\n', 0, 0) : lastStartupWarning;
    std::fprintf(stderr, "poromea: 画面に接続できません（%s）\n", qPrintable(why));
    std::_Exit(EXIT_FAILURE);
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(onStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    app.setApplicationName(QStringLiteral("poromea"));
    app.setApplicationDisplayName(QStringLiteral("ポロメア"));
    QGuiApplication::setDesktopFileName(QStringLiteral(POROMEA_APP_ID));
    try {
        poromea::qt::PictureLibrary pictures;
        poromea::qt::QtHost host(pictures);
        host.showForm1();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("ポロメア"),
                              QStringLiteral("ゲームを開始できません。\n%1").arg(QString::fromUtf8(e.what())));
        return EXIT_FAILURE;
    }
}
