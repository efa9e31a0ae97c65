// Start-up: the main window, then the event loop until the last window closes.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"
#include "ui/access.h"

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
    // The options first: --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("ポロメア: 顔の部品を覚えて並べるゲーム"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("この説明を表示します。"));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("版を表示します。"));
    const QCommandLineOption memorise(QStringLiteral("memorise"),
                                      QStringLiteral("カードを覚える時間（5〜600 秒、既定 5 秒）。"),
                                      QStringLiteral("秒"), QStringLiteral("5"));
    options.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);  // -platform, as Qt writes it
    options.addOptions({help, version, memorise});
    // Qt's own options (-platform, -style, ...) are Qt's to read.
    const QStringList qtOptions{"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                                "qwindowgeometry", "qwindowicon", "qwindowtitle", "reverse", "session", "display",
                                "geometry", "style", "stylesheet", "widgetcount"};
    const bool parsed = options.parse(arguments);
    for (const QString& unknown : options.unknownOptionNames()) {
        if (!qtOptions.contains(unknown)) {
            std::fprintf(stderr, "poromea: %s\n", qPrintable(options.errorText()));
            return 2;
        }
    }
    if (!parsed && options.unknownOptionNames().isEmpty()) {
        std::fprintf(stderr, "poromea: %s\n", qPrintable(options.errorText()));
        return 2;
    }
    if (options.isSet(help)) {
        std::printf("使い方: poromea [--memorise=秒]\n\n%s\n\n"
                    "  --memorise=秒  %s\n  --version     %s\n  -h, --help    %s\n",
                    qPrintable(options.applicationDescription()), qPrintable(memorise.description()),
                    qPrintable(version.description()), qPrintable(help.description()));
        return 0;
    }
    if (options.isSet(version)) {
        std::printf("poromea %s\n", POROMEA_VERSION);
        return 0;
    }
    const auto memoriseMs = poromea::ui::memoriseMs(options.value(memorise).toStdString());
    if (!memoriseMs) {
        std::fprintf(stderr, "poromea: %.*s\n", static_cast<int>(poromea::ui::kMemoriseError.size()),
                     poromea::ui::kMemoriseError.data());
        return 2;
    }

    qInstallMessageHandler(onStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    app.setApplicationName(QStringLiteral("poromea"));
    app.setApplicationDisplayName(QStringLiteral("ポロメア"));
    QGuiApplication::setDesktopFileName(QStringLiteral(POROMEA_APP_ID));
    try {
        poromea::qt::PictureLibrary pictures;
        poromea::qt::QtHost host(pictures, *memoriseMs);
        host.showForm1();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("ポロメア"),
                              QStringLiteral("ゲームを開始できません。\n%1").arg(QString::fromUtf8(e.what())));
        return EXIT_FAILURE;
    }
}
