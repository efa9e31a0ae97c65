// The Win32 host under Wine (run_wine_tests.sh): every host scenario through the Win32 driver,
// then what only this host has; "N passed, N failed" last.
#include <objbase.h>
#include <process.h>

#include <cstdio>

#include "tests/win32/win32_driver.h"

namespace poromea::scenarios {
namespace {

int checksFailed = 0;
std::vector<std::pair<DWORD, HWND>> heard;  // what screen readers were told

// The labels get Japanese fonts (under Wine, the IPA fonts for the MS fonts). Screen readers
// hear of each slot a card held by the keyboard moves to, as that slot taking the focus, and
// of a picture's change. Each card and slot shows its picture pixel for pixel where its layout
// puts it, nothing drawn over it (its window text is only read), a drag's outline over them.
void windowsOnScreen() {
    Win32Driver d;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.kind != ui::Kind::Label) continue;
        SelectObject(memory, reinterpret_cast<HFONT>(SendMessageW(d.host.control(c.name), WM_GETFONT, 0, 0)));
        SCENARIO_EQ(GetTextCharset(memory), SHIFTJIS_CHARSET);
    }

    d.click("Command1");
    d.letTimerElapse();
    HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr,
        [](HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) CALLBACK {
            if (object == OBJID_CLIENT && child == CHILDID_SELF) heard.emplace_back(event, window);
        }, GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    for (ui::Key key : {ui::Key::Digit4, ui::Key::Left, ui::Key::Left, ui::Key::Return}) d.key(key);
    UnhookWinEvent(hook);
    const auto slot = [&](int k) { return d.host.imageControl(Slot(k)); };
    SCENARIO_CHECK(heard == (decltype(heard){{EVENT_OBJECT_FOCUS, slot(0)}, {EVENT_OBJECT_FOCUS, slot(5)},
                                             {EVENT_OBJECT_FOCUS, slot(4)}, {EVENT_OBJECT_NAMECHANGE, slot(4)}}));

    d.pump(300);  // painted
    for (ImageArray array : {ImageArray::Imgx, ImageArray::Slot}) {
        for (std::int16_t i = 0; i < kParts; ++i) {
            const auto& p = win32::win32Picture(d.host.picture({array, i}));
            const ui::Control& at = ui::controlFor({array, i});
            POINT shown{ui::pixels(at.left), ui::pixels(at.top)};
            ClientToScreen(d.host.form1(), &shown);
            SelectObject(memory, p.bitmap);
            const int w = std::min(ui::pixels(at.width), p.width), h = std::min(ui::pixels(at.height), p.height);
            int n = 0;  // the pixels alike, row by row
            while (n < w * h && GetPixel(screen, shown.x + n % w, shown.y + n / w) == GetPixel(memory, n % w, n / w)) {
                ++n;
            }
            if (n < w * h) fail(__FILE__, __LINE__, d.spoken({array, i}) + ": the screen shows something else");
        }
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    d.press(0, Button::Left);  // at 12, 30: the outline, over every control, follows the pointer from there
    PostMessageW(GetCapture(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 50));
    d.pump();
    SCENARIO_EQ(d.outline(), (Rect{128 + 100 - 12, 368 + 50 - 30, 50, 50}));  // Imgx(0) at 128, 368
    SCENARIO_CHECK(GetWindow(d.host.form1(), GW_CHILD) == d.host.dragOutline());
}

// poromea.exe as built, and with a broken picture: its window, titled as the game, shows the
// game or the start-up error naming the picture; closing it ends the program with the status.
void theExecutable() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring folder(path, wcsrchr(path, L'\\') + 1);
    const std::wstring built = folder + L"poromea.exe", broken = folder + L"poromea-broken.exe";
    CopyFileW(built.c_str(), broken.c_str(), FALSE);
    HANDLE update = BeginUpdateResourceW(broken.c_str(), FALSE);
    char bytes[] = "GIF89a not really";
    UpdateResourceW(update, MAKEINTRESOURCEW(10) /* RT_RCDATA */, L"PART3", 0x0411, bytes, sizeof bytes);
    SCENARIO_CHECK(EndUpdateResourceW(update, FALSE));
    for (const auto& [exe, shows, status] : {std::tuple(built, "START", 0ul), std::tuple(broken, "part3.gif", 1ul)}) {
        const auto process = reinterpret_cast<HANDLE>(_wspawnl(_P_NOWAIT, exe.c_str(), exe.c_str(), nullptr));
        HWND shown = nullptr;
        for (int n = 0; n < 300 && !IsWindowVisible(shown = FindWindowW(nullptr, L"ポロメア")); ++n) Sleep(100);
        std::string text;
        for (HWND c = GetWindow(shown, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += textOf(c);
        if (text.find(shows) == std::string::npos) fail(__FILE__, __LINE__, "shown: " + text);
        PostMessageW(shown, WM_CLOSE, 0, 0);
        DWORD ended = 99;
        if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) TerminateProcess(process, ended);
        GetExitCodeProcess(process, &ended);
        SCENARIO_EQ(ended, status);
        CloseHandle(process);
    }
    DeleteFileW(broken.c_str());
}

}  // namespace

void fail(const char* file, int line, const std::string& message) {
    ++checksFailed;
    std::printf("    %s:%d: %s\n", file, line, message.c_str());
}

}  // namespace poromea::scenarios

using namespace poromea::scenarios;
int passed = 0, failed = 0;

// One test, and its line. An exception ends the program before its summary: a failure too.
void run(const std::string& name, const std::function<void()>& test) {
    const int before = checksFailed;
    const DWORD start = GetTickCount();
    test();
    ++(checksFailed == before ? passed : failed);
    std::printf("%s %s (%lu ms)\n", checksFailed == before ? "PASS" : "FAIL", name.c_str(), GetTickCount() - start);
    std::fflush(stdout);
}

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const Scenario& s : all()) {
        run(s.name, [&s] {
            Win32Driver d(s.missingPicture);
            s.play(d);
            // What this host adds to a failure: the error icon, and the program's end with status 1.
            for (const MessageBox& report : d.reports) SCENARIO_CHECK(report.icon);
            SCENARIO_EQ(d.quitStatus == 1, !d.reports.empty());
        });
    }
    run("WindowsOnScreen", windowsOnScreen);
    run("TheExecutable", theExecutable);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
