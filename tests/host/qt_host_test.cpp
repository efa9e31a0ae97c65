// The real windows driven by real mouse and keyboard events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace poromea::qt {
namespace {

QStringList names(const QtHost& host, ImageArray array) {
    QStringList out;
    for (int i = 0; i < kParts; ++i) out << host.imageControl({array, static_cast<std::int16_t>(i)})->pictureName();
    return out;
}

const QStringList kCovered{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};
const QStringList kEmpty(kParts, "empty");

// Closes the next modal box once it is up and remembers what it said.
struct ModalCloser {
    QString title, text;
    bool hadIcon = false;
    int buttons = 0;
    void arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            hadIcon = box->icon() != QMessageBox::NoIcon;
            buttons = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
    }
};

class Windows : public ::testing::Test {
protected:
    virtual QString pictureDirectory() { return QStringLiteral(":/pictures"); }

    void SetUp() override {
        pictures = std::make_unique<PictureLibrary>(pictureDirectory());
        host = std::make_unique<QtHost>(*pictures);
        host->setFatalHandler([this](const QString& m) { fatal << m; });
        host->showForm1();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host->form1()));
    }

    QWidget* control(std::string_view name, int index = -1) const {
        return host->form1Controls().control(name, index);
    }
    PictureBox* card(int i) const { return host->imageControl(Imgx(i)); }
    PictureBox* slot(int k) const { return host->imageControl(Slot(k)); }
    void click(std::string_view button) { QTest::mouseClick(control(button), Qt::LeftButton); }

    // START, then let the real timer tick (shortened, the only seam).
    QStringList deal() {
        click("Command1");
        const QStringList faceUp = names(*host, ImageArray::Imgx);
        EXPECT_EQ(host->timer1().interval(), 5000);
        host->timer1().start(1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return names(*host, ImageArray::Imgx) == kCovered; }));
        return faceUp;
    }
    // Press on a card, move with the button held, release over `target`.
    void drag(int cardIndex, QWidget* target, QPoint at = {25, 25},
              Qt::MouseButton button = Qt::LeftButton) {
        PictureBox* c = card(cardIndex);
        QTest::mousePress(c, button, {}, {12, 30});
        const QPoint global = target->mapToGlobal(at);
        const QPoint local = c->mapFromGlobal(global);
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, button, {});
        QApplication::sendEvent(c, &move);
        QTest::mouseRelease(c, button, {}, local);
    }
    void placeAll(const QStringList& faceUp, const std::array<int, kParts>& slotOfPart = {0, 1, 2, 3, 4, 5}) {
        for (int part = 0; part < kParts; ++part) {
            drag(faceUp.indexOf(QStringLiteral("part%1").arg(part)), slot(slotOfPart[part]));
        }
    }
    void checkExpectingMessage(ModalCloser& closer) {
        closer.arm();
        click("Command2");
    }

    std::unique_ptr<PictureLibrary> pictures;
    std::unique_ptr<QtHost> host;
    QStringList fatal;
};

TEST_F(Windows, MainWindowMatchesItsLayout) {
    QWidget* w = host->form1();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ポロメア"));
    EXPECT_EQ(w->size(), QSize(663, 433));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "not resizable";
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_FALSE(w->windowIcon().isNull());
    const QPoint offCentre = w->frameGeometry().center() - w->screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << "centred on the screen";

    EXPECT_EQ(control("Image1")->geometry(), QRect(16, 16, 318, 259));
    EXPECT_EQ(control("Image2")->geometry(), QRect(352, 16, 300, 300));
    const QRect slotRects[kParts] = {{472, 224, 50, 50}, {472, 160, 50, 50}, {368, 136, 50, 50},
                                 {584, 136, 50, 50}, {440, 104, 50, 50}, {512, 104, 50, 50}};
    for (int k = 0; k < kParts; ++k) EXPECT_EQ(slot(k)->geometry(), slotRects[k]) << "slot " << k;
    for (int i = 0; i < kParts; ++i) EXPECT_EQ(card(i)->geometry(), QRect(128 + 72 * i, 368, 50, 50));
    EXPECT_EQ(control("Command1")->geometry(), QRect(16, 368, 89, 49));
    EXPECT_EQ(control("Command2")->geometry(), QRect(560, 368, 81, 49));
    EXPECT_EQ(static_cast<QPushButton*>(control("Command2"))->text(), QStringLiteral("O  K"));

    const QString labels[3] = {"しっかり見て、しっかり覚えて", "ドラッグ＆ドロップ！！",
                               "(ヒント\u3000右目にほくろがあるよ。)"};
    for (int i = 0; i < 3; ++i) {
        auto* label = static_cast<QLabel*>(control("Label" + std::to_string(i + 1)));
        EXPECT_EQ(label->text(), labels[i]);
        EXPECT_LE(label->sizeHint().width(), label->width()) << "fits on one line";
        EXPECT_EQ(label->palette().color(label->backgroundRole()), QColor(255, 255, 0));
        // The designed faces are missing here; a Japanese face of the same style stands in.
        EXPECT_TRUE(QFontInfo(label->font()).family().contains(i < 2 ? "Mincho" : "Gothic"))
            << QFontInfo(label->font()).family().toStdString();
        EXPECT_EQ(label->font().pixelSize(), i < 2 ? 19 : 16);
    }
    EXPECT_EQ(card(0)->accessibleName(), QStringLiteral("カード 1"));
    EXPECT_EQ(slot(0)->accessibleName(), QStringLiteral("口の場所"));

    EXPECT_EQ(names(*host, ImageArray::Imgx), kCovered);
    EXPECT_EQ(names(*host, ImageArray::Slot), kEmpty);
    EXPECT_FALSE(host->timer1().isActive());
}

TEST_F(Windows, TabMovesBetweenTheTwoButtonsOnly) {
    QApplication::setActiveWindow(host->form1());
    EXPECT_EQ(QApplication::focusWidget(), control("Command1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("Command2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("Command1"));
    QTest::keyClick(control("Command1"), Qt::Key_Space);  // the keyboard starts a game too
    EXPECT_TRUE(host->timer1().isActive());
}

TEST_F(Windows, DragsLandOnlyOnSlots) {
    const QStringList faceUp = deal();
    QStringList sorted = faceUp;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{"part0", "part1", "part2", "part3", "part4", "part5"}));

    drag(2, slot(4));
    EXPECT_EQ(slot(4)->pictureName(), "cover3");
    drag(5, slot(4), {49, 0}, Qt::RightButton);  // any button, any corner of the slot
    EXPECT_EQ(slot(4)->pictureName(), "cover6");

    const QStringList before = names(*host, ImageArray::Slot);
    drag(1, control("Image2"), {5, 5});   // on the face but beside the slots
    drag(1, control("Command2"));          // on a button
    drag(1, card(3));                      // on another card
    drag(1, control("Image2"), {120, 207});  // one pixel above the mouth's slot
    EXPECT_EQ(names(*host, ImageArray::Slot), before);
    EXPECT_EQ(names(*host, ImageArray::Imgx), kCovered);
}

TEST_F(Windows, CorrectGamesShowOneCongratulationWindow) {
    placeAll(deal());
    click("Command2");
    EXPECT_EQ(names(*host, ImageArray::Slot),
              (QStringList{"part0", "part1", "part2", "part3", "part4", "part5"}));
    QWidget* form2 = host->form2();
    ASSERT_NE(form2, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("おめでとう !!"));
    EXPECT_EQ(form2->geometry(), QRect(228, 129, 562, 108));

    click("Command2");  // the same answer again: the same window, still one
    EXPECT_EQ(host->form2(), form2);

    form2->move(400, 300);
    form2->close();
    placeAll(deal());
    click("Command2");
    EXPECT_EQ(host->form2(), form2);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->geometry(), QRect(228, 129, 562, 108)) << "reopened at its place";

    click("Command1");  // a new game leaves it open
    EXPECT_TRUE(form2->isVisible());
    EXPECT_TRUE(fatal.isEmpty());
}

TEST_F(Windows, TheGameLastsWhileEitherWindowIsOpen) {
    placeAll(deal());
    click("Command2");
    // Close the main window first; the event loop must run on until the
    // congratulation window is closed too.
    bool form2Closed = false;
    QTimer::singleShot(0, host->form1(), [&] {
        host->form1()->close();
        QTimer::singleShot(100, host->form2(), [&] {
            form2Closed = true;
            host->form2()->close();
        });
    });
    QTimer safety;
    safety.callOnTimeout(qApp, &QCoreApplication::quit);
    safety.start(5000);
    QApplication::exec();
    EXPECT_TRUE(form2Closed) << "the program ended with a window still open";
    EXPECT_TRUE(safety.isActive()) << "the program did not end with its last window";
}

TEST_F(Windows, WrongGameSaysSoInAMessageBox) {
    placeAll(deal(), {0, 1, 3, 2, 4, 5});  // ears swapped
    ModalCloser box;
    checkExpectingMessage(box);
    EXPECT_EQ(box.title, QStringLiteral("まちがいです。"));
    EXPECT_EQ(box.text, QStringLiteral("残念、スタートボタンからやりなおし。"));
    EXPECT_FALSE(box.hadIcon);
    EXPECT_EQ(box.buttons, 1);
    EXPECT_EQ(names(*host, ImageArray::Slot),
              (QStringList{"part0", "part1", "part3", "part2", "part4", "part5"}));
    EXPECT_EQ(host->form2(), nullptr);
}

TEST_F(Windows, NewGameForgetsThePreviousFace) {
    placeAll(deal());
    click("Command2");
    ASSERT_NE(host->form2(), nullptr);
    host->form2()->close();

    click("Command1");
    ModalCloser box;
    checkExpectingMessage(box);
    EXPECT_EQ(box.title, QStringLiteral("まちがいです。"));
    EXPECT_EQ(names(*host, ImageArray::Slot), kEmpty);
    EXPECT_FALSE(host->form2()->isVisible());
}

TEST_F(Windows, FaceUpCardsCannotBeDragged) {
    const QStringList faceUp = deal();
    drag(0, slot(0));
    click("Command1");  // a new deal while placing
    const QStringList newFaceUp = names(*host, ImageArray::Imgx);
    drag(0, slot(1));
    EXPECT_EQ(names(*host, ImageArray::Slot), kEmpty);
    EXPECT_EQ(names(*host, ImageArray::Imgx), newFaceUp);
}

TEST_F(Windows, EscapeCancelsADrag) {
    deal();
    PictureBox* c = card(0);
    QTest::mousePress(c, Qt::LeftButton, {}, {10, 10});
    QTest::keyClick(c, Qt::Key_Escape);
    const QPoint local = c->mapFromGlobal(slot(0)->mapToGlobal(QPoint(25, 25)));
    QTest::mouseRelease(c, Qt::LeftButton, {}, local);
    EXPECT_EQ(slot(0)->pictureName(), "empty");
}

// A picture that cannot be had when it is first needed is reported, naming
// it, and nothing more is handled: the game ends.
class WithoutBanner : public Windows {
protected:
    QString pictureDirectory() override {
        for (const QString& file : QDir(":/pictures").entryList()) {
            if (!file.startsWith("banner")) QFile::copy(":/pictures/" + file, dir.filePath(file));
        }
        return dir.path();
    }
    QTemporaryDir dir;
};

TEST_F(WithoutBanner, FailureIsReportedAndEndsTheGame) {
    placeAll(deal());
    click("Command2");
    ASSERT_EQ(fatal.size(), 1);
    EXPECT_TRUE(fatal[0].contains("banner")) << fatal[0].toStdString();
    EXPECT_TRUE(fatal[0].contains("O  K"));
    click("Command1");
    EXPECT_EQ(names(*host, ImageArray::Slot),
              (QStringList{"part0", "part1", "part2", "part3", "part4", "part5"}));
}

}  // namespace
}  // namespace poromea::qt
