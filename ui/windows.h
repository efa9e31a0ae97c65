// The windows' rules, decided once for every host: which window a key typed
// in reaches, what Escape and Tab do in each window, and where the focus goes
// as the congratulation window opens and closes. A host translates its key
// codes into `Key`, asks `routeKey` and carries the answer out; it moves the
// focus to the controls named here and nowhere else.
#pragma once

#include <cstdint>

#include "ui/access.h"
#include "ui/layout.h"

namespace poromea::ui {

// The game's two windows: Form1 and Form2.
enum class Window : std::uint8_t { Main, Congratulation };

// What a key typed in a window does.
enum class KeyRoute : std::uint8_t {
    Game,      // to Interaction::keyPressed; a key it does not take goes on to the window system
    Close,     // closes the congratulation window, as its close button does
    Next,      // the focus moves to the next control of the window's tab order (nextInTabOrder)
    Previous,  // ... or to the one before
    Nothing,   // swallowed: it does nothing there
    PassOn,    // not the game's: the window system's own (its shortcuts, the browser's)
};

// `window` is the one the key was typed in (the one with the focus);
// `holding` is true while a card is held, by the pointer or the keys.
KeyRoute routeKey(Window window, Key key, bool shift, bool holding);

// A window and one of its controls.
struct Focus {
    Window window;
    ControlId control;
    friend bool operator==(const Focus&, const Focus&) = default;
};

// Where the focus is as `window` opens: the main window's START; the
// congratulation window active, its banner holding the focus so that a
// screen reader reads it as the window opens.
Focus focusAsOpened(Window window);

// Where the focus goes as the congratulation window closes, by Escape or by
// the mouse: back to the main window, on `mainFocus`, the control that had it
// there before (START when it is none of the main window's tab stops).
Focus focusAsClosed(ControlId mainFocus);

// The control Tab (or, `backwards`, Shift+Tab) moves the focus to from
// `focused`, round the window's own tab order: it never leaves the window.
// A window with a single control keeps it.
ControlId nextInTabOrder(Window window, ControlId focused, bool backwards);

}  // namespace poromea::ui
