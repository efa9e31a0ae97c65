// What each of the game's event handlers costs, from the widget event to the
// point where the new pictures are set and their repaints requested. The
// events go through the real widgets and the real host; the repaints they
// request are carried out between iterations, outside the measured time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimerEvent>
#include <array>
#include <chrono>
#include <memory>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace poromea::qt {
namespace {

using Clock = std::chrono::steady_clock;

class Game {
public:
    Game() : host_(std::make_unique<QtHost>(pictures_)) {
        host_->setFatalHandler([this](const QString& m) { fatal_ = m; });
        host_->showForm1();
        if (!QTest::qWaitForWindowExposed(host_->form1())) fatal_ = QStringLiteral("the main window never showed");
    }

    QtHost& host() { return *host_; }
    const QString& fatal() const { return fatal_; }
    QWidget* button(std::string_view name) const {
        return host_->form1()->findChild<QWidget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    // Timer1, as the host names it in its object tree.
    QTimer& timer1() const { return *host_->findChild<QTimer*>(QStringLiteral("Timer1")); }
    PictureBox* card(int i) const { return host_->imageControl(Imgx(i)); }
    PictureBox* slot(int k) const { return host_->imageControl(Slot(k)); }

    // The helpers that send the events stay out of line, so that callgrind can
    // be told to count inside them only (--toggle-collect='*Game::clickStart*').
    [[gnu::noinline]] void clickStart() { QTest::mouseClick(button("Command1"), Qt::LeftButton); }
    [[gnu::noinline]] void clickCheck() { QTest::mouseClick(button("Command2"), Qt::LeftButton); }
    // Timer1's tick as the event dispatcher delivers it.
    [[gnu::noinline]] void tick() {
        QTimerEvent event(timer1().timerId());
        QCoreApplication::sendEvent(&timer1(), &event);
    }
    [[gnu::noinline]] void press(int card) { QTest::mousePress(this->card(card), Qt::LeftButton, {}, {12, 30}); }
    // The pointer, button held, moves from card `card` to the middle of `target`.
    [[gnu::noinline]] void moveOver(int card, QWidget* target) {
        PictureBox* c = this->card(card);
        const QPoint global = target->mapToGlobal(QPoint(25, 25));
        QMouseEvent move(QEvent::MouseMove, c->mapFromGlobal(global), global, Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(c, &move);
    }
    [[gnu::noinline]] void release(int card, QWidget* target) {
        PictureBox* c = this->card(card);
        QTest::mouseRelease(c, Qt::LeftButton, {}, c->mapFromGlobal(target->mapToGlobal(QPoint(25, 25))));
    }
    // START, the parts seen face up, then the tick.
    void dealAndCover() {
        clickStart();
        for (int i = 0; i < kParts; ++i) faceUp_[static_cast<std::size_t>(i)] = card(i)->pictureName();
        tick();
    }
    // Every part dropped on its own slot: the next O  K is a correct answer.
    void placeCorrectly() {
        for (int part = 0; part < kParts; ++part) {
            int card = 0;
            while (faceUp_[static_cast<std::size_t>(card)] != QStringLiteral("part%1").arg(part)) ++card;
            press(card);
            moveOver(card, slot(part));
            release(card, slot(part));
        }
    }

private:
    PictureLibrary pictures_;
    std::unique_ptr<QtHost> host_;
    std::array<QString, kParts> faceUp_;
    QString fatal_;
};

// One main window for every benchmark, as in a long game session. It goes
// before the application object does.
std::unique_ptr<Game> sharedGame;
Game& game() {
    if (!sharedGame) sharedGame = std::make_unique<Game>();
    return *sharedGame;
}

// Carries out the repaints requested so far, as the event loop would.
void settle() { QCoreApplication::processEvents(); }

template <typename F>
void timed(benchmark::State& state, F&& f) {
    const auto start = Clock::now();
    f();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
}

// Set when a benchmark saw the game go wrong; the program then fails, so that
// a quick run of it is a test.
bool anyFailure = false;

bool failed(benchmark::State& state, Game& g, bool ok, const char* what) {
    if (!g.fatal().isEmpty()) {
        state.SkipWithError(qPrintable(g.fatal()));
        anyFailure = true;
        return true;
    }
    if (!ok) {
        state.SkipWithError(what);
        anyFailure = true;
    }
    return !ok;
}

void BM_Start(benchmark::State& state) {
    Game& g = game();
    for (auto _ : state) {
        settle();
        timed(state, [&] { g.clickStart(); });
        if (failed(state, g, g.timer1().isActive() && g.card(0)->pictureName().startsWith("part"),
                   "START did not deal")) break;
    }
    settle();
}

void BM_Tick(benchmark::State& state) {
    Game& g = game();
    for (auto _ : state) {
        g.clickStart();
        settle();
        timed(state, [&] { g.tick(); });
        if (failed(state, g, g.card(0)->pictureName() == "cover1",
                   "the tick did not cover the cards")) break;
    }
    settle();
}

void BM_Press(benchmark::State& state) {
    Game& g = game();
    g.dealAndCover();
    int card = 0;
    for (auto _ : state) {
        settle();
        timed(state, [&] { g.press(card); });
        if (failed(state, g, g.host().form1()->findChild<DragOutline*>()->isVisible(), "the press did not start a drag")) break;
        g.release(card, g.card(card));  // back where it came from: no drop
        card = (card + 1) % kParts;
    }
    settle();
}

void BM_Move(benchmark::State& state) {
    Game& g = game();
    g.dealAndCover();
    int card = 0;
    for (auto _ : state) {
        g.press(card);
        settle();
        timed(state, [&] { g.moveOver(card, g.slot(card)); });
        if (failed(state, g, true, "")) break;
        g.release(card, g.card(card));
        card = (card + 1) % kParts;
    }
    settle();
}

void BM_Drop(benchmark::State& state) {
    Game& g = game();
    g.dealAndCover();
    int card = 0;
    for (auto _ : state) {
        g.press(card);
        g.moveOver(card, g.slot(0));
        settle();
        timed(state, [&] { g.release(card, g.slot(0)); });  // each drop changes the slot's picture
        if (failed(state, g, g.slot(0)->picture() == g.card(card)->picture(), "the drop did not land")) break;
        card = (card + 1) % kParts;
    }
    settle();
}

void BM_PressMoveDrop(benchmark::State& state) {
    Game& g = game();
    g.dealAndCover();
    int card = 0;
    for (auto _ : state) {
        settle();
        timed(state, [&] {
            g.press(card);
            g.moveOver(card, g.slot(0));
            g.release(card, g.slot(0));
        });
        if (failed(state, g, g.slot(0)->picture() == g.card(card)->picture(), "the drop did not land")) break;
        card = (card + 1) % kParts;
    }
    settle();
}

// The correct answer once the congratulation window exists: a later game,
// its window closed by the player, opens it again.
void BM_CheckCorrect(benchmark::State& state) {
    Game& g = game();
    for (auto _ : state) {
        if (QWidget* form2 = g.host().form2()) form2->close();
        g.dealAndCover();
        g.placeCorrectly();
        settle();
        timed(state, [&] { g.clickCheck(); });
        if (failed(state, g, g.host().form2() && g.host().form2()->isVisible(), "no congratulation")) break;
    }
    settle();
}

// The first correct answer of a session, which creates the congratulation window.
void BM_CheckCorrectFirst(benchmark::State& state) {
    for (auto _ : state) {
        auto g = std::make_unique<Game>();
        g->dealAndCover();
        g->placeCorrectly();
        settle();
        timed(state, [&] { g->clickCheck(); });
        if (failed(state, *g, g->host().form2() && g->host().form2()->isVisible(), "no congratulation")) break;
        settle();
    }
}

BENCHMARK(BM_Start)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tick)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Press)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Drop)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PressMoveDrop)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckCorrect)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckCorrectFirst)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace
}  // namespace poromea::qt

namespace {

// The offscreen platform says on every drag that it cannot grab the keyboard;
// a real display can. Everything else Qt says is shown.
QtMessageHandler qtDefault = nullptr;
void quietAboutKeyboardGrabs(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support grabbing the keyboard"))) return;
    qtDefault(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    qtDefault = qInstallMessageHandler(quietAboutKeyboardGrabs);
    // Real widgets, no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    poromea::qt::sharedGame.reset();
    return poromea::qt::anyFailure ? 1 : 0;
}
