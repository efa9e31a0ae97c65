// The host scenarios' driver for the Win32 host: real window messages through
// the program's own message loop and its preTranslateMessage hook, and what
// the windows show read back from them. The only seam is Timer1's interval.
#pragma once

#include <windows.h>
#undef MessageBox  // the scenarios' own, not the API's macro

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/win32/win32_host.h"
#include "tests/host/scenarios.h"

namespace poromea::scenarios {

using win32::narrow;

inline std::wstring textOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}
inline std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}
inline Rect rectOf(RECT r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

class Win32Driver final : public Driver {
public:
    // Fresh windows with pictures from `source`. Failures reach failures(),
    // or with `hostReports` the host's own report (a message box, status 1).
    explicit Win32Driver(win32::PictureLibrary::Source source = &win32::PictureLibrary::fromResources,
                         bool hostReports = false)
        : pictures_(std::move(source)), host_(std::make_unique<win32::Win32Host>(pictures_)) {
        if (!hostReports) host_->setFatalHandler([this](const std::wstring& m) { failures_.push_back(narrow(m)); });
        active_ = this;
        answerTimer_ = SetTimer(nullptr, 0, 20, &Win32Driver::answerBoxes);
        host_->showForm1();
        pump();
    }
    ~Win32Driver() override {
        KillTimer(nullptr, answerTimer_);
        active_ = nullptr;
        host_.reset();
        for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) {
        }
    }

    void click(std::string_view button) override {
        RECT r;
        GetClientRect(host_->control(button), &r);
        post(host_->control(button), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2), WM_LBUTTONUP);
    }
    void press(int card, Button button) override {
        button_ = static_cast<std::size_t>(button);
        post(host_->imageControl(Imgx(card)), kPress[button_], kHeld[button_], MAKELPARAM(12, 30));
    }
    void releaseAt(Point p) override {
        POINT at{p.x, p.y};
        ClientToScreen(host_->form1(), &at);
        // The window with the capture has the mouse wherever it is; else the window under it.
        HWND target = GetCapture() ? GetCapture() : WindowFromPoint(at);
        if (GetWindowThreadProcessId(target, nullptr) != GetCurrentThreadId()) return;
        ScreenToClient(target, &at);
        post(target, WM_MOUSEMOVE, kHeld[button_], MAKELPARAM(at.x, at.y), kPress[button_] + 1 /* its release */);
    }
    void key(ui::Key key, bool keypad) override {
        static const std::map<ui::Key, WORD> keys{
            {ui::Key::Left, VK_LEFT},     {ui::Key::Right, VK_RIGHT},   {ui::Key::Up, VK_UP},
            {ui::Key::Down, VK_DOWN},     {ui::Key::Return, VK_RETURN}, {ui::Key::Space, VK_SPACE},
            {ui::Key::Escape, VK_ESCAPE}, {ui::Key::Other, 'A'}};
        const int digit = static_cast<int>(key) - static_cast<int>(ui::Key::Digit1);
        if (digit >= 0 && digit < kParts) return sendKey(static_cast<WORD>((keypad ? VK_NUMPAD1 : '1') + digit));
        sendKey(keys.at(key), keypad);  // the keypad's Enter is an extended Return
    }
    void tab() override { sendKey(VK_TAB); }
    void letTimerElapse() override {
        if (host_->timer1Interval() == 0) return;
        host_->runTimer1Every(1);
        SCENARIO_CHECK(pump([&] { return host_->timer1Interval() == 0; }, 5000));
    }

    std::string picture(ImageControl c) override { return host_->pictureName(host_->imageControl(c)); }
    std::string spoken(ImageControl c) override { return narrow(textOf(host_->imageControl(c))); }
    bool outlineShown() override { return IsWindowVisible(host_->dragOutline()); }
    Rect outline() override { return rectOf(win32::rectIn(host_->dragOutline(), host_->form1())); }
    std::vector<Window> windows() override {
        std::vector<HWND> shown = shownWindows();
        std::stable_partition(shown.begin(), shown.end(), [&](HWND w) { return w == host_->form1(); });
        std::vector<Window> out;
        for (HWND w : shown) {
            RECT r;
            GetClientRect(w, &r);
            MapWindowPoints(w, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
            out.push_back({narrow(textOf(w)), rectOf(r)});
        }
        return out;
    }
    std::vector<MessageBox> takeMessageBoxes() override { return std::exchange(boxes_, {}); }
    std::string focusedButton() override {
        for (const char* button : {"Command1", "Command2"}) {
            if (GetFocus() && GetFocus() == host_->control(button)) return button;
        }
        return "";
    }
    void moveWindow(std::string_view title, Point at) override {
        SetWindowPos(window(title), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
    }
    void closeWindow(std::string_view title) override { post(window(title), WM_CLOSE, 0, 0); }
    bool running() override { return quitStatus_ < 0; }
    std::vector<std::string> failures() override { return failures_; }

    win32::Win32Host& host() { return *host_; }
    int quitStatus() const { return quitStatus_; }  // -1 until the program ends
    // Runs the program's message loop until `done` holds (true) or `ms` pass.
    bool pump(const std::function<bool()>& done = {}, DWORD ms = 30) {
        for (const DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
            for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) {
                if (m.message == WM_QUIT) {
                    quitStatus_ = static_cast<int>(m.wParam);
                } else if (!host_->preTranslateMessage(m)) {
                    TranslateMessage(&m);
                    DispatchMessageW(&m);
                }
            }
            if (done && done()) return true;
            if (GetTickCount() - start >= ms) return !done;
        }
    }
    DWORD answerAfterMs = 0;  // message boxes are answered once up this long (for screenshots)

private:
    static constexpr UINT kPress[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr WPARAM kHeld[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
    static inline Win32Driver* active_ = nullptr;

    static BOOL CALLBACK collect(HWND window, LPARAM list) {
        if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }
    // The program's shown windows, or those inside `parent`.
    static std::vector<HWND> shownWindows(HWND parent = nullptr) {
        std::vector<HWND> out;
        parent ? EnumChildWindows(parent, &collect, reinterpret_cast<LPARAM>(&out))
               : EnumThreadWindows(GetCurrentThreadId(), &collect, reinterpret_cast<LPARAM>(&out));
        return out;
    }
    // Reads a message box that a handler opened, then presses its OK button.
    static void CALLBACK answerBoxes(HWND, UINT, UINT_PTR, DWORD) {
        Win32Driver* self = active_;
        const std::vector<HWND> shown = shownWindows();
        const auto box = std::find_if(shown.begin(), shown.end(), [](HWND w) { return classOf(w) == L"#32770"; });
        if (!self || box == shown.end() || *box == self->boxAnswered_) return;
        if (*box != self->boxUp_) self->boxUp_ = *box, self->boxUpSince_ = GetTickCount();
        if (GetTickCount() - self->boxUpSince_ < self->answerAfterMs) return;
        MessageBox seen{narrow(textOf(*box)), "", 0, false};
        for (HWND child : shownWindows(*box)) {
            const bool icon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
            if (classOf(child) == L"Button") ++seen.buttons;
            if (classOf(child) != L"Static") continue;
            if (icon) seen.icon = seen.icon || SendMessageW(child, STM_GETICON, 0, 0);
            if (!icon && !textOf(child).empty()) seen.text = narrow(textOf(child));
        }
        self->boxes_.push_back(seen);
        self->boxAnswered_ = *box;
        PostMessageW(*box, WM_COMMAND, IDOK, 0);
    }

    // Posts a message, and a release at the same place if `release`, then runs the message loop.
    void post(HWND target, UINT message, WPARAM w, LPARAM l, UINT release = 0) {
        PostMessageW(target, message, w, l);
        if (release) PostMessageW(target, release, 0, l);
        pump();
    }
    // A key pressed and released on the focused window.
    void sendKey(WORD virtualKey, bool extended = false) {
        HWND target = GetFocus() ? GetFocus() : host_->form1();
        const LPARAM down = 1 | static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16 |
                            (extended ? 1L << 24 : 0);
        PostMessageW(target, WM_KEYDOWN, virtualKey, down);
        post(target, WM_KEYUP, virtualKey, down | static_cast<LPARAM>(0xC0000000u));
    }
    HWND window(std::string_view title) const {
        for (HWND w : {host_->form1(), host_->form2()}) {
            if (w && narrow(textOf(w)) == title) return w;
        }
        throw std::invalid_argument("no such window");
    }

    win32::PictureLibrary pictures_;
    std::unique_ptr<win32::Win32Host> host_;
    std::vector<MessageBox> boxes_;
    std::vector<std::string> failures_;
    std::size_t button_ = 0;
    int quitStatus_ = -1;
    UINT_PTR answerTimer_ = 0;
    HWND boxUp_ = nullptr, boxAnswered_ = nullptr;
    DWORD boxUpSince_ = 0;
};

}  // namespace poromea::scenarios
