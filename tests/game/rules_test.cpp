// The rules a reader looks for, as examples; the controller's tests and the host scenarios play the rest.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/form1.h"
#include "tests/game/fake_host.h"

namespace poromea {
namespace {

using Row = std::vector<std::string>;
const Row kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};
const Row kFace{"part0", "part1", "part2", "part3", "part4", "part5"};

// A whole game, then the two faults mended in the rules: a check before any
// game, or after a new START, judges only this game's drops (an empty slot is
// shown empty and is wrong), and a new deal allows no drag until its covers.
TEST(Rules, AWholeGameAndOnlyThisGamesDropsCount) {
    test::FakeHost host;
    Form1 form{host};
    auto press = [&](int card) {
        const auto before = host.drags.size();
        form.Imgx_MouseDown(static_cast<std::int16_t>(card), 1, 0, 10.0f, 10.0f);
        return host.drags.size() > before;
    };
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), Row(kParts, "empty"));
    EXPECT_EQ(host.messages, std::vector{Message::Wrong});

    form.Command1_Click();
    const Row faceUp = host.row(ImageArray::Imgx);
    EXPECT_TRUE(std::is_permutation(faceUp.begin(), faceUp.end(), kFace.begin()));
    EXPECT_EQ(host.interval, 5000) << "five seconds to memorise";
    EXPECT_FALSE(press(0)) << "face-up cards cannot be dragged";
    form.Timer1_Timer();
    EXPECT_EQ(host.interval, 0) << "the memorise timer fires once";
    EXPECT_EQ(host.row(ImageArray::Imgx), kCovers);
    EXPECT_THROW(form.Imgx_MouseDown(kParts, 1, 0, 0, 0), std::out_of_range) << "no seventh card";
    for (int part = 0; part < kParts; ++part) {
        const int card = static_cast<int>(std::find(faceUp.begin(), faceUp.end(), kFace[part]) - faceUp.begin());
        ASSERT_TRUE(press(card));
        (form.*kSlotDrops.at(part))();
        EXPECT_EQ(host.shown(Slot(part)), kCovers[card]);
    }
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), kFace);
    EXPECT_EQ(host.form2Shows, 1);
    EXPECT_FALSE(press(0)) << "the check ends dragging";

    // Every place is judged, the last one too: two right eyes, the second on the left eye's place, are wrong.
    form.Command1_Click();
    const Row dealt = host.row(ImageArray::Imgx);
    form.Timer1_Timer();
    for (int part = 0; part < kParts; ++part) {
        ASSERT_TRUE(press(static_cast<int>(std::find(dealt.begin(), dealt.end(), kFace[std::min(part, 4)]) - dealt.begin())));
        (form.*kSlotDrops.at(part))();
    }
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), (Row{"part0", "part1", "part2", "part3", "part4", "part4"}));
    EXPECT_EQ(host.messages.size(), 2u);

    form.Command1_Click();
    EXPECT_FALSE(press(0)) << "no drag while the new deal is face up";
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), Row(kParts, "empty")) << "nothing placed in this game";
    EXPECT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.form2Shows, 1);
}

}  // namespace
}  // namespace poromea
