// Thousands of random real input events on the real windows: clicks and drags
// anywhere with any button, the game's keys, bursts on the buttons, timer
// ticks, message boxes answered in every way, the congratulation window closed
// and moved. After every event the windows must still show a consistent game.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <random>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace poromea::qt {
namespace {

const QStringList kParts{"part0", "part1", "part2", "part3", "part4", "part5"};
const QStringList kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};

class Monkey final : public QObject {
public:
    explicit Monkey(std::uint32_t seed) : rng_(seed), host_(pictures_) {
        host_.setFatalHandler([this](const QString& m) { fail("fatal: " + m); });
        host_.showForm1();
        window_ = host_.form1()->windowHandle();
        qApp->installEventFilter(this);
    }
    ~Monkey() override { qApp->removeEventFilter(this); }

    QStringList run(int events) {
        for (step_ = 0; step_ < events && failures_.isEmpty(); ++step_) {
            act();
            verify();
        }
        return failures_;
    }
    int boxes = 0, congratulations = 0;

private:
    // Answers each message box in one of the ways a player could.
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* box = qobject_cast<QMessageBox*>(o);
        if (!box || e->type() != QEvent::Show) return false;
        QTimer::singleShot(0, box, [this, box, how = pick(3)] {
            ++boxes;
            if (how == 0) box->button(QMessageBox::Ok)->click();
            else QTest::keyClick(box, how == 1 ? Qt::Key_Return : Qt::Key_Escape);
        });
        return false;
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    QPoint anywhere() { return {pick(host_.form1()->width()), pick(host_.form1()->height())}; }
    QPoint inside(QWidget* w) { return w->geometry().topLeft() + QPoint(pick(w->width()), pick(w->height())); }
    QPoint inside(ImageArray a, int i) { return inside(host_.imageControl({a, static_cast<std::int16_t>(i)})); }
    QStringList row(ImageArray a) const {
        QStringList out;
        for (int i = 0; i < kParts.size(); ++i) out << host_.imageControl({a, static_cast<std::int16_t>(i)})->pictureName();
        return out;
    }
    void drag(Qt::MouseButton b, QPoint from, QPoint to, int steps) {
        QTest::mousePress(window_, b, {}, from);
        for (int i = 1; i <= steps; ++i) QTest::mouseMove(window_, from + (to - from) * i / steps);
        if (pick(10) == 0) QTest::keyClick(window_, pick(2) ? Qt::Key_Escape : Qt::Key_Space);
        QTest::mouseRelease(window_, b, {}, to);
    }

    void act() {
        static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        static const Qt::Key keys[] = {Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape, Qt::Key_1,
                                       Qt::Key_4,   Qt::Key_6,     Qt::Key_Left,   Qt::Key_Down,   Qt::Key_Right};
        const int r = pick(100);
        if (r < 20) {
            QTest::mouseClick(window_, buttons[pick(3)], {}, anywhere());
        } else if (r < 55) {  // mostly from a card onto a slot
            drag(buttons[pick(3)], pick(4) ? inside(ImageArray::Imgx, pick(6)) : anywhere(),
                 pick(4) ? inside(ImageArray::Slot, pick(6)) : anywhere(), 3);
        } else if (r < 65) {
            QTest::keyClick(window_, keys[pick(std::size(keys))]);
        } else if (r < 72) {  // START, once or in a burst
            for (int n = pick(3); n >= 0; --n) QTest::mouseClick(host_.form1Controls().control("Command1"), Qt::LeftButton);
            faceUp_ = row(ImageArray::Imgx);
        } else if (r < 76) {  // a player who remembered well
            for (int part = 0; part < kParts.size() && faceUp_.contains(kParts[part]); ++part) {
                drag(Qt::LeftButton, inside(ImageArray::Imgx, faceUp_.indexOf(kParts[part])), inside(ImageArray::Slot, part), 1);
            }
        } else if (r < 80) {
            check();
        } else if (r < 95) {  // the memorise time ends
            if (!host_.timer1().isActive()) return;
            host_.timer1().start(1);
            if (!QTest::qWaitFor([&] { return !host_.timer1().isActive(); }, 1000)) fail("timer never ticked");
        } else if (QWidget* form2 = host_.form2(); form2 && form2->isVisible()) {
            pick(2) ? form2->close() : (form2->move(anywhere()), true);
        }
    }

    void check() {
        const bool wasOpen = host_.form2() && host_.form2()->isVisible();
        const int boxesBefore = boxes;
        for (int n = pick(2); n >= 0; --n) QTest::mouseClick(host_.form1Controls().control("Command2"), Qt::LeftButton);
        const bool open = host_.form2() && host_.form2()->isVisible();
        if (row(ImageArray::Slot) == kParts) {
            ++congratulations;
            if (boxes != boxesBefore || !open) fail("a whole face was not congratulated");
        } else if ((open && !wasOpen) || boxes == boxesBefore) {
            fail("a wrong face was not called wrong");
        }
    }

    void verify() {
        QStringList sorted = row(ImageArray::Imgx);
        sorted.sort();
        if (row(ImageArray::Imgx) != kCovers && sorted != kParts) fail("cards show " + row(ImageArray::Imgx).join(','));
        for (const QString& s : row(ImageArray::Slot)) {
            if (s != "empty" && !kCovers.contains(s) && !kParts.contains(s)) fail("a slot shows " + s);
        }
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) windows += w->windowTitle() == QStringLiteral("おめでとう !!");
        if (windows > 1) fail("two congratulation windows");
        // Only a card held by the keyboard keeps its outline, and that stands on a slot.
        const QWidget* outline = host_.form1()->findChild<DragOutline*>();
        bool onSlot = false;
        for (int k = 0; k < kParts.size(); ++k) onSlot |= outline->geometry() == host_.imageControl(Slot(k))->geometry();
        if (outline->isVisible() && !onSlot) fail("a drag outlived its release");
        if (QApplication::activeModalWidget()) fail("a message box stayed open");
    }

    void fail(const QString& what) { failures_ << QStringLiteral("step %1: %2").arg(step_).arg(what); }

    std::mt19937 rng_;
    PictureLibrary pictures_;
    QtHost host_;
    QWindow* window_ = nullptr;
    QStringList failures_, faceUp_;
    int step_ = 0;
};

TEST(Monkey, FiveThousandRandomEventsOnTheRealWindows) {
    int boxes = 0, congratulations = 0;
    for (std::uint32_t seed : {7u, 8u}) {
        Monkey monkey(seed);
        const QStringList failures = monkey.run(2500);
        ASSERT_TRUE(failures.isEmpty()) << "seed " << seed << ": " << failures.join('\n').toStdString();
        boxes += monkey.boxes;
        congratulations += monkey.congratulations;
    }
    std::printf("events 5000, message boxes answered %d, whole faces %d\n", boxes, congratulations);
    EXPECT_GT(boxes, 50) << "the run must reach the wrong-answer box often";
    EXPECT_GT(congratulations, 5) << "and the congratulations now and then";
}

}  // namespace
}  // namespace poromea::qt
