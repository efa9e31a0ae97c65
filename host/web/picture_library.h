// The built-in pictures as the page shows them: each is shown by a style rule
// of the page (embedded_pictures.h) as the background of every element whose data-picture
// attribute names it, so a control's picture changes with one attribute and
// the browser draws it with the next frame, as a desktop toolkit repaints
// after the change. The rules get one shared picture object for each
// picture, naming it.
#pragma once

#include <emscripten/val.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "game/host.h"

namespace poromea::web {

struct WebPicture final : Picture {
    using val = emscripten::val;
    std::string name;                    // resource name, e.g. "cover3"
    val jsName = val::undefined();       // the same, as a page string
};

inline const WebPicture& webPicture(const PictureRef& p) { return static_cast<const WebPicture&>(*p); }

class PictureLibrary {
public:
    // The picture called `name` ("part0", "banner", ...). Throws if there is
    // no such picture.
    PictureRef get(std::string_view name);

private:
    std::map<std::string, PictureRef, std::less<>> cache_;
};

}  // namespace poromea::web
