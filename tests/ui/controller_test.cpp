// The controller on a recording desktop: the windows' rules as every host
// gets them (where keys go, Tab, Escape, the focus, the congratulation
// window's place), Timer1, the message box's modality on a host that waits
// for the box and on one that cannot, and the one report of a failure.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/ui/desktop.h"
#include "ui/controller.h"

namespace poromea::ui {
namespace {

// START, the memorising time, then every card dragged onto its own part's slot.
void playCorrectly(Controller& c, Desktop& d) {
    c.buttonClicked(Controller::Button::Start);
    std::vector<std::string> faceUp;
    for (int i = 0; i < kParts; ++i) faceUp.push_back(d.shown.at(Imgx(i)));
    c.timerElapsed();
    for (int card = 0; card < kParts; ++card) {
        c.cardPressed(card, {0, kLeftButton, 0, {5, 5}});
        d.dropOn = faceUp[static_cast<std::size_t>(card)].back() - '0';
        c.pointerReleased(0, kLeftButton, {});
    }
    c.buttonClicked(Controller::Button::Check);
}

TEST(Controller, TheCongratulationWindowOpensOnceAtItsPlaceAndGivesTheKeysBack) {
    Desktop d;
    Controller c(d);
    c.mainWindowShown();
    EXPECT_EQ(d.focused[Window::Main], ControlId::Start);
    c.keyPressed(Window::Main, Key::Tab, false);
    EXPECT_EQ(d.focused[Window::Main], ControlId::Check);
    playCorrectly(c, d);
    EXPECT_EQ(d.placed, (std::vector<std::string>{"228,129"}));
    EXPECT_EQ(d.active, Window::Congratulation);
    EXPECT_EQ(d.focused[Window::Congratulation], ControlId::Banner) << "its banner, read out as it opens";

    // Keys typed there: the game's do nothing, even once a new deal is covered; Tab stays, Escape closes it.
    c.buttonClicked(Controller::Button::Start);
    c.timerElapsed();
    c.windowActivated(Window::Congratulation);
    const auto heard = d.said.size();
    EXPECT_TRUE(c.keyPressed(Window::Congratulation, Key::Digit1, false));
    EXPECT_EQ(d.said.size(), heard) << "no card picked up from the congratulation window";
    EXPECT_TRUE(c.keyPressed(Window::Congratulation, Key::Tab, true));
    EXPECT_EQ(d.focused[Window::Congratulation], ControlId::Banner);
    EXPECT_FALSE(c.keyPressed(Window::Congratulation, Key::Other, false)) << "the window system's own keys";

    // Answered again while it is open: it stays where it is.
    c.windowActivated(Window::Main);
    playCorrectly(c, d);
    EXPECT_EQ(d.placed.size(), 1u);
    c.windowActivated(Window::Congratulation);
    EXPECT_TRUE(c.keyPressed(Window::Congratulation, Key::Escape, false));
    EXPECT_FALSE(d.open[Window::Congratulation]);
    EXPECT_EQ(d.active, Window::Main);
    EXPECT_EQ(d.focused[Window::Main], ControlId::Check) << "back on O  K, which had the keys";

    // Closed, a new correct answer opens it again at its place.
    playCorrectly(c, d);
    EXPECT_EQ(d.placed, (std::vector<std::string>{"228,129", "228,129"}));
    c.closeRequested(Window::Congratulation);
    EXPECT_EQ(d.active, Window::Main);
}

TEST(Controller, TheMemorisingTimerTicksOnlyWhileItRuns) {
    Desktop d;
    Controller c(d, 7000);
    c.timerElapsed();
    EXPECT_EQ(d.shown.count(Imgx(0)), 0u) << "a tick before START covers nothing";
    c.buttonClicked(Controller::Button::Start);
    EXPECT_EQ(d.timer, 7000);
    c.timerElapsed();
    EXPECT_EQ(d.timer, 0);
    EXPECT_EQ(d.shown.at(Imgx(2)), "cover3");
    EXPECT_EQ(d.described.at(Imgx(2)), "カード 3 の うら");
    const auto heard = d.said.size();
    c.timerElapsed();  // queued before it stopped
    EXPECT_EQ(d.said.size(), heard);

    Desktop broken;
    Controller negative(broken, -1);
    negative.buttonClicked(Controller::Button::Start);
    negative.buttonClicked(Controller::Button::Start);
    EXPECT_EQ(broken.failures, (std::vector<std::string>{
        "「START」の処理でエラーが発生しました。\nnegative timer interval\nゲームを終了します。"}));
    EXPECT_FALSE(negative.keyPressed(Window::Main, Key::Digit1, false)) << "the game has ended";
}

TEST(Controller, NoWindowTakesInputWhileTheMessageBoxIsOpen) {
    for (const bool boxWaits : {true, false}) {
        Desktop d(boxWaits);
        Controller c(d, 5000);
        c.buttonClicked(Controller::Button::Start);
        c.timerElapsed();
        c.buttonClicked(Controller::Button::Check);
        EXPECT_EQ(d.boxes, (std::vector<std::u16string>{u"まちがいです。"}));
        if (!boxWaits) {  // a page's box: shown, and the handler goes on
            EXPECT_FALSE(c.keyPressed(Window::Main, Key::Tab, false)) << "the box's own key";
            c.buttonClicked(Controller::Button::Check);
            c.buttonClicked(Controller::Button::Start);
            EXPECT_EQ(d.boxes.size(), 1u);
            EXPECT_EQ(d.timer, 0) << "START is not pressed under the box";
            d.boxOpen = false;
        }
        EXPECT_TRUE(c.keyPressed(Window::Main, Key::Tab, false));
        EXPECT_EQ(d.focused[Window::Main], ControlId::Start) << "closed, the game takes the keys again";
    }
}

// The generator the hosts hand the rules, re-seeded from the clock at every START: over many deals every one of
// the 720 orders comes up about equally often. A fair deal lands between these bounds but once in about 100,000
// runs; a biased one far above, a dealer of a few fixed orders far below.
TEST(Controller, EveryOrderIsDealtEquallyOften) {
    constexpr int kOrders = 720, kDeals = kOrders * 100;
    Desktop d;
    Controller c(d);
    std::map<std::vector<std::string>, int> seen;
    for (int n = 0; n < kDeals; ++n) {
        c.buttonClicked(Controller::Button::Start);
        std::vector<std::string> dealt;
        for (int i = 0; i < kParts; ++i) dealt.push_back(d.shown.at(Imgx(i)));
        ++seen[dealt];
    }
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kOrders));
    const double expected = static_cast<double>(kDeals) / kOrders;
    double chi2 = 0;
    for (const auto& [order, count] : seen) chi2 += (count - expected) * (count - expected) / expected;
    // 719 degrees of freedom: mean 719, standard deviation about 38.
    EXPECT_LT(chi2, 900.0);
    EXPECT_GT(chi2, 560.0) << "suspiciously even: the deals may not be random at all";
}

}  // namespace
}  // namespace poromea::ui
