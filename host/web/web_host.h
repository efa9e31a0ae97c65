// The game's host in a browser page: the windows on the page, the page's
// events handed to the controller, and its primitives carried out. It
// decides no rule of its own.
#pragma once

#include <emscripten/html5.h>
#include <emscripten/val.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "game/form1.h"
#include "host/web/picture_library.h"
#include "host/web/widgets.h"
#include "host/web/windows.h"
#include "ui/controller.h"
#include "ui/primitives.h"

namespace poromea::web {

class WebHost final : private ui::Primitives {
public:
    // Builds the main window into the page. Throws if a picture is missing.
    explicit WebHost(PictureLibrary& pictures, std::int32_t memoriseMs = kMemoriseMs);
    WebHost(const WebHost&) = delete;
    WebHost& operator=(const WebHost&) = delete;

    // Listens to the page and shows the main window, START holding the focus.
    void start();

    // The page's events, from the listeners that main.cpp binds.
    void cardPointerDown(val event);
    void pointerMove(val event);
    void pointerUp(val event);
    void pointerCancel(val event);
    void buttonClick(val event);
    void titlePointerDown(val event);
    void windowPointerDown(val event);
    bool keyDown(const EmscriptenKeyboardEvent& event);
    bool keyUp() const { return game_.keyReleased(); }
    void pageError(val event);
    void timerElapsed() { game_.timerElapsed(); }
    bool gameInProgress() const { return game_.gameInProgress(); }
    void layOut() { windows_.layOut(); }
    PageWindows& windows() { return windows_; }

private:
    // ui::Primitives
    PictureRef loadPicture(std::string_view name) override { return pictures_.get(name); }
    void showPicture(ImageControl control, const PictureRef& picture, std::string_view description) override {
        box(control).show(picture, description);
    }
    void startTimer(int milliseconds) override;
    void stopTimer() override;
    void showWindow(ui::Window window, int x, int y) override;
    void hideWindow(ui::Window window) override;
    bool windowShown(ui::Window window) override { return windows_.shown(window); }
    std::optional<ui::Window> activeWindow() override { return windows_.activeWindow(); }
    void focus(const ui::Focus& where) override { windows_.focus(where); }
    ui::ControlId focusedControl(ui::Window window) override { return windows_.focusedControl(window); }
    void runMessageBox(std::u16string_view prompt, std::u16string_view title, std::string_view heard) override {
        windows_.showMessage(prompt, title, heard);
    }
    bool messageBoxOpen() override { return windows_.messageOpen(); }
    void showOutline(ui::Point topLeft) override;
    void hideOutline() override;
    void capturePointer(int card, int pointer) override;
    void releasePointer(int card, int pointer) override;
    int slotAt(ui::Point at) override;
    void announce(std::string_view words) override;
    void showFailure(std::string_view message) override { windows_.showFailure(message); }
    void endProgram(int) override {}  // a page goes on until its browser closes it

    ImageBox& box(ImageControl control);
    ui::Point inForm1(const val& event) const;

    PictureLibrary& pictures_;
    PageWindows windows_;
    val outline_;
    val announcer_;
    ui::Controller game_;
};

}  // namespace poromea::web
