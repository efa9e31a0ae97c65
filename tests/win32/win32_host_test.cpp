// The Win32 host under Wine (run_wine_tests.sh): every host scenario through the Win32 driver,
// then what only this host has; "N passed, N failed" last.
#include <objbase.h>
#include <oleacc.h>
#include <process.h>

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
    std::erase_if(heard, [&](const auto& e) { return e.second == d.host.announcer() || e.first > EVENT_OBJECT_NAMECHANGE; });
    // No focus event for the slots a held card passes: the keys stay on the button.
    check(heard == (decltype(heard){{EVENT_OBJECT_NAMECHANGE, slot(4)}}));
    // The same words as on every host, read out as a live region's.
    checkEq(said, (std::vector<std::string>{"カード 4を持っています。口の場所、空き", "左目の場所、空き",
                                            "右目の場所、空き", "カード 4を右目の場所に置きました"}));
    // The buttons are named by their captions as a voice says them, with what they do, through the
    // system's annotations; a system without them (Wine has none) names them by their text.
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, d.host.form1(), nullptr, nullptr, nullptr);
    const bool annotated = win32::annotateName(probe, "名前", "説明");
    DestroyWindow(probe);
    if (!annotated) std::printf("    no accessibility annotations here: the buttons are named by their text\n");
    for (const auto& [button, name, description] :
         annotated ? std::vector{std::tuple("Command1", L"START", L"スタート"), std::tuple("Command2", L"OK", L"答え合わせ")}
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
        const auto& p = win32::win32Picture(d.host.picture(*image));
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
    check(GetWindow(d.host.form1(), GW_CHILD) == d.host.dragOutline());
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
    // A memorising time shorter than the game's own is refused before the game opens.
    for (const auto& [exe, option, shows, status] :
         {std::tuple(built, L"--memorise=30", "START", 0ul), std::tuple(broken, L"", "part3.gif", 1ul),
          std::tuple(built, L"--memorise=4", "--memorise には 5 から 600 までの秒数を指定してください。", 2ul)}) {
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
            Win32Driver d(s.missingPicture);
            s.play(d);
            checkEq(d.quitStatus == 1, !d.reports.empty());  // a failure reported ends the program with 1
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
