// Start-up: the main window, then the message loop until the last window closes.
#include <windows.h>
#include <objbase.h>

#include <exception>
#include <string>

#include "host/win32/picture_library.h"
#include "host/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The system's picture decoder is a COM component.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 1;
    try {
        poromea::win32::PictureLibrary pictures;
        poromea::win32::Win32Host host(pictures);
        host.showForm1();
        MSG message;
        BOOL got;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            if (host.preTranslateMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        status = got == 0 ? static_cast<int>(message.wParam) : 1;
    } catch (const std::exception& e) {
        const std::wstring text = L"ゲームを開始できません。\n" + poromea::win32::widen(e.what());
        MessageBoxW(nullptr, text.c_str(), L"ポロメア", MB_OK | MB_ICONERROR);
        status = 1;
    }
    CoUninitialize();
    return status;
}
