#include "host/win32/win32_host.h"

#include <windowsx.h>

#include <stdexcept>

#include "ui/layout.h"

namespace poromea::win32 {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kForm2Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// Mouse buttons and modifier keys as the rules' handlers receive them.
int buttonCode(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return ui::kLeftButton;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return ui::kRightButton;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return ui::kMiddleButton;
    default: return 0;
    }
}

int buttonsHeld(WPARAM keys) {
    return (keys & MK_LBUTTON ? ui::kLeftButton : 0) | (keys & MK_RBUTTON ? ui::kRightButton : 0) |
           (keys & MK_MBUTTON ? ui::kMiddleButton : 0);
}

int shiftCode(WPARAM keys) {
    return (keys & MK_SHIFT ? 1 : 0) | (keys & MK_CONTROL ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

ui::Key keyOf(WPARAM virtualKey) {
    const auto digit = [](WPARAM offset) {
        return static_cast<ui::Key>(static_cast<int>(ui::Key::Digit1) + static_cast<int>(offset));
    };
    if (virtualKey >= '1' && virtualKey <= '6') return digit(virtualKey - '1');
    if (virtualKey >= VK_NUMPAD1 && virtualKey <= VK_NUMPAD6) return digit(virtualKey - VK_NUMPAD1);
    switch (virtualKey) {
    case VK_LEFT: return ui::Key::Left;
    case VK_RIGHT: return ui::Key::Right;
    case VK_UP: return ui::Key::Up;
    case VK_DOWN: return ui::Key::Down;
    case VK_RETURN: return ui::Key::Return;
    case VK_SPACE: return ui::Key::Space;
    case VK_ESCAPE: return ui::Key::Escape;
    case VK_TAB: return ui::Key::Tab;
    default: return ui::Key::Other;
    }
}

bool isMousePress(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN;
}

}  // namespace

Win32Host::Win32Host(PictureLibrary& pictures, std::int32_t memoriseMs)
    : pictures_(pictures),
      form1_(std::make_unique<BuiltForm>(ui::kForm1, kForm1Style, pictures, handlerFor(&Win32Host::form1Message))),
      outline_(form1_->window()),
      announcer_(form1_->window()),
      game_(*this, memoriseMs) {
    for (const ui::Control& c : ui::kForm1.controls) {
        if (!c.image) continue;
        ImageBox* image = form1_->image(form1_->control(c.name, c.index));
        boxes_[*c.image] = image;
        if (c.image->array == ImageArray::Imgx) {
            image->onMouse([this, card = c.index](UINT m, WPARAM w, LPARAM l) {
                if (live_) game_.run("ウィンドウ", [&] { cardMessage(card, m, w, l); });
            });
        }
    }
    live_ = true;
}

// The game is destroyed before the windows, whose destruction still sends messages (the congratulation
// window in front hands the activation back): from now on they are the window system's alone.
Win32Host::~Win32Host() { live_ = false; }

HWND Win32Host::imageControl(ImageControl control) const {
    auto it = boxes_.find(control);
    return it == boxes_.end() ? nullptr : it->second->window();
}

ImageBox& Win32Host::box(ImageControl control) const {
    auto it = boxes_.find(control);
    if (it == boxes_.end()) throw std::out_of_range("no shown image control there");
    return *it->second;
}

std::string Win32Host::pictureName(HWND window) const {
    for (const BuiltForm* form : {form1_.get(), form2_.get()}) {
        if (const ImageBox* image = form ? form->image(window) : nullptr) return image->pictureName();
    }
    return {};
}

void Win32Host::showForm1() {
    RECT frame;
    GetWindowRect(form1(), &frame);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(form1(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(form1(), SW_SHOW);
    UpdateWindow(form1());
    SetForegroundWindow(form1());
    game_.mainWindowShown();
}

// --- window messages ---

// A fault in the host's own handling of a message ends the game as a rule's
// fault does; once it has ended, the windows only paint.
BuiltForm::Handler Win32Host::handlerFor(MessageHandler member) {
    return [this, member](UINT message, WPARAM wParam, LPARAM lParam) {
        std::optional<LRESULT> result;
        if (!live_) return result;
        game_.run("ウィンドウ", [&] { result = (this->*member)(message, wParam, lParam); });
        return result;
    };
}

std::optional<LRESULT> Win32Host::form1Message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const auto button = reinterpret_cast<HWND>(lParam);
        if (HIWORD(wParam) != BN_CLICKED || !button) break;
        game_.buttonClicked(form1_->idOf(button));
        return 0;
    }
    case WM_TIMER:
        if (wParam != kTimer1) break;
        game_.timerElapsed();
        return 0;
    case WM_ACTIVATE:
        if (HIWORD(wParam)) break;  // minimised
        if (LOWORD(wParam) == WA_INACTIVE) {
            game_.windowDeactivated();  // a hold ends when the window loses the pointer
            break;
        }
        game_.windowActivated(ui::Window::Main);
        return 0;
    case WM_CLOSE:
        // Refused, the window stays; accepted, the controller has hidden it. Never destroyed here.
        static_cast<void>(game_.closeRequested(ui::Window::Main));
        return 0;
    default:
        break;
    }
    return std::nullopt;
}

std::optional<LRESULT> Win32Host::form2Message(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        game_.windowActivated(ui::Window::Congratulation);
        return 0;
    }
    if (message != WM_CLOSE) return std::nullopt;
    static_cast<void>(game_.closeRequested(ui::Window::Congratulation));
    return 0;
}

std::optional<ui::Window> Win32Host::windowOf(HWND window) const {
    if (window && (window == form1() || IsChild(form1(), window))) return ui::Window::Main;
    if (window && form2() && (window == form2() || IsChild(form2(), window))) return ui::Window::Congratulation;
    return std::nullopt;
}

bool Win32Host::preTranslateMessage(MSG& m) {
    if (isMousePress(m.message)) {
        if (windowOf(m.hwnd) == ui::Window::Main) game_.pointerDown();
        return false;
    }
    if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
    if (m.message != WM_KEYDOWN) return game_.keyReleased();
    return game_.keyPressed(windowOf(m.hwnd), keyOf(m.wParam), GetKeyState(VK_SHIFT) < 0,
                            GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_LWIN) < 0 ||
                                GetKeyState(VK_RWIN) < 0);
}

// --- primitives ---

void Win32Host::startTimer(int milliseconds) {
    if (!SetTimer(form1(), kTimer1, static_cast<UINT>(milliseconds), nullptr)) {
        throw std::runtime_error("タイマーを設定できません。");
    }
}

void Win32Host::stopTimer() { KillTimer(form1(), kTimer1); }

void Win32Host::runMessageBox(std::u16string_view prompt, std::u16string_view title, std::string_view) {
    // The system's box gives a screen reader its text as it is shown.
    const std::wstring text(prompt.begin(), prompt.end());
    const std::wstring caption(title.begin(), title.end());
    // The system's box disables its owner only; the congratulation window is the game's too.
    const bool disabled = form2() && !EnableWindow(form2(), FALSE);
    const int closed = MessageBoxW(form1(), text.c_str(), caption.c_str(), MB_OK);
    if (disabled) EnableWindow(form2(), TRUE);
    if (!closed) throw std::runtime_error("メッセージボックスを表示できません。");
}

void Win32Host::showWindow(ui::Window window, int x, int y) {
    if (window == ui::Window::Main) {
        ShowWindow(form1(), SW_SHOW);
        return;
    }
    if (!form2_) {
        form2_ = std::make_unique<BuiltForm>(ui::kForm2, kForm2Style, pictures_, handlerFor(&Win32Host::form2Message));
    }
    // The client area at its place on the screen, whatever the frame.
    RECT frame{x, y, x + ui::pixels(ui::kForm2.clientWidth), y + ui::pixels(ui::kForm2.clientHeight)};
    AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);
    SetWindowPos(form2(), HWND_TOP, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOACTIVATE);
    ShowWindow(form2(), SW_SHOW);
}

void Win32Host::hideWindow(ui::Window window) {
    if (HWND w = windowOf(window)) ShowWindow(w, SW_HIDE);
}

bool Win32Host::windowShown(ui::Window window) {
    HWND w = windowOf(window);
    return w && IsWindowVisible(w);
}

void Win32Host::focus(const ui::Focus& where) {
    HWND window = windowOf(where.window);
    HWND control = !window ? nullptr : where.window == ui::Window::Main ? form1_->control(where.control)
                                                                          : form2_->control(where.control);
    if (!control) throw std::out_of_range("no control to focus there");
    if (GetActiveWindow() != window) SetActiveWindow(window);
    SetFocus(control);
}

ui::ControlId Win32Host::focusedControl(ui::Window window) {
    const BuiltForm* form = window == ui::Window::Main ? form1_.get() : form2_.get();
    HWND focus = GetFocus();
    return form && windowOf(focus) == window ? form->idOf(focus) : ui::ControlId::None;
}

// --- the held card ---

void Win32Host::cardMessage(int card, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const auto inForm1 = [&] {
        MapWindowPoints(box(Imgx(card)).window(), form1(), &pointer, 1);
        return ui::Point{static_cast<double>(pointer.x), static_cast<double>(pointer.y)};
    };
    switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
        game_.cardPressed(card, {0, buttonCode(message), shiftCode(wParam),
                                 {static_cast<double>(pointer.x), static_cast<double>(pointer.y)}});
        return;
    case WM_MOUSEMOVE:
        game_.pointerMoved(0, inForm1(), buttonsHeld(wParam));
        return;
    case WM_CAPTURECHANGED:
        game_.pointerLost(0);
        return;
    default:  // a release
        game_.pointerReleased(0, buttonCode(message), inForm1());
    }
}

void Win32Host::showOutline(ui::Point topLeft) {
    const auto left = static_cast<LONG>(topLeft.x), top = static_cast<LONG>(topLeft.y);
    const ui::PixelRect card = ui::controlFor(Imgx(0)).pixelRect();  // every card has the same size
    outline_.show({left, top, left + card.width, top + card.height});
}

void Win32Host::capturePointer(int card, int) { SetCapture(box(Imgx(card)).window()); }

void Win32Host::releasePointer(int card, int) {
    if (GetCapture() == box(Imgx(card)).window()) ReleaseCapture();
}

int Win32Host::slotAt(ui::Point at) {
    // The topmost window there: a slot hidden by another window takes no drop.
    POINT screen{static_cast<LONG>(at.x), static_cast<LONG>(at.y)};
    ClientToScreen(form1(), &screen);
    HWND hit = WindowFromPoint(screen);
    for (int k = 0; k < kParts; ++k) {
        if (hit && hit == imageControl(Slot(k))) return k;
    }
    return -1;
}

void Win32Host::showFailure(std::string_view message) {
    HWND owner = IsWindowVisible(form1()) ? form1() : nullptr;
    MessageBoxW(owner, widen(message).c_str(), widen(ui::kForm1.caption).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace poromea::win32
