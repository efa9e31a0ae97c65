#include "host/win32/widgets.h"

#include <oleacc.h>

#include <algorithm>
#include <stdexcept>

#include "ui/access.h"

namespace poromea::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PoromeaForm";
constexpr wchar_t kImageClass[] = L"PoromeaImage";
constexpr wchar_t kOutlineClass[] = L"PoromeaDragOutline";

// Registers a window class of this program, once.
void registerClass(const wchar_t* name, WNDPROC proc, bool withIcon = false) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    if (GetClassInfoExW(module, name, &c)) return;
    c.lpfnWndProc = proc;
    c.hInstance = module;
    c.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    c.lpszClassName = name;
    if (withIcon) {  // the program icon, resource 1, shared and never destroyed
        c.hIcon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                GetSystemMetrics(SM_CYICON), LR_SHARED));
        c.hIconSm = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                  LR_SHARED));
    }
    if (!RegisterClassExW(&c)) throw std::runtime_error("ウィンドウクラスを登録できません。");
}

HWND createWindow(const wchar_t* cls, const std::wstring& text, DWORD style, RECT r, HWND parent,
                  void* self = nullptr) {
    HWND window = CreateWindowExW(0, cls, text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                  parent, nullptr, GetModuleHandleW(nullptr), self);
    if (!window) throw std::runtime_error("ウィンドウを作成できません（" + narrow(text) + "）。");
    return window;
}

// The object a window was created for, kept from WM_NCCREATE on.
template <class T>
T* owner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

RECT pixelRect(const ui::Control& c) {
    const ui::PixelRect r = c.pixelRect();
    return {r.left, r.top, r.left + r.width, r.top + r.height};
}

LRESULT CALLBACK outlineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

}  // namespace

RECT rectIn(HWND window, HWND parent) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// --- accessibility annotations ---

namespace {

// UI Automation's LiveSetting property, and its value Assertive.
constexpr GUID kLiveSetting{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr int kAssertive = 2;
// EVENT_OBJECT_LIVEREGIONCHANGED, known from Windows 8 on; older systems pass it by.
constexpr DWORD kLiveRegionChanged = 0x8019;

// The system's annotation service, released when done.
class PropServices {
public:
    PropServices() {
        CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                         reinterpret_cast<void**>(&services_));
    }
    ~PropServices() {
        if (services_) services_->Release();
    }
    PropServices(const PropServices&) = delete;
    PropServices& operator=(const PropServices&) = delete;
    IAccPropServices* operator->() const { return services_; }
    explicit operator bool() const { return services_ != nullptr; }

private:
    IAccPropServices* services_ = nullptr;
};

}  // namespace

bool annotateName(HWND window, std::string_view name, std::string_view description) {
    PropServices services;
    if (!services) return false;
    bool done = true;
    for (const auto& [property, text] : {std::pair(PROPID_ACC_NAME, name), std::pair(PROPID_ACC_DESCRIPTION, description)}) {
        if (text.empty()) continue;
        std::wstring wide = widen(text);
        done = SUCCEEDED(services->SetHwndPropStr(window, OBJID_CLIENT, CHILDID_SELF, property, wide.c_str())) && done;
    }
    return done;
}

bool annotateLiveRegion(HWND window) {
    PropServices services;
    if (!services) return false;
    VARIANT assertive;
    VariantInit(&assertive);
    assertive.vt = VT_I4;
    assertive.lVal = kAssertive;
    return SUCCEEDED(services->SetHwndProp(window, OBJID_CLIENT, CHILDID_SELF, kLiveSetting, assertive));
}

Announcer::Announcer(HWND parent) {
    window_ = createWindow(L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, RECT{}, parent);
    annotateLiveRegion(window_);
}

void Announcer::say(std::string_view words) {
    SetWindowTextW(window_, widen(words).c_str());
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(kLiveRegionChanged, window_, OBJID_CLIENT, CHILDID_SELF);
}

// --- image controls ---

ImageBox::ImageBox(HWND parent, const ui::Control& c, PictureRef picture, COLORREF background)
    : name_(c.accessibleName), picture_(std::move(picture)), stretch_(c.stretch),
      background_(CreateSolidBrush(background)) {
    if (!background_) throw std::runtime_error("ブラシを作成できません。");
    registerClass(kImageClass, &ImageBox::proc);
    const std::string description = c.image ? ui::openingDescription(*c.image) : std::string();
    createWindow(kImageClass, widen(ui::spokenText(name_, description)), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                 pixelRect(c), parent, this);
}

ImageBox::~ImageBox() {
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

void ImageBox::setPicture(PictureRef picture, std::string_view description) {
    if (!picture) throw std::invalid_argument("an image control cannot show nothing");
    if (picture == picture_) return;
    picture_ = std::move(picture);
    scaled_.reset();
    InvalidateRect(window_, nullptr, FALSE);
    // The window text is only read, never drawn: the control paints its picture alone.
    SetWindowTextW(window_, widen(ui::spokenText(name_, description)).c_str());
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CALLBACK ImageBox::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ImageBox* self = owner<ImageBox>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_NCCREATE:
        self->window_ = window;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        self->paint(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: case WM_XBUTTONUP:
    case WM_MOUSEMOVE: case WM_CAPTURECHANGED:
        if (!self->mouse_) break;
        self->mouse_(message, wParam, lParam);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ImageBox::paint(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    const Win32Picture& p = win32Picture(picture_);
    HDC memory = CreateCompatibleDC(dc);
    if (stretch_) {
        if (!scaled_) {
            HDC scaledDc = CreateCompatibleDC(dc);
            scaled_.reset(CreateCompatibleBitmap(dc, client.right, client.bottom));
            HGDIOBJ oldScaled = SelectObject(scaledDc, scaled_.get());
            HGDIOBJ old = SelectObject(memory, p.bitmap);
            SetStretchBltMode(scaledDc, HALFTONE);
            SetBrushOrgEx(scaledDc, 0, 0, nullptr);
            StretchBlt(scaledDc, 0, 0, client.right, client.bottom, memory, 0, 0, p.width, p.height, SRCCOPY);
            SelectObject(memory, old);
            SelectObject(scaledDc, oldScaled);
            DeleteDC(scaledDc);
        }
        HGDIOBJ old = SelectObject(memory, scaled_.get());
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    } else {
        HGDIOBJ old = SelectObject(memory, p.bitmap);
        BitBlt(dc, 0, 0, p.width, p.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        // A picture smaller than its control leaves the background showing.
        const auto background = static_cast<HBRUSH>(background_.get());
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
}

// --- the drag outline ---

DragOutline::DragOutline(HWND parent) {
    registerClass(kOutlineClass, &outlineProc);
    window_ = createWindow(kOutlineClass, L"", WS_CHILD | WS_CLIPSIBLINGS, RECT{}, parent);
}

void DragOutline::show(RECT r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT current;
    GetClientRect(window_, &current);
    if (current.right != width || current.bottom != height) {
        // Only a frame three pixels wide is part of the outline window.
        HRGN frame = CreateRectRgn(0, 0, width, height);
        const GdiObject inside(CreateRectRgn(3, 3, width - 3, height - 3));
        CombineRgn(frame, frame, static_cast<HRGN>(inside.get()), RGN_DIFF);
        SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowRgn(window_, frame, FALSE);  // the window owns the region now
    }
    SetWindowPos(window_, HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// --- windows built from their layouts ---

BuiltForm::BuiltForm(const ui::Form& form, DWORD style, PictureLibrary& pictures, Handler handler)
    : handler_(std::move(handler)) {
    registerClass(kFormClass, &BuiltForm::proc, true);
    if (form.background) {
        face_ = RGB(form.background->r, form.background->g, form.background->b);
        background_.reset(CreateSolidBrush(face_));
    }
    RECT frame{0, 0, ui::pixels(form.clientWidth), ui::pixels(form.clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    OffsetRect(&frame, -frame.left, -frame.top);
    window_.reset(createWindow(kFormClass, widen(form.caption), style, frame, nullptr, this));

    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    for (const ui::Control& c : form.controls) {
        HWND child = nullptr;
        switch (c.kind) {
        case ui::Kind::Image:
            images_.push_back(std::make_unique<ImageBox>(window(), c, pictures.get(c.picture), face_));
            child = images_.back()->window();
            break;
        case ui::Kind::Label:
            child = createWindow(L"STATIC", widen(c.text), kChild | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                                 pixelRect(c), window());
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font(*c.font)), FALSE);
            break;
        case ui::Kind::Button:
            child = createWindow(L"BUTTON", widen(c.text), kChild | BS_PUSHBUTTON, pixelRect(c), window());
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
            // Named as a voice would say its caption ("OK", not "O  K"), with what it does.
            annotateName(child, c.accessibleName, c.description);
            break;
        }
        // Stacking order is the layout's order, bottom first.
        SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        controls_[c.key()] = child;
        if (c.id != ui::ControlId::None) ids_[c.id] = child;
    }
    // Only the controls of the tab order take the focus.
    for (ui::ControlId id : form.tabOrder) {
        HWND child = control(id);
        SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | WS_TABSTOP);
    }
}

BuiltForm::~BuiltForm() {
    // The host may be going too: the messages of the windows' end are none of its business.
    handler_ = nullptr;
    for (auto& image : images_) image->onMouse(nullptr);
}

HWND BuiltForm::control(std::string_view name, int index) const {
    auto it = controls_.find(ui::controlKey(name, index));
    return it == controls_.end() ? nullptr : it->second;
}

HWND BuiltForm::control(ui::ControlId id) const {
    auto it = ids_.find(id);
    return it == ids_.end() ? nullptr : it->second;
}

ui::ControlId BuiltForm::idOf(HWND control) const {
    for (const auto& [id, child] : ids_) {
        if (control && child == control) return id;
    }
    return ui::ControlId::None;
}

ImageBox* BuiltForm::image(HWND control) const {
    for (const auto& box : images_) {
        if (box->window() == control) return box.get();
    }
    return nullptr;
}

HFONT BuiltForm::font(const ui::Font& f) {
    GdiObject& font = fonts_[&f];
    if (!font) {
        LOGFONTW lf{};
        lf.lfHeight = -ui::fontPixels(f.points);  // character height, as Qt's pixel size
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        lstrcpynW(lf.lfFaceName, widen(f.family).c_str(), LF_FACESIZE);
        font.reset(CreateFontIndirectW(&lf));
        if (!font) throw std::runtime_error("フォント「" + std::string(f.family) + "」を作成できません。");
    }
    return static_cast<HFONT>(font.get());
}

LRESULT CALLBACK BuiltForm::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BuiltForm* self = owner<BuiltForm>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window, &r);
        const auto brush = static_cast<HBRUSH>(self->background_.get());
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        if (!self->background_) break;
        {  // labels: opaque, in the window's colour
            auto dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, self->face_);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(self->background_.get());
        }
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        break;
    }
    if (self->handler_) {
        if (const std::optional<LRESULT> result = self->handler_(message, wParam, lParam)) return *result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace poromea::win32
