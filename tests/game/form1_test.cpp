#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/form1.h"
#include "tests/game/fake_host.h"

namespace poromea {
namespace {

using test::FakeHost;
using Row = std::vector<std::string>;

const Row kCoveredRow{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};
const Row kEmptySlots(kParts, "empty");
const Row kWholeFace{"part0", "part1", "part2", "part3", "part4", "part5"};

class Game : public ::testing::Test {
protected:
    FakeHost host;
    Form1 form{host};

    void press(int card) { form.Imgx_MouseDown(static_cast<std::int16_t>(card), 1, 0, 10.0f, 10.0f); }
    void drop(int slot) { (form.*kSlotDrops.at(slot))(); }
    void drag(int card, int slot) {
        press(card);
        drop(slot);
    }
    // The card that was dealt `part`, read from what the cards show face up.
    int cardOf(int part, const Row& faceUp) const {
        auto it = std::find(faceUp.begin(), faceUp.end(), "part" + std::to_string(part));
        return static_cast<int>(it - faceUp.begin());
    }
    // START, remember the face-up row, let the memorise time end.
    Row deal() {
        form.Command1_Click();
        Row faceUp = host.row(ImageArray::Imgx);
        form.Timer1_Timer();
        return faceUp;
    }
    void placeAllCorrectly(const Row& faceUp) {
        for (int part = 0; part < kParts; ++part) drag(cardOf(part, faceUp), part);
    }
};

TEST_F(Game, CorrectGameOpensCongratulations) {
    form.Command1_Click();
    const Row faceUp = host.row(ImageArray::Imgx);
    Row sorted = faceUp;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, kWholeFace) << "the deal shows each part exactly once";
    EXPECT_EQ(host.row(ImageArray::Slot), kEmptySlots);
    EXPECT_EQ(host.interval, kMemoriseMs);
    EXPECT_EQ(host.reseeds, 1);

    press(0);
    EXPECT_TRUE(host.drags.empty()) << "face-up cards cannot be dragged";

    form.Timer1_Timer();
    EXPECT_EQ(host.interval, 0) << "the memorise timer fires once";
    EXPECT_EQ(host.row(ImageArray::Imgx), kCoveredRow);

    placeAllCorrectly(faceUp);
    EXPECT_EQ(host.drags.size(), 6u);
    // Before the check each slot shows the cover of the card dropped on it.
    for (int part = 0; part < kParts; ++part) {
        EXPECT_EQ(host.shown(Slot(part)), kCoveredRow[cardOf(part, faceUp)]);
    }

    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), kWholeFace);
    EXPECT_EQ(host.form2Shows, 1);
    EXPECT_TRUE(host.messages.empty());

    press(0);
    EXPECT_EQ(host.drags.size(), 6u) << "the check ends dragging";
    form.Command2_Click();
    EXPECT_EQ(host.form2Shows, 2) << "checking again gives the same outcome";
}

TEST_F(Game, SwappedEyesAreWrong) {
    const Row faceUp = deal();
    placeAllCorrectly(faceUp);
    drag(cardOf(5, faceUp), 4);
    drag(cardOf(4, faceUp), 5);
    form.Command2_Click();

    EXPECT_EQ(host.form2Shows, 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, u"残念、スタートボタンからやりなおし。");
    EXPECT_EQ(host.messages[0].second, u"まちがいです。");
    EXPECT_EQ(host.row(ImageArray::Slot), (Row{"part0", "part1", "part2", "part3", "part5", "part4"}));
}

TEST_F(Game, OnlyThisGamesDropsCount) {
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), kEmptySlots) << "check before any game";
    EXPECT_EQ(host.messages.size(), 1u);

    placeAllCorrectly(deal());
    form.Command2_Click();
    ASSERT_EQ(host.form2Shows, 1);

    const Row faceUp = deal();
    drag(cardOf(0, faceUp), 0);
    form.Command2_Click();
    EXPECT_EQ(host.form2Shows, 1);
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.row(ImageArray::Slot),
              (Row{"part0", "empty", "empty", "empty", "empty", "empty"}));

    form.Command1_Click();
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), kEmptySlots) << "START then check, nothing placed";
    EXPECT_EQ(host.messages.size(), 3u);
}

TEST_F(Game, StartDuringPlacingHidesNothingAndAllowsNoDrag) {
    Row faceUp = deal();
    drag(cardOf(2, faceUp), 2);
    form.Command1_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), kEmptySlots);
    press(0);
    EXPECT_EQ(host.drags.size(), 1u) << "no drag while the new deal is face up";

    // A second START while memorising deals again and restarts the timer.
    form.Command1_Click();
    EXPECT_EQ(host.interval, kMemoriseMs);
    form.Timer1_Timer();
    press(0);
    EXPECT_EQ(host.drags.size(), 2u);
}

TEST(ControlAccess, IndexesOutsideTheArraysAreFaults) {
    EXPECT_THROW(Imgx(6), std::out_of_range);
    EXPECT_THROW(Imga(-1), std::out_of_range);
    EXPECT_THROW(Slot(6), std::out_of_range);

    FakeHost host;
    Form1 form{host};
    form.Command1_Click();
    form.Timer1_Timer();
    EXPECT_THROW(form.Imgx_MouseDown(6, 1, 0, 0, 0), std::out_of_range);
    EXPECT_TRUE(host.drags.empty());
}

}  // namespace
}  // namespace poromea
