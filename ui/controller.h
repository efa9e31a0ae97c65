// The game above its hosts: the rules' Host, implemented once for every
// window system on top of a host's primitives (ui/primitives.h). It owns the
// rules, the pictures of every control and store, the random numbers, the
// meaning of Timer1, how a card is held (ui/interaction.h), the windows'
// rules (ui/windows.h: where keys go, Tab, Escape, the focus as a window
// opens, is activated or closes, and the control that had it last), the
// message box's modality, which closes are refused and the failure rule
// (ui/failure_rule.h). A host turns its window system's events into the calls
// below, obeys their answers and decides nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "game/form1.h"
#include "game/host.h"
#include "ui/access.h"
#include "ui/failure_rule.h"
#include "ui/interaction.h"
#include "ui/primitives.h"
#include "ui/random.h"
#include "ui/windows.h"

namespace poromea::ui {

class Controller final : public Host {
public:
    using Button = Interaction::Button;

    // Reads the pictures the layouts name from the host's library; throws if one is missing.
    Controller(Primitives& host, std::int32_t memoriseMs = kMemoriseMs);
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // --- events, as the window system delivers them ---
    // The main window has just been shown for the first time.
    void mainWindowShown();
    // Any pointer pressed anywhere in the main window, before the press reaches what is under it.
    void pointerDown() {
        if (!messageBoxOpen()) interaction_.pointerDown();
    }
    void cardPressed(int card, const Press& press) {
        if (!messageBoxOpen()) interaction_.cardPressed(card, press);
    }
    void pointerMoved(int pointer, Point at, int buttons = -1) { interaction_.pointerMoved(pointer, at, buttons); }
    void pointerReleased(int pointer, int button, Point at) { interaction_.pointerReleased(pointer, button, at); }
    void pointerLost(int pointer) { interaction_.pointerLost(pointer); }
    void buttonClicked(Button button) {
        if (!messageBoxOpen()) interaction_.buttonClicked(button);
    }
    void timerElapsed();
    // A key pressed in `window` (none: in a window that is not the game's), `shortcut` when Ctrl, Alt or
    // the system's key is held with it. True when it was handled here; otherwise the window system
    // handles it as its own.
    bool keyPressed(std::optional<Window> window, Key key, bool shift, bool shortcut = false);
    // A key released, or any other key event than a press (a character, a shortcut looked up): true when
    // it is the game's and the window system must not handle it. A held card owns every key.
    bool keyReleased() const { return interaction_.holding(); }
    // The window system made `window` the active one (a click on it, the task bar, ...).
    void windowActivated(Window window);
    // The main window lost the keyboard and the pointer; its focused control is still the one it had.
    void windowDeactivated();
    // The player closes a window (its close button, the window system's close). False when the close is
    // refused: the window stays, and the host must not close it itself. Otherwise the window is hidden
    // already, and the program ends with the last one.
    [[nodiscard]] bool closeRequested(Window window);

    // Runs a host's own handling under the same failure rule as the game's.
    void run(std::string_view what, const std::function<void()>& handler) { rule_.run(what, handler); }
    // A failure met outside `run` (the page's own errors).
    void fail(std::string_view what, std::string_view why) { rule_.fail(what, why); }
    bool failed() const { return rule_.failed(); }
    // A card is held, by a pointer or the keys: every key is the game's.
    bool holding() const { return interaction_.holding(); }
    // A game is being played (dealt, not yet judged): what a host must not interrupt, with a new build say.
    bool gameInProgress() const { return !rule_.failed() && inProgress(game_.state()); }
    // What is being handled now, empty between events.
    std::string_view handling() const { return rule_.handling(); }

    // --- Host: what the rules ask for ---
    PictureRef picture(ImageControl control) override;
    void setPicture(ImageControl control, PictureRef picture) override;
    void beginDrag(std::int16_t card) override { interaction_.beginDrag(card); }
    void setTimerInterval(std::int32_t milliseconds) override;
    void messageBox(Message message) override;
    void randomize() override { random_.reseed(); }
    float rnd() override { return random_.next(); }
    void showWindow(WindowName window) override;

private:
    void moveFocus(Window window, bool backwards);
    void rememberMainFocus();
    bool messageBoxOpen();
    void closeCongratulation();
    void showChanged();

    Primitives& host_;
    std::map<ImageControl, PictureRef> pictures_;  // every control's and store's picture
    std::set<ImageControl> changed_;               // set by the rules, not yet shown
    ClockSeededRandom random_;
    bool timerRunning_ = false;
    bool runningMessageBox_ = false;  // runMessageBox has not returned yet
    ControlId mainFocus_ = ControlId::None;  // the main window's control that had the keys when it lost them
    FailureRule rule_;
    Form1 game_;
    Interaction interaction_;
};

}  // namespace poromea::ui
