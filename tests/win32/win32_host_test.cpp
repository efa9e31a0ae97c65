// The Win32 host under Wine (run_wine_tests.sh): every host scenario through the Win32 driver, real window messages
// through the program's message loop and preTranslateMessage hook (the only seam is Timer1's interval), then what only
// this host has; "N passed, N failed" last.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host/win32/win32_host.h"
#include "tests/host/scenarios.h"

namespace poromea::scenarios {
namespace {

std::string textOf(HWND window) {
    wchar_t text[256];
    return win32::narrow({text, static_cast<std::size_t>(GetWindowTextW(window, text, 256))});
}
Rect rectOf(RECT r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }
std::vector<HWND> shownIn(HWND parent, const wchar_t* ofClass = nullptr) {  // null parent: the screen
    std::vector<HWND> out;
    for (HWND w = nullptr; (w = FindWindowExW(parent, w, ofClass, nullptr));) {
        if (IsWindowVisible(w)) out.push_back(w);
    }
    return out;
}

class Win32Driver final : public Driver {
    win32::PictureLibrary pictures_;

public:
    static constexpr POINT kGrab{12, 30};  // where press() holds a card

    // Fresh windows, without the picture `missing`. Failures are the host's own: a box, the end.
    explicit Win32Driver(std::string_view missing = {}, std::int32_t memoriseMs = kMemoriseMs)
        : pictures_([missing = std::string(missing)](std::string_view name, win32::PictureFile& file) {
              return name != missing && win32::PictureLibrary::fromResources(name, file);
          }),
          host(pictures_, memoriseMs) {
        active_ = this;
        host.showForm1();
        pump();
    }
    ~Win32Driver() override { KillTimer(nullptr, answerTimer_); }
    // The windows the player does not click, found as the system lists them: the drag's outline by
    // its class, the live region the game's words are read from as the one control taking no room.
    HWND dragOutline() const { return FindWindowExW(host.form1(), nullptr, L"PoromeaDragOutline", nullptr); }
    HWND announcer() const {
        for (HWND w = nullptr; (w = FindWindowExW(host.form1(), w, L"STATIC", nullptr));) {
            RECT r;
            if (GetClientRect(w, &r) && IsRectEmpty(&r)) return w;
        }
        return nullptr;
    }

    void click(std::string_view button) override {
        const LPARAM at = MAKELPARAM(5, 5);  // inside any button
        if (!IsWindowEnabled(host.form1())) return pump();  // the system gives a disabled window no clicks
        input(host.control(button), {{WM_LBUTTONDOWN, MK_LBUTTON, at}, {WM_LBUTTONUP, 0, at}});
    }
    void press(int card, Button button) override {
        button_ = kButtons[static_cast<int>(button)];
        pressed_ = kGrab;
        MapWindowPoints(host.imageControl(Imgx(card)), host.form1(), &pressed_, 1);
        input(host.imageControl(Imgx(card)), {{button_.first, button_.second, MAKELPARAM(kGrab.x, kGrab.y)}});
    }
    void releaseAt(Point p) override {  // in a few steps from where it was pressed
        const Point from{pressed_.x, pressed_.y};
        for (int step = 1; step < 4; ++step) moveTo({from.x + (p.x - from.x) * step / 4, from.y + (p.y - from.y) * step / 4});
        moveTo(p, true);
    }
    void raise(std::string_view title) override {
        SetWindowPos(window(title), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        pump();
    }
    void moveTo(Point p, bool release = false) {  // the pressed button held
        POINT at{p.x, p.y};
        ClientToScreen(host.form1(), &at);
        HWND target = GetCapture() ? GetCapture() : WindowFromPoint(at);  // as the system routes the mouse
        if (GetWindowThreadProcessId(target, nullptr) != GetCurrentThreadId()) return;
        ScreenToClient(target, &at);
        input(target, {{WM_MOUSEMOVE, button_.second, MAKELPARAM(at.x, at.y)}});
        if (release) input(target, {{button_.first + 1 /* its release */, 0, MAKELPARAM(at.x, at.y)}});
    }
    void key(ui::Key key, bool keypad = false) override {
        static constexpr WORD kKeys[] = {'A', '1', '2', '3', '4', '5', '6', VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN,
                                         VK_RETURN, VK_SPACE, VK_ESCAPE};  // in ui::Key's order
        const WORD k = kKeys[static_cast<int>(key)];
        const bool digit = k >= '1' && k <= '6';  // the keypad's are others; its Enter is an extended Return
        sendKey(keypad && digit ? static_cast<WORD>(k - '1' + VK_NUMPAD1) : k, keypad && !digit);
    }
    void keypadWithoutNumLock(int digit) override {
        static constexpr WORD kKeys[] = {VK_END, VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR, VK_RIGHT};
        sendKey(kKeys[digit - 1]);  // not extended: the keypad's, not the arrows' own
    }
    void keyWithCtrl(ui::Key key) override {  // Ctrl held as the system records it for this thread
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        sendKey(static_cast<WORD>('1' + static_cast<int>(key) - static_cast<int>(ui::Key::Digit1)));
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    void tab() override { sendKey(VK_TAB); }
    void underNextBox(std::function<void()> steps) override { underBox_ = std::move(steps); }
    void clickWindow(std::string_view title) override {  // activated by the press, as the system does
        HWND w = window(title);
        if (!IsWindowEnabled(w)) return pump();  // which it refuses a disabled window
        SetActiveWindow(w);
        HWND under = ChildWindowFromPoint(w, {2, 2});
        input(under ? under : w, {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)}, {WM_LBUTTONUP, 0, MAKELPARAM(2, 2)}});
    }
    // Timer1's tick as the system delivers it; the game takes it only while the timer runs.
    void letTimerElapse() override { input(host.form1(), {{WM_TIMER, 1, 0}}); }

    void wait(int milliseconds) override {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < static_cast<DWORD>(milliseconds);) pump();
    }
    double now() override {
        LARGE_INTEGER count, frequency;
        QueryPerformanceCounter(&count);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    }
    std::string caption(std::string_view button) override { return textOf(host.control(button)); }

    // Read from the main window's client DC once no part of it waits to be painted.
    Seen seen(Rect area) override {
        for (const DWORD start = GetTickCount(); !painted() && GetTickCount() - start < 5000;) pump();
        check(painted());
        Seen out{area.width, area.height, {}};
        HDC window = GetDC(host.form1());
        for (int i = 0; i < area.width * area.height; ++i) {
            const COLORREF c = GetPixel(window, area.left + i % area.width, area.top + i / area.width);
            out.pixels.push_back({GetRValue(c), GetGValue(c), GetBValue(c)});
        }
        ReleaseDC(host.form1(), window);
        return out;
    }
    bool painted() {
        if (GetUpdateRect(host.form1(), nullptr, FALSE)) return false;
        for (HWND c = GetWindow(host.form1(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (GetUpdateRect(c, nullptr, FALSE)) return false;
        }
        return true;
    }

    std::string picture(ImageControl c) override { return host.pictureName(host.imageControl(c)); }
    std::optional<Rect> outline() override {
        HWND o = dragOutline();
        return IsWindowVisible(o) ? std::optional(rectOf(win32::rectIn(o, host.form1()))) : std::nullopt;
    }
    std::vector<Window> windows() override {
        std::vector<Window> out;
        for (HWND w : shownIn(nullptr)) {
            RECT r;
            GetClientRect(w, &r);
            MapWindowPoints(w, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
            out.insert(w == host.form1() ? out.begin() : out.end(), {textOf(w), rectOf(r)});
        }
        return out;
    }
    std::vector<MessageWindow> takeMessageBoxes() override { return std::exchange(boxes_, {}); }
    Focused focus() override {
        HWND f = GetFocus();
        if (!f) return {};
        Focused out{textOf(GetAncestor(f, GA_ROOT)), ""};
        for (const ui::Control& c : ui::kForm1.controls) if (f == host.control(c.name, c.index)) out.control = c.key();
        for (const ui::Control& c : ui::kForm2.controls) if (f == host.form2Control(c.name)) out.control = c.key();
        return out;
    }
    void moveWindow(std::string_view title, Point at) override {
        SetWindowPos(window(title), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
    }
    void closeWindow(std::string_view title) override { input(window(title), {{WM_CLOSE, 0, 0}}); }
    bool running() override { return quitStatus < 0; }
    std::vector<std::string> failures() override { return reports; }

    void pump() {  // the message loop, until a few quiet passes in a row show the input handled
        for (int quiet = 0; quiet++ < 3; Sleep(1)) {
            for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); quiet = 0) {
                if (m.message == WM_QUIT) quitStatus = static_cast<int>(m.wParam);
                if (m.message == WM_QUIT || host.preTranslateMessage(m)) continue;
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        }
    }

    win32::Win32Host host;
    int quitStatus = -1;               // the program's, once it ends
    std::vector<std::string> reports;  // the host's failure reports: error boxes titled as its main window

private:
    static constexpr std::pair<UINT, WPARAM> kButtons[] = {  // each button's press, and its flag while held
        {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_MBUTTONDOWN, MK_MBUTTON},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1)}};
    static inline Win32Driver* active_ = nullptr;

    static void CALLBACK answerBoxes(HWND, UINT, UINT_PTR, DWORD) {  // reads each message box open, presses OK
        if (active_->underBoxNow_) return;  // its steps are being played
        for (HWND box : shownIn(nullptr, MAKEINTATOM(32770) /* the dialog class */)) {
            if (auto steps = std::exchange(active_->underBox_, {})) {
                active_->underBoxNow_ = true;
                steps();
                active_->underBoxNow_ = false;
            }
            MessageWindow seen{textOf(box), ""};
            for (HWND child : shownIn(box)) {
                const LRESULT kind = SendMessageW(child, WM_GETDLGCODE, 0, 0);
                seen.buttons += (kind & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
                seen.icon = seen.icon || SendMessageW(child, STM_GETICON, 0, 0);
                if (kind & DLGC_STATIC && !textOf(child).empty()) seen.text = textOf(child);
            }
            const bool report = seen.title == textOf(active_->host.form1());  // the host's failure report
            if (report) check(seen.icon);  // an error box, always
            report ? active_->reports.push_back(seen.text) : active_->boxes_.push_back(seen);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }

    // The one way in: the messages of one input, posted to `target`, then handled.
    void input(HWND target, std::initializer_list<std::tuple<UINT, WPARAM, LPARAM>> messages) {
        for (const auto& [message, w, l] : messages) PostMessageW(target, message, w, l);
        pump();
    }
    void sendKey(WORD key, bool extended = false) {  // to the focused window, pressed and released
        const LPARAM down = 1 | static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16 | extended << 24;
        // The release sets bits 30 and 31 of the key's 32-bit data; a 64-bit lParam has them zero-extended, as
        // Windows passes them (3L << 30 would be a negative long, sign-extended to 64 bits).
        const auto released = static_cast<LPARAM>(static_cast<DWORD>(3) << 30);
        input(GetFocus() ? GetFocus() : host.form1(), {{WM_KEYDOWN, key, down}, {WM_KEYUP, key, down | released}});
    }
    HWND window(std::string_view title) { return textOf(host.form1()) == title ? host.form1() : host.form2(); }

    std::vector<MessageWindow> boxes_;
    std::pair<UINT, WPARAM> button_ = kButtons[0];
    POINT pressed_{};  // where, in the main window
    std::function<void()> underBox_;
    bool underBoxNow_ = false;
    UINT_PTR answerTimer_ = SetTimer(nullptr, 0, 20, &Win32Driver::answerBoxes);
};

int checksFailed = 0;
std::vector<std::pair<DWORD, HWND>> heard;  // what screen readers were told
std::vector<std::string> said;               // the live region's words, as they were told

// Screen readers hear of a card held by the keys moving, as a live region's words, and of a picture's change (the
// buttons' names through the system's annotations Wine lacks: there they are their captions, the scenarios'); labels
// get Japanese fonts; the outline, on top, follows the pointer.
void windowsOnScreen() {
    Win32Driver d;
    d.click("Command1");
    d.letTimerElapse();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, 0x8019 /* EVENT_OBJECT_LIVEREGIONCHANGED */, nullptr,
        [](HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) CALLBACK {
            if (object == OBJID_CLIENT && child == CHILDID_SELF) heard.emplace_back(event, window);
            if (event == 0x8019) said.push_back(textOf(window));
        }, GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    for (ui::Key key : {ui::Key::Digit4, ui::Key::Left, ui::Key::Left, ui::Key::Return}) d.key(key);
    UnhookWinEvent(hook);
    const auto slot = [&](int k) { return d.host.imageControl(Slot(k)); };
    std::erase_if(heard, [&](const auto& e) { return e.second == d.announcer() || e.first > EVENT_OBJECT_NAMECHANGE; });
    // No focus event for the slots a held card passes: the keys stay on the button.
    check(heard == (decltype(heard){{EVENT_OBJECT_NAMECHANGE, slot(4)}}));
    // The same words as on every host, read out as a live region's.
    checkEq(said, (std::vector<std::string>{"カード 4を とりました。くち あき", "ひだりめ あき",
                                            "みぎめ あき", "カード 4を みぎめに おきました"}));
    HDC memory = CreateCompatibleDC(nullptr);
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.kind != ui::Kind::Label) continue;
        SelectObject(memory, reinterpret_cast<HFONT>(SendMessageW(d.host.control(c.name), WM_GETFONT, 0, 0)));
        checkEq(GetTextCharset(memory), SHIFTJIS_CHARSET);
    }
    DeleteDC(memory);

    const ui::Control& card = ui::controlFor(Imgx(0));
    const Point p{ui::pixels(card.left) + 100, ui::pixels(card.top) - 50};  // anywhere
    d.press(0, Button::Left);
    d.moveTo(p);
    checkEq(d.outline(), (Rect{p.x - d.kGrab.x, p.y - d.kGrab.y, ui::pixels(card.width), ui::pixels(card.height)}));
    check(GetWindow(d.host.form1(), GW_CHILD) == d.dragOutline());
}

// The program ends (its host destroyed). Destroying the congratulation window in front, Windows hands the activation
// back to the main window (Wine does not: it is sent here as Windows sends it); the game, gone first, must not take
// that for the player's. True when a button of the game got the keys.
bool keysMovedAsItEnds(std::unique_ptr<Win32Driver> d) {
    static HWND form1, form2;
    static std::vector<HWND> buttons;
    static bool moved;
    form1 = d->host.form1(), form2 = GetActiveWindow() == d->host.form2() ? d->host.form2() : nullptr, moved = false;
    buttons = {d->host.control("Command1"), d->host.control("Command2")};
    HHOOK handBack = SetWindowsHookExW(WH_CALLWNDPROC, [](int code, WPARAM w, LPARAM l) CALLBACK -> LRESULT {
        const auto& m = *reinterpret_cast<const CWPSTRUCT*>(l);
        if (m.message == WM_DESTROY && form2 && m.hwnd == form2) {
            SendMessageW(form1, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(form2));
            moved = std::ranges::count(buttons, GetFocus()) > 0;
        }
        return CallNextHookEx(nullptr, code, w, l);
    }, nullptr, GetCurrentThreadId());
    d.reset();
    UnhookWindowsHookEx(handBack);
    return moved;
}

// poromea.exe as a process. Each started with `arguments`, and given `in` as its standard output and error (no
// console then), or none at all; the box it opens meanwhile is read and answered.
struct Ran {
    DWORD status = 99;
    std::string out, box;
};
Ran run(const wchar_t* exe, std::wstring arguments, HANDLE out = nullptr) {
    std::wstring line = std::wstring(exe) + L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    PROCESS_INFORMATION pi{};
    Ran ran;
    if (!CreateProcessW(exe, line.data(), nullptr, nullptr, out != nullptr, DETACHED_PROCESS, nullptr, nullptr, &si, &pi)) {
        fail(__FILE__, __LINE__, "poromea.exe not started");
        return ran;
    }
    CloseHandle(pi.hThread);
    if (out) CloseHandle(out);
    HWND shown = nullptr;
    for (int i = 0; i < 3000 && WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT && !shown; ++i) {
        HWND w = FindWindowW(nullptr, L"ポロメア");
        if (w && IsWindowVisible(w)) shown = w;  // the game's window, or a box titled as it
    }
    std::vector<std::string> texts;  // what it shows, in any order
    for (HWND c = GetWindow(shown, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (IsWindowVisible(c) && !textOf(c).empty()) texts.push_back(textOf(c));
    }
    std::ranges::sort(texts);
    for (const std::string& t : texts) ran.box += t + "|";
    if (shown) PostMessageW(shown, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, ran.status);
    GetExitCodeProcess(pi.hProcess, &ran.status);
    CloseHandle(pi.hProcess);
    return ran;
}
Ran withPipe(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read, write;
    CreatePipe(&read, &write, &inheritable, 1 << 16);  // what it writes fits
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    Ran ran = run(L"poromea.exe", arguments, write);
    char buffer[4096];
    for (DWORD got = 0; ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got;) ran.out.append(buffer, got);
    CloseHandle(read);
    return ran;
}

// What a process adds (the options' table is ui's tests'): help and a refusal written out in Windows' own line ends,
// with their status; started from the desktop, a refusal in a box (the time a value keeps the cards face up is
// timed on Qt, Startup.MemoriseSeparate). Built with a broken picture, its window
// shows the start-up error naming the picture, and it ends with 1.
void theExecutable() {
    const std::string unknown = "知らないオプションです: --bogus（--help で使い方を表示します）";
    const Ran help = withPipe(L"--help"), refused = withPipe(L"--bogus");
    check(help.out.starts_with("使い方: poromea [オプション]\r\n") && help.out.ends_with("この説明を表示します\r\n") && !help.status);
    checkEq(refused.out + std::to_string(refused.status), "poromea: " + unknown + "\r\n2");
    const Ran boxed = run(L"poromea.exe", L"--bogus");
    checkEq(boxed.box + std::to_string(boxed.status), "OK|" + unknown + "|2");


    CopyFileW(L"poromea.exe", L"poromea-broken.exe", FALSE);
    HANDLE update = BeginUpdateResourceW(L"poromea-broken.exe", FALSE);
    char bytes[] = "GIF89a not really";
    UpdateResourceW(update, MAKEINTRESOURCEW(10) /* RT_RCDATA */, L"PART3", 0x0411, bytes, sizeof bytes);
    check(EndUpdateResourceW(update, FALSE));
    const Ran broken = run(L"poromea-broken.exe", L"");
    check(broken.box.find("part3.gif") != std::string::npos && broken.status == 1);
    DeleteFileW(L"poromea-broken.exe");
}

}  // namespace

void fail(const char* file, int line, const std::string& message) {
    ++checksFailed;
    std::printf("    %s:%d: %s\n", file, line, message.c_str());
}

}  // namespace poromea::scenarios

using namespace poromea::scenarios;

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<std::pair<std::string, std::function<void()>>> tests;
    for (const Scenario& s : all()) {
        tests.emplace_back(s.name, [&s] {
            auto d = std::make_unique<Win32Driver>(s.missingPicture, s.memoriseMs);
            s.play(*d);
            checkEq(d->quitStatus == 1, !d->reports.empty());  // a failure reported ends the program with 1
            check(!keysMovedAsItEnds(std::move(d)));
        });
    }
    tests.insert(tests.end(), {{"WindowsOnScreen", windowsOnScreen}, {"TheExecutable", theExecutable}});
    int failed = 0;  // an exception ends the program before its summary: a failure too
    for (const auto& [name, test] : tests) {
        const int before = checksFailed;
        const DWORD start = GetTickCount();
        test();
        failed += checksFailed != before;
        std::printf("%s %s (%lu ms)\n", checksFailed == before ? "PASS" : "FAIL", name.c_str(), GetTickCount() - start);
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", static_cast<int>(tests.size()) - failed, failed);
    return failed == 0 ? 0 : 1;
}
