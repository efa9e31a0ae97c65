// For make screenshot-win32 (tools/screenshot_win32.sh): the main window with, over it, the
// congratulation window (argument "correct") or the wrong answer's message box ("wrong"),
// each shown by the Win32 host itself, until the program is ended.
#include <windows.h>
#include <objbase.h>

#include <string_view>

#include "game/form1.h"
#include "host/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR argument, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    poromea::win32::PictureLibrary pictures;
    poromea::win32::Win32Host host(pictures);
    host.showForm1();
    if (std::string_view(argument) == "wrong") {
        host.messageBox(poromea::kWrongPrompt, poromea::kWrongTitle);
    } else {
        host.showWindow(poromea::WindowName::Form2);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
