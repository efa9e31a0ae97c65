#include "host/web/picture_library.h"

#include <algorithm>
#include <stdexcept>

#include "host/web/embedded_pictures.h"

using emscripten::val;

namespace poromea::web {

PictureRef PictureLibrary::get(std::string_view name) {
    if (auto it = cache_.find(name); it != cache_.end()) return it->second;

    const bool known = std::find(kPictureNames.begin(), kPictureNames.end(), name) != kPictureNames.end();
    if (!known) throw std::runtime_error("画像「" + std::string(name) + "」が見つかりません。");
    auto picture = std::make_shared<WebPicture>();
    picture->name = std::string(name);
    picture->jsName = val(picture->name);
    cache_.emplace(picture->name, picture);
    return picture;
}

}  // namespace poromea::web
