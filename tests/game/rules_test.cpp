// The rules a reader looks for, as examples; the model check covers the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "game/form1.h"
#include "ui/random.h"
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
    EXPECT_EQ(host.messages, (decltype(host.messages){{std::u16string(kWrongPrompt), std::u16string(kWrongTitle)}}));

    form.Command1_Click();
    const Row faceUp = host.row(ImageArray::Imgx);
    EXPECT_TRUE(std::is_permutation(faceUp.begin(), faceUp.end(), kFace.begin()));
    EXPECT_EQ(host.interval, 5000) << "five seconds to memorise";
    EXPECT_EQ(host.reseeds, 1);
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

    form.Command1_Click();
    EXPECT_FALSE(press(0)) << "no drag while the new deal is face up";
    form.Command2_Click();
    EXPECT_EQ(host.row(ImageArray::Slot), Row(kParts, "empty")) << "nothing placed in this game";
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.form2Shows, 1);
}

// Over many deals every one of the 720 orders comes up about equally often;
// a draw that repeats a part already dealt is drawn again for the same card,
// which costs 6 * H(6) draws a deal. The seed is fixed: every run alike.
TEST(Shuffle, EveryOrderIsEquallyLikely) {
    constexpr int kOrders = 720, kDeals = kOrders * 100;
    test::FakeHost host{20261206};
    Form1 form{host};
    std::map<Row, int> seen;
    for (int n = 0; n < kDeals; ++n) {
        form.Command1_Click();
        const Row dealt = host.row(ImageArray::Imgx);
        ASSERT_TRUE(std::is_permutation(dealt.begin(), dealt.end(), kFace.begin())) << "deal " << n;
        ++seen[dealt];
    }
    ASSERT_EQ(seen.size(), static_cast<size_t>(kOrders));
    const double expected = static_cast<double>(kDeals) / kOrders;
    double chi2 = 0;
    for (const auto& [order, count] : seen) chi2 += (count - expected) * (count - expected) / expected;
    // 719 degrees of freedom: mean 719, standard deviation about 38. 860 is
    // beyond the 99.9th percentile; a biased shuffle lands far above it.
    EXPECT_LT(chi2, 860.0);
    EXPECT_GT(chi2, 580.0) << "suspiciously even: the deals may not be random at all";
    EXPECT_NEAR(static_cast<double>(host.draws) / kDeals, 14.7, 0.2) << "draws a deal";
}

// The generator every host hands the rules: after a re-seed from the clock,
// whole multiples of 2^-24 in [0, 1), reaching both ends of the range.
TEST(ClockSeededRandom, GivesTwentyFourBitFractionsOverTheWholeRange) {
    ClockSeededRandom random;
    random.reseed();
    float low = 1, high = 0;
    for (int i = 0; i < 20000; ++i) {
        const float r = random.next();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f && r * 16777216.0f == std::floor(r * 16777216.0f)) << r;
        low = std::min(low, r), high = std::max(high, r);
    }
    EXPECT_LT(low, 0.01f);
    EXPECT_GT(high, 0.99f);
}

TEST(Rules, APlayerMayAskForLongerToMemorise) {
    test::FakeHost host;
    Form1 form{host, 12000};
    form.Command1_Click();
    EXPECT_EQ(host.interval, 12000);
}

}  // namespace
}  // namespace poromea
