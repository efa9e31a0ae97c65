// The game's host on the Win32 API alone: builds both windows from their
// layouts, turns window messages into the rules' handlers and carries out
// what the rules ask for. It decides no rule of its own; it behaves as the Qt
// host does (host/qt/qt_host.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/form1.h"
#include "game/host.h"
#include "host/random.h"
#include "host/win32/picture_library.h"
#include "ui/layout.h"

namespace poromea::win32 {

class Win32Host final : public Host {
public:
    // Builds the main window (not shown yet). Throws if a picture is missing
    // or cannot be decoded, or a window cannot be created.
    explicit Win32Host(PictureLibrary& pictures);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    HWND form1() const { return form1_; }
    HWND form2() const { return form2_; }  // null until the first correct answer
    // A control of a window by its layout name: "Image2", "Imgx" with index 3, "Command1", ...
    HWND control(std::string_view name, int index = -1) const;
    HWND form2Control(std::string_view name) const;
    HWND imageControl(ImageControl control) const;
    // The name of the picture an image control shows ("cover3"), empty if none.
    std::string pictureName(HWND imageControl) const;
    const Form1& game() const { return game_; }

    // Shows the main window centred on the screen's work area, START holding the focus.
    void showForm1();

    // The message loop's hook: call for every message before translating and
    // dispatching it; true means it was handled (keyboard while dragging, Tab
    // between the buttons).
    bool preTranslateMessage(MSG& message);

    // Called when a handler or host operation failed; by default reports it
    // in a message box and ends the message loop with status 1.
    void setFatalHandler(std::function<void(const std::wstring&)> handler) { fatal_ = std::move(handler); }

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
    struct ImageBox;  // the state of one shown image control
    struct Drag {
        std::int16_t card = -1;
        UINT upMessage = 0;   // the release that ends the drag
        POINT grabOffset{};   // pointer position inside the card when pressed
    };

    static LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK imageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK outlineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT imageMessage(ImageBox& box, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND control_(std::string_view name, int index = -1) const;
    ImageBox& box_of(HWND window) const;
    void release();
    HWND createForm(const ui::Form& form, std::map<std::string, HWND, std::less<>>& controls);
    void placeForm2();
    void paintImage(ImageBox& box, HDC dc);

    // Runs one handler of the rules; a failure is reported and ends the game.
    void dispatch(const char* what, const std::function<void()>& handler);
    void fail(const char* what, const std::string& why);
    void cardPressed(int card, UINT message, WPARAM wParam, LPARAM lParam);
    void cardMoved(HWND card, LPARAM lParam);
    void cardReleased(HWND card, UINT message, LPARAM lParam);
    void endDrag();
    int slotAt(POINT screen) const;
    void windowClosed(HWND window);

    PictureLibrary& pictures_;
    HINSTANCE instance_;
    HWND form1_ = nullptr;
    HWND form2_ = nullptr;
    HWND outline_ = nullptr;
    std::map<std::string, HWND, std::less<>> form1Controls_;  // "Image2", "Imgx(3)", "Command1", ...
    std::map<std::string, HWND, std::less<>> form2Controls_;
    std::vector<std::unique_ptr<ImageBox>> imageBoxes_;  // every shown image control of both windows
    std::map<std::pair<int, int>, HWND> boxes_;         // shown image controls of the rules
    std::map<std::pair<int, int>, PictureRef> stores_;  // picture stores
    HBRUSH yellow_ = nullptr;
    HFONT buttonFont_ = nullptr;
    std::map<const ui::Font*, HFONT> labelFonts_;
    HWND lastFocus_ = nullptr;  // the button that had the focus when Form1 was last active
    std::int32_t timerInterval_ = 0;
    ClockSeededRandom random_;
    Form1 game_;
    Drag drag_;
    Drag pendingPress_;  // the press being handled, for beginDrag
    bool failed_ = false;
    std::function<void(const std::wstring&)> fatal_;
};

// The text of a control key, as in the Qt host: "Imgx(3)" or "Command1".
std::string controlKey(std::string_view name, int index);

}  // namespace poromea::win32
