// The built-in pictures as the page shows them: each embedded file becomes a
// data: URL once, is decoded by the browser once, and is handed out as one
// shared picture object.
#pragma once

#include <emscripten/val.h>

#include <map>
#include <string>
#include <string_view>

#include "game/host.h"

namespace poromea::web {

struct WebPicture final : Picture {
    using val = emscripten::val;
    std::string name;                    // resource name, e.g. "cover3"
    val jsName = val::undefined();       // the same, as a page string
    val url = val::undefined();          // data: URL of the picture's bytes
    val description = val::undefined();  // what it shows in words ("カード 3 の裏"), "" for others
    val image = val::undefined();        // an Image kept decoded for as long as the page lives
    val decoded = val::undefined();      // a promise settled once it is decoded
};

inline const WebPicture& webPicture(const PictureRef& p) { return static_cast<const WebPicture&>(*p); }

class PictureLibrary {
public:
    // The picture called `name` ("part0", "banner", ...); its decoding starts
    // on first use. Throws if there is no such picture.
    PictureRef get(std::string_view name);

private:
    std::map<std::string, PictureRef, std::less<>> cache_;
};

}  // namespace poromea::web
