// The page as a small desktop: the main window centred and scaled down to
// fit a small screen, the congratulation window that can be moved by its
// title bar and closed, the message box, the window pressed last in front.
#pragma once

#include <emscripten/val.h>

#include <optional>
#include <string>
#include <string_view>

#include "host/web/picture_library.h"
#include "host/web/widgets.h"
#include "ui/primitives.h"
#include "ui/windows.h"

namespace poromea::web {

class PageWindows {
public:
    // Builds the main window into the page.
    explicit PageWindows(PictureLibrary& pictures);

    val form1() const { return form1_; }
    BuiltForm& form1Controls() { return form1Controls_; }

    // Fits the desk to the page; called again when the page's size changes. Where that shows the desk
    // denser than the page's pixels, asks the page for the pictures drawn for it.
    void layOut();
    // A point of the page in the main window's pixels, from the geometry the
    // desk gave the page (reading it back would make the page lay out anew).
    ui::Point inForm1(double clientX, double clientY) const;
    // Whether the congratulation window covers that point of the main window.
    bool form2Covers(ui::Point inForm1) const;

    // Shows the congratulation window (built on first use) with its client area at `left`, `top`, in front.
    void showForm2(PictureLibrary& pictures, double left, double top);
    void hideForm2();
    bool shown(ui::Window window) const;
    // The window with the keys: the congratulation window's when the focus is in it; none while the box is open.
    std::optional<ui::Window> activeWindow() const;
    void focus(const ui::Focus& where);
    // The control of `window` with the focus now, or None.
    ui::ControlId focusedControl(ui::Window window) const;
    // Shows the modal message box and returns at once.
    void showMessage(std::u16string_view prompt, std::u16string_view title, std::string_view heard);
    bool messageOpen() const;

    // The pointer pressed on a window brings it to the front; the window, if it did not have the keys.
    std::optional<ui::Window> pressed(val event);
    // Moving Form2 by its title bar; false when the event is not that move's.
    void titlePointerDown(val event);
    bool titlePointerMove(val event);
    bool titlePointerEnd(val event);

    // The game has ended: the windows take no more input and the report covers them.
    void showFailure(std::string_view message);

private:
    static val adoptDesk();
    void placeForm2(double left, double top);
    void raise(val window);
    bool form2HasFocus() const;
    val focused() const;

    val desk_;    // the "screen" both windows stand on, scaled to fit the page
    val form1_;
    BuiltForm form1Controls_;
    val form2_ = val::null();       // null until the first correct answer
    BuiltForm form2Controls_;
    val messageBox_ = val::null();  // null until the first wrong answer
    double scale_ = 1;
    int density_ = 1;  // of the pictures the page has been asked for
    double form1Left_ = 0, form1Top_ = 0;  // the windows' client areas on the desk
    double form2Left_ = 0, form2Top_ = 0;
    double deskWidth_ = 0, deskHeight_ = 0;
    int front_ = 0, form1Z_ = 0, form2Z_ = 0;  // stacking order of the windows
    int movingPointer_ = -1;                   // the pointer moving Form2
    double grabX_ = 0, grabY_ = 0;
};

}  // namespace poromea::web
