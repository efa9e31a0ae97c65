// How the player handles the main window, decided once for every host: who
// holds a card (a pointer with one of its buttons, or the keys), how a press
// becomes the rules' mouse-down and their beginDrag, how a held card moves,
// drops and is put back, what the keys do, and what a screen reader is told
// at each step. Every handler runs under the failure rule (ui/failure_rule.h).
//
// The controller (ui/controller.h) hands it the windows' events; it asks the
// host's primitives (ui/primitives.h) for the rest.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <string>
#include <string_view>

#include "game/form1.h"
#include "game/host.h"
#include "ui/access.h"
#include "ui/failure_rule.h"
#include "ui/layout.h"
#include "ui/primitives.h"

namespace poromea::ui {

// Mouse buttons as the rules receive them; they are also bits of a mask of
// the buttons held.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// A press of a pointer on a card.
struct Press {
    int pointer = 0;        // which pointer, for hosts with several
    int button = kLeftButton;  // a MouseButton, or 0 for any other
    int shift = 0;          // 1 shift, 2 control, 4 alt, as the rules receive it
    Point inCard;           // where in the card it was pressed
};

class Interaction {
public:
    using Button = ControlId;  // Start (Command1) and Check (Command2)

    // `showChanged` shows the pictures the rules set; it is called before anything is told.
    Interaction(Form1& game, Primitives& host, FailureRule& rule, std::function<void()> showChanged)
        : game_(game), host_(host), rule_(rule), showChanged_(std::move(showChanged)) {}
    Interaction(const Interaction&) = delete;
    Interaction& operator=(const Interaction&) = delete;

    // --- the events of the main window ---
    // Any pointer pressed anywhere in the main window, before the press
    // reaches what is under it: it ends a carry by the keys.
    void pointerDown();
    void cardPressed(int card, const Press& press);
    // `buttons` is the mask of the buttons still held, or -1 where the
    // window system tells only by the release.
    void pointerMoved(int pointer, Point at, int buttons = -1);
    void pointerReleased(int pointer, int button, Point at);
    // The pointer was taken away (a cancelled gesture, a lost capture).
    void pointerLost(int pointer);
    // True when the key was the game's; otherwise the window handles it.
    bool keyPressed(Key key);
    void buttonClicked(Button button);
    void timerElapsed();
    // The main window lost the keyboard and the pointer.
    void windowDeactivated();

    // Host::beginDrag, called by the rules during a press.
    void beginDrag(int card);

    // Lets go of a held card without a word: the game has failed.
    void abandon() { letGo(); }

    bool holding() const { return held_.card >= 0; }
    bool heldByKeys() const { return held_.card >= 0 && held_.byKeys; }

private:
    struct HeldCard {
        int card = -1;
        bool byKeys = false;
        int pointer = -1;
        int button = 0;
        Point inCard;   // where the pointer holds the card
        int slot = -1;  // held by the keys: the slot under it
    };

    void press(const HeldCard& how, int button, int shift);
    void holdOver(int slot);
    void drop(int slot);
    void putBack();
    HeldCard letGo();
    bool pressFocusedButton();
    void tell(const Announcement& told);

    Form1& game_;
    Primitives& host_;
    FailureRule& rule_;
    std::function<void()> showChanged_;
    HeldCard held_;
    HeldCard pressing_;  // the press the rules are handling, until they begin a drag or not
};

}  // namespace poromea::ui
