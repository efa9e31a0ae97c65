// For make screenshot-win32 (tools/screenshot_win32.sh): the main window with, over it, the
// congratulation window (argument "correct") or the wrong answer's message box ("wrong"),
// each reached by playing the Win32 host through its own window messages, until the program
// is ended.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <string_view>

#include "game/form1.h"
#include "host/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR argument, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    poromea::win32::PictureLibrary pictures;
    poromea::win32::Win32Host host(pictures);
    host.showForm1();
    SendMessageW(host.control("Command1"), BM_CLICK, 0, 0);
    const bool correct = std::string_view(argument) != "wrong";
    std::string dealt[poromea::kParts];
    for (int i = 0; i < poromea::kParts; ++i) dealt[i] = host.pictureName(host.imageControl(poromea::Imgx(i)));
    SendMessageW(host.form1(), WM_TIMER, 1, 0);  // the memorising time is up
    if (correct) {
        // Covered now: the cards keep their places, so the parts seen face up say where each is.
        for (int part = 0; part < poromea::kParts; ++part) {
            for (int i = 0; i < poromea::kParts; ++i) {
                if (dealt[i] != "part" + std::to_string(part)) continue;
                HWND card = host.imageControl(poromea::Imgx(i));
                POINT over{20, 20};
                MapWindowPoints(host.imageControl(poromea::Slot(part)), card, &over, 1);
                SendMessageW(card, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
                SendMessageW(card, WM_LBUTTONUP, 0, MAKELPARAM(over.x, over.y));
            }
        }
    }
    PostMessageW(host.control("Command2"), BM_CLICK, 0, 0);  // the box is modal: from the message loop
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
