#include "ui/controller.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "ui/layout.h"

namespace poromea::ui {

Controller::Controller(Primitives& host, std::int32_t memoriseMs)
    : host_(host),
      rule_(host, [this] { showChanged(); }, [this] { interaction_.abandon(); }),
      game_(*this, memoriseMs),
      interaction_(game_, host, rule_, [this] { showChanged(); }) {
    // Read once: a picture given from one control to another stays the same object.
    const auto read = [this](std::string_view name) {
        PictureRef picture = host_.loadPicture(name);
        if (!picture) throw std::runtime_error("画像 " + std::string(name) + " がありません。");
        return picture;
    };
    for (const Store& s : kForm1.stores) pictures_[s.control] = read(s.picture);
    for (const Control& c : kForm1.controls) {
        if (c.image) pictures_[*c.image] = read(c.picture);
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
    if (timerRunning_) interaction_.timerElapsed();
}

// Modal: while it is open no window of the game takes input. A page cannot
// wait for the player inside a handler, so its box may return at once; the
// rules end with this call, so nothing they do waits on it being closed.
void Controller::messageBox(Message message) {
    if (messageBoxOpen()) throw std::logic_error("a message box is already open");
    const MessageText text = textOf(message);
    showChanged();
    rememberMainFocus();
    runningMessageBox_ = true;
    try {
        host_.runMessageBox(text.prompt, text.title, spokenMessage(message));
    } catch (...) {
        runningMessageBox_ = false;
        throw;
    }
    runningMessageBox_ = false;
}

// Asked before an input is taken, so under the failure rule too; a game that has ended takes none.
bool Controller::messageBoxOpen() {
    if (runningMessageBox_) return true;
    if (!rule_.handling().empty()) return host_.messageBoxOpen();  // under that handler's rule already
    bool open = false;
    rule_.run("ウィンドウ", [&] { open = host_.messageBoxOpen(); });
    return open || rule_.failed();
}

// Made once, shown again at its designed place unless it is open, in front,
// with the keys on its banner so that a screen reader reads it as it opens.
void Controller::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    if (host_.windowShown(Window::Congratulation)) return;
    showChanged();
    rememberMainFocus();  // before the window system moves the keys to the new window
    host_.showWindow(Window::Congratulation, pixels(*kForm2.left), pixels(*kForm2.top));
    host_.focus(focusAsOpened(Window::Congratulation));
}

// --- the windows' events ---

void Controller::mainWindowShown() {
    rule_.run("ウィンドウ", [this] { host_.focus(focusAsOpened(Window::Main)); });
}

bool Controller::keyPressed(std::optional<Window> window, Key key, bool shift, bool shortcut) {
    if (messageBoxOpen()) return false;  // the box's own keys, or the report's
    if (shortcut) key = Key::Other;  // the window system's or the browser's (a held card still owns it)
    if (!window && !interaction_.holding()) return false;
    const Window in = window.value_or(Window::Main);
    switch (routeKey(in, key, shift, interaction_.holding())) {
    case KeyRoute::Game:
        return interaction_.keyPressed(key);
    case KeyRoute::Close:
        rule_.run("ウィンドウ", [this] { closeCongratulation(); });
        return true;
    case KeyRoute::Next:
    case KeyRoute::Previous:
        rule_.run("キー", [&] { moveFocus(in, shift); });
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

// The focus the main window takes back: the control the window system just gave it (a click on a button),
// else the one that had it when the main window lost the keys.
void Controller::windowActivated(Window window) {
    rule_.run("ウィンドウ", [&] {
        if (window == Window::Main) {
            const ControlId now = host_.focusedControl(Window::Main);
            host_.focus(focusAsClosed(now != ControlId::None ? now : mainFocus_));
        } else {
            rememberMainFocus();
            host_.focus(focusAsOpened(Window::Congratulation));
        }
    });
}

void Controller::windowDeactivated() {
    rule_.run("ウィンドウ", [this] { rememberMainFocus(); });
    interaction_.windowDeactivated();
}

// Kept here, once for every host: a window system forgets it as another window takes the keys, or keeps it
// in its own way.
void Controller::rememberMainFocus() {
    if (const ControlId now = host_.focusedControl(Window::Main); now != ControlId::None) mainFocus_ = now;
}

bool Controller::closeRequested(Window window) {
    if (messageBoxOpen()) return false;
    bool closed = false;
    rule_.run("ウィンドウ", [&] {
        if (window == Window::Main) {
            interaction_.windowDeactivated();
            host_.hideWindow(Window::Main);
            if (!host_.windowShown(Window::Congratulation)) host_.endProgram(0);
        } else {
            closeCongratulation();
        }
        closed = true;
    });
    return closed;
}

// The keys go back to the main window, where they were, if the closing window had them. The program
// ends with its last window, whichever way that closes (its close button, Escape).
void Controller::closeCongratulation() {
    if (!host_.windowShown(Window::Congratulation)) return;
    const bool hadKeys = host_.activeWindow() == Window::Congratulation;
    host_.hideWindow(Window::Congratulation);
    if (hadKeys && host_.windowShown(Window::Main)) {
        host_.focus(focusAsClosed(mainFocus_));
    }
    if (!host_.windowShown(Window::Main)) host_.endProgram(0);
}

}  // namespace poromea::ui
