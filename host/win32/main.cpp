// Start-up: the main window, then the message loop until the last window closes.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "host/win32/picture_library.h"
#include "host/win32/win32_host.h"
#include "ui/interaction.h"
#include "ui/layout.h"
#include "ui/options.h"

namespace {

// The command line's words after the program's name, in UTF-8.
std::vector<std::string> commandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    for (int i = 1; arguments && i < count; ++i) words.push_back(poromea::win32::narrow(arguments[i]));
    LocalFree(arguments);
    return words;
}

// A GUI program has no console of its own: help, version and errors go where the player
// asked for them. Output sent to a file or a pipe gets UTF-8; started from a console, the
// text is written there; started from the desktop, a box titled as the main window shows it.
void tell(const poromea::ui::Options& options) {
    const bool error = options.status != 0;
    std::string line = error ? "poromea: " : "";  // as a console program names itself
    for (char c : options.text + "\n") line += c == '\n' ? "\r\n" : std::string(1, c);  // Windows' line ends
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN && !GetConsoleMode(out, &mode)) {
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        const std::wstring wide = poromea::win32::widen(line);
        const bool wrote = console != INVALID_HANDLE_VALUE &&
                           WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
        FreeConsole();
        if (wrote) return;
    }
    MessageBoxW(nullptr, poromea::win32::widen(options.text).c_str(), poromea::win32::widen(poromea::ui::kForm1.caption).c_str(),
                MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const poromea::ui::Options options = poromea::ui::readOptions(commandLine());
    if (options.action != poromea::ui::Options::Action::Play) {
        tell(options);
        return options.status;
    }
    // The system's picture decoder is a COM component.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 1;
    try {
        poromea::win32::PictureLibrary pictures;
        poromea::win32::Win32Host host(pictures, options.memoriseMs);
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
        MessageBoxW(nullptr, poromea::win32::widen(poromea::ui::startFailureMessage(e.what())).c_str(),
                    poromea::win32::widen(poromea::ui::kForm1.caption).c_str(), MB_OK | MB_ICONERROR);
        status = 1;
    }
    CoUninitialize();
    return status;
}
