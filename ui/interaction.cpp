#include "ui/interaction.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "ui/layout.h"

namespace poromea::ui {
namespace {

Point topLeftOf(ImageControl control) {
    const PixelRect r = controlFor(control).pixelRect();
    return {static_cast<double>(r.left), static_cast<double>(r.top)};
}

Told told(Told::Kind kind, int card = -1, int slot = -1, Shown shown = {}) { return {kind, card, slot, shown, {}}; }

}  // namespace

std::string failureMessage(std::string_view what, std::string_view why) {
    return "「" + std::string(what) + "」の処理でエラーが発生しました。\n" + std::string(why) + "\nゲームを終了します。";
}

std::string startFailureMessage(std::string_view why) { return "ゲームを開始できません。\n" + std::string(why); }

// --- failures ---

void Interaction::run(std::string_view what, const std::function<void()>& handler) {
    if (failed_) return;  // the game has ended; its state is no longer trusted
    const std::string_view outer = handling_;
    handling_ = what;
    if (probe_) probe_->began(what);
    try {
        handler();
        if (settled_) settled_();
    } catch (const std::exception& e) {
        fail(what, e.what());
    } catch (...) {
        fail(what, "不明なエラーです。");
    }
    if (probe_) probe_->ended(what);
    handling_ = outer;
}

void Interaction::fail(std::string_view what, std::string_view why) {
    if (failed_) return;
    failed_ = true;
    const std::string message = failureMessage(what, why);
    // Reporting the first failure matters more than tidying up after it.
    try {
        letGo();
    } catch (...) {
    }
    try {
        host_.stopTimer();
    } catch (...) {
    }
    host_.showFailure(message);
    host_.endProgram(1);
}

// --- the buttons and the timer ---

void Interaction::buttonClicked(Button button) {
    // While a card is held the pointer and the keys belong to it: a second
    // finger, or a click that reaches a button some other way, does nothing.
    if (holding()) return;
    if (button == Button::Start) {
        run("START", [this] {
            game_.Command1_Click();
            Told dealt = told(Told::Kind::Dealt);
            for (int card = 0; card < kParts; ++card) dealt.parts[static_cast<std::size_t>(card)] = game_.shown(Imgx(card)).index;
            tell(dealt);
        });
    } else if (button == Button::Check) {
        run("O  K", [this] { game_.Command2_Click(); });
    }
}

void Interaction::timerElapsed() {
    run("Timer1", [this] {
        const bool wasCovered = covered(game_.state());
        game_.Timer1_Timer();
        if (!wasCovered) tell(told(Told::Kind::Covered));
    });
}

// --- holding a card ---

// A press on a card, by a pointer or by a key, goes to the rules, which call
// beginDrag if a card may be taken now.
void Interaction::press(const Held& how, int button, int shift) {
    pressing_ = how;
    const auto card = static_cast<std::int16_t>(how.card);
    const auto x = static_cast<float>(how.inCard.x * kTwipsPerPixel);
    const auto y = static_cast<float>(how.inCard.y * kTwipsPerPixel);
    run(how.byKeys ? "キー" : "マウス", [&] {
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
        tell(told(Told::Kind::PickedUp, card, held_.slot, game_.shown(Slot(held_.slot))));
    } else {
        host_.showOutline(topLeftOf(Imgx(card)));  // where the card is, until the pointer moves
        host_.capturePointer(card, held_.pointer);
        tell(told(Told::Kind::PickedUp, card));
    }
}

void Interaction::pointerDown() {
    if (heldByKeys()) run("マウス", [this] { putBack(); });
}

void Interaction::cardPressed(int card, const Press& p) {
    if (holding()) return;  // another button, or another finger, while a card is held
    // Back, Forward and any other button are the window system's (a browser's history): no card.
    if (p.button != kLeftButton && p.button != kRightButton && p.button != kMiddleButton) return;
    Held how;
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
    run("ドラッグ", [&] { host_.showOutline({at.x - held_.inCard.x, at.y - held_.inCard.y}); });
}

void Interaction::pointerReleased(int pointer, int button, Point at) {
    if (!holding() || held_.byKeys || held_.pointer != pointer || held_.button != button) return;
    run("ドロップ", [&] {
        const int slot = host_.slotAt(at);
        if (slot < 0) return putBack();  // let go anywhere but a slot: nothing happens
        drop(slot);
    });
}

void Interaction::pointerLost(int pointer) {
    if (holding() && !held_.byKeys && held_.pointer == pointer) run("ドラッグ", [this] { putBack(); });
}

void Interaction::windowDeactivated() {
    if (holding()) run("ウィンドウ", [this] { putBack(); });
}

bool Interaction::keyPressed(Key key) {
    if (failed_) return false;
    using A = KeyCommand::Action;
    const KeyCommand command = keyCommand(key, heldByKeys() ? held_.slot : -1, holding() && !held_.byKeys);
    switch (command.action) {
    case A::PassOn:
        return false;
    case A::Swallow:
        return true;
    case A::PickUp: {
        if (holding()) run("キー", [this] { putBack(); });  // another digit takes that card instead
        Held how;
        how.card = command.target;
        how.byKeys = true;
        const PixelRect r = controlFor(Imgx(command.target)).pixelRect();
        how.inCard = {r.width / 2.0, r.height / 2.0};  // pressed in the middle, with the left button
        press(how, kLeftButton, 0);
        return true;
    }
    case A::Move:
        run("キー", [&] { holdOver(command.target); });
        return true;
    case A::Drop:
        run("ドロップ", [&] { drop(command.target); });
        return true;
    case A::PutBack:
        run("キー", [this] { putBack(); });
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
    run("キー", [&] {
        if (host_.activeWindow() == Window::Main) focused = host_.focusedControl(Window::Main);
    });
    if (focused != Button::Start && focused != Button::Check) return failed_;
    buttonClicked(focused);
    return true;
}

void Interaction::holdOver(int slot) {
    held_.slot = slot;
    host_.showOutline(topLeftOf(Slot(slot)));
    tell(told(Told::Kind::MovedOver, held_.card, slot, game_.shown(Slot(slot))));
}

void Interaction::drop(int slot) {
    const Held held = letGo();
    (game_.*kSlotDrops.at(static_cast<std::size_t>(slot)))();
    tell(told(Told::Kind::Dropped, held.card, slot));
}

void Interaction::putBack() {
    const Held held = letGo();
    if (held.card >= 0) tell(told(Told::Kind::PutBack, held.card));
}

// Ends the hold first, so that losing the capture below is not taken for a cancel.
Interaction::Held Interaction::letGo() {
    const Held held = held_;
    if (held.card < 0) return held;
    held_ = {};
    host_.hideOutline();
    if (!held.byKeys) host_.releasePointer(held.card, held.pointer);
    return held;
}

void Interaction::tell(const Told& told) {
    if (settled_) settled_();
    host_.announce(words(told));
}

}  // namespace poromea::ui
