// Feeds the rules long random sequences of events, with host failures now and
// then, and after every one compares everything a player could see with a
// small model of the game written independently of the rules' code.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/form1.h"
#include "tests/game/fake_host.h"

namespace poromea {
namespace {

using Row = std::vector<std::string>;
const Row kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};
const Row kFace{"part0", "part1", "part2", "part3", "part4", "part5"};
const std::array<const char*, 7> kOps{"picture", "setPicture", "beginDrag", "setTimerInterval",
                                      "messageBox", "rnd", "showWindow"};

// What the game should look like, kept by plain bookkeeping.
struct Model {
    Row cards = kCovers, slots = Row(kParts, "empty");
    std::array<int, kParts> order{}, placed{-1, -1, -1, -1, -1, -1};
    bool canDrag = false, timerRunning = false;
    int pressedCard = 0, pressedPart = 0;
    std::size_t drags = 0, messages = 0;
    int congratulations = 0;
};

class ModelCheck {
public:
    explicit ModelCheck(std::uint32_t seed) : rng_(seed) { restart(); }

    // Runs `steps` events; returns "" or what differed first, and where.
    std::string run(long steps) {
        for (long step = 0; step < steps; ++step) {
            if (pick(1000) == 0) host_->failOn(kOps[pick(kOps.size())]);
            try {
                apply(pick(100));
            } catch (const std::exception&) {  // the host ends the program: start a fresh one
                ++faults;
                restart();
                continue;
            }
            if (std::string m = compare(); !m.empty()) return m + " at step " + std::to_string(step);
        }
        return {};
    }
    long faults = 0, correct = 0, wrong = 0;

private:
    void restart() {
        form_.reset();
        host_ = std::make_unique<test::FakeHost>(static_cast<std::uint32_t>(rng_()));
        form_ = std::make_unique<Form1>(*host_);
        model_ = Model{};
    }
    int pick(std::size_t n) { return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_)); }

    void press(int card) {
        form_->Imgx_MouseDown(static_cast<std::int16_t>(card), static_cast<std::int16_t>(1 << pick(3)),
                              static_cast<std::int16_t>(pick(8)), static_cast<float>(pick(750)), 0.0f);
        if (!model_.canDrag) return;
        ++model_.drags;
        model_.pressedCard = card;
        model_.pressedPart = model_.order[card];
    }
    void drop(int slot) {
        ((*form_).*kSlotDrops.at(slot))();
        model_.slots[slot] = model_.cards[model_.pressedCard];
        model_.placed[slot] = model_.pressedPart;
    }

    // Mostly presses and drops; now and then the move that completes the face.
    void apply(int r) {
        if (r < 3) {  // START: the order is random, so learn it from the cards
            form_->Command1_Click();
            model_ = {host_->row(ImageArray::Imgx), Row(kParts, "empty"), {}, {-1, -1, -1, -1, -1, -1}, false, true,
                      model_.pressedCard, model_.pressedPart, model_.drags, model_.messages, model_.congratulations};
            for (int i = 0; i < kParts; ++i) {
                model_.order[i] = static_cast<int>(std::find(kFace.begin(), kFace.end(), model_.cards[i]) - kFace.begin());
            }
        } else if (r < 6 && model_.timerRunning) {
            form_->Timer1_Timer();
            model_.canDrag = true, model_.timerRunning = false, model_.cards = kCovers;
        } else if (r < 22) {
            press(pick(kParts));
        } else if (r < 38) {
            drop(pick(kParts));
        } else if (r < 41) {
            form_->Command2_Click();
            model_.canDrag = false;
            bool right = true;
            for (int k = 0; k < kParts; ++k) {
                model_.slots[k] = model_.placed[k] < 0 ? "empty" : kFace[model_.placed[k]];
                right = right && model_.placed[k] == k;
            }
            right ? (++model_.congratulations, ++correct) : (++model_.messages, ++wrong);
        } else {  // the right card onto a random slot
            const int slot = pick(kParts);
            press(static_cast<int>(std::find(model_.order.begin(), model_.order.end(), slot) - model_.order.begin()) % kParts);
            drop(slot);
        }
    }

    // What differs first from the model, or "".
    std::string compare() const {
        const Form1::State& s = form_->state();
        const Row cards = host_->row(ImageArray::Imgx);
        const std::pair<std::u16string, std::u16string> wrongBox{kWrongPrompt, kWrongTitle};
        const std::pair<bool, const char*> checks[] = {
            {std::is_permutation(cards.begin(), cards.end(), kFace.begin()) || cards == kCovers, "a deal or the covers"},
            {cards == model_.cards, "cards"},
            {host_->row(ImageArray::Slot) == model_.slots, "slots"},
            {host_->row(ImageArray::Imga) == kFace && host_->shown(Imgc()) == "empty", "picture stores"},
            {std::equal(s.placed.begin(), s.placed.end(), model_.placed.begin()), "placed"},
            {(s.canDrag == 1) == model_.canDrag, "canDrag"},
            {(host_->interval != 0) == model_.timerRunning, "timer"},
            {host_->drags.size() == model_.drags, "drags"},
            {host_->messages.size() == model_.messages && host_->form2Shows == model_.congratulations, "verdicts"},
            {host_->messages.empty() || host_->messages.back() == wrongBox, "message texts"},
        };
        for (const auto& [ok, what] : checks) {
            if (!ok) return std::string("the game and its model differ: ") + what;
        }
        return "";
    }

    std::mt19937 rng_;
    std::unique_ptr<test::FakeHost> host_;
    std::unique_ptr<Form1> form_;
    Model model_;
};

TEST(ModelCheck, AMillionRandomEventsKeepTheGameConsistent) {
    long faults = 0, correct = 0, wrong = 0;
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        ModelCheck check(seed);
        ASSERT_EQ(check.run(250'000), "") << "seed " << seed;
        faults += check.faults, correct += check.correct, wrong += check.wrong;
    }
    std::printf("events 1000000, injected faults %ld, correct faces %ld, wrong faces %ld\n", faults, correct, wrong);
    // The run must have reached every outcome often, or it proves little.
    EXPECT_GT(faults, 100);
    EXPECT_GT(correct, 100);
    EXPECT_GT(wrong, 1000);
}

}  // namespace
}  // namespace poromea
