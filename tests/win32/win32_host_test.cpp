// The Win32 host under Wine (run_wine_tests.sh): every host scenario through
// the Win32 driver, then what only this host has. One line per test, then
// "N passed, N failed".
#include <objbase.h>

#include <cstdio>

#include "tests/win32/win32_driver.h"

namespace poromea::scenarios {
namespace {

int checksFailed = 0;

Rect layoutRect(ImageControl c) {
    const ui::Control& l = ui::controlFor(c);
    return {ui::pixels(l.left), ui::pixels(l.top), ui::pixels(l.width), ui::pixels(l.height)};
}
Point centreOf(ImageControl c) {
    const Rect r = layoutRect(c);
    return {r.left + r.width / 2, r.top + r.height / 2};
}

// A game played up to the check, right or with the ears swapped.
void playToTheCheck(Win32Driver& d, bool right) {
    d.click("Command1");
    std::vector<std::string> faceUp;
    for (int i = 0; i < kParts; ++i) faceUp.push_back(d.picture(Imgx(i)));
    d.letTimerElapse();
    for (int part = 0; part < kParts; ++part) {
        d.press(static_cast<int>(std::find(faceUp.begin(), faceUp.end(), "part" + std::to_string(part)) -
                                 faceUp.begin()), Button::Left);
        d.releaseAt(centreOf(Slot(right || part < 2 || part > 3 ? part : 5 - part)));
    }
    d.click("Command2");
}

// The pixels of `r` in a device context, as 0xRRGGBB row by row.
std::vector<std::uint32_t> grab(HDC source, Rect r) {
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), r.width, -r.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, r.width, r.height, source, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> out(first, first + r.width * r.height);
    for (std::uint32_t& p : out) p &= 0xFFFFFF;
    DeleteObject(SelectObject(memory, old));
    DeleteDC(memory);
    return out;
}

std::vector<std::pair<DWORD, HWND>> heard;  // what screen readers were told
void CALLBACK hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) heard.emplace_back(event, window);
}

BOOL CALLBACK findWindow(HWND window, LPARAM found) {
    auto& [process, result] = *reinterpret_cast<std::pair<DWORD, HWND>*>(found);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process && IsWindowVisible(window)) result = window;
    return !result;
}
BOOL CALLBACK addText(HWND child, LPARAM text) {
    *reinterpret_cast<std::wstring*>(text) += textOf(child);
    return TRUE;
}

// poromea.exe as built, and with a broken picture: its first window shows
// the game or the start-up error naming the picture; closing it ends the
// program with the status given.
struct Run {
    const wchar_t* resource;  // the RCDATA resource replaced, or null
    std::string_view bytes;
    std::wstring_view shows;
    DWORD status;
};
constexpr Run kRuns[] = {{nullptr, {}, L"START", 0}, {L"PART3", "GIF89a not really", L"part3.gif", 1}};

void theExecutable() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring built = std::wstring(path, wcsrchr(path, L'\\') + 1) + L"poromea.exe";
    std::vector<std::pair<std::wstring, PROCESS_INFORMATION>> started;  // all at once: each is slow to start
    for (const Run& run : kRuns) {
        std::wstring exe = built;
        if (run.resource) {
            exe = built.substr(0, built.size() - 4) + L"-" + run.resource + L".exe";
            CopyFileW(built.c_str(), exe.c_str(), FALSE);
            HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
            UpdateResourceW(update, MAKEINTRESOURCEW(10) /* RT_RCDATA */, run.resource, 0x0411,
                            const_cast<char*>(run.bytes.data()), static_cast<DWORD>(run.bytes.size()));
            SCENARIO_CHECK(EndUpdateResourceW(update, FALSE));
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring command = L"\"" + exe + L"\"";
        SCENARIO_CHECK(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                      &startup, &process));
        started.emplace_back(exe, process);
    }
    for (std::size_t i = 0; i < started.size(); ++i) {
        const auto& [exe, process] = started[i];
        std::pair<DWORD, HWND> found{process.dwProcessId, nullptr};
        for (int n = 0; n < 600 && !found.second && WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT; ++n) {
            EnumWindows(&findWindow, reinterpret_cast<LPARAM>(&found));
        }
        std::wstring text;
        if (found.second) EnumChildWindows(found.second, &addText, reinterpret_cast<LPARAM>(&text));
        if (text.find(kRuns[i].shows) == std::wstring::npos) fail(__FILE__, __LINE__, "shown: " + narrow(text));
        PostMessageW(found.second, WM_CLOSE, 0, 0);
        DWORD status = 99;
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, status);
        GetExitCodeProcess(process.hProcess, &status);
        SCENARIO_EQ(status, kRuns[i].status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (exe != built) DeleteFileW(exe.c_str());
    }
}

const std::pair<const char*, std::function<void()>> kWin32Checks[] = {
    // The labels ask for the layout's Japanese faces, and get Japanese fonts
    // (the IPA fonts stand in for the MS fonts under Wine).
    {"LabelFontsAreJapanese", [] {
         Win32Driver d;
         for (const ui::Control& c : ui::kForm1.controls) {
             if (c.kind != ui::Kind::Label) continue;
             HWND label = d.host().control(c.name);
             const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
             LOGFONTW asked{};
             GetObjectW(font, sizeof asked, &asked);
             HDC dc = GetDC(label);
             HGDIOBJ old = SelectObject(dc, font);
             TEXTMETRICW got{};
             GetTextMetricsW(dc, &got);
             SelectObject(dc, old);
             ReleaseDC(label, dc);
             SCENARIO_EQ(narrow(asked.lfFaceName), c.font->family);
             SCENARIO_EQ(static_cast<int>(asked.lfCharSet), SHIFTJIS_CHARSET);
             SCENARIO_EQ(static_cast<int>(got.tmCharSet), SHIFTJIS_CHARSET);
         }
     }},
    // After a deal and a drop, each card and slot shows its picture pixel for
    // pixel where its layout puts it, nothing drawn over it (its window text
    // is only read); the window and the labels are yellow.
    {"PicturesOnScreen", [] {
         Win32Driver d;
         d.click("Command1");
         d.letTimerElapse();
         d.press(2, Button::Left);
         d.releaseAt(centreOf(Slot(4)));
         d.pump({}, 300);
         POINT origin{0, 0};
         ClientToScreen(d.host().form1(), &origin);
         HDC screen = GetDC(nullptr);
         for (ImageArray array : {ImageArray::Imgx, ImageArray::Slot}) {
             for (std::int16_t i = 0; i < kParts; ++i) {
                 const auto& picture = win32::win32Picture(d.host().picture({array, i}));
                 HDC memory = CreateCompatibleDC(screen);
                 HGDIOBJ old = SelectObject(memory, picture.bitmap);
                 const Rect at = layoutRect({array, i});
                 const int width = std::min(at.width, picture.width), height = std::min(at.height, picture.height);
                 if (grab(screen, {origin.x + at.left, origin.y + at.top, width, height}) !=
                     grab(memory, {0, 0, width, height})) {
                     fail(__FILE__, __LINE__, d.spoken({array, i}) + ": the screen shows something else");
                 }
                 SelectObject(memory, old);
                 DeleteDC(memory);
             }
         }
         for (Point p : {Point{4, 4}, Point{660, 430}, Point{310, 300} /* Label1, right of its text */}) {
             SCENARIO_EQ(GetPixel(screen, origin.x + p.x, origin.y + p.y), RGB(255, 255, 0));
         }
         ReleaseDC(nullptr, screen);
     }},
    // Screen readers hear of every picture change, and of each slot a card
    // held by the keyboard moves to, as that slot taking the focus.
    {"ScreenReadersAreTold", [] {
         Win32Driver d;
         HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, &hear,
                                              GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
         heard.clear();
         d.click("Command1");
         d.letTimerElapse();
         for (int i = 0; i < kParts; ++i) {  // face up, then covered
             const std::pair<DWORD, HWND> renamed(EVENT_OBJECT_NAMECHANGE, d.host().imageControl(Imgx(i)));
             SCENARIO_EQ(std::count(heard.begin(), heard.end(), renamed), 2);
         }
         heard.clear();
         for (ui::Key key : {ui::Key::Digit4, ui::Key::Left, ui::Key::Left}) d.key(key, false);
         std::vector<std::pair<DWORD, HWND>> focused;
         for (int slot : {0, 5, 4}) focused.emplace_back(EVENT_OBJECT_FOCUS, d.host().imageControl(Slot(slot)));
         heard.erase(std::remove_if(heard.begin(), heard.end(), [](auto& e) { return e.first != EVENT_OBJECT_FOCUS; }),
                     heard.end());
         SCENARIO_CHECK(heard == focused);
         UnhookWinEvent(hook);
     }},
    // A card dragged by the mouse holds the capture, and the outline, over
    // every control, follows the pointer from where the card was grabbed.
    {"MouseDragHoldsTheCapture", [] {
         Win32Driver d;
         d.click("Command1");
         d.letTimerElapse();
         d.press(2, Button::Left);  // grabbed at 12, 30
         HWND card = d.host().imageControl(Imgx(2));
         SCENARIO_CHECK(GetCapture() == card);
         POINT p{100, 50};
         MapWindowPoints(d.host().form1(), card, &p, 1);
         PostMessageW(card, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
         d.pump();
         SCENARIO_EQ(d.outline(), (Rect{88, 20, 50, 50}));
         SCENARIO_CHECK(GetWindow(d.host().form1(), GW_CHILD) == d.host().dragOutline());
         d.releaseAt({600, 390});
         SCENARIO_CHECK(GetCapture() == nullptr);
     }},
    // Left to the host, a failure is told in a message box with an icon, and
    // the program ends with status 1.
    {"HostReportsAFailure", [] {
         Win32Driver d([](std::string_view name, win32::PictureFile& file) {
             return name != "banner" && win32::PictureLibrary::fromResources(name, file);
         }, true);
         playToTheCheck(d, true);
         d.pump();
         const std::vector<MessageBox> boxes = d.takeMessageBoxes();
         SCENARIO_EQ(boxes.size(), 1u);
         for (const MessageBox& box : boxes) {
             SCENARIO_EQ(box.title, "ポロメア");
             SCENARIO_CHECK(box.text.find("banner") != std::string::npos && box.icon);
         }
         SCENARIO_EQ(d.quitStatus(), 1);
     }},
    {"TheExecutable", theExecutable},
};

}  // namespace

std::unique_ptr<Driver> makeDriver(std::string_view missingPicture) {
    return std::make_unique<Win32Driver>(
        [missing = std::string(missingPicture)](std::string_view name, win32::PictureFile& file) {
            return name != missing && win32::PictureLibrary::fromResources(name, file);
        });
}

void fail(const char* file, int line, const std::string& message) {
    ++checksFailed;
    std::printf("    %s:%d: %s\n", file, line, message.c_str());
    std::fflush(stdout);
}

}  // namespace poromea::scenarios

int main(int argc, char** argv) {
    using namespace poromea::scenarios;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (argc > 3 && std::string(argv[1]) == "--pose") {
        // For make screenshot-win32: a right game's congratulation window, or
        // a wrong game's message box, kept up for argv[3] seconds.
        Win32Driver d;
        d.answerAfterMs = static_cast<DWORD>(std::stoi(argv[3])) * 1000;
        playToTheCheck(d, std::string(argv[2]) != "wrong");
        d.pump({}, d.answerAfterMs);
        return 0;
    }
    std::vector<std::pair<std::string, std::function<void()>>> tests;
    for (const Scenario& s : all()) tests.emplace_back(s.name, [&s] { s.play(*makeDriver(s.missingPicture)); });
    for (const auto& [name, check] : kWin32Checks) tests.emplace_back(name, check);
    int passed = 0, failed = 0;
    for (const auto& [name, run] : tests) {
        const int before = checksFailed;
        const DWORD start = GetTickCount();
        try {
            run();
        } catch (const std::exception& e) {
            fail(__FILE__, __LINE__, std::string("exception: ") + e.what());
        }
        ++(checksFailed == before ? passed : failed);
        std::printf("%s %s (%lu ms)\n", checksFailed == before ? "PASS" : "FAIL", name.c_str(), GetTickCount() - start);
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    CoUninitialize();
    return failed == 0 && passed > 0 ? 0 : 1;
}
