// The windows' markup, written from the layouts. The same functions make the
// main window that the build writes into index.html and the windows the
// module builds itself, so the page never holds two versions of a window.
// Plain strings, no browser: the build runs them with Node.js.
#pragma once

#include <string>

#include "ui/layout.h"

namespace poromea::web {

std::string px(double value);  // "12.50px"

// A window's client area: its size and background, as an inline style.
std::string clientStyle(const ui::Form& form);
// The client area's controls, in the order of form.controls (the module finds
// them by that order): images, labels and buttons placed by the layout.
std::string controlsMarkup(const ui::Form& form);
// The desk with the main window on it, as the body's first element.
std::string deskMarkup();
// Where the desk and the main window stand before the module has measured
// the page, in CSS: the main window centred and scaled down to fit, as the
// module places it (PageWindows::layOut), so the page does not move when it starts.
std::string deskStyle();

}  // namespace poromea::web
