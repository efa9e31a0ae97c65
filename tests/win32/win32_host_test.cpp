// The Win32 host under Wine (run_wine_tests.sh): every host scenario through the Win32 driver,
// then what only this host has; "N passed, N failed" last.
#include <objbase.h>
#include <oleacc.h>
#include <process.h>

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include "tests/win32/win32_driver.h"

namespace poromea::scenarios {
namespace {

int checksFailed = 0;
std::vector<std::pair<DWORD, HWND>> heard;  // what screen readers were told
std::vector<std::string> said;               // the live region's words, as they were told

// Screen readers hear of a card held by the keys moving, as a live region's words, and of a picture's change; labels
// get Japanese fonts; cards and slots show their pictures as laid out, pixel for pixel; the outline, on top, follows.
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
    // The buttons are named by their captions as a voice says them, with what they do, through the
    // system's annotations; a system without them (Wine has none) names them by their text.
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, d.host.form1(), nullptr, nullptr, nullptr);
    const bool annotated = win32::annotateName(probe, "名前", "説明");
    DestroyWindow(probe);
    if (!annotated) std::printf("    no accessibility annotations here: the buttons are named by their text\n");
    for (const auto& [button, name, description] :
         annotated ? std::vector{std::tuple("Command1", L"START", L"スタート"), std::tuple("Command2", L"OK", L"こたえあわせ")}
                   : std::vector{std::tuple("Command1", L"START", L""), std::tuple("Command2", L"O  K", L"")}) {
        IAccessible* accessible = nullptr;
        // __uuidof, not IID_IAccessible: the 64-bit liboleacc.a exports that name as a function's thunk
        // (not the GUID), which also clashes with libuuid's definition.
        if (FAILED(AccessibleObjectFromWindow(d.host.control(button), OBJID_CLIENT, __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&accessible)))) {
            fail(__FILE__, __LINE__, std::string(button) + ": no accessible object");
            continue;
        }
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR got[2] = {};
        accessible->get_accName(self, &got[0]);
        accessible->get_accDescription(self, &got[1]);
        const auto text = [](BSTR b) { return win32::narrow(b ? std::wstring_view(b) : std::wstring_view()); };
        checkEq(text(got[0]) + " / " + text(got[1]), win32::narrow(name) + " / " + win32::narrow(description));
        for (BSTR b : got) SysFreeString(b);
        accessible->Release();
    }

    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.kind == ui::Kind::Label) {
            SelectObject(memory, reinterpret_cast<HFONT>(SendMessageW(d.host.control(c.name), WM_GETFONT, 0, 0)));
            checkEq(GetTextCharset(memory), SHIFTJIS_CHARSET);
        }
        const auto image = c.reached;
        if (!image) continue;
        const auto& p = win32::win32Picture(d.pictures().get(d.picture(*image)));
        POINT shown{ui::pixels(c.left), ui::pixels(c.top)};
        ClientToScreen(d.host.form1(), &shown);
        SelectObject(memory, p.bitmap);
        const int w = std::min(ui::pixels(c.width), p.width), h = std::min(ui::pixels(c.height), p.height);
        int n = 0;  // the pixels alike, row by row
        while (n < w * h && GetPixel(screen, shown.x + n % w, shown.y + n / w) == GetPixel(memory, n % w, n / w)) ++n;
        if (n < w * h) fail(__FILE__, __LINE__, d.spoken(*image) + ": the screen shows something else");
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    const ui::Control& card = ui::controlFor(Imgx(0));
    const Point p{ui::pixels(card.left) + 100, ui::pixels(card.top) - 50};  // anywhere
    d.press(0, Button::Left);
    d.moveTo(p);
    checkEq(d.outline(), (Rect{p.x - d.kGrab.x, p.y - d.kGrab.y, ui::pixels(card.width), ui::pixels(card.height)}));
    check(GetWindow(d.host.form1(), GW_CHILD) == d.dragOutline());
}

// poromea.exe as built, and with a broken picture, in the build folder: its window, titled as the game,
// shows the game or the start-up error naming the picture; closing it ends the program with the status.
// (How long the cards stay face up is measured by the scenarios.)
void theExecutable() {
    const wchar_t *built = L"poromea.exe", *broken = L"poromea-broken.exe";
    CopyFileW(built, broken, FALSE);
    HANDLE update = BeginUpdateResourceW(broken, FALSE);
    char bytes[] = "GIF89a not really";
    UpdateResourceW(update, MAKEINTRESOURCEW(10) /* RT_RCDATA */, L"PART3", 0x0411, bytes, sizeof bytes);
    check(EndUpdateResourceW(update, FALSE));
    // (Its options, refused ones too: TheOptions.)
    for (const auto& [exe, option, shows, status] :
         {std::tuple(built, L"--memorise=30", "START", 0ul), std::tuple(broken, L"", "part3.gif", 1ul)}) {
        const auto process = reinterpret_cast<HANDLE>(
            *option ? _wspawnl(_P_NOWAIT, exe, exe, option, nullptr) : _wspawnl(_P_NOWAIT, exe, exe, nullptr));
        WaitForInputIdle(process, 30000);  // its window shown
        HWND shown = FindWindowW(nullptr, L"ポロメア");
        std::string text;
        for (HWND c = GetWindow(shown, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += textOf(c);
        if (text.find(shows) == std::string::npos) fail(__FILE__, __LINE__, "shown: " + text);
        PostMessageW(shown, WM_CLOSE, 0, 0);
        DWORD ended = 99;
        if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) TerminateProcess(process, ended);
        GetExitCodeProcess(process, &ended);
        checkEq(ended, status);
        CloseHandle(process);
    }
    DeleteFileW(broken);
}

// poromea.exe's options. Its output sent to pipes: help and version on standard output, errors on
// standard error, in UTF-8, each with its status. Started as from the desktop (no console, no
// standard handles): the same texts in a box titled as the main window. Both forms of --memorise
// keep the cards face up longer, timed from START to the cards' backs on the screen.
struct Ran {
    DWORD status = 99;
    std::string out, err;
};

HANDLE startGame(std::wstring arguments, STARTUPINFOW& si, bool inherit, DWORD flags) {
    std::wstring line = L"poromea.exe " + arguments;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"poromea.exe", line.data(), nullptr, nullptr, inherit, flags, nullptr, nullptr, &si, &pi)) {
        fail(__FILE__, __LINE__, "poromea.exe not started");
        return nullptr;
    }
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD ended(HANDLE process) {
    DWORD status = 99;
    if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) TerminateProcess(process, status);
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    return status;
}

Ran withPipes(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inheritable, 1 << 16);
    CreatePipe(&errRead, &errWrite, &inheritable, 1 << 16);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    Ran ran;
    HANDLE process = startGame(arguments, si, TRUE, DETACHED_PROCESS);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (process) ran.status = ended(process);  // what it writes fits in the pipes
    for (auto [pipe, text] : {std::pair(outRead, &ran.out), std::pair(errRead, &ran.err)}) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got) text->append(buffer, got);
        CloseHandle(pipe);
    }
    return ran;
}

// Started with no console and no standard handles; the box it opens is read and answered.
std::pair<std::string, DWORD> shownInBox(const std::wstring& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;  // all three none
    HANDLE process = startGame(arguments, si, FALSE, DETACHED_PROCESS);
    if (!process) return {};
    HWND box = nullptr;
    for (int i = 0; i < 3000 && !((box = FindWindowW(L"#32770", L"ポロメア")) && IsWindowVisible(box)); ++i) {
        Sleep(10);  // until it shows, its text and button in it
    }
    std::vector<std::string> shown;  // what it shows: its text and its one button, in any order
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (IsWindowVisible(c) && !textOf(c).empty()) shown.push_back(textOf(c));
    }
    std::ranges::sort(shown);
    std::string text;
    for (const std::string& t : shown) text += t + "|";
    if (box) PostMessageW(box, WM_CLOSE, 0, 0);
    return {text, ended(process)};
}

// Milliseconds from START to the first card's back, read from the card's text as a screen reader would.
double coveredAfter(const std::wstring& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    HANDLE process = startGame(arguments, si, FALSE, 0);
    if (!process) return 0;
    WaitForInputIdle(process, 30000);
    HWND form1 = nullptr, start = nullptr, card = nullptr;
    for (int i = 0; i < 3000 && !(form1 = FindWindowW(nullptr, L"ポロメア")); ++i) Sleep(10);
    for (HWND c = GetWindow(form1, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (textOf(c) == "START") start = c;
        if (textOf(c).starts_with("カード 1 ")) card = c;
    }
    double ms = 0;
    if (start && card) {
        const DWORD clicked = GetTickCount();
        SendMessageW(start, BM_CLICK, 0, 0);
        while (textOf(card).find("の うら") == std::string::npos && GetTickCount() - clicked < 20000) Sleep(5);
        ms = GetTickCount() - clicked;
    }
    PostMessageW(form1, WM_CLOSE, 0, 0);
    checkEq(ended(process), 0ul);
    return ms;
}

// What a process adds to the options (their table is ui's tests'): help on standard output, a refusal on
// standard error with status 2, in Windows' own line ends; started from the desktop, a refusal in a box; a value
// taken keeps the cards face up longer.
void theOptions() {
    const std::string unknown = "知らないオプションです: --bogus（--help で使い方を表示します）";
    const Ran help = withPipes(L"--help"), refused = withPipes(L"--bogus");
    check(help.out.starts_with("使い方: poromea [オプション]\r\n") && help.out.ends_with("この説明を表示します\r\n"));
    checkEq(help.err + std::to_string(help.status), "0");
    checkEq(refused.out + refused.err + std::to_string(refused.status), "poromea: " + unknown + "\r\n2");
    const auto [shown, status] = shownInBox(L"--bogus");
    checkEq(shown + std::to_string(status), "OK|" + unknown + "|2");
    const double separate = coveredAfter(L"--memorise 7");
    std::printf("    covered after %.0f ms (--memorise 7)\n", separate);
    check(separate >= 6950 && separate < 7600);
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
            Win32Driver d(s.missingPicture, s.memoriseMs);
            s.play(d);
            checkEq(d.quitStatus == 1, !d.reports.empty());  // a failure reported ends the program with 1
        });
    }
    tests.insert(tests.end(), {{"WindowsOnScreen", windowsOnScreen}, {"TheExecutable", theExecutable}, {"TheOptions", theOptions}});
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
