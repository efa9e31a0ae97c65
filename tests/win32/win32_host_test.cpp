// The Win32 host under Wine (run_wine_tests.sh): every host scenario through the Win32 driver,
// then what only this host has; "N passed, N failed" last.
#include <objbase.h>
#include <functional>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "tests/win32/win32_driver.h"

namespace poromea::scenarios {
namespace {

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
// console then), or none at all; the box it opens meanwhile is read and answered; `play` is done with its main window.
struct Ran {
    DWORD status = 99;
    std::string out, box;
};
Ran run(const wchar_t* exe, std::wstring arguments, HANDLE out = nullptr, const std::function<void(HWND)>& play = {}) {
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
    if (shown && play) play(shown);
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
// with their status; started from the desktop, a refusal in a box; a value taken keeps the cards face up longer,
// timed from START to the first card's back as a screen reader reads it. Built with a broken picture, its window
// shows the start-up error naming the picture, and it ends with 1.
void theExecutable() {
    const std::string unknown = "知らないオプションです: --bogus（--help で使い方を表示します）";
    const Ran help = withPipe(L"--help"), refused = withPipe(L"--bogus");
    check(help.out.starts_with("使い方: poromea [オプション]\r\n") && help.out.ends_with("この説明を表示します\r\n") && !help.status);
    checkEq(refused.out + std::to_string(refused.status), "poromea: " + unknown + "\r\n2");
    const Ran boxed = run(L"poromea.exe", L"--bogus");
    checkEq(boxed.box + std::to_string(boxed.status), "OK|" + unknown + "|2");

    DWORD covered = 0;
    const Ran timed = run(L"poromea.exe", L"--memorise 7", nullptr, [&](HWND form1) {
        HWND start = nullptr, card = nullptr;
        for (HWND c = GetWindow(form1, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (textOf(c) == "START") start = c;
            if (textOf(c).starts_with("カード 1 ")) card = c;
        }
        const DWORD clicked = GetTickCount();
        SendMessageW(start, BM_CLICK, 0, 0);
        while (card && textOf(card).find("の うら") == std::string::npos && GetTickCount() - clicked < 20000) Sleep(5);
        covered = GetTickCount() - clicked;
    });
    std::printf("    covered after %lu ms (--memorise 7)\n", covered);
    check(timed.status == 0 && covered >= 6950 && covered < 7600);

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
