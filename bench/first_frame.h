// Shared by both start-up probes: ends the program once a window has put its
// first frame on the screen, so the process's run time is the time to the
// first frame. Tearing the toolkit down is not start-up and is skipped.
#pragma once

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <cstdlib>

namespace poromea::bench {

class QuitAfterFirstFrame final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // The window is painted first, its children and the flush to the
            // screen follow in the same pass; the zero timer runs after them.
            QTimer::singleShot(0, qApp, [] {
                QGuiApplication::sync();  // the frame has reached the window system
                std::_Exit(EXIT_SUCCESS);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

}  // namespace poromea::bench
