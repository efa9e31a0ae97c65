// What every host must do, written once and played through a small driver per host: real input events on the real
// windows, and what they show read back. A driver knows its window system; the scenarios know the game.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include "game/host.h"
#include "ui/access.h"

namespace poromea::scenarios {

struct Point {
    int x, y;  // main window client pixels
};

struct Rect {
    int left, top, width, height;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as the screen shows it, 0 to 255 a channel.
struct Colour {
    int r, g, b;
};

// Part of the main window's client area as the screen shows it, row by row. A
// browser may show the window scaled: width and height are the screen's pixels.
struct Seen {
    int width = 0, height = 0;
    std::vector<Colour> pixels;
    // The pixel at fractions of the width and height; none (-1) outside what was read.
    Colour at(double fx, double fy) const {
        const int x = static_cast<int>(fx * width), y = static_cast<int>(fy * height);
        if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

struct Window {
    std::string title;
    Rect client;  // on the screen
};

struct MessageWindow {
    std::string title, text;
    int buttons = 0;
    bool icon = false;
};

enum class Button : std::uint8_t { Left, Right, Middle, Back };

// Where the keys are: the active window's title and its focused control's
// name ("Command2", "Image1"); empty where there is none.
struct Focused {
    std::string window, control;
    friend bool operator==(const Focused&, const Focused&) = default;
};

class Driver {
public:
    virtual ~Driver() = default;

    // Input, each delivered as the window system's own events and handled before the call returns; a click focuses its
    // button as a real one does. A message box that opens meanwhile is read and answered with its OK button.
    virtual void click(std::string_view button) = 0;  // "Command1", "Command2"
    virtual void press(int card, Button button) = 0;   // pressed inside Imgx(card), held
    virtual void releaseAt(Point p) = 0;               // moved to p with the button held, released there
    virtual void key(ui::Key key, bool keypad = false) = 0;  // to the focused control, wherever it is
    virtual void keypadWithoutNumLock(int digit) = 0;         // the keypad's key of that digit, NumLock off
    virtual void keyWithCtrl(ui::Key key) = 0;
    // A click inside the client area of the window titled `title`, where no
    // other window hides it: the window comes forward with the keys.
    virtual void clickWindow(std::string_view title) = 0;
    // The window comes in front without the mouse, whatever it holds, as a window manager or another finger brings it.
    virtual void raise(std::string_view title) = 0;
    virtual void tab() = 0;
    // The next message box that opens stays open while `steps` are played, then is answered.
    virtual void underNextBox(std::function<void()> steps) = 0;
    // Lets Timer1 elapse once if it runs (the memorise time, shortened).
    virtual void letTimerElapse() = 0;
    // Lets `milliseconds` pass, as the player waits, and the time now in milliseconds, on the clock the host's timers run on.
    virtual void wait(int milliseconds) = 0;
    virtual double now() = 0;

    // What the player sees and hears.
    virtual std::string picture(ImageControl control) = 0;  // "cover3", "part0", "empty"
    virtual std::optional<Rect> outline() = 0;              // the drag's, in main window client pixels
    virtual std::vector<Window> windows() = 0;              // open windows, main window first
    virtual std::vector<MessageWindow> takeMessageBoxes() = 0; // answered since the last call
    virtual Focused focus() = 0;
    virtual std::string caption(std::string_view button) = 0;  // what a button shows
    // The pixels of `area` (main window client pixels) read back from the screen once the window has painted.
    virtual Seen seen(Rect area) = 0;

    virtual void moveWindow(std::string_view title, Point screen) = 0;
    virtual void closeWindow(std::string_view title) = 0;
    virtual bool running() = 0;                         // the program has not ended
    virtual bool windowsClose() { return true; }        // false where the main window cannot be closed (a page)
    // How often the player looks while the cards are face up: every few milliseconds on the wall's clock; less
    // often where the clock stands still between the steps (a page's), since a look there costs no game time.
    virtual int lookEveryMs() { return 5; }
    virtual std::vector<std::string> failures() = 0;    // errors reported to the player
};

// --- checks, reported through the runner of the test program ---

void fail(const char* file, int line, const std::string& message);  // provided by the runner

inline std::string shown(const std::string& s) { return '"' + s + '"'; }
inline std::string shown(long long n) { return std::to_string(n); }
inline std::string shown(const Rect& r) {
    return shown(r.left) + "," + shown(r.top) + " " + shown(r.width) + "x" + shown(r.height);
}
inline std::string shown(const Colour& c) {
    if (c.r < 0) return "none";
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.r & 0xff, c.g & 0xff, c.b & 0xff);
    return hex;
}
inline std::string shown(const Focused& f) { return shown(f.window) + " " + shown(f.control); }
inline std::string shown(const std::optional<Rect>& r) { return r ? shown(*r) : "none"; }
inline std::string shown(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += n + " ";
    return "{" + out + "}";
}

// A check that reports where it stands.
inline void check(bool ok, std::source_location at = std::source_location::current()) {
    if (!ok) fail(at.file_name(), static_cast<int>(at.line()), "failed");
}
template <typename A, typename B>
void checkEq(const A& a, const B& b, std::source_location at = std::source_location::current()) {
    if (!(a == b)) fail(at.file_name(), static_cast<int>(at.line()), shown(a) + " vs " + shown(b));
}

struct Scenario {
    const char* name;
    void (*play)(Driver&);
    std::string_view missingPicture = {};  // a picture the host cannot find at run time, played on fresh windows
    // How long the cards stay face up in the scenario's game, on hosts whose clock is the wall's: ten
    // minutes, so that a slow machine never ends the memorising time amid steps that must fall within
    // it (letTimerElapse ends it); the game's own time where the scenario measures it.
    std::int32_t memoriseMs = 600'000;
};

const std::vector<Scenario>& all();

}  // namespace poromea::scenarios
