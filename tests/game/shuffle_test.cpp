#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "game/form1.h"
#include "host/random.h"
#include "tests/game/fake_host.h"

namespace poromea {
namespace {

using test::FakeHost;

std::array<int, kParts> dealtOrder(const Form1& form) {
    std::array<int, kParts> out{};
    for (int i = 0; i < kParts; ++i) out[i] = static_cast<int>(form.state().order[i]);
    return out;
}

// A draw that repeats a part already dealt is thrown away and the same card
// drawn again; a draw is the whole part of r * 6.
TEST(Shuffle, RejectsRepeatsAndRedrawsTheSameCard) {
    FakeHost host;
    Form1 form{host};
    host.script = {0.99f, 0.99f, 0.0f, 0.9999f, 0.5f, 0.17f, 0.5f, 0.34f, 0.2f, 0.7f, 0.0f};
    form.Command1_Click();
    EXPECT_EQ(dealtOrder(form), (std::array<int, kParts>{5, 0, 3, 1, 2, 4}));
    EXPECT_EQ(host.draws, 10);
    EXPECT_EQ(host.script.size(), 1u) << "no draw after the last card is filled";
    EXPECT_EQ(form.state().filled, 6);
    EXPECT_EQ(form.state().hits, 1);
    EXPECT_EQ(host.row(ImageArray::Imgx),
              (std::vector<std::string>{"part5", "part0", "part3", "part1", "part2", "part4"}));
}

// Over many deals every one of the 720 orders comes up about equally often.
// The seed is fixed, so the result is the same on every run.
TEST(Shuffle, EveryOrderIsEquallyLikely) {
    constexpr int kOrders = 720;
    constexpr int kDeals = kOrders * 100;
    FakeHost host{20261206};
    Form1 form{host};
    std::map<std::array<int, kParts>, int> seen;
    for (int n = 0; n < kDeals; ++n) {
        form.Command1_Click();
        auto order = dealtOrder(form);
        auto sorted = order;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, (std::array<int, kParts>{0, 1, 2, 3, 4, 5})) << "deal " << n;
        ++seen[order];
    }
    ASSERT_EQ(seen.size(), static_cast<size_t>(kOrders));

    const double expected = static_cast<double>(kDeals) / kOrders;
    double chi2 = 0;
    for (const auto& [order, count] : seen) chi2 += (count - expected) * (count - expected) / expected;
    // 719 degrees of freedom: mean 719, standard deviation about 38. 860 is
    // beyond the 99.9th percentile; a biased shuffle lands far above it.
    EXPECT_LT(chi2, 860.0);
    EXPECT_GT(chi2, 580.0) << "suspiciously even: the deals may not be random at all";
    // Rejection costs draws: on average 6 * H(6) = 14.7 per deal.
    EXPECT_NEAR(static_cast<double>(host.draws) / kDeals, 14.7, 0.2);
}

// The generator both hosts hand the rules: after a re-seed from the clock,
// whole multiples of 2^-24 in [0, 1), reaching both ends of the range.
TEST(ClockSeededRandom, GivesTwentyFourBitFractionsOverTheWholeRange) {
    ClockSeededRandom random;
    random.reseed();
    float low = 1, high = 0;
    for (int i = 0; i < 20000; ++i) {
        const float r = random.next();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f) << r;
        ASSERT_EQ(r * 16777216.0f, std::floor(r * 16777216.0f)) << r;
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_LT(low, 0.01f);
    EXPECT_GT(high, 0.99f);
}

}  // namespace
}  // namespace poromea
