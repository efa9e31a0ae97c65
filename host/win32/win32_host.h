// The game's host on the Win32 API alone: builds both windows from their
// layouts, hands window messages and keys to the controller and carries out
// its primitives. It decides no rule of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "game/form1.h"
#include "host/win32/picture_library.h"
#include "host/win32/widgets.h"
#include "ui/controller.h"
#include "ui/primitives.h"

namespace poromea::win32 {

class Win32Host final : private ui::Primitives {
public:
    // Builds the main window (not shown yet). Throws if a picture is missing
    // or cannot be decoded, or a window cannot be created.
    explicit Win32Host(PictureLibrary& pictures, std::int32_t memoriseMs = kMemoriseMs);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    HWND form1() const { return form1_->window(); }
    HWND form2() const { return form2_ ? form2_->window() : nullptr; }  // null until the first correct answer
    // A control of the main window by its layout name: "Image2", "Imgx" with index 3, "Command1", ...
    HWND control(std::string_view name, int index = -1) const { return form1_->control(name, index); }
    // A control of the congratulation window ("Image1"), null while it has never opened.
    HWND form2Control(std::string_view name) const { return form2_ ? form2_->control(name) : nullptr; }
    HWND imageControl(ImageControl control) const;
    // The name of the picture an image control of either window shows ("cover3"), empty if none.
    std::string pictureName(HWND imageControl) const;

    // Shows the main window centred on the screen's work area, START holding the focus.
    void showForm1();

    // The message loop's hook: call for every message before translating and
    // dispatching it; true means it was handled (the game's keys, every key
    // while a card is held, Tab between the buttons).
    bool preTranslateMessage(MSG& message);

private:
    // ui::Primitives
    PictureRef loadPicture(std::string_view name) override { return pictures_.get(name); }
    void showPicture(ImageControl control, const PictureRef& picture, std::string_view description) override {
        box(control).setPicture(picture, description);
    }
    void startTimer(int milliseconds) override;
    void stopTimer() override;
    void showWindow(ui::Window window, int x, int y) override;
    void hideWindow(ui::Window window) override;
    bool windowShown(ui::Window window) override;
    std::optional<ui::Window> activeWindow() override { return windowOf(GetActiveWindow()); }
    void focus(const ui::Focus& where) override;
    ui::ControlId focusedControl(ui::Window window) override;
    void runMessageBox(std::u16string_view prompt, std::u16string_view title, std::string_view heard) override;
    bool messageBoxOpen() override { return false; }
    void showOutline(ui::Point topLeft) override;
    void hideOutline() override { outline_.hide(); }
    void capturePointer(int card, int pointer) override;
    void releasePointer(int card, int pointer) override;
    int slotAt(ui::Point at) override;
    void announce(std::string_view words) override { announcer_.say(words); }
    void showFailure(std::string_view message) override;
    void endProgram(int status) override { PostQuitMessage(status); }

    using MessageHandler = std::optional<LRESULT> (Win32Host::*)(UINT, WPARAM, LPARAM);
    BuiltForm::Handler handlerFor(MessageHandler member);
    std::optional<LRESULT> form1Message(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> form2Message(UINT message, WPARAM wParam, LPARAM lParam);
    HWND windowOf(ui::Window window) const { return window == ui::Window::Main ? form1() : form2(); }
    std::optional<ui::Window> windowOf(HWND window) const;  // the game's window `window` is or is in
    ImageBox& box(ImageControl control) const;
    void cardMessage(int card, UINT message, WPARAM wParam, LPARAM lParam);

    PictureLibrary& pictures_;
    // The game takes the windows' messages: not while the windows are made, before it (making them sends
    // messages), nor once the host is being destroyed, the game first. Before the windows, so that it outlives them.
    bool live_ = false;
    std::unique_ptr<BuiltForm> form1_;
    std::unique_ptr<BuiltForm> form2_;
    DragOutline outline_;
    Announcer announcer_;
    std::map<ImageControl, ImageBox*> boxes_;  // shown image controls of the rules
    ui::Controller game_;
};

}  // namespace poromea::win32
