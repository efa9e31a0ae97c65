// The page as a small desktop: the main window centred and scaled down to
// fit a small screen, the congratulation window that can be moved by its
// title bar and closed, the message box, the window pressed last in front.
#pragma once

#include <emscripten/val.h>

#include <string>
#include <string_view>

#include "host/web/picture_library.h"
#include "host/web/widgets.h"
#include "ui/interaction.h"
#include "ui/windows.h"

namespace poromea::web {

class Desk {
public:
    // Builds the main window into the page.
    explicit Desk(PictureLibrary& pictures);

    val form1() const { return form1_; }
    BuiltForm& form1Controls() { return form1Controls_; }

    // Fits the desk to the page; called again when the page's size changes.
    void layOut();
    // A point of the page in the main window's pixels, from the geometry the
    // desk gave the page (reading it back would make the page lay out anew).
    ui::Point inForm1(double clientX, double clientY) const;
    // Whether the congratulation window covers that point of the main window.
    bool form2Covers(ui::Point inForm1) const;

    // Opens the congratulation window at its designed place; an open one is left as it is.
    void showForm2(PictureLibrary& pictures);
    void hideForm2();  // the keys go back where they were
    bool form2HasFocus() const;
    // Tab (backwards: Shift+Tab) round the tab order of the window with the keys.
    void tab(ui::Window window, bool backwards);
    // Shows the modal message box and returns at once.
    void showMessage(std::u16string_view prompt, std::u16string_view title);
    bool messageOpen() const;

    // The pointer pressed on a window brings it to the front.
    void pressed(val event);
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
    void focus(const ui::Focus& where);
    std::string focusedControl() const;  // the focused element's layout name, or empty
    void rememberMainFocus();             // if the main window has the focus, where

    val desk_;    // the "screen" both windows stand on, scaled to fit the page
    val form1_;
    BuiltForm form1Controls_;
    val form2_ = val::null();       // null until the first correct answer
    val messageBox_ = val::null();  // null until the first wrong answer
    std::string mainFocus_;  // the main window's control that had the keys before Form2 took them
    double scale_ = 1;
    double form1Left_ = 0, form1Top_ = 0;  // the windows' client areas on the desk
    double form2Left_ = 0, form2Top_ = 0;
    double deskWidth_ = 0, deskHeight_ = 0;
    int front_ = 0, form1Z_ = 0, form2Z_ = 0;  // stacking order of the windows
    int movingPointer_ = -1;                   // the pointer moving Form2
    double grabX_ = 0, grabY_ = 0;
};

}  // namespace poromea::web
