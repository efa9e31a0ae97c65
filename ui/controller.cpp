#include "ui/controller.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "ui/layout.h"

namespace poromea::ui {

Controller::Controller(Primitives& host, std::int32_t memoriseMs)
    : host_(host), game_(*this, memoriseMs), hand_(game_, host) {
    // Read once: a picture given from one control to another stays the same object.
    const auto read = [this](std::string_view name) {
        PictureRef picture = host_.loadPicture(name);
        if (!picture) throw std::runtime_error("画像 " + std::string(name) + " がありません。");
        return picture;
    };
    for (const Store& s : kForm1.stores) pictures_[s.control] = read(s.picture);
    for (const Control& c : kForm1.controls) {
        if (c.reached) pictures_[*c.reached] = read(c.picture);
    }
    hand_.onSettled([this] { showChanged(); });
}

// --- the rules' Host ---

PictureRef Controller::picture(ImageControl control) {
    auto it = pictures_.find(control);
    if (it == pictures_.end()) throw std::out_of_range("no such image control");
    return it->second;
}

void Controller::setPicture(ImageControl control, PictureRef picture) {
    if (control.array != ImageArray::Imgx && control.array != ImageArray::Slot) {
        throw std::out_of_range("the rules may only change shown image controls");
    }
    const auto isStored = [&](const Store& s) { return pictures_[s.control] == picture; };
    if (!picture || std::none_of(kForm1.stores.begin(), kForm1.stores.end(), isStored)) {
        throw std::invalid_argument("a control shows one of the game's pictures");
    }
    pictures_[control] = std::move(picture);
    changed_.insert(control);
}

// The pictures the rules set, each shown with what the rules' state says it shows: the one source of
// what a control shows and of what a player is told of it. Shown as a handler ends, before anything is
// told, and before a window opens over them, when the rules have set their state to match.
void Controller::showChanged() {
    while (!changed_.empty()) {
        const ImageControl control = *changed_.begin();
        changed_.erase(changed_.begin());
        host_.showPicture(control, pictures_[control], description(game_.shown(control)));
    }
}

// Timer1: 0 stops it, any other interval starts the countdown anew from now.
void Controller::setTimerInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) throw std::invalid_argument("negative timer interval");
    timerRunning_ = milliseconds > 0;
    if (timerRunning_) {
        host_.startTimer(milliseconds);
    } else {
        host_.stopTimer();
    }
}

void Controller::timerElapsed() {
    // A tick queued before the timer was stopped is not the rules' to see.
    if (timerRunning_) hand_.timerElapsed();
}

// Modal: while it is open no window of the game takes input. A page cannot
// wait for the player inside a handler, so its box may return at once; the
// rules end with this call, so nothing they do waits on it being closed.
void Controller::messageBox(Message message) {
    if (boxOpen()) throw std::logic_error("a message box is already open");
    const MessageText text = textOf(message);
    showChanged();
    boxWaiting_ = true;
    try {
        host_.runMessageBox(text.prompt, text.title, spokenMessage(message));
    } catch (...) {
        boxWaiting_ = false;
        throw;
    }
    boxWaiting_ = false;
}

// Asked before an input is taken, so under the failure rule too; a game that has ended takes none.
bool Controller::boxOpen() {
    if (boxWaiting_) return true;
    if (!hand_.handling().empty()) return host_.messageBoxOpen();  // under that handler's rule already
    bool open = false;
    hand_.run("ウィンドウ", [&] { open = host_.messageBoxOpen(); });
    return open || hand_.failed();
}

// Made once, shown again at its designed place unless it is open, in front,
// with the keys on its banner so that a screen reader reads it as it opens.
void Controller::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    if (host_.windowShown(Window::Congratulation)) return;
    showChanged();
    host_.showWindow(Window::Congratulation, pixels(*kForm2.left), pixels(*kForm2.top));
    host_.focus(focusAsOpened(Window::Congratulation));
}

// --- the windows' events ---

void Controller::mainWindowShown() {
    hand_.run("ウィンドウ", [this] { host_.focus(focusAsOpened(Window::Main)); });
}

bool Controller::keyPressed(std::optional<Window> window, Key key, bool shift, bool shortcut) {
    if (boxOpen()) return false;  // the box's own keys, or the report's
    if (shortcut) key = Key::Other;  // the window system's or the browser's (a held card still owns it)
    if (!window && !hand_.holding()) return false;
    const Window in = window.value_or(Window::Main);
    switch (routeKey(in, key, shift, hand_.holding())) {
    case KeyRoute::Game:
        return hand_.keyPressed(key);
    case KeyRoute::Close:
        hand_.run("ウィンドウ", [this] { closeCongratulation(); });
        return true;
    case KeyRoute::Next:
    case KeyRoute::Previous:
        hand_.run("キー", [&] { moveFocus(in, shift); });
        return true;
    case KeyRoute::Nothing:
        return true;
    case KeyRoute::PassOn:
        return false;
    }
    return false;
}

void Controller::moveFocus(Window window, bool backwards) {
    host_.focus({window, nextInTabOrder(window, host_.focusedControl(window), backwards)});
}

void Controller::windowActivated(Window window) {
    hand_.run("ウィンドウ", [&] {
        host_.focus(window == Window::Main ? focusAsClosed(host_.focusedControl(Window::Main))
                                           : focusAsOpened(Window::Congratulation));
    });
}

void Controller::closeRequested(Window window) {
    if (boxOpen()) return;
    hand_.run("ウィンドウ", [&] {
        if (window == Window::Main) {
            hand_.windowDeactivated();
            host_.hideWindow(Window::Main);
            if (!host_.windowShown(Window::Congratulation)) host_.endProgram(0);
        } else {
            closeCongratulation();
        }
    });
}

// The keys go back to the main window, where they were, if the closing window had them. The program
// ends with its last window, whichever way that closes (its close button, Escape).
void Controller::closeCongratulation() {
    if (!host_.windowShown(Window::Congratulation)) return;
    const bool hadKeys = host_.activeWindow() == Window::Congratulation;
    host_.hideWindow(Window::Congratulation);
    if (hadKeys && host_.windowShown(Window::Main)) {
        host_.focus(focusAsClosed(host_.focusedControl(Window::Main)));
    }
    if (!host_.windowShown(Window::Main)) host_.endProgram(0);
}

}  // namespace poromea::ui
