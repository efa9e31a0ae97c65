// The game's host on the Win32 API alone: builds both windows from their
// layouts, turns window messages and keys into the rules' handlers and carries
// out what the rules ask for. It decides no rule of its own; it behaves as the
// Qt host does (host/qt/qt_host.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "game/form1.h"
#include "game/host.h"
#include "host/random.h"
#include "host/win32/picture_library.h"
#include "host/win32/widgets.h"

namespace poromea::win32 {

class Win32Host final : public Host {
public:
    // Builds the main window (not shown yet). Throws if a picture is missing
    // or cannot be decoded, or a window cannot be created.
    explicit Win32Host(PictureLibrary& pictures);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    HWND form1() const { return form1_->window(); }
    HWND form2() const { return form2_ ? form2_->window() : nullptr; }  // null until the first correct answer
    // A control of the main window by its layout name: "Image2", "Imgx" with index 3, "Command1", ...
    HWND control(std::string_view name, int index = -1) const { return form1_->control(name, index); }
    HWND form2Control(std::string_view name) const { return form2_ ? form2_->control(name) : nullptr; }
    HWND imageControl(ImageControl control) const;
    HWND dragOutline() const { return outline_.window(); }
    // The name of the picture an image control of either window shows ("cover3"), empty if none.
    std::string pictureName(HWND imageControl) const;
    const Form1& game() const { return game_; }

    // Shows the main window centred on the screen's work area, START holding the focus.
    void showForm1();

    // The message loop's hook: call for every message before translating and
    // dispatching it; true means it was handled (the game's keys, every key
    // while a card is held, Tab between the buttons).
    bool preTranslateMessage(MSG& message);

    // Test seam: Timer1's interval as last set by the rules (0: stopped), and
    // a way to let it run at another interval without the rules knowing.
    std::int32_t timer1Interval() const { return timerInterval_; }
    void runTimer1Every(std::int32_t milliseconds);

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
    struct Drag {
        std::int16_t card = -1;
        UINT upMessage = 0;  // the mouse release that ends the drag; 0 when held by the keyboard
        POINT grabOffset{};  // pointer position inside the card when pressed
        int slot = -1;       // held by the keyboard: the slot under the outline
    };

    using MessageHandler = std::optional<LRESULT> (Win32Host::*)(UINT, WPARAM, LPARAM);
    BuiltForm::Handler handlerFor(MessageHandler member);
    std::optional<LRESULT> form1Message(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> form2Message(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT closeWindow(HWND window);
    ImageBox& box(ImageControl control) const;

    // Runs one handler of the rules; a failure is reported and ends the game.
    void dispatch(const char* what, const std::function<void()>& handler);
    void fail(const char* what, const std::string& why);
    void pressCard(const Drag& press, std::int16_t button, std::int16_t shift);
    void cardMessage(int card, UINT message, WPARAM wParam, LPARAM lParam);
    bool keyPressed(WPARAM virtualKey);
    void moveKeyboardOutline(int slot);
    void endDrag();
    int slotAt(POINT screen) const;

    PictureLibrary& pictures_;
    std::map<ImageControl, PictureRef> stores_;  // picture stores
    std::unique_ptr<BuiltForm> form1_;
    std::unique_ptr<BuiltForm> form2_;
    DragOutline outline_;
    std::map<ImageControl, ImageBox*> boxes_;  // shown image controls of the rules
    HWND lastFocus_ = nullptr;  // the button that had the focus when Form1 was last active
    std::int32_t timerInterval_ = 0;
    ClockSeededRandom random_;
    Form1 game_;
    Drag drag_;
    Drag pendingPress_;  // the press being handled, for beginDrag
    bool failed_ = false;
};

}  // namespace poromea::win32
