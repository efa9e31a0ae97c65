// Linked into test builds of the game only, so that the real start-up, options and all, runs unattended and is measured
// from outside. Every message box is answered as it shows, what it said printed on standard error. Once the main window
// shows, START is pressed as a player would, and how long the cards stayed face up is printed; then the program ends.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "host/qt/widgets.h"

namespace {

struct Answerer : QObject {
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show) {
            std::fprintf(stderr, "message box: %s | %s\n", qPrintable(box->windowTitle()),
                         qPrintable(box->text().replace(u'\n', u' ')));
            QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
        }
        return false;
    }
};

// Whether a visible card shows a picture whose name starts with `prefix`.
bool shows(const char* prefix) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (const auto* box : window->findChildren<poromea::qt::PictureBox*>()) {
            if (box->isVisible() && box->pictureName().startsWith(QLatin1String(prefix))) return true;
        }
    }
    return false;
}

void watch() {
    qApp->installEventFilter(new Answerer(qApp));
    auto* poll = new QTimer(qApp);
    static QElapsedTimer clock;  // started as START is pressed
    QObject::connect(poll, &QTimer::timeout, [poll] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* start = window->findChild<QPushButton*>(QStringLiteral("Command1"));
            if (clock.isValid() || !start || !start->isVisible()) continue;
            clock.start();
            start->click();
            if (!shows("part")) std::fprintf(stderr, "START dealt nothing\n");
        }
        if (!clock.isValid() || shows("part") || !shows("cover")) return;
        std::fprintf(stderr, "covered after %lld ms\n", static_cast<long long>(clock.elapsed()));
        poll->stop();
        QCoreApplication::exit(0);
    });
    poll->start(5);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watch)
