#include "host/web/picture_library.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "host/web/embedded_files.h"
#include "ui/access.h"

using emscripten::val;

namespace poromea::web {

PictureRef PictureLibrary::get(std::string_view name) {
    if (auto it = cache_.find(name); it != cache_.end()) return it->second;

    // The file is the first called "<name>.<anything>".
    const auto found = std::find_if(kEmbeddedPictures.begin(), kEmbeddedPictures.end(), [&](const EmbeddedFile& f) {
        return f.name.size() > name.size() && f.name.starts_with(name) && f.name[name.size()] == '.';
    });
    if (found == kEmbeddedPictures.end()) {
        throw std::runtime_error("画像「" + std::string(name) + "」が見つかりません。");
    }
    const std::string_view type = found->name.ends_with(".gif") ? "image/gif" : "image/jpeg";

    // A data: URL: the page decodes it in place, with no request to make.
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string url = "data:" + std::string(type) + ";base64,";
    url.reserve(url.size() + (found->bytes.size() + 2) / 3 * 4);
    const auto& b = found->bytes;
    for (std::size_t i = 0; i < b.size(); i += 3) {
        const unsigned n = (b[i] << 16) | (i + 1 < b.size() ? b[i + 1] << 8 : 0) | (i + 2 < b.size() ? b[i + 2] : 0);
        url += digits[(n >> 18) & 63];
        url += digits[(n >> 12) & 63];
        url += i + 1 < b.size() ? digits[(n >> 6) & 63] : '=';
        url += i + 2 < b.size() ? digits[n & 63] : '=';
    }

    auto picture = std::make_shared<WebPicture>();
    picture->name = std::string(name);
    picture->jsName = val(picture->name);
    picture->url = val(url);
    picture->description = val(ui::pictureDescription(name));
    picture->image = val::global("Image").new_();
    picture->image.set("src", picture->url);
    picture->decoded = picture->image.call<val>("decode");
    cache_.emplace(picture->name, picture);
    return picture;
}

}  // namespace poromea::web
