// Linked into test builds of the game only: answers every message box as soon as it shows and
// prints what it said (on standard error, unbuffered), so the real start-up runs unattended.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace {

struct Answerer : QObject {
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

void install() { qApp->installEventFilter(new Answerer); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
