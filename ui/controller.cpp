#include "ui/controller.h"

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
    for (const Store& s : kForm1.stores) {
        pictures_[s.control] = read(s.picture);
        shows_[pictures_[s.control].get()] = game_.shown(s.control);
    }
    for (const Control& c : kForm1.controls) {
        if (c.reached) pictures_[*c.reached] = read(c.picture);
    }
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
    // What it shows is what the store it came from holds, told as it is shown.
    const auto shows = picture ? shows_.find(picture.get()) : shows_.end();
    if (shows == shows_.end()) throw std::invalid_argument("a control shows one of the game's pictures");
    host_.showPicture(control, picture, description(shows->second));
    pictures_[control] = std::move(picture);
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
        } else {
            closeCongratulation();
        }
        if (!host_.windowShown(Window::Main) && !host_.windowShown(Window::Congratulation)) host_.endProgram(0);
    });
}

// The keys go back to the main window, where they were, if the closing window had them.
void Controller::closeCongratulation() {
    if (!host_.windowShown(Window::Congratulation)) return;
    const bool hadKeys = host_.activeWindow() == Window::Congratulation;
    host_.hideWindow(Window::Congratulation);
    if (hadKeys && host_.windowShown(Window::Main)) {
        host_.focus(focusAsClosed(host_.focusedControl(Window::Main)));
    }
}

}  // namespace poromea::ui
