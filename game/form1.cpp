#include "game/form1.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace poromea {
namespace {

constexpr float kUnfilled = 10.0f;

ImageControl element(ImageArray array, int index) {
    if (index < 0 || index >= kParts) {
        throw std::out_of_range("image control index " + std::to_string(index) + " outside 0..5");
    }
    return {array, static_cast<std::int16_t>(index)};
}

// A whole-number value as a 16-bit integer; anything that does not fit is a fault.
std::int16_t toInt16(float value) {
    if (!(value >= std::numeric_limits<std::int16_t>::min() &&
          value <= std::numeric_limits<std::int16_t>::max())) {
        throw std::overflow_error("value does not fit a 16-bit integer");
    }
    return static_cast<std::int16_t>(std::lround(value));
}

// The card-to-cover pairing that gives card i the cover with the digit i + 1.
constexpr std::array<int, kParts> kCoverOfCard{0, 2, 4, 1, 3, 5};

}  // namespace

ImageControl Imgx(int index) { return element(ImageArray::Imgx, index); }
ImageControl Imga(int index) { return element(ImageArray::Imga, index); }
ImageControl Imgb(int index) { return element(ImageArray::Imgb, index); }
ImageControl Imgc() { return {ImageArray::Imgc, 0}; }
ImageControl Slot(int index) { return element(ImageArray::Slot, index); }

void Form1::Command1_Click() {
    // A new game: nothing may be dragged while the parts are face up, and no
    // slot holds a card yet (not even one from an earlier game).
    state_.canDrag = 0;
    for (int k = 0; k < kParts; ++k) {
        host_.setPicture(Slot(k), host_.picture(Imgc()));
        state_.placed[k] = kNothing;
        state_.cardOn[k] = kNothing;
        state_.uncovered[k] = false;
    }
    state_.checked = Outcome::None;

    host_.randomize();
    state_.filled = 0;
    state_.order.fill(kUnfilled);
    // Rejection shuffle: redraw an entry until it differs from every other.
    while (state_.filled != kParts) {
        state_.hits = 0;
        const float r = host_.rnd();
        float& drawn = state_.order[state_.filled];
        drawn = std::floor(r * 6.0f);
        for (float entry : state_.order) {
            if (entry == drawn) ++state_.hits;
        }
        if (state_.hits == 1) ++state_.filled;
    }

    for (int i = 0; i < kParts; ++i) {
        host_.setPicture(Imgx(i), host_.picture(Imga(toInt16(state_.order[i]))));
    }
    state_.cards = State::Cards::FaceUp;
    host_.setTimerInterval(memoriseMs_);
}

void Form1::Timer1_Timer() {
    state_.canDrag = 1;
    host_.setTimerInterval(0);
    for (int i = 0; i < kParts; ++i) {
        host_.setPicture(Imgx(i), host_.picture(Imgb(kCoverOfCard[i])));
    }
    state_.cards = State::Cards::Covered;
}

void Form1::Imgx_MouseDown(std::int16_t index, std::int16_t /*button*/, std::int16_t /*shift*/,
                           float /*x*/, float /*y*/) {
    if (state_.canDrag != 1) return;
    const ImageControl card = Imgx(index);  // checks the index before anything changes
    host_.beginDrag(card.index);
    state_.dragIndex = index;
    state_.dragPart = toInt16(state_.order[index]);
}

void Form1::dropOnSlot(int slot) {
    host_.setPicture(Slot(slot), host_.picture(Imgx(state_.dragIndex)));
    state_.placed[slot] = state_.dragPart;
    state_.cardOn[slot] = state_.dragIndex;
    state_.uncovered[static_cast<std::size_t>(slot)] = false;
}

void Form1::Command2_Click() {
    state_.canDrag = 0;
    for (int k = 0; k < kParts; ++k) {
        const std::int16_t part = state_.placed[k];
        host_.setPicture(Slot(k), host_.picture(part == kNothing ? Imgc() : Imga(part)));
        state_.uncovered[k] = true;
    }
    bool correct = true;
    for (int k = 0; k < kParts; ++k) {
        correct = (state_.placed[k] == k) && correct;
    }
    state_.checked = correct ? Outcome::Right : Outcome::Wrong;
    if (correct) {
        ShowSuccess();
    } else {
        host_.messageBox(Message::Wrong);
    }
}

void Form1::ShowSuccess() { host_.showWindow(WindowName::Form2); }

Shown Form1::shown(ImageControl control) const { return poromea::shown(state_, control); }

bool covered(const Form1::State& state) { return state.cards == Form1::State::Cards::Covered; }

bool inProgress(const Form1::State& state) { return state.cards == Form1::State::Cards::FaceUp || state.canDrag == 1; }

Shown shown(const Form1::State& state, ImageControl control) {
    using K = Shown::Kind;
    const int i = control.index;
    switch (control.array) {
    case ImageArray::Imgx:
        if (covered(state)) return {K::Back, i};
        return {K::Part, toInt16(state.order[static_cast<std::size_t>(i)])};
    case ImageArray::Slot: {
        const std::int16_t part = state.placed[static_cast<std::size_t>(i)];
        if (part == kNothing) return {};
        if (state.uncovered[static_cast<std::size_t>(i)]) return {K::Part, part};
        return {K::Back, state.cardOn[static_cast<std::size_t>(i)]};
    }
    case ImageArray::Imga:
        return {K::Part, i};
    case ImageArray::Imgb:
        return {K::Back, static_cast<int>(std::find(kCoverOfCard.begin(), kCoverOfCard.end(), i) - kCoverOfCard.begin())};
    case ImageArray::Imgc:
        break;
    }
    return {};
}

}  // namespace poromea
