// The Qt host's tests: the host scenarios through real mouse and key events (QTest) on the real widgets (offscreen
// without a display), then what only this host decides.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <memory>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"
#include "tests/host/scenarios.h"

namespace poromea::scenarios {
namespace {

class QtDriver final : public QObject, public Driver {
public:
    QtDriver(std::string_view missingPicture, std::int32_t memoriseMs) {
        QString directory = QStringLiteral(":/pictures");
        if (!missingPicture.empty()) {
            for (const QString& file : QDir(directory).entryList()) {
                if (!file.startsWith(QString::fromUtf8(missingPicture.data(), qsizetype(missingPicture.size())))) {
                    QFile::copy(directory + '/' + file, dir_.filePath(file));
                }
            }
            directory = dir_.path();
        }
        pictures_ = std::make_unique<qt::PictureLibrary>(directory);
        host_ = std::make_unique<qt::QtHost>(*pictures_, memoriseMs);
        host_->setFatalHandler([this](const QString& m) { failures_.push_back(m.toStdString()); });
        qApp->installEventFilter(this);
        host_->showForm1();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(host_->form1()));
        QApplication::setActiveWindow(host_->form1());
    }
    ~QtDriver() override { qApp->removeEventFilter(this); }

    // The mouse as the window system hands it to Qt, to the window under the pointer: Qt routes each event, keeps it
    // from windows a modal box blocks, and gives the moves and the release to the widget pressed. A click activates its
    // window first, as the window manager does; Qt decides whether it may.
    void click(std::string_view button) override {
        QWidget* pressed = control(button);
        activate(pressed->window());
        QTest::mouseClick(pressed->window()->windowHandle(), Qt::LeftButton, {}, pressed->mapTo(pressed->window(), QPoint(5, 5)));
    }
    void clickWindow(std::string_view title) override {
        QWidget* w = window(title);
        activate(w);
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, {2, 2});
    }
    void press(int card, Button button) override {
        static constexpr Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::BackButton};
        button_ = kButtons[static_cast<int>(button)];
        at_ = host_->imageControl(Imgx(card))->mapTo(host_->form1(), QPoint(12, 30));
        QTest::mousePress(host_->form1()->windowHandle(), button_, {}, at_);
    }
    void releaseAt(Point p) override {
        // Moved there in a few steps, the button held, then let go.
        const QPoint from = at_, to(p.x, p.y);
        for (int step = 1; step <= 4; ++step) QTest::mouseMove(host_->form1()->windowHandle(), from + (to - from) * step / 4);
        QTest::mouseRelease(host_->form1()->windowHandle(), button_, {}, to);
    }
    void raise(std::string_view title) override { window(title)->raise(); }
    void key(ui::Key key, bool keypad) override {
        static constexpr Qt::Key kKeys[] = {Qt::Key_A, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_6,
                                            Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down,
                                            Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape};  // in ui::Key's order
        const Qt::Key k = key == ui::Key::Return && keypad ? Qt::Key_Enter : kKeys[static_cast<int>(key)];
        QCoreApplication::processEvents();  // a window that asked to be active is, as the player sees it
        QTest::keyClick(keyTarget(), k, keypad ? Qt::KeypadModifier : Qt::NoModifier);
    }
    void keypadWithoutNumLock(int digit) override {
        static constexpr Qt::Key kKeys[] = {Qt::Key_End, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Clear, Qt::Key_Right};
        QTest::keyClick(keyTarget(), kKeys[digit - 1], Qt::KeypadModifier);
    }
    void keyWithCtrl(ui::Key key) override {
        QTest::keyClick(keyTarget(), static_cast<Qt::Key>(Qt::Key_1 + static_cast<int>(key) - static_cast<int>(ui::Key::Digit1)),
                        Qt::ControlModifier);
    }
    void tab() override { QTest::keyClick(keyTarget(), Qt::Key_Tab); }
    void underNextBox(std::function<void()> steps) override { underBox_ = std::move(steps); }
    void letTimerElapse() override {
        if (!timer1().isActive()) return;
        timer1().start(1);  // the only seam: the memorise time, shortened
        EXPECT_TRUE(QTest::qWaitFor([&] { return !timer1().isActive(); }));
    }

    void wait(int milliseconds) override { QTest::qWait(milliseconds); }
    // The monotonic clock Qt's timers run on.
    double now() override { return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count(); }
    std::string caption(std::string_view button) override {
        return static_cast<QPushButton*>(control(button))->text().toStdString();
    }

    // Grabbed from the screen: the window's backing store as it was last painted and flushed (offscreen,
    // the platform's own image of it). Posted paints are delivered first. Offscreen Qt 6.4 clips a grab
    // to the window's size in its own pixels, not the device's: on a denser screen the window is drawn
    // again, in the device's pixels, as it draws itself there.
    Seen seen(Rect area) override {
        QCoreApplication::sendPostedEvents();
        QWidget* w = host_->form1();
        const QRect r(area.left, area.top, area.width, area.height);
        const QPixmap grabbed = w->devicePixelRatioF() == 1
                                    ? w->screen()->grabWindow(w->winId(), r.x(), r.y(), r.width(), r.height())
                                    : w->grab(r);
        const QImage shot = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
        Seen out{shot.width(), shot.height(), {}};
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QRgb p = shot.pixel(x, y);
                out.pixels.push_back({qRed(p), qGreen(p), qBlue(p)});
            }
        }
        return out;
    }

    std::string picture(ImageControl control) override {
        return host_->imageControl(control)->pictureName().toStdString();
    }
    std::optional<Rect> outline() override {
        const QWidget* o = host_->form1()->findChild<qt::DragOutline*>();
        return o->isVisible() ? std::optional(Rect{o->x(), o->y(), o->width(), o->height()}) : std::nullopt;
    }
    std::vector<Window> windows() override {
        std::vector<Window> out;
        for (QWidget* w : {host_->form1(), host_->form2()}) {
            const QRect r = w ? w->geometry() : QRect();
            if (w && w->isVisible()) out.push_back({w->windowTitle().toStdString(), {r.x(), r.y(), r.width(), r.height()}});
        }
        return out;
    }
    std::vector<MessageWindow> takeMessageBoxes() override { return std::exchange(boxes_, {}); }
    Focused focus() override {
        QCoreApplication::processEvents();
        QWidget* f = QApplication::focusWidget();
        if (!f) return {};
        return {f->window()->windowTitle().toStdString(), f->isWindow() ? "" : f->objectName().toStdString()};
    }
    void moveWindow(std::string_view title, Point screen) override { window(title)->move(screen.x, screen.y); }
    void closeWindow(std::string_view title) override { window(title)->close(); }
    // The event loop, started now, goes on: the game has not asked it to end since the last input.
    bool running() override {
        QTimer goOn;
        goOn.callOnTimeout([] { QCoreApplication::exit(-1); });
        goOn.start(20);
        return QCoreApplication::exec() == -1;
    }
    std::vector<std::string> failures() override { return failures_; }

private:
    // Reads and answers every message box as it opens.
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* box = qobject_cast<QMessageBox*>(o);
        if (!box || e->type() != QEvent::Show) return false;
        boxes_.push_back({box->windowTitle().toStdString(), box->text().toStdString(),
                          static_cast<int>(box->buttons().size()), box->icon() != QMessageBox::NoIcon});
        QTimer::singleShot(0, box, [box, steps = std::exchange(underBox_, {})] {
            if (steps) steps();
            box->button(QMessageBox::Ok)->click();
        });
        return false;
    }
    // The host's controls and Timer1, found in its object tree by their names.
    QWidget* control(std::string_view name) const {
        return host_->form1()->findChild<QWidget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    QTimer& timer1() const { return *host_->findChild<QTimer*>(QStringLiteral("Timer1")); }
    static void activate(QWidget* w) {
        if (QApplication::activeWindow() == w) return;
        w->activateWindow();
        (void)QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }, 200);  // refused under a modal box
    }
    QWidget* keyTarget() const {
        QWidget* f = QApplication::focusWidget();
        return f ? f : host_->form1();
    }
    QWidget* window(std::string_view title) const {
        return host_->form1()->windowTitle().toStdString() == title ? host_->form1() : host_->form2();
    }

    QTemporaryDir dir_;
    std::unique_ptr<qt::PictureLibrary> pictures_;
    std::unique_ptr<qt::QtHost> host_;
    std::vector<MessageWindow> boxes_;
    QPoint at_;  // where the mouse was pressed, in the main window
    Qt::MouseButton button_ = Qt::LeftButton;
    std::vector<std::string> failures_;
    std::function<void()> underBox_;
};

// What only the Qt host decides about the main window: where it opens and the labels' faces.
TEST(QtWindows, MainWindowOpensCentredWithItsLabels) {
    qt::PictureLibrary pictures;
    qt::QtHost host(pictures);
    host.showForm1();
    QWidget* w = host.form1();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_LE((w->frameGeometry().center() - w->screen()->availableGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "not resizable";
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 255, 0));

    // The game's own words, on one line, in a Japanese face of the designed style.
    const QStringList words{"しっかり見て、しっかり覚えて", "ドラッグ＆ドロップ！！", "(ヒント\u3000右目にほくろがあるよ。)"};
    const QStringList faces{"Mincho", "Mincho", "Gothic"};
    for (int i = 0; i < 3; ++i) {
        auto* label = host.form1()->findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), words[i]);
        EXPECT_LE(label->sizeHint().width(), label->width()) << "fits on one line";
        EXPECT_TRUE(QFontInfo(label->font()).family().contains(faces[i])) << QFontInfo(label->font()).family().toStdString();
    }
}

// A failure before the event loop runs (START with a time the timer refuses) is reported, then the loop ends with 1.
TEST(QtWindows, AFailureBeforeTheEventLoopEndsIt) {
    qt::PictureLibrary pictures;
    qt::QtHost host(pictures, -1);
    QString said;
    QTimer answer, never;  // answers the report as it shows; gives up on a loop that does not end
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) said = box->text(), box->done(0);
    });
    QObject::connect(&never, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    answer.start(10), never.start(5000);
    host.showForm1();
    host.form1()->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(QCoreApplication::exec(), 1);
    EXPECT_EQ(said, "「START」の処理でエラーが発生しました。\nnegative timer interval\nゲームを終了します。");
}

// The covered row read off the screen as a reader reads it (tesseract): 1 to 6, each card its own digit. White on
// red there; black on white, four times the size, for the reader.
TEST(QtWindows, TheCoveredRowReadsOneToSix) {
    QtDriver d({}, 600'000);
    d.click("Command1");
    d.letTimerElapse();
    const ui::PixelRect first = ui::controlFor(Imgx(0)).pixelRect(), last = ui::controlFor(Imgx(kParts - 1)).pixelRect();
    const Seen row = d.seen({first.left, first.top, last.left + last.width - first.left, first.height});
    QImage read(row.width, row.height, QImage::Format_Grayscale8);
    for (int i = 0; i < row.width * row.height; ++i) {
        const Colour c = row.pixels[static_cast<std::size_t>(i)];
        read.setPixel(i % row.width, i / row.width, c.g > 160 && c.b > 160 ? 0 : 0xffffff);
    }
    QTemporaryDir dir;
    ASSERT_TRUE(read.scaled(read.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(dir.filePath("row.png")));
    QProcess tesseract;
    tesseract.start("tesseract", {dir.filePath("row.png"), "stdout", "--psm", "7", "-c", "tessedit_char_whitelist=0123456789"});
    ASSERT_TRUE(tesseract.waitForFinished(30000)) << tesseract.errorString().toStdString();
    EXPECT_EQ(QString::fromUtf8(tesseract.readAllStandardOutput()).remove(QRegularExpression("\\s")).toStdString(), "123456");
}

class HostScenario : public ::testing::TestWithParam<Scenario> {};

}  // namespace

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

namespace {

TEST_P(HostScenario, Plays) {
    QtDriver driver(GetParam().missingPicture, GetParam().memoriseMs);
    GetParam().play(driver);
}

INSTANTIATE_TEST_SUITE_P(Qt, HostScenario, ::testing::ValuesIn(all()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

void fail(const char* file, int line, const std::string& message) {
    ADD_FAILURE_AT(file, line) << message;
}

}  // namespace poromea::scenarios

// The windows are real widgets; without a display they render offscreen,
// whose plugin warns of every message box's size hints: nothing to see here.
int main(int argc, char** argv) {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.contains(QStringLiteral("propagateSizeHints"))) qt_message_output(type, context, message);
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    QThreadPool::globalInstance()->waitForDone();  // Qt's own scaling threads end before the program
    return status;
}
