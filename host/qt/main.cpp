// Start-up: the main window, then the event loop until the last window closes.
#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"
#include "ui/interaction.h"
#include "ui/layout.h"
#include "ui/options.h"

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

// Qt reads its own options (-platform offscreen, -style=fusion, ...) from the
// command line itself, once the application object exists; the game reads the
// rest. Qt takes one dash or two, and a value after the name or after "=".
std::vector<std::string> gameArguments(int argc, char* argv[]) {
    static constexpr std::string_view kWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                      "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                                      "display", "geometry", "style", "stylesheet"};
    static constexpr std::string_view kAlone[] = {"reverse", "widgetcount", "qmljsdebugger"};
    std::vector<std::string> game;
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        if (name.starts_with("--")) {
            name.remove_prefix(2);
        } else if (name.starts_with('-')) {
            name.remove_prefix(1);
        } else {
            name = {};
        }
        const std::size_t equals = name.find('=');
        const bool valueJoined = equals != std::string_view::npos;
        name = name.substr(0, equals);
        if (std::ranges::find(kWithValue, name) != std::end(kWithValue)) {
            if (!valueJoined) ++i;  // the value is Qt's too
            continue;
        }
        if (std::ranges::find(kAlone, name) != std::end(kAlone)) continue;
        game.emplace_back(argv[i]);
    }
    return game;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The options first: --help and --version need no display.
    const poromea::ui::Options options = poromea::ui::readOptions(gameArguments(argc, argv));
    if (options.action != poromea::ui::Options::Action::Play) {
        if (options.status == 0) {
            std::printf("%s\n", options.text.c_str());
        } else {
            std::fprintf(stderr, "poromea: %s\n", options.text.c_str());
        }
        return options.status;
    }

    qInstallMessageHandler(onStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    app.setApplicationName(QStringLiteral("poromea"));
    app.setApplicationDisplayName(poromea::qt::toQString(poromea::ui::kForm1.caption));
    QGuiApplication::setDesktopFileName(QStringLiteral(POROMEA_APP_ID));
    try {
        poromea::qt::PictureLibrary pictures;
        poromea::qt::QtHost host(pictures, options.memoriseMs);
        host.showForm1();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, poromea::qt::toQString(poromea::ui::kForm1.caption),
                              QString::fromStdString(poromea::ui::startFailureMessage(e.what())));
        return EXIT_FAILURE;
    }
}
