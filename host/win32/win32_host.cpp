#include "host/win32/win32_host.h"

#include <windowsx.h>

#include <stdexcept>

#include "ui/access.h"
#include "ui/windows.h"

namespace poromea::win32 {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kForm2Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;


std::map<ImageControl, PictureRef> loadStores(PictureLibrary& pictures) {
    std::map<ImageControl, PictureRef> stores;
    for (const ui::Store& s : ui::kForm1.stores) stores[s.control] = pictures.get(s.picture);
    return stores;
}

// Mouse buttons and modifier keys as the rules' handlers receive them.
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
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

void reportAndQuit(HWND owner, const std::wstring& message) {
    MessageBoxW(owner && IsWindowVisible(owner) ? owner : nullptr, message.c_str(), widen(ui::kForm1.caption).c_str(),
                MB_OK | MB_ICONERROR);
    PostQuitMessage(1);
}

}  // namespace

Win32Host::Win32Host(PictureLibrary& pictures, std::int32_t memoriseMs)
    : pictures_(pictures),
      stores_(loadStores(pictures)),
      form1_(std::make_unique<BuiltForm>(ui::kForm1, kForm1Style, pictures, handlerFor(&Win32Host::form1Message))),
      outline_(form1_->window()),
      announcer_(form1_->window()),
      game_(*this, memoriseMs),
      hand_(game_, *this) {
    for (const ui::Control& c : ui::kForm1.controls) {
        if (!c.reached) continue;
        ImageBox* image = form1_->image(form1_->control(c.name, c.index));
        boxes_[*c.reached] = image;
        if (c.reached->array == ImageArray::Imgx) {
            image->onMouse([this, card = c.index](UINT m, WPARAM w, LPARAM l) {
                hand_.run("ウィンドウ", [&] { cardMessage(card, m, w, l); });
            });
        }
    }
}

Win32Host::~Win32Host() = default;

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
    SetFocus(control("Command1"));
}

// --- window messages ---

// A fault in the host's own handling of a message ends the game as a rule's fault does.
BuiltForm::Handler Win32Host::handlerFor(MessageHandler member) {
    return [this, member](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        try {
            return (this->*member)(message, wParam, lParam);
        } catch (const std::exception& e) {
            hand_.fail("ウィンドウ", e.what());
        } catch (...) {
            hand_.fail("ウィンドウ", "不明なエラーです。");
        }
        return 0;
    };
}

std::optional<LRESULT> Win32Host::form1Message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const auto button = reinterpret_cast<HWND>(lParam);
        if (HIWORD(wParam) != BN_CLICKED || !button) break;
        if (button == control("Command1")) hand_.buttonClicked(ui::Interaction::Button::Start);
        if (button == control("Command2")) hand_.buttonClicked(ui::Interaction::Button::Check);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kTimer1) break;
        if (timerInterval_ != 0) hand_.timerElapsed();
        return 0;
    case WM_ACTIVATE:
        if (HIWORD(wParam)) break;  // minimised
        if (LOWORD(wParam) == WA_INACTIVE) {
            hand_.windowDeactivated();  // a hold ends when the window loses the pointer
            if (HWND focus = GetFocus(); focus && IsChild(form1(), focus)) lastFocus_ = focus;
            break;
        }
        // Give the focus back to the button that had it, as a dialog does.
        SetFocus(control(ui::focusAsClosed(form1ControlName(lastFocus_)).control));
        return 0;
    case WM_CLOSE:
        hand_.windowDeactivated();
        return closeWindow(form1());
    default:
        break;
    }
    return std::nullopt;
}

std::optional<LRESULT> Win32Host::form2Message(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        // Its banner has the keys, so that a screen reader reads it as it opens.
        SetFocus(form2_->control(ui::focusAsOpened(ui::Window::Congratulation).control));
        return 0;
    }
    if (message != WM_CLOSE) return std::nullopt;
    const bool hadKeys = GetActiveWindow() == form2();
    closeWindow(form2());
    if (hadKeys && IsWindowVisible(form1())) SetActiveWindow(form1());  // the keys go back where they were
    return 0;
}

std::string Win32Host::form1ControlName(HWND window) const {
    for (std::string_view name : ui::kForm1.tabOrder) {
        if (window && window == control(name)) return std::string(name);
    }
    return {};
}

LRESULT Win32Host::closeWindow(HWND window) {
    // Closing hides: the window object lives until the program ends, which
    // is when its last open window is closed.
    ShowWindow(window, SW_HIDE);
    if (!IsWindowVisible(form1()) && !(form2() && IsWindowVisible(form2()))) PostQuitMessage(hand_.failed() ? 1 : 0);
    return 0;
}

bool Win32Host::preTranslateMessage(MSG& m) {
    const auto inForm1 = [&] { return m.hwnd == form1() || IsChild(form1(), m.hwnd); };
    if (isMousePress(m.message)) {
        if (inForm1()) hand_.pointerDown();
        return false;
    }
    if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
    // Where a key goes is the windows' rule (ui/windows.h); a held card owns every key.
    const bool holding = hand_.holding();
    if (m.message != WM_KEYDOWN) return holding;
    const bool inForm2 = form2() && (m.hwnd == form2() || IsChild(form2(), m.hwnd));
    if (!holding && !inForm1() && !inForm2) return false;  // a message box's own keys
    const ui::Window window = inForm2 ? ui::Window::Congratulation : ui::Window::Main;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (ui::routeKey(window, keyOf(m.wParam), shift, holding)) {
    case ui::KeyRoute::Game:
        return hand_.keyPressed(keyOf(m.wParam));
    case ui::KeyRoute::Close:
        PostMessageW(form2(), WM_CLOSE, 0, 0);
        return true;
    case ui::KeyRoute::Next:
    case ui::KeyRoute::Previous: {
        const std::string_view next = ui::nextInTabOrder(window, form1ControlName(m.hwnd), shift);
        SetFocus(inForm2 ? form2_->control(next) : control(next));
        return true;
    }
    case ui::KeyRoute::Nothing:
        return true;
    case ui::KeyRoute::PassOn:
        break;
    }
    return false;
}

// --- Host ---

PictureRef Win32Host::picture(ImageControl control) {
    if (auto it = stores_.find(control); it != stores_.end()) return it->second;
    return box(control).picture();
}

void Win32Host::setPicture(ImageControl control, PictureRef picture) { box(control).setPicture(std::move(picture)); }

void Win32Host::beginDrag(std::int16_t card) { hand_.beginDrag(card); }

void Win32Host::setTimerInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) throw std::invalid_argument("negative timer interval");
    timerInterval_ = milliseconds;
    if (milliseconds == 0) {
        KillTimer(form1(), kTimer1);
    } else if (!SetTimer(form1(), kTimer1, static_cast<UINT>(milliseconds), nullptr)) {
        // setting it again starts the countdown anew
        throw std::runtime_error("タイマーを設定できません。");
    }
}

void Win32Host::runTimer1Every(std::int32_t milliseconds) {
    SetTimer(form1(), kTimer1, static_cast<UINT>(milliseconds), nullptr);
}

void Win32Host::messageBox(std::u16string_view prompt, std::u16string_view title) {
    const std::wstring text(prompt.begin(), prompt.end());
    const std::wstring caption(title.begin(), title.end());
    if (!MessageBoxW(form1(), text.c_str(), caption.c_str(), MB_OK)) {
        throw std::runtime_error("メッセージボックスを表示できません。");
    }
}

void Win32Host::randomize() { random_.reseed(); }

float Win32Host::rnd() { return random_.next(); }

void Win32Host::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    if (!form2_) {
        form2_ = std::make_unique<BuiltForm>(ui::kForm2, kForm2Style, pictures_, handlerFor(&Win32Host::form2Message));
    }
    if (IsWindowVisible(form2())) return;
    // Opened again, it is back at its designed place even if the player moved
    // it: the client area at its place on the screen, whatever the frame.
    const ui::Form& f = ui::kForm2;
    RECT frame{ui::pixels(*f.left), ui::pixels(*f.top), ui::pixels(*f.left) + ui::pixels(f.clientWidth),
               ui::pixels(*f.top) + ui::pixels(f.clientHeight)};
    AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);
    SetWindowPos(form2(), nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(form2(), SW_SHOW);
    SetFocus(form2_->control(ui::focusAsOpened(ui::Window::Congratulation).control));  // active, on its banner
}

// --- the surface of the shared interaction ---

void Win32Host::cardMessage(int card, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const auto inForm1 = [&] {
        MapWindowPoints(box(Imgx(card)).window(), form1(), &pointer, 1);
        return ui::Point{static_cast<double>(pointer.x), static_cast<double>(pointer.y)};
    };
    switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        hand_.cardPressed(card, {0, buttonCode(message), shiftCode(wParam),
                                 {static_cast<double>(pointer.x), static_cast<double>(pointer.y)}});
        return;
    case WM_MOUSEMOVE:
        hand_.pointerMoved(0, inForm1(), buttonsHeld(wParam));
        return;
    case WM_CAPTURECHANGED:
        hand_.pointerLost(0);
        return;
    default:  // a release
        hand_.pointerReleased(0, buttonCode(message), inForm1());
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

bool Win32Host::pressFocusedButton() {
    HWND focus = GetFocus();
    if (!focus || (focus != control("Command1") && focus != control("Command2"))) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

std::string Win32Host::pictureName(ImageControl control) { return box(control).pictureName(); }

// Read at once as a live region's words. The focus stays where the keys
// are (a button), so a screen reader never stands where the keys are not.
void Win32Host::announce(std::string_view words) { announcer_.say(words); }

void Win32Host::reportFailure(std::string_view message) {
    KillTimer(form1(), kTimer1);
    timerInterval_ = 0;
    // Reported in a message box; the message loop then ends with status 1.
    reportAndQuit(form1(), widen(message));
}

}  // namespace poromea::win32
