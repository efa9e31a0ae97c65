// A host that keeps the pictures of every image control as named objects and
// records what the rules asked of it, so tests can play whole games without a
// window system.
#pragma once

#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/form1.h"
#include "game/host.h"

namespace poromea::test {

struct NamedPicture : Picture {
    explicit NamedPicture(std::string n) : name(std::move(n)) {}
    std::string name;
};

class FakeHost : public Host {
public:
    // The controls as the main window opens: part k in Imga(k), the covers in
    // Imgb with their digits, card i wearing the cover with digit i + 1, and
    // the empty-slot picture in Imgc and every slot.
    explicit FakeHost(std::uint32_t seed = 1) : rng_(seed) {
        const int digitOfStore[kParts] = {1, 4, 2, 5, 3, 6};
        const auto empty = std::make_shared<NamedPicture>("empty");
        shown_[Imgc()] = empty;
        for (int k = 0; k < kParts; ++k) {
            shown_[Imga(k)] = std::make_shared<NamedPicture>("part" + std::to_string(k));
            shown_[Imgb(k)] = std::make_shared<NamedPicture>("cover" + std::to_string(digitOfStore[k]));
            shown_[Imgx(digitOfStore[k] - 1)] = shown_[Imgb(k)];
            shown_[Slot(k)] = empty;
        }
    }

    PictureRef picture(ImageControl c) override { return shown_.at(c); }
    void setPicture(ImageControl c, PictureRef p) override {
        if (!p) throw std::invalid_argument("null picture");
        shown_.at(c) = std::move(p);
    }
    void beginDrag(std::int16_t card) override { drags.push_back(card); }
    void setTimerInterval(std::int32_t ms) override { interval = ms; }
    void messageBox(Message m) override { messages.push_back(m); }
    void randomize() override {}
    float rnd() override {
        return static_cast<float>(rng_() >> 8) / 16777216.0f;  // exact, below 1
    }
    void showWindow(WindowName) override { ++form2Shows; }

    std::string shown(ImageControl c) const { return static_cast<const NamedPicture&>(*shown_.at(c)).name; }
    std::vector<std::string> row(ImageArray array) const {
        std::vector<std::string> out;
        for (int i = 0; i < kParts; ++i) out.push_back(shown({array, static_cast<std::int16_t>(i)}));
        return out;
    }

    std::int32_t interval = 0;
    std::vector<std::int16_t> drags;
    std::vector<Message> messages;
    int form2Shows = 0;

private:
    std::map<ImageControl, PictureRef> shown_;
    std::mt19937 rng_;
};

}  // namespace poromea::test
