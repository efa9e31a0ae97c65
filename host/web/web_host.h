// The game's host in a browser page: the windows on the page, the page's
// events handed to the shared interaction, and what the rules and the
// interaction ask for carried out. It decides no rule of its own.
#pragma once

#include <emscripten/html5.h>
#include <emscripten/val.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "game/form1.h"
#include "game/host.h"
#include "host/random.h"
#include "host/web/picture_library.h"
#include "host/web/widgets.h"
#include "host/web/windows.h"
#include "ui/interaction.h"

namespace poromea::web {

class WebHost final : public Host, private ui::Surface {
public:
    // Builds the main window into the page. Throws if a picture is missing.
    explicit WebHost(PictureLibrary& pictures, std::int32_t memoriseMs = kMemoriseMs);
    WebHost(const WebHost&) = delete;
    WebHost& operator=(const WebHost&) = delete;

    // Listens to the page and shows the main window, START holding the focus.
    void start();
    void setProbe(ui::Probe* probe) { hand_.setProbe(probe); }

    // The page's events, from the listeners that main.cpp binds.
    void cardPointerDown(val event);
    void pointerMove(val event);
    void pointerUp(val event);
    void pointerCancel(val event);
    void buttonClick(val event);
    void titlePointerDown(val event);
    void windowPointerDown(val event);
    bool keyDown(const EmscriptenKeyboardEvent& event);
    void pageError(val event);
    void timerElapsed();
    void layOut() { desk_.layOut(); }

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
    // ui::Surface
    void showOutline(ui::Point topLeft) override;
    void hideOutline() override;
    void capturePointer(int card, int pointer) override;
    void releasePointer(int card, int pointer) override;
    int slotAt(ui::Point at) override;
    bool pressFocusedButton() override;
    std::string pictureName(ImageControl control) override;
    void announce(std::string_view words) override;
    void reportFailure(std::string_view message) override;

    ImageBox& box(ImageControl control);
    ui::Point inForm1(const val& event) const;

    PictureLibrary& pictures_;
    Desk desk_;
    val outline_;
    val announcer_;
    std::map<ImageControl, PictureRef> stores_;  // picture stores
    ClockSeededRandom random_;
    Form1 game_;
    ui::Interaction hand_;
};

}  // namespace poromea::web
