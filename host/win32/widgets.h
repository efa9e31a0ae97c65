// Windows and controls built from the window layouts, on the Win32 API alone.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "game/host.h"
#include "host/win32/picture_library.h"
#include "ui/layout.h"

namespace poromea::win32 {

// A pen, brush, bitmap, font or region of this program, deleted with its owner.
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using GdiObject = std::unique_ptr<void, DeleteGdiObject>;

// An image control: shows its picture at natural size from its top left
// corner (clipped by the control), or scaled to fill the control. Its window
// text is what a screen reader reads: the control's name and what it shows.
class ImageBox {
public:
    // WM_xBUTTONDOWN, WM_MOUSEMOVE, WM_xBUTTONUP (x: L, R, M or X) and WM_CAPTURECHANGED on the control.
    using MouseHandler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    ImageBox(HWND parent, const ui::Control& control, PictureRef picture, COLORREF background);
    ~ImageBox();
    ImageBox(const ImageBox&) = delete;
    ImageBox& operator=(const ImageBox&) = delete;

    HWND window() const { return window_; }
    const PictureRef& picture() const { return picture_; }
    std::string pictureName() const { return win32Picture(picture_).name; }
    // `description`: what a screen reader is told it shows now ("カード 3 の うら").
    void setPicture(PictureRef picture, std::string_view description);
    void onMouse(MouseHandler handler) { mouse_ = std::move(handler); }

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);

    HWND window_ = nullptr;
    std::string_view name_;
    PictureRef picture_;
    bool stretch_;
    GdiObject background_;  // the brush for where the picture does not reach
    GdiObject scaled_;      // the stretched picture, scaled once per picture
    MouseHandler mouse_;
};

// The outline that follows the pointer, or stands on a slot, while a card is
// dragged: a frame three pixels wide over every control, which the mouse
// passes through.
class DragOutline {
public:
    explicit DragOutline(HWND parent);
    HWND window() const { return window_; }
    void show(RECT r);  // shown or moved there, in parent client coordinates
    void hide() { ShowWindow(window_, SW_HIDE); }

private:
    HWND window_ = nullptr;
};

struct DestroyWindowOf {
    void operator()(HWND window) const { DestroyWindow(window); }
};

// What a screen reader is told of a window beyond its text, through the
// system's accessibility annotations: its name and description, and that it
// is a live region whose every new text is read at once. Each returns false
// where the system has no annotations (they are then simply not there).
bool annotateName(HWND window, std::string_view name, std::string_view description);
bool annotateLiveRegion(HWND window);

// A line read out by screen readers as soon as it changes (a live region),
// never seen: the game's announcements.
class Announcer {
public:
    explicit Announcer(HWND parent);
    HWND window() const { return window_; }
    void say(std::string_view words);

private:
    HWND window_ = nullptr;
};

// A top-level window and its controls, built from its layout.
class BuiltForm {
public:
    // What the host makes of the window's messages; nullopt leaves a message to the window.
    using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

    // Sized to the layout's client area, not shown yet. Throws if a picture is
    // missing or cannot be decoded, or a window cannot be created.
    BuiltForm(const ui::Form& form, DWORD style, PictureLibrary& pictures, Handler handler);
    ~BuiltForm();
    BuiltForm(const BuiltForm&) = delete;
    BuiltForm& operator=(const BuiltForm&) = delete;

    HWND window() const { return window_.get(); }
    // A control by its layout name: "Image2", "Imgx" with index 3, "Command1", ...
    HWND control(std::string_view name, int index = -1) const;
    HWND control(ui::ControlId id) const;
    ui::ControlId idOf(HWND control) const;  // None for a control without one
    ImageBox* image(HWND control) const;  // null if it is not an image control

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HFONT font(const ui::Font& font);

    Handler handler_;
    COLORREF face_ = GetSysColor(COLOR_BTNFACE);
    GdiObject background_;  // the brush of face_, or null for the system's own
    std::map<const ui::Font*, GdiObject> fonts_;
    std::vector<std::unique_ptr<ImageBox>> images_;
    std::map<std::string, HWND, std::less<>> controls_;  // "Image2", "Imgx(3)", "Command1", ...
    std::map<ui::ControlId, HWND> ids_;
    std::unique_ptr<std::remove_pointer_t<HWND>, DestroyWindowOf> window_;  // first to go
};

// A child window's rectangle in the client coordinates of `parent`.
RECT rectIn(HWND window, HWND parent);

}  // namespace poromea::win32
