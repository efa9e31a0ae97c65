// The windows' controls as elements of the page, built from the layouts.
#pragma once

#include <emscripten/val.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/host.h"
#include "host/web/markup.h"
#include "host/web/picture_library.h"
#include "ui/layout.h"

namespace poromea::web {

using emscripten::val;

val element(const char* tag, const char* cls = nullptr);
// Calls the module's function `handler` for every `type` event of `target`.
void listen(const val& target, const char* type, const char* handler, bool capture = false);

// An image control: shows its picture as its background, at natural size
// from the top left corner (clipped by the control) or stretched to it.
struct ImageBox {
    val element = val::undefined();
    PictureRef picture;
    bool described = false;  // a card or slot: says what it shows
    // `description`: what a screen reader is told it shows now ("カード 3 の うら").
    void show(PictureRef shown, std::string_view description);
};

struct BuiltForm {
    std::map<ImageControl, ImageBox> images;  // the rules' image controls
    std::map<ui::ControlId, val> controls;    // the buttons and the banner
    // The control `active` (the focus), if it is one of these; None otherwise.
    ui::ControlId focused(const val& active) const;
};

// Sizes `client` to the layout's client area and fills it with the layout's
// controls (host/web/markup.h), then adopts them.
BuiltForm buildForm(const ui::Form& form, val client, PictureLibrary& pictures);
// Takes the controls already in `client`, written by controlsMarkup (by the
// build into the page, or by buildForm): the buttons call the module's
// onButtonClick. Throws if a picture is missing.
BuiltForm adoptForm(const ui::Form& form, val client, PictureLibrary& pictures);

}  // namespace poromea::web
