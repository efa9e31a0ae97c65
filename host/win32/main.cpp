// Start-up: the main window, then the message loop until the last window closes.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>
#include <string>

#include "host/win32/picture_library.h"
#include "host/win32/win32_host.h"
#include "ui/access.h"

namespace {

// --memorise=SECONDS lengthens the time to memorise; nothing else is an option.
std::optional<std::int32_t> memoriseFromCommandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::optional<std::int32_t> ms = poromea::kMemoriseMs;
    const std::wstring_view prefix = L"--memorise=";
    for (int i = 1; arguments && i < count; ++i) {
        const std::wstring_view argument = arguments[i];
        ms = argument.starts_with(prefix) ? poromea::ui::memoriseMs(poromea::win32::narrow(argument.substr(prefix.size())))
                                          : std::nullopt;
    }
    LocalFree(arguments);
    return ms;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::optional<std::int32_t> memoriseMs = memoriseFromCommandLine();
    if (!memoriseMs) {
        MessageBoxW(nullptr, poromea::win32::widen(poromea::ui::kMemoriseError).c_str(), L"ポロメア", MB_OK | MB_ICONERROR);
        return 2;
    }
    // The system's picture decoder is a COM component.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 1;
    try {
        poromea::win32::PictureLibrary pictures;
        poromea::win32::Win32Host host(pictures, *memoriseMs);
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
