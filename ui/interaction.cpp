#include "ui/interaction.h"

#include <stdexcept>
#include <utility>

#include "ui/layout.h"

namespace poromea::ui {
namespace {

Point topLeftOf(ImageControl control) {
    const PixelRect r = controlFor(control).pixelRect();
    return {static_cast<double>(r.left), static_cast<double>(r.top)};
}

Announcement announcement(Announcement::Kind kind, int card = -1, int slot = -1, Shown shown = {}) { return {kind, card, slot, shown, {}}; }

}  // namespace

// --- the buttons and the timer ---

void Interaction::buttonClicked(Button button) {
    // While a card is held the pointer and the keys belong to it: a second
    // finger, or a click that reaches a button some other way, does nothing.
    if (holding()) return;
    if (button == Button::Start) {
        rule_.run("START", [this] {
            game_.Command1_Click();
            Announcement dealt = announcement(Announcement::Kind::Dealt);
            for (int card = 0; card < kParts; ++card) dealt.parts[static_cast<std::size_t>(card)] = game_.shown(Imgx(card)).index;
            tell(dealt);
        });
    } else if (button == Button::Check) {
        rule_.run("O  K", [this] { game_.Command2_Click(); });
    }
}

void Interaction::timerElapsed() {
    rule_.run("Timer1", [this] {
        const bool wasCovered = covered(game_.state());
        game_.Timer1_Timer();
        if (!wasCovered) tell(announcement(Announcement::Kind::Covered));
    });
}

// --- holding a card ---

// A press on a card, by a pointer or by a key, goes to the rules, which call
// beginDrag if a card may be taken now.
void Interaction::press(const HeldCard& how, int button, int shift) {
    pressing_ = how;
    const auto card = static_cast<std::int16_t>(how.card);
    const auto x = static_cast<float>(how.inCard.x * kTwipsPerPixel);
    const auto y = static_cast<float>(how.inCard.y * kTwipsPerPixel);
    rule_.run(how.byKeys ? "キー" : "マウス", [&] {
        game_.Imgx_MouseDown(card, static_cast<std::int16_t>(button), static_cast<std::int16_t>(shift), x, y);
    });
    pressing_ = {};
}

void Interaction::beginDrag(int card) {
    if (pressing_.card != card) throw std::logic_error("a drag begins only from the card being pressed");
    held_ = pressing_;
    if (held_.byKeys) {
        held_.slot = kFirstKeyboardSlot;
        host_.showOutline(topLeftOf(Slot(held_.slot)));
        tell(announcement(Announcement::Kind::PickedUp, card, held_.slot, game_.shown(Slot(held_.slot))));
    } else {
        host_.showOutline(topLeftOf(Imgx(card)));  // where the card is, until the pointer moves
        host_.capturePointer(card, held_.pointer);
        tell(announcement(Announcement::Kind::PickedUp, card));
    }
}

void Interaction::pointerDown() {
    if (heldByKeys()) rule_.run("マウス", [this] { putBack(); });
}

void Interaction::cardPressed(int card, const Press& p) {
    if (holding()) return;  // another button, or another finger, while a card is held
    // Back, Forward and any other button are the window system's (a browser's history): no card.
    if (p.button != kLeftButton && p.button != kRightButton && p.button != kMiddleButton) return;
    HeldCard how;
    how.card = card;
    how.pointer = p.pointer;
    how.button = p.button;
    how.inCard = p.inCard;
    press(how, p.button, p.shift);
}

void Interaction::pointerMoved(int pointer, Point at, int buttons) {
    if (!holding() || held_.byKeys || held_.pointer != pointer) return;  // the keys ignore the pointer
    // The holding button let go while another is still held: that is its release.
    if (buttons >= 0 && (buttons & held_.button) == 0) return pointerReleased(pointer, held_.button, at);
    rule_.run("ドラッグ", [&] { host_.showOutline({at.x - held_.inCard.x, at.y - held_.inCard.y}); });
}

void Interaction::pointerReleased(int pointer, int button, Point at) {
    if (!holding() || held_.byKeys || held_.pointer != pointer || held_.button != button) return;
    rule_.run("ドロップ", [&] {
        const int slot = host_.slotAt(at);
        if (slot < 0) return putBack();  // let go anywhere but a slot: nothing happens
        drop(slot);
    });
}

void Interaction::pointerLost(int pointer) {
    if (holding() && !held_.byKeys && held_.pointer == pointer) rule_.run("ドラッグ", [this] { putBack(); });
}

void Interaction::windowDeactivated() {
    if (holding()) rule_.run("ウィンドウ", [this] { putBack(); });
}

bool Interaction::keyPressed(Key key) {
    if (rule_.failed()) return false;
    using A = KeyCommand::Action;
    const KeyCommand command = keyCommand(key, heldByKeys() ? held_.slot : -1, holding() && !held_.byKeys);
    switch (command.action) {
    case A::PassOn:
        return false;
    case A::Swallow:
        return true;
    case A::PickUp: {
        if (holding()) rule_.run("キー", [this] { putBack(); });  // another digit takes that card instead
        HeldCard how;
        how.card = command.target;
        how.byKeys = true;
        const PixelRect r = controlFor(Imgx(command.target)).pixelRect();
        how.inCard = {r.width / 2.0, r.height / 2.0};  // pressed in the middle, with the left button
        press(how, kLeftButton, 0);
        return true;
    }
    case A::Move:
        rule_.run("キー", [&] { holdOver(command.target); });
        return true;
    case A::Drop:
        rule_.run("ドロップ", [&] { drop(command.target); });
        return true;
    case A::PutBack:
        rule_.run("キー", [this] { putBack(); });
        return true;
    case A::Click:
        return pressFocusedButton();
    }
    return true;
}

// Return presses the main window's focused button, as Space does; false if none has the focus.
bool Interaction::pressFocusedButton() {
    // The window system asked under the failure rule, as every handler is; the press is a handler of its own.
    ControlId focused = ControlId::None;
    rule_.run("キー", [&] {
        if (host_.activeWindow() == Window::Main) focused = host_.focusedControl(Window::Main);
    });
    if (focused != Button::Start && focused != Button::Check) return rule_.failed();
    buttonClicked(focused);
    return true;
}

void Interaction::holdOver(int slot) {
    held_.slot = slot;
    host_.showOutline(topLeftOf(Slot(slot)));
    tell(announcement(Announcement::Kind::MovedOver, held_.card, slot, game_.shown(Slot(slot))));
}

void Interaction::drop(int slot) {
    const HeldCard held = letGo();
    (game_.*kSlotDrops.at(static_cast<std::size_t>(slot)))();
    tell(announcement(Announcement::Kind::Dropped, held.card, slot));
}

void Interaction::putBack() {
    const HeldCard held = letGo();
    if (held.card >= 0) tell(announcement(Announcement::Kind::PutBack, held.card));
}

// Ends the hold first, so that losing the capture below is not taken for a cancel.
Interaction::HeldCard Interaction::letGo() {
    const HeldCard held = held_;
    if (held.card < 0) return held;
    held_ = {};
    host_.hideOutline();
    if (!held.byKeys) host_.releasePointer(held.card, held.pointer);
    return held;
}

void Interaction::tell(const Announcement& told) {
    showChanged_();
    host_.announce(words(told));
}

}  // namespace poromea::ui
