#include "host/win32/win32_host.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>
#include <vector>

namespace poromea::win32 {

// One shown image control: a STATIC control, owner-drawn and subclassed, that
// paints its picture at natural size from its top left corner (clipped by the
// control) or stretched to fill it.
struct Win32Host::ImageBox {
    Win32Host* host = nullptr;
    HWND window = nullptr;
    WNDPROC staticProc = nullptr;  // the STATIC class's own procedure
    PictureRef picture;
    bool stretch = false;
    int card = -1;              // Imgx index, or -1
    HBITMAP scaled = nullptr;   // the stretched picture, scaled once per picture
    COLORREF background = 0;    // what shows where the picture does not reach

    ~ImageBox() {
        if (scaled) DeleteObject(scaled);
    }
};

namespace {

constexpr wchar_t kFormClass[] = L"PoromeaForm";
constexpr wchar_t kOutlineClass[] = L"PoromeaDragOutline";
constexpr UINT_PTR kTimer1 = 1;
constexpr int kFirstControlId = 100;
constexpr COLORREF kDefaultFace = RGB(240, 240, 240);

constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kForm2Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

std::pair<int, int> key(ImageControl c) { return {static_cast<int>(c.array), c.index}; }

RECT pixelRect(const ui::Control& c) {
    const int left = ui::pixels(c.left), top = ui::pixels(c.top);
    return {left, top, left + ui::pixels(c.width), top + ui::pixels(c.height)};
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

void reportAndQuit(HWND owner, const std::wstring& message) {
    MessageBoxW(owner && IsWindowVisible(owner) ? owner : nullptr, message.c_str(), L"ポロメア",
                MB_OK | MB_ICONERROR);
    PostQuitMessage(1);
}

void registerClasses(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kFormClass, &existing)) return;

    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = DefWindowProcW;  // replaced per window once the host is known
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    // The program icon (resource 1), shared and never destroyed.
    form.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                               LR_SHARED));
    form.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    form.lpszClassName = kFormClass;
    if (!RegisterClassExW(&form)) throw std::runtime_error("ウィンドウクラスを登録できません。");

    WNDCLASSEXW outline{};
    outline.cbSize = sizeof outline;
    outline.lpfnWndProc = DefWindowProcW;
    outline.hInstance = instance;
    outline.hCursor = form.hCursor;
    outline.lpszClassName = kOutlineClass;
    if (!RegisterClassExW(&outline)) throw std::runtime_error("ウィンドウクラスを登録できません。");
}

// Creates a window, giving the host to its procedure before the first message
// that matters.
HWND createWindow(DWORD exStyle, const wchar_t* cls, const std::wstring& text, DWORD style, RECT r,
                  HWND parent, int id, HINSTANCE instance) {
    HWND window = CreateWindowExW(exStyle, cls, text.c_str(), style, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!window) {
        throw std::runtime_error("ウィンドウを作成できません（" + narrow(text) + "）。");
    }
    return window;
}

}  // namespace

std::string controlKey(std::string_view name, int index) {
    std::string k(name);
    if (index >= 0) k += "(" + std::to_string(index) + ")";
    return k;
}

// --- building the windows ---

Win32Host::Win32Host(PictureLibrary& pictures)
    : pictures_(pictures), instance_(GetModuleHandleW(nullptr)), game_(*this) {
    fatal_ = [this](const std::wstring& m) { reportAndQuit(form1_, m); };
    registerClasses(instance_);
    const ui::Rgb y = *ui::kForm1.background;
    yellow_ = CreateSolidBrush(RGB(y.r, y.g, y.b));
    buttonFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    try {
        for (const ui::Control& c : ui::kForm1.controls) {
            const auto control = ui::imageControlOf(c);
            if (control && c.kind == ui::Kind::Store) stores_[key(*control)] = pictures_.get(c.picture);
        }
        form1_ = createForm(ui::kForm1, form1Controls_);
        for (const ui::Control& c : ui::kForm1.controls) {
            const auto control = ui::imageControlOf(c);
            if (control && c.kind == ui::Kind::Image) boxes_[key(*control)] = control_(c.name, c.index);
        }
        // The drag outline: a frame three pixels wide, over every control.
        outline_ = createWindow(0, kOutlineClass, L"", WS_CHILD | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0}, form1_, 0,
                                instance_);
        SetWindowLongPtrW(outline_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Host::outlineProc));
    } catch (...) {
        release();
        throw;
    }
}

Win32Host::~Win32Host() { release(); }

void Win32Host::release() {
    if (form2_) DestroyWindow(form2_);
    if (form1_) DestroyWindow(form1_);
    form1_ = form2_ = outline_ = nullptr;
    imageBoxes_.clear();
    for (auto& [font, handle] : labelFonts_) DeleteObject(handle);
    labelFonts_.clear();
    if (yellow_) DeleteObject(yellow_);
    yellow_ = nullptr;
}

HWND Win32Host::control_(std::string_view name, int index) const {
    auto it = form1Controls_.find(controlKey(name, index));
    return it == form1Controls_.end() ? nullptr : it->second;
}

HWND Win32Host::control(std::string_view name, int index) const { return control_(name, index); }

Win32Host::ImageBox& Win32Host::box_of(HWND window) const {
    for (const auto& box : imageBoxes_) {
        if (box->window == window) return *box;
    }
    throw std::out_of_range("not an image control");
}

HWND Win32Host::form2Control(std::string_view name) const {
    auto it = form2Controls_.find(std::string(name));
    return it == form2Controls_.end() ? nullptr : it->second;
}

HWND Win32Host::imageControl(ImageControl control) const {
    auto it = boxes_.find(key(control));
    return it == boxes_.end() ? nullptr : it->second;
}

std::string Win32Host::pictureName(HWND window) const {
    for (const auto& box : imageBoxes_) {
        if (box->window == window) return box->picture ? win32Picture(box->picture).name : std::string();
    }
    return {};
}

HWND Win32Host::createForm(const ui::Form& form, std::map<std::string, HWND, std::less<>>& controls) {
    const bool main = &form == &ui::kForm1;
    const DWORD style = main ? kForm1Style : kForm2Style;
    RECT frame{0, 0, ui::pixels(form.clientWidth), ui::pixels(form.clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    OffsetRect(&frame, -frame.left, -frame.top);

    HWND window = createWindow(0, kFormClass, widen(form.caption), style, frame, nullptr, 0, instance_);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Host::formProc));
    try {
        COLORREF background = kDefaultFace;
        if (form.background) background = RGB(form.background->r, form.background->g, form.background->b);

        int id = kFirstControlId;
        for (const ui::Control& c : form.controls) {
            HWND child = nullptr;
            const RECT r = pixelRect(c);
            ++id;
            switch (c.kind) {
            case ui::Kind::Image: {
                PictureRef picture = pictures_.get(c.picture);
                child = createWindow(0, L"STATIC", widen(c.accessibleName),
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW | SS_NOTIFY, r,
                                     window, id, instance_);
                auto box = std::make_unique<ImageBox>();
                box->host = this;
                box->window = child;
                box->picture = std::move(picture);
                box->stretch = c.stretch;
                box->background = background;
                if (main && c.name == "Imgx") box->card = c.index;
                box->staticProc = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Host::imageProc)));
                SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(box.get()));
                imageBoxes_.push_back(std::move(box));
                break;
            }
            case ui::Kind::Label: {
                child = createWindow(0, L"STATIC", widen(c.text),
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX |
                                         SS_CENTERIMAGE,
                                     r, window, id, instance_);
                HFONT& font = labelFonts_[c.font];
                if (!font) {
                    LOGFONTW lf{};
                    lf.lfHeight = -ui::fontPixels(c.font->points);  // character height, as Qt's pixel size
                    lf.lfWeight = FW_NORMAL;
                    lf.lfCharSet = SHIFTJIS_CHARSET;
                    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
                    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
                    lf.lfQuality = DEFAULT_QUALITY;
                    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
                    const std::wstring face = widen(c.font->family);
                    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
                    font = CreateFontIndirectW(&lf);
                    if (!font) throw std::runtime_error("フォント「" + std::string(c.font->family) + "」を作成できません。");
                }
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
                break;
            }
            case ui::Kind::Button:
                child = createWindow(0, L"BUTTON", widen(c.text),
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_PUSHBUTTON, r, window, id,
                                     instance_);
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_), FALSE);
                break;
            case ui::Kind::Store:
            case ui::Kind::Timer:
                continue;
            }
            // Stacking order is the layout's order, bottom first.
            SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            controls[controlKey(c.name, c.index)] = child;
        }
        // Only the controls of the tab order take the focus.
        for (std::string_view name : form.tabOrder) {
            HWND child = controls.at(std::string(name));
            SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | WS_TABSTOP);
        }
    } catch (...) {
        DestroyWindow(window);
        for (auto it = imageBoxes_.begin(); it != imageBoxes_.end();) {
            it = IsWindow((*it)->window) ? it + 1 : imageBoxes_.erase(it);
        }
        controls.clear();
        throw;
    }
    return window;
}

void Win32Host::showForm1() {
    RECT frame;
    GetWindowRect(form1_, &frame);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(form1_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(form1_, SW_SHOW);
    UpdateWindow(form1_);
    SetForegroundWindow(form1_);
    SetFocus(control_("Command1"));
}

void Win32Host::placeForm2() {
    // The client area at its designed place on the screen, whatever the frame.
    const ui::Form& f = ui::kForm2;
    RECT frame{ui::pixels(*f.left), ui::pixels(*f.top), ui::pixels(*f.left) + ui::pixels(f.clientWidth),
               ui::pixels(*f.top) + ui::pixels(f.clientHeight)};
    AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);
    SetWindowPos(form2_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- message handling ---

bool Win32Host::preTranslateMessage(MSG& m) {
    if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
    if (drag_.card >= 0) {
        // Keys go to the drag, not to the buttons, until it ends; Escape cancels it.
        if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) endDrag();
        return true;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_TAB && form1_ && IsChild(form1_, m.hwnd)) {
        if (HWND next = GetNextDlgTabItem(form1_, m.hwnd, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return true;
    }
    return false;
}

LRESULT CALLBACK Win32Host::formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!host) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return host->formMessage(window, message, wParam, lParam);
    } catch (const std::exception& e) {
        host->fail("ウィンドウ", e.what());
    } catch (...) {
        host->fail("ウィンドウ", "unknown error");
    }
    return 0;
}

LRESULT Win32Host::formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool main = window == form1_;
    switch (message) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, main ? yellow_ : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        if (!main) break;
        {  // labels: opaque, in the window's yellow
            const ui::Rgb y = *ui::kForm1.background;
            auto dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, RGB(y.r, y.g, y.b));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(yellow_);
        }
    case WM_COMMAND:
        if (main && HIWORD(wParam) == BN_CLICKED && lParam) {
            const auto button = reinterpret_cast<HWND>(lParam);
            if (button == control_("Command1")) dispatch("START", [this] { game_.Command1_Click(); });
            if (button == control_("Command2")) dispatch("O  K", [this] { game_.Command2_Click(); });
            return 0;
        }
        break;
    case WM_TIMER:
        if (main && wParam == kTimer1) {
            if (timerInterval_ != 0) dispatch("Timer1", [this] { game_.Timer1_Timer(); });
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (!main || HIWORD(wParam)) break;
        if (LOWORD(wParam) == WA_INACTIVE) {
            endDrag();  // a drag ends when the window loses the pointer
            if (HWND focus = GetFocus(); focus && IsChild(window, focus)) lastFocus_ = focus;
            break;
        }
        // Give the focus back to the button that had it, as a dialog does.
        SetFocus(lastFocus_ && IsChild(window, lastFocus_) ? lastFocus_ : control_("Command1"));
        return 0;
    case WM_CLOSE:
        // Closing hides: the window object lives until the program ends.
        if (main) endDrag();
        ShowWindow(window, SW_HIDE);
        windowClosed(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Host::windowClosed(HWND) {
    // The program ends when its last open window is closed.
    const bool form1Open = form1_ && IsWindowVisible(form1_);
    const bool form2Open = form2_ && IsWindowVisible(form2_);
    if (!form1Open && !form2Open) PostQuitMessage(failed_ ? 1 : 0);
}

LRESULT CALLBACK Win32Host::imageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<ImageBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!box) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return box->host->imageMessage(*box, window, message, wParam, lParam);
    } catch (const std::exception& e) {
        box->host->fail("ウィンドウ", e.what());
    } catch (...) {
        box->host->fail("ウィンドウ", "unknown error");
    }
    return 0;
}

LRESULT Win32Host::imageMessage(ImageBox& box, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HTCLIENT;  // every image control is hit, so a slot can be found under the pointer
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        paintImage(box, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (box.card >= 0) cardPressed(box.card, message, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (box.card >= 0 && box.card == drag_.card) cardMoved(window, lParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (box.card >= 0) cardReleased(window, message, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (box.card >= 0 && box.card == drag_.card) endDrag();  // capture taken away: cancelled
        return 0;
    case WM_NCDESTROY: {
        WNDPROC original = box.staticProc;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    default:
        break;
    }
    return CallWindowProcW(box.staticProc, window, message, wParam, lParam);
}

void Win32Host::paintImage(ImageBox& box, HDC dc) {
    RECT client;
    GetClientRect(box.window, &client);
    HBRUSH background = CreateSolidBrush(box.background);
    if (!box.picture) {
        FillRect(dc, &client, background);
        DeleteObject(background);
        return;
    }
    const Win32Picture& p = win32Picture(box.picture);
    HDC memory = CreateCompatibleDC(dc);
    if (box.stretch) {
        if (!box.scaled) {
            HDC scaledDc = CreateCompatibleDC(dc);
            box.scaled = CreateCompatibleBitmap(dc, client.right, client.bottom);
            HGDIOBJ oldScaled = SelectObject(scaledDc, box.scaled);
            HGDIOBJ old = SelectObject(memory, p.bitmap);
            SetStretchBltMode(scaledDc, HALFTONE);
            SetBrushOrgEx(scaledDc, 0, 0, nullptr);
            StretchBlt(scaledDc, 0, 0, client.right, client.bottom, memory, 0, 0, p.width, p.height, SRCCOPY);
            SelectObject(memory, old);
            SelectObject(scaledDc, oldScaled);
            DeleteDC(scaledDc);
        }
        HGDIOBJ old = SelectObject(memory, box.scaled);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    } else {
        HGDIOBJ old = SelectObject(memory, p.bitmap);
        BitBlt(dc, 0, 0, p.width, p.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        // A picture smaller than its control leaves the background showing.
        if (p.width < client.right) {
            RECT rest{p.width, 0, client.right, client.bottom};
            FillRect(dc, &rest, background);
        }
        if (p.height < client.bottom) {
            RECT rest{0, p.height, std::min<LONG>(p.width, client.right), client.bottom};
            FillRect(dc, &rest, background);
        }
    }
    DeleteDC(memory);
    DeleteObject(background);
}

LRESULT CALLBACK Win32Host::outlineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        // A dark frame with a light dotted inner line shows on every picture the game has.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        for (int x = 2; x < r.right - 2; x += 2) {
            SetPixel(dc, x, 2, RGB(255, 255, 255));
            SetPixel(dc, x, r.bottom - 3, RGB(255, 255, 255));
        }
        for (int y = 2; y < r.bottom - 2; y += 2) {
            SetPixel(dc, 2, y, RGB(255, 255, 255));
            SetPixel(dc, r.right - 3, y, RGB(255, 255, 255));
        }
        EndPaint(window, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
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
    if (form1_) KillTimer(form1_, kTimer1);
    timerInterval_ = 0;
    fatal_(L"「" + widen(what) + L"」の処理でエラーが発生しました。\n" + widen(why) + L"\nゲームを終了します。");
}

// --- Host ---

PictureRef Win32Host::picture(ImageControl control) {
    if (auto it = stores_.find(key(control)); it != stores_.end()) return it->second;
    if (HWND window = imageControl(control)) return box_of(window).picture;
    throw std::out_of_range("no such image control");
}

void Win32Host::setPicture(ImageControl control, PictureRef picture) {
    HWND window = imageControl(control);
    if (!window) throw std::out_of_range("the rules may only change shown image controls");
    if (!picture) throw std::invalid_argument("an image control cannot show nothing");
    ImageBox& box = box_of(window);
    if (picture == box.picture) return;
    box.picture = std::move(picture);
    if (box.scaled) DeleteObject(box.scaled);
    box.scaled = nullptr;
    InvalidateRect(window, nullptr, FALSE);
}

void Win32Host::beginDrag(std::int16_t card) {
    if (pendingPress_.card != card) throw std::logic_error("a drag begins only from the card being pressed");
    HWND box = imageControl(Imgx(card));
    if (!box) throw std::out_of_range("no such card");
    drag_ = pendingPress_;
    RECT r;
    GetWindowRect(box, &r);
    MapWindowPoints(HWND_DESKTOP, form1_, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT current;
    GetClientRect(outline_, &current);
    if (current.right != width || current.bottom != height) {
        // Only a frame three pixels wide is part of the outline window.
        HRGN frame = CreateRectRgn(0, 0, width, height);
        HRGN inside = CreateRectRgn(3, 3, width - 3, height - 3);
        CombineRgn(frame, frame, inside, RGN_DIFF);
        DeleteObject(inside);
        SetWindowPos(outline_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowRgn(outline_, frame, FALSE);  // the window owns the region now
    }
    SetWindowPos(outline_, HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCapture(box);  // the pointer belongs to the drag until the release
}

void Win32Host::setTimerInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) throw std::invalid_argument("negative timer interval");
    timerInterval_ = milliseconds;
    if (milliseconds == 0) {
        KillTimer(form1_, kTimer1);
    } else if (!SetTimer(form1_, kTimer1, static_cast<UINT>(milliseconds), nullptr)) {
        // setting it again starts the countdown anew
        throw std::runtime_error("タイマーを設定できません。");
    }
}

void Win32Host::runTimer1Every(std::int32_t milliseconds) {
    SetTimer(form1_, kTimer1, static_cast<UINT>(milliseconds), nullptr);
}

void Win32Host::messageBox(std::u16string_view prompt, std::u16string_view title) {
    const std::wstring text(prompt.begin(), prompt.end());
    const std::wstring caption(title.begin(), title.end());
    if (!MessageBoxW(form1_, text.c_str(), caption.c_str(), MB_OK)) {
        throw std::runtime_error("メッセージボックスを表示できません。");
    }
}

void Win32Host::randomize() { random_.reseed(); }

float Win32Host::rnd() { return random_.next(); }

void Win32Host::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    if (!form2_) form2_ = createForm(ui::kForm2, form2Controls_);
    if (IsWindowVisible(form2_)) return;
    // Opened again, it is back at its designed place even if the player moved it.
    placeForm2();
    ShowWindow(form2_, SW_SHOW);
}

// --- the drag ---

void Win32Host::cardPressed(int card, UINT message, WPARAM wParam, LPARAM lParam) {
    if (drag_.card >= 0) return;  // another button while dragging
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    pendingPress_ = {static_cast<std::int16_t>(card), releaseOf(message), at};
    dispatch("マウス", [&] {
        game_.Imgx_MouseDown(static_cast<std::int16_t>(card), buttonCode(message), shiftCode(wParam),
                             static_cast<float>(at.x * ui::kTwipsPerPixel),
                             static_cast<float>(at.y * ui::kTwipsPerPixel));
    });
    pendingPress_ = {};
}

void Win32Host::cardMoved(HWND card, LPARAM lParam) {
    POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(card, form1_, &pointer, 1);
    SetWindowPos(outline_, HWND_TOP, pointer.x - drag_.grabOffset.x, pointer.y - drag_.grabOffset.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Host::cardReleased(HWND card, UINT message, LPARAM lParam) {
    if (drag_.card < 0 || message != drag_.upMessage) return;
    POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(card, &pointer);
    endDrag();
    const int slot = slotAt(pointer);
    if (slot < 0) return;  // released anywhere but a slot: nothing happens
    dispatch("ドロップ", [&] { (game_.*kSlotDrops.at(slot))(); });
}

void Win32Host::endDrag() {
    if (drag_.card < 0) return;
    HWND card = imageControl(Imgx(drag_.card));
    drag_ = {};  // first, so that losing the capture below is not taken for a cancel
    if (outline_) ShowWindow(outline_, SW_HIDE);
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
