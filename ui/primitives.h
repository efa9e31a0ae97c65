// What a host does for the game: the whole list. Each host (Qt, Win32, the
// page) implements these and nothing that is a choice; the controller
// (ui/controller.h) decides everything else once for all of them.
#pragma once

#include <optional>
#include <string_view>

#include "game/host.h"
#include "ui/windows.h"

namespace poromea::ui {

// A point in the main window's client area, in pixels.
struct Point {
    double x = 0, y = 0;
};

class Primitives {
public:
    virtual ~Primitives() = default;

    // --- pictures ---
    // The picture of that name ("cover3") from the host's library, the same object each time; throws if missing.
    virtual PictureRef loadPicture(std::string_view name) = 0;
    // Makes a shown image control of the main window draw `picture`; a screen reader is told it shows `description`.
    virtual void showPicture(ImageControl control, const PictureRef& picture, std::string_view description) = 0;

    // --- time ---
    // Calls Controller::timerElapsed every `milliseconds` from now on, replacing any earlier countdown.
    virtual void startTimer(int milliseconds) = 0;
    // No more timerElapsed calls until startTimer.
    virtual void stopTimer() = 0;

    // --- windows ---
    // Shows `window` (built on first use) with its client area's top left at `x`, `y` on the screen, in front.
    virtual void showWindow(Window window, int x, int y) = 0;
    // Hides `window`; it keeps what it shows for the next time.
    virtual void hideWindow(Window window) = 0;
    // Whether `window` is shown.
    virtual bool windowShown(Window window) = 0;
    // The game's window that has the keys; none while another (a message box, another program) has them.
    virtual std::optional<Window> activeWindow() = 0;
    // Gives a control the keyboard focus, its window becoming the active one.
    virtual void focus(const Focus& where) = 0;
    // The control of `window` that has the keyboard focus now; None while the window does not have it.
    virtual ControlId focusedControl(Window window) = 0;
    // Shows a modal box over the main window: the texts, one OK button, no icon; a screen reader is told
    // `heard` instead of `prompt`. Returns once the player has closed it, or at once where the window
    // system cannot wait (a page).
    virtual void runMessageBox(std::u16string_view prompt, std::u16string_view title, std::string_view heard) = 0;
    // Whether that box is still open now: always false where runMessageBox waits.
    virtual bool messageBoxOpen() = 0;

    // --- the held card ---
    // The outline of the held card with its top left corner at `topLeft`: shown if hidden, moved if shown.
    virtual void showOutline(Point topLeft) = 0;
    virtual void hideOutline() = 0;
    // Moves and the release of `pointer` go to card `card` wherever it goes, until releasePointer.
    virtual void capturePointer(int card, int pointer) = 0;
    virtual void releasePointer(int card, int pointer) = 0;
    // The slot whose control is on top at `at` (another window may hide it), or -1.
    virtual int slotAt(Point at) = 0;

    // --- the player's ears, and the end ---
    // Tells a screen reader these words at once.
    virtual void announce(std::string_view words) = 0;
    // The game has failed: shows `message` in a report titled as the main window. Called once.
    virtual void showFailure(std::string_view message) = 0;
    // Ends the program with `status` once the events queued now are handled (its loop may not have
    // started yet). A page, which only its browser closes, goes on.
    virtual void endProgram(int status) = 0;
};

}  // namespace poromea::ui
