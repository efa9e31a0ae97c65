// Linked into a test build of the game only: once the main window shows, presses START as a
// player would and prints, on standard error, how long the cards stayed face up; then ends
// the program. So the real start-up, options and all, is measured from outside.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "host/qt/widgets.h"

namespace {

// Whether a visible card or place shows a face part, and whether one shows a card's back.
bool shows(const char* prefix) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (const auto* box : window->findChildren<poromea::qt::PictureBox*>()) {
            if (box->isVisible() && box->pictureName().startsWith(QLatin1String(prefix))) return true;
        }
    }
    return false;
}

void watch() {
    auto* poll = new QTimer(qApp);
    static QElapsedTimer clock;  // not started until START is pressed
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (!clock.isValid()) {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                for (auto* button : window->findChildren<QPushButton*>()) {
                    if (!button->isVisible() || button->text() != QLatin1String("START")) continue;
                    clock.start();
                    button->click();
                    if (!shows("part")) std::fprintf(stderr, "START dealt nothing\n");
                    return;
                }
            }
            return;
        }
        if (shows("part") || !shows("cover")) return;
        std::fprintf(stderr, "covered after %lld ms\n", static_cast<long long>(clock.elapsed()));
        poll->stop();
        QCoreApplication::exit(0);
    });
    poll->start(5);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watch)
