// Feeds the rules long random sequences of events and, after every one,
// compares everything a player could see with a small model of the game
// written independently of the rules' code.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/form1.h"
#include "tests/game/fake_host.h"

namespace poromea {
namespace {

using test::FakeHost;
using Row = std::vector<std::string>;

const Row kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};
const std::array<const char*, 7> kOps{"picture", "setPicture", "beginDrag", "setTimerInterval",
                                      "messageBox", "rnd", "showWindow"};

std::string part(int p) { return p < 0 ? "empty" : "part" + std::to_string(p); }

// What the game should look like, kept by plain bookkeeping.
struct Model {
    Row cards = kCovers;
    Row slots = Row(kParts, "empty");
    std::array<int, kParts> order{};
    std::array<int, kParts> placed{-1, -1, -1, -1, -1, -1};
    bool canDrag = false;
    bool timerRunning = false;
    int pressedCard = 0, pressedPart = 0;
    size_t drags = 0, messages = 0;
    int congratulations = 0;
};

enum class Event { Start, Tick, Press, Drop, Check, RightMove, Count };

class ModelCheck {
public:
    explicit ModelCheck(std::uint32_t seed) : seed_(seed), rng_(seed) { restart(); }

    // Runs `steps` events; returns an empty string or a description of the first mismatch.
    std::string run(long steps) {
        for (step_ = 0; step_ < steps; ++step_) {
            if (pick(1000) == 0) host_->failOn(kOps[pick(kOps.size())]);
            const Event e = choose();
            try {
                apply(e);
            } catch (const std::exception&) {
                // The host ends the program after a failure: start a fresh one,
                // once sure the rules kept no picture behind.
                if (host_->heldOutside() != 0) return where("a failed handler kept a picture");
                ++faults;
                restart();
                continue;
            }
            if (std::string m = compare(); !m.empty()) return where(m);
        }
        return {};
    }

    long events() const { return step_; }
    long faults = 0, correct = 0, wrong = 0;

private:
    void restart() {
        form_.reset();
        host_ = std::make_unique<FakeHost>(static_cast<std::uint32_t>(rng_()));
        form_ = std::make_unique<Form1>(*host_);
        model_ = Model{};
    }

    std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

    Event choose() {
        // Mostly presses and drops; now and then the move that completes the face.
        const std::size_t r = pick(100);
        if (r < 3) return Event::Start;
        if (r < 6) return model_.timerRunning ? Event::Tick : Event::Press;
        if (r < 22) return Event::Press;
        if (r < 38) return Event::Drop;
        if (r < 41) return Event::Check;
        return Event::RightMove;
    }

    void press(int card) {
        const auto button = static_cast<std::int16_t>(1 << pick(3));
        form_->Imgx_MouseDown(static_cast<std::int16_t>(card), button, static_cast<std::int16_t>(pick(8)),
                              static_cast<float>(pick(750)), static_cast<float>(pick(750)));
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

    void apply(Event e) {
        switch (e) {
        case Event::Start: {
            form_->Command1_Click();
            model_.slots = Row(kParts, "empty");
            model_.placed.fill(-1);
            model_.canDrag = false;
            model_.timerRunning = true;
            // The order is random: learn it from the cards, then check it is a deal.
            model_.cards = host_->row(ImageArray::Imgx);
            for (int i = 0; i < kParts; ++i) {
                const std::string& name = model_.cards[i];
                model_.order[i] = name.size() == 5 && name.starts_with("part") ? name[4] - '0' : -1;
            }
            break;
        }
        case Event::Tick:
            form_->Timer1_Timer();
            model_.canDrag = true;
            model_.timerRunning = false;
            model_.cards = kCovers;
            break;
        case Event::Press:
            press(static_cast<int>(pick(kParts)));
            break;
        case Event::Drop:
            drop(static_cast<int>(pick(kParts)));
            break;
        case Event::RightMove: {
            const int slot = static_cast<int>(pick(kParts));
            const auto* at = std::find(model_.order.begin(), model_.order.end(), slot);
            press(static_cast<int>(at - model_.order.begin()) % kParts);
            drop(slot);
            break;
        }
        case Event::Check: {
            form_->Command2_Click();
            model_.canDrag = false;
            bool right = true;
            for (int k = 0; k < kParts; ++k) {
                model_.slots[k] = part(model_.placed[k]);
                right = right && model_.placed[k] == k;
            }
            right ? (++model_.congratulations, ++correct) : (++model_.messages, ++wrong);
            break;
        }
        case Event::Count:
            break;
        }
    }

    std::string compare() const {
        const Form1::State& s = form_->state();
        Row sorted = host_->row(ImageArray::Imgx);
        std::sort(sorted.begin(), sorted.end());
        if (sorted != Row{"part0", "part1", "part2", "part3", "part4", "part5"} &&
            host_->row(ImageArray::Imgx) != kCovers) {
            return "the cards show neither a deal nor the covers";
        }
        if (host_->row(ImageArray::Imgx) != model_.cards) return "cards differ from the model";
        if (host_->row(ImageArray::Slot) != model_.slots) return "slots differ from the model";
        if (host_->row(ImageArray::Imga) != Row{"part0", "part1", "part2", "part3", "part4", "part5"} ||
            host_->shown(Imgc()) != "empty") {
            return "a picture store changed";
        }
        for (int k = 0; k < kParts; ++k) {
            if (s.placed[k] != model_.placed[k]) return "placed differs from the model";
            if (s.placed[k] < kNothing || s.placed[k] >= kParts) return "placed holds no part";
        }
        if ((s.canDrag == 1) != model_.canDrag) return "canDrag differs from the model";
        if ((host_->interval != 0) != model_.timerRunning) return "timer differs from the model";
        if (host_->drags.size() != model_.drags) return "drags differ from the model";
        if (host_->messages.size() != model_.messages || host_->form2Shows != model_.congratulations) {
            return "verdict differs from the model";
        }
        if (!host_->messages.empty() &&
            host_->messages.back() != std::pair<std::u16string, std::u16string>(kWrongPrompt, kWrongTitle)) {
            return "wrong message texts";
        }
        if (host_->heldOutside() != 0) return "the rules kept a picture after a handler";
        return {};
    }

    std::string where(const std::string& what) const {
        std::ostringstream out;
        out << what << " (seed " << seed_ << ", step " << step_ << ")";
        return out.str();
    }

    std::uint32_t seed_;
    std::mt19937 rng_;
    std::unique_ptr<FakeHost> host_;
    std::unique_ptr<Form1> form_;
    Model model_;
    long step_ = 0;
};

TEST(ModelCheck, AMillionRandomEventsKeepTheGameConsistent) {
    long events = 0, faults = 0, correct = 0, wrong = 0;
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        ModelCheck check(seed);
        const std::string failure = check.run(250'000);
        ASSERT_EQ(failure, "");
        events += check.events();
        faults += check.faults;
        correct += check.correct;
        wrong += check.wrong;
    }
    std::printf("events %ld, injected faults %ld, correct faces %ld, wrong faces %ld\n", events, faults,
                correct, wrong);
    EXPECT_EQ(events, 1'000'000);
    // The run must have reached every outcome often, or it proves little.
    EXPECT_GT(faults, 100);
    EXPECT_GT(correct, 100);
    EXPECT_GT(wrong, 1000);
}

}  // namespace
}  // namespace poromea
