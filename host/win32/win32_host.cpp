#include "host/win32/win32_host.h"

#include <windowsx.h>

#include <exception>
#include <stdexcept>

#include "ui/access.h"

namespace poromea::win32 {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kForm2Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;


std::map<ImageControl, PictureRef> loadStores(PictureLibrary& pictures) {
    std::map<ImageControl, PictureRef> stores;
    for (const ui::Control& c : ui::kForm1.controls) {
        const auto control = ui::imageControlOf(c);
        if (control && c.kind == ui::Kind::Store) stores[*control] = pictures.get(c.picture);
    }
    return stores;
}

// Mouse buttons and modifier keys as the rules' handlers receive them.
std::int16_t buttonCode(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return 1;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return 2;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return 4;
    default: return 0;
    }
}

UINT releaseOf(UINT press) {
    switch (press) {
    case WM_LBUTTONDOWN: return WM_LBUTTONUP;
    case WM_RBUTTONDOWN: return WM_RBUTTONUP;
    default: return WM_MBUTTONUP;
    }
}

std::int16_t shiftCode(WPARAM keys) {
    return static_cast<std::int16_t>((keys & MK_SHIFT ? 1 : 0) | (keys & MK_CONTROL ? 2 : 0) |
                                     (GetKeyState(VK_MENU) < 0 ? 4 : 0));
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
    default: return ui::Key::Other;
    }
}

bool isMousePress(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

void reportAndQuit(HWND owner, const std::wstring& message) {
    MessageBoxW(owner && IsWindowVisible(owner) ? owner : nullptr, message.c_str(), L"ポロメア",
                MB_OK | MB_ICONERROR);
    PostQuitMessage(1);
}

}  // namespace

Win32Host::Win32Host(PictureLibrary& pictures)
    : pictures_(pictures),
      stores_(loadStores(pictures)),
      form1_(std::make_unique<BuiltForm>(ui::kForm1, kForm1Style, pictures, handlerFor(&Win32Host::form1Message))),
      outline_(form1_->window()),
      game_(*this) {
    for (const ui::Control& c : ui::kForm1.controls) {
        const auto control = ui::imageControlOf(c);
        if (!control || c.kind != ui::Kind::Image) continue;
        ImageBox* image = form1_->image(form1_->control(c.name, c.index));
        boxes_[*control] = image;
        if (control->array == ImageArray::Imgx) {
            image->onMouse([this, card = c.index](UINT m, WPARAM w, LPARAM l) {
                dispatch("ウィンドウ", [&] { cardMessage(card, m, w, l); });
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
            fail("ウィンドウ", e.what());
        }
        return 0;
    };
}

std::optional<LRESULT> Win32Host::form1Message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const auto button = reinterpret_cast<HWND>(lParam);
        if (HIWORD(wParam) != BN_CLICKED || !button) break;
        if (button == control("Command1")) dispatch("START", [this] { game_.Command1_Click(); });
        if (button == control("Command2")) dispatch("O  K", [this] { game_.Command2_Click(); });
        return 0;
    }
    case WM_TIMER:
        if (wParam != kTimer1) break;
        if (timerInterval_ != 0) dispatch("Timer1", [this] { game_.Timer1_Timer(); });
        return 0;
    case WM_ACTIVATE:
        if (HIWORD(wParam)) break;  // minimised
        if (LOWORD(wParam) == WA_INACTIVE) {
            endDrag();  // a drag ends when the window loses the pointer
            if (HWND focus = GetFocus(); focus && IsChild(form1(), focus)) lastFocus_ = focus;
            break;
        }
        // Give the focus back to the button that had it, as a dialog does.
        SetFocus(lastFocus_ && IsChild(form1(), lastFocus_) ? lastFocus_ : control("Command1"));
        return 0;
    case WM_CLOSE:
        endDrag();
        return closeWindow(form1());
    default:
        break;
    }
    return std::nullopt;
}

std::optional<LRESULT> Win32Host::form2Message(UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) return closeWindow(form2());
    return std::nullopt;
}

LRESULT Win32Host::closeWindow(HWND window) {
    // Closing hides: the window object lives until the program ends, which
    // is when its last open window is closed.
    ShowWindow(window, SW_HIDE);
    if (!IsWindowVisible(form1()) && !(form2() && IsWindowVisible(form2()))) PostQuitMessage(failed_ ? 1 : 0);
    return 0;
}

bool Win32Host::preTranslateMessage(MSG& m) {
    const auto inForm1 = [&] { return m.hwnd == form1() || IsChild(form1(), m.hwnd); };
    if (isMousePress(m.message)) {
        // A press of the mouse ends a keyboard drag first, as Escape would.
        if (drag_.slot >= 0 && inForm1()) endDrag();
        return false;
    }
    if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
    // Keys reach the game from the main window, or from anywhere while a
    // card is held: until the drag ends, every key belongs to it.
    const bool dragging = drag_.card >= 0;
    if (m.message != WM_KEYDOWN || failed_) return dragging;
    if (!dragging && !inForm1()) return false;
    if (keyPressed(m.wParam)) return true;
    if (m.wParam == VK_TAB && IsChild(form1(), m.hwnd)) {
        // Tab moves between the two buttons, as in a dialog.
        if (HWND next = GetNextDlgTabItem(form1(), m.hwnd, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return true;
    }
    return false;
}

// --- dispatch and failures ---

void Win32Host::dispatch(const char* what, const std::function<void()>& handler) {
    if (failed_) return;  // the program is ending; the game's state is no longer trusted
    try {
        handler();
    } catch (const std::exception& e) {
        fail(what, e.what());
    } catch (...) {
        fail(what, "unknown error");
    }
}

void Win32Host::fail(const char* what, const std::string& why) {
    if (failed_) return;
    failed_ = true;
    endDrag();
    KillTimer(form1(), kTimer1);
    timerInterval_ = 0;
    // Reported in a message box; the message loop then ends with status 1.
    reportAndQuit(form1(), L"「" + widen(what) + L"」の処理でエラーが発生しました。\n" + widen(why) + L"\nゲームを終了します。");
}

// --- Host ---

PictureRef Win32Host::picture(ImageControl control) {
    if (auto it = stores_.find(control); it != stores_.end()) return it->second;
    return box(control).picture();
}

void Win32Host::setPicture(ImageControl control, PictureRef picture) { box(control).setPicture(std::move(picture)); }

void Win32Host::beginDrag(std::int16_t card) {
    if (pendingPress_.card != card) throw std::logic_error("a drag begins only from the card being pressed");
    HWND image = box(Imgx(card)).window();
    drag_ = pendingPress_;
    outline_.show(rectIn(image, form1()));
    if (drag_.slot >= 0) {
        moveKeyboardOutline(drag_.slot);
    } else {
        SetCapture(image);  // the pointer belongs to the drag until the release
    }
}

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
}

// --- the drag ---

// A press on a card, by the mouse or by a key, goes to the rules, which
// call beginDrag if a card may be picked up now.
void Win32Host::pressCard(const Drag& press, std::int16_t button, std::int16_t shift) {
    pendingPress_ = press;
    dispatch(press.slot >= 0 ? "キー" : "マウス", [&] {
        game_.Imgx_MouseDown(press.card, button, shift, static_cast<float>(press.grabOffset.x * ui::kTwipsPerPixel),
                             static_cast<float>(press.grabOffset.y * ui::kTwipsPerPixel));
    });
    pendingPress_ = {};
}

void Win32Host::cardMessage(int card, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HWND image = box(Imgx(card)).window();
    const bool mouseDrag = drag_.card == card && drag_.slot < 0;
    switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        if (drag_.card >= 0) return;  // another button while dragging
        pressCard({static_cast<std::int16_t>(card), releaseOf(message), pointer}, buttonCode(message),
                  shiftCode(wParam));
        return;
    case WM_MOUSEMOVE:
        if (!mouseDrag) return;  // a card held by the keyboard ignores the pointer
        MapWindowPoints(image, form1(), &pointer, 1);
        outline_.moveTo({pointer.x - drag_.grabOffset.x, pointer.y - drag_.grabOffset.y});
        return;
    case WM_CAPTURECHANGED:
        if (mouseDrag) endDrag();  // capture taken away: cancelled
        return;
    default:  // a release
        if (!mouseDrag || message != drag_.upMessage) return;
        ClientToScreen(image, &pointer);
        endDrag();
        if (const int slot = slotAt(pointer); slot >= 0) {  // released anywhere else: nothing happens
            dispatch("ドロップ", [&] { (game_.*kSlotDrops.at(slot))(); });
        }
    }
}

bool Win32Host::keyPressed(WPARAM virtualKey) {
    using A = ui::KeyCommand::Action;
    const bool mouseDrag = drag_.card >= 0 && drag_.slot < 0;
    const ui::KeyCommand command = ui::keyCommand(keyOf(virtualKey), drag_.slot, mouseDrag);
    switch (command.action) {
    case A::PassOn:
        return false;
    case A::Swallow:
        return true;
    case A::PickUp: {
        endDrag();
        RECT r;
        GetClientRect(box(Imgx(command.target)).window(), &r);
        pressCard({static_cast<std::int16_t>(command.target), 0, {r.right / 2, r.bottom / 2}, ui::kFirstKeyboardSlot},
                  1, 0);
        return true;
    }
    case A::Move:
        moveKeyboardOutline(command.target);
        return true;
    case A::Drop:
        endDrag();
        dispatch("ドロップ", [&] { (game_.*kSlotDrops.at(command.target))(); });
        return true;
    case A::PutBack:
        endDrag();
        return true;
    case A::Click:
        if (HWND focus = GetFocus(); focus && (focus == control("Command1") || focus == control("Command2"))) {
            SendMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
        return false;
    }
    return true;
}

void Win32Host::moveKeyboardOutline(int slot) {
    drag_.slot = slot;
    HWND target = box(Slot(slot)).window();
    const RECT r = rectIn(target, form1());
    outline_.moveTo({r.left, r.top});
    // A screen reader follows the held card: the slot under it has the focus.
    NotifyWinEvent(EVENT_OBJECT_FOCUS, target, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Host::endDrag() {
    if (drag_.card < 0) return;
    HWND card = imageControl(Imgx(drag_.card));
    drag_ = {};  // first, so that losing the capture below is not taken for a cancel
    outline_.hide();
    if (card && GetCapture() == card) ReleaseCapture();
}

int Win32Host::slotAt(POINT screen) const {
    // The topmost window there: a slot hidden by another window takes no drop.
    HWND hit = WindowFromPoint(screen);
    for (int k = 0; k < kParts; ++k) {
        if (hit && hit == imageControl(Slot(k))) return k;
    }
    return -1;
}

}  // namespace poromea::win32
