// The game's host in a browser page: builds both windows from their layouts
// as elements of the page, turns the page's events into the rules' handlers
// and carries out what the rules ask for. It decides no rule of its own; it
// behaves as the Qt host does (host/qt/qt_host.h).
#pragma once

#include <emscripten/html5.h>
#include <emscripten/val.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/form1.h"
#include "game/host.h"
#include "host/random.h"
#include "host/web/picture_library.h"
#include "ui/layout.h"

namespace poromea::web {

class WebHost final : public Host {
public:
    // Builds the main window into the page. Throws if a picture is missing.
    explicit WebHost(PictureLibrary& pictures);
    WebHost(const WebHost&) = delete;
    WebHost& operator=(const WebHost&) = delete;

    // Listens to the page and shows the main window, START holding the focus.
    // Once every picture in it has been painted, the page's root element gets
    // data-drawn-ms: that moment, in milliseconds from navigation.
    void start();

    // The page's events, from the listeners that main.cpp binds.
    void cardPointerDown(emscripten::val event);
    void pointerMove(emscripten::val event);
    void pointerUp(emscripten::val event);
    void pointerCancel(emscripten::val event);
    void buttonClick(emscripten::val event);
    void titlePointerDown(emscripten::val event);
    void windowPointerDown(emscripten::val event);
    bool keyDown(const EmscriptenKeyboardEvent& event);
    void picturesPainted(emscripten::val entries);
    void pageError(emscripten::val event);
    void layOut();

    // How long each kind of event took to handle, in milliseconds: an object
    // of arrays by the names the failure report uses ("START", "ドロップ", ...).
    emscripten::val handlerTimes() const;

    // Host
    PictureRef picture(ImageControl control) override;
    void setPicture(ImageControl control, PictureRef picture) override;
    void beginDrag(std::int16_t card) override;
    void setTimerInterval(std::int32_t milliseconds) override;
    void messageBox(std::u16string_view prompt, std::u16string_view title) override;
    void randomize() override;
    float rnd() override;
    void showWindow(WindowName window) override;

private:
    // An image control: shows its picture as its background, at natural size
    // from the top left corner (clipped by the control) or stretched to it.
    struct ImageBox {
        emscripten::val element = emscripten::val::undefined();
        PictureRef picture;
        bool described = false;  // a card or slot: says what it shows
        void show(PictureRef shown);
    };
    // A card held by a pointer (its id and the button's bit in `buttons`) or by the keys.
    struct Drag {
        std::int16_t card = -1;
        bool keyboard = false;
        int pointerId = -1;
        int buttonBit = 0;
        double grabX = 0, grabY = 0;  // pointer position inside the card when pressed
        int slot = -1;                // the slot under a card held by the keys
    };
    // A window moved by its title bar.
    struct Move {
        int pointerId = -1;
        double grabX = 0, grabY = 0;
    };

    // Runs one event's handling; a failure is reported and ends the game.
    void dispatch(const char* what, const std::function<void()>& handler);
    void fail(const char* what, const std::string& why);
    void buildForm(const ui::Form& form, emscripten::val client, bool mainWindow);
    ImageBox* box(ImageControl control);
    void cardPressed(std::int16_t card, const Drag& press, std::int16_t button, std::int16_t shift, double x,
                     double y);
    void releaseAt(double clientX, double clientY);
    void endDrag(bool released = false);
    void placeOutline(double left, double top);
    void holdOver(int slot);
    int slotAt(double clientX, double clientY) const;
    // A point of the page in the main window's pixels, from the geometry the
    // host gave the page (reading it back would make the page lay out anew).
    std::pair<double, double> toForm1(double clientX, double clientY) const;
    void placeForm2(double left, double top);
    void raise(emscripten::val window);
    void timerTick();

    PictureLibrary& pictures_;
    emscripten::val document_;
    emscripten::val desk_;   // the "screen" both windows stand on, scaled to fit the page
    emscripten::val form1_;
    emscripten::val form2_;  // null until the first correct answer
    emscripten::val outline_;
    emscripten::val announcer_;
    emscripten::val messageBox_;  // null until the first wrong answer
    std::map<std::string, emscripten::val> buttons_;  // "Command1", "Command2"
    std::vector<emscripten::val> tabOrder_;
    std::map<ImageControl, ImageBox> boxes_;     // the rules' shown image controls
    std::map<ImageControl, PictureRef> stores_;  // picture stores
    double scale_ = 1;
    double form1Left_ = 0, form1Top_ = 0;  // the windows' client areas on the desk
    double form2Left_ = 0, form2Top_ = 0;
    int front_ = 0, form1Z_ = 0, form2Z_ = 0;  // stacking order of the windows
    double deskWidth_ = 0, deskHeight_ = 0;
    long timer_ = 0;
    ClockSeededRandom random_;
    Form1 game_;
    Drag drag_;
    Drag pendingPress_;  // the press being handled, for beginDrag
    Move move_;
    emscripten::val paintObserver_ = emscripten::val::null();
    int picturesPainted_ = 0;
    double drawnAt_ = 0;
    bool failed_ = false;
    const char* dispatching_ = nullptr;  // the event being handled, for the failure report
    std::map<std::string, std::vector<double>, std::less<>> times_;
};

}  // namespace poromea::web
