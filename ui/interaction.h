// How the player handles the main window, decided once for every host: who
// holds a card (a pointer with one of its buttons, or the keys), how a press
// becomes the rules' mouse-down and their beginDrag, how a held card moves,
// drops and is put back, what the keys do, what a screen reader is told at
// each step, and how a failure ends the game.
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
#include "ui/layout.h"
#include "ui/primitives.h"

namespace poromea::ui {

// Mouse buttons as the rules receive them; they are also bits of a mask of
// the buttons held.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// Measures the handling of events, for the benchmarks.
class Probe {
public:
    virtual ~Probe() = default;
    virtual void began(std::string_view what) = 0;
    virtual void ended(std::string_view what) = 0;
};

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

    Interaction(Form1& game, Primitives& host) : game_(game), host_(host) {}
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

    // Runs a host's own handling under the same failure rule as the game's.
    void run(std::string_view what, const std::function<void()>& handler);
    // A failure met outside `run` (the page's own errors).
    void fail(std::string_view what, std::string_view why);

    bool failed() const { return failed_; }
    bool holding() const { return held_.card >= 0; }
    bool heldByKeys() const { return held_.card >= 0 && held_.byKeys; }
    // What is being handled now, empty between events.
    std::string_view handling() const { return handling_; }
    void setProbe(Probe* probe) { probe_ = probe; }
    // Called as each handler ends, and before anything is told: the controls the rules changed are then
    // shown with what the rules' state says of them.
    void onSettled(std::function<void()> settled) { settled_ = std::move(settled); }

private:
    struct Held {
        int card = -1;
        bool byKeys = false;
        int pointer = -1;
        int button = 0;
        Point inCard;   // where the pointer holds the card
        int slot = -1;  // held by the keys: the slot under it
    };

    void press(const Held& how, int button, int shift);
    void holdOver(int slot);
    void drop(int slot);
    void putBack();
    Held letGo();
    bool pressFocusedButton();
    void tell(const Told& told);

    Form1& game_;
    Primitives& host_;
    Probe* probe_ = nullptr;
    std::function<void()> settled_;
    Held held_;
    Held pressing_;  // the press the rules are handling, until they begin a drag or not
    bool failed_ = false;
    std::string_view handling_;
};

// The failure reports, the same on every host, each shown in a box titled as
// the main window: a handler's, and the game's that could not start.
std::string failureMessage(std::string_view what, std::string_view why);
std::string startFailureMessage(std::string_view why);

}  // namespace poromea::ui
