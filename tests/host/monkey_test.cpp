// Thousands of random real input events on the real windows: clicks and drags
// anywhere with any button, keys, bursts on the buttons, timer ticks, message
// boxes answered in every way, the congratulation window closed and moved.
// After every event the windows must still show a consistent game.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <random>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace poromea::qt {
namespace {

const QStringList kParts{"part0", "part1", "part2", "part3", "part4", "part5"};
const QStringList kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};

class Monkey {
public:
    explicit Monkey(std::uint32_t seed) : rng_(seed), host_(pictures_) {
        host_.setFatalHandler([this](const QString& m) { failures_ << "fatal: " + m; });
        host_.showForm1();
        window_ = host_.form1()->windowHandle();
        outline_ = host_.form1()->findChild<DragOutline*>();
        for (const QString& p : kParts + kCovers) known_ << p;
        known_ << "empty" << "face" << "title" << "banner";
        answerer_.rng = &rng_;
        qApp->installEventFilter(&answerer_);
    }
    ~Monkey() { qApp->removeEventFilter(&answerer_); }

    // Runs `events` random events; returns the failures seen (empty when all is well).
    QStringList run(int events) {
        for (step_ = 0; step_ < events && failures_.isEmpty(); ++step_) {
            act();
            verify();
        }
        return failures_;
    }
    int boxes() const { return answerer_.answered; }
    int congratulations = 0;

private:
    // Answers each message box in one of the ways a player could.
    struct Answerer : QObject {
        std::mt19937* rng = nullptr;
        int answered = 0;
        bool eventFilter(QObject* o, QEvent* e) override {
            auto* box = qobject_cast<QMessageBox*>(o);
            if (!box || e->type() != QEvent::Show) return false;
            const int how = static_cast<int>((*rng)() % 3);
            QTimer::singleShot(0, box, [this, box, how] {
                ++answered;
                if (how == 0) box->button(QMessageBox::Ok)->click();
                if (how == 1) QTest::keyClick(box, Qt::Key_Return);
                if (how == 2) QTest::keyClick(box, Qt::Key_Escape);
            });
            return false;
        }
    };

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    Qt::MouseButton button() {
        static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        return buttons[pick(3)];
    }
    QPoint anywhere() { return {pick(host_.form1()->width()), pick(host_.form1()->height())}; }
    QPoint inside(QWidget* w) { return w->geometry().topLeft() + QPoint(pick(w->width()), pick(w->height())); }
    QWidget* control(std::string_view name) const { return host_.form1Controls().control(name); }

    void act() {
        const int r = pick(100);
        if (r < 20) {  // a click anywhere
            QTest::mouseClick(window_, button(), {}, anywhere());
        } else if (r < 55) {  // a drag, mostly from a card, mostly onto a slot
            const Qt::MouseButton b = button();
            QPoint from = pick(4) ? inside(host_.imageControl(Imgx(pick(kParts.size())))) : anywhere();
            QPoint to = pick(4) ? inside(host_.imageControl(Slot(pick(kParts.size())))) : anywhere();
            QTest::mousePress(window_, b, {}, from);
            for (int i = 1; i <= 3; ++i) QTest::mouseMove(window_, from + (to - from) * i / 3);
            if (pick(10) == 0) QTest::keyClick(window_, pick(2) ? Qt::Key_Escape : Qt::Key_Space);
            QTest::mouseRelease(window_, b, {}, to);
        } else if (r < 65) {
            static const Qt::Key keys[] = {Qt::Key_Tab,  Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape,
                                           Qt::Key_1,    Qt::Key_4,     Qt::Key_6,      Qt::Key_Left,
                                           Qt::Key_Down, Qt::Key_Right};
            QTest::keyClick(window_, keys[pick(std::size(keys))]);
        } else if (r < 72) {  // START, once or in a burst
            for (int n = pick(3); n >= 0; --n) QTest::mouseClick(control("Command1"), Qt::LeftButton);
            faceUp_ = row(ImageArray::Imgx);
        } else if (r < 76) {  // a player who remembered well
            for (int part = 0; part < kParts.size() && faceUp_.contains(kParts[part]); ++part) {
                const QPoint from = inside(host_.imageControl(Imgx(faceUp_.indexOf(kParts[part]))));
                const QPoint to = inside(host_.imageControl(Slot(part)));
                QTest::mousePress(window_, Qt::LeftButton, {}, from);
                QTest::mouseMove(window_, to);
                QTest::mouseRelease(window_, Qt::LeftButton, {}, to);
            }
        } else if (r < 80) {
            check();
        } else if (r < 95) {  // the memorise time ends
            if (host_.timer1().isActive()) {
                host_.timer1().start(1);
                if (!QTest::qWaitFor([&] { return !host_.timer1().isActive(); }, 1000)) fail("timer never ticked");
            }
        } else if (QWidget* form2 = host_.form2(); form2 && form2->isVisible()) {
            if (pick(2)) {
                form2->close();
            } else {
                form2->move(anywhere());
            }
        }
    }

    void check() {
        const bool wasOpen = host_.form2() && host_.form2()->isVisible();
        const int boxesBefore = answerer_.answered;
        for (int n = pick(2); n >= 0; --n) QTest::mouseClick(control("Command2"), Qt::LeftButton);
        const bool whole = slotRow() == kParts;
        const bool opened = host_.form2() && host_.form2()->isVisible() && !wasOpen;
        if (whole) {
            ++congratulations;
            if (answerer_.answered != boxesBefore) fail("a whole face was called wrong");
            if (!host_.form2() || !host_.form2()->isVisible()) fail("a whole face opened no window");
        } else {
            if (opened) fail("a wrong face opened the congratulations");
            if (answerer_.answered == boxesBefore) fail("a wrong face went unanswered");
        }
    }

    QStringList row(ImageArray a) const {
        QStringList out;
        for (int i = 0; i < kParts.size(); ++i) out << host_.imageControl({a, static_cast<std::int16_t>(i)})->pictureName();
        return out;
    }
    QStringList slotRow() const { return row(ImageArray::Slot); }

    void verify() {
        std::vector<PictureBox*> slotBoxes;
        for (int k = 0; k < kParts.size(); ++k) slotBoxes.push_back(host_.imageControl(Slot(k)));
        for (PictureBox* box : host_.form1()->findChildren<PictureBox*>()) {
            if (!known_.contains(box->pictureName())) fail("an image control shows " + box->pictureName());
        }
        QStringList cards = row(ImageArray::Imgx);
        QStringList sorted = cards;
        sorted.sort();
        if (cards != kCovers && sorted != kParts) fail("cards show " + cards.join(','));
        for (const QString& s : slotRow()) {
            if (s != "empty" && !kCovers.contains(s) && !kParts.contains(s)) fail("a slot shows " + s);
        }
        int congratulationWindows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowTitle() == QStringLiteral("おめでとう !!")) ++congratulationWindows;
        }
        if (congratulationWindows > 1) fail("two congratulation windows");
        // Only a card held by the keyboard keeps its outline, and that stands on a slot.
        if (outline_->isVisible() && !std::any_of(slotBoxes.begin(), slotBoxes.end(), [&](PictureBox* s) {
                return s->geometry() == outline_->geometry();
            })) {
            fail("a drag outlived its release");
        }
        if (!host_.form1()->isVisible()) fail("the main window went away");
        if (QApplication::activeModalWidget()) fail("a message box stayed open");
    }

    void fail(const QString& what) { failures_ << QStringLiteral("step %1: %2").arg(step_).arg(what); }

    std::mt19937 rng_;
    PictureLibrary pictures_;
    QtHost host_;
    QWindow* window_ = nullptr;
    DragOutline* outline_ = nullptr;
    Answerer answerer_;
    QSet<QString> known_;
    QStringList failures_;
    QStringList faceUp_;  // what the cards showed after the last START
    int step_ = 0;
};

TEST(Monkey, FiveThousandRandomEventsOnTheRealWindows) {
    int boxes = 0, congratulations = 0;
    for (std::uint32_t seed : {7u, 8u}) {
        Monkey monkey(seed);
        const QStringList failures = monkey.run(2500);
        ASSERT_TRUE(failures.isEmpty()) << "seed " << seed << ": " << failures.join('\n').toStdString();
        boxes += monkey.boxes();
        congratulations += monkey.congratulations;
    }
    std::printf("events 5000, message boxes answered %d, whole faces %d\n", boxes, congratulations);
    EXPECT_GT(boxes, 50) << "the run must reach the wrong-answer box often";
    EXPECT_GT(congratulations, 5) << "and the congratulations now and then";
}

}  // namespace
}  // namespace poromea::qt
