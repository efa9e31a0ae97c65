#include "host/web/picture_library.h"

#include <algorithm>
#include <stdexcept>

#include "host/web/embedded_files.h"
#include "ui/access.h"

using emscripten::val;

namespace poromea::web {
namespace {

// The file's bytes as a data: URL, which the page decodes where it is: no
// request, and no copy handed to the browser's other processes.
std::string dataUrl(const EmbeddedFile& file) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto& bytes = file.bytes;
    std::string url = file.name.ends_with(".gif") ? "data:image/gif;base64," : "data:image/jpeg;base64,";
    url.reserve(url.size() + (bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const unsigned n = (bytes[i] << 16) | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
        url += digits[(n >> 18) & 63];
        url += digits[(n >> 12) & 63];
        url += left > 1 ? digits[(n >> 6) & 63] : '=';
        url += left > 2 ? digits[n & 63] : '=';
    }
    return url;
}

std::string_view stem(std::string_view file) { return file.substr(0, file.find('.')); }

}  // namespace

PictureRef PictureLibrary::get(std::string_view name) {
    if (auto it = cache_.find(name); it != cache_.end()) return it->second;

    if (!ruled_) {
        // One style sheet for them all, parsed once.
        std::string css;
        for (const EmbeddedFile& file : kEmbeddedPictures) {
            css += "[data-picture=\"" + std::string(stem(file.name)) + "\"]{background-image:url(" + dataUrl(file) + ")}\n";
        }
        val document = val::global("document");
        val style = document.call<val>("createElement", val("style"));
        style.set("textContent", val(css));
        document["head"].call<void>("appendChild", style);
        ruled_ = true;
    }

    const bool known = std::any_of(kEmbeddedPictures.begin(), kEmbeddedPictures.end(),
                                   [&](const EmbeddedFile& f) { return stem(f.name) == name; });
    if (!known) throw std::runtime_error("画像「" + std::string(name) + "」が見つかりません。");
    auto picture = std::make_shared<WebPicture>();
    picture->name = std::string(name);
    picture->jsName = val(picture->name);
    picture->description = val(ui::pictureDescription(name));
    cache_.emplace(picture->name, picture);
    return picture;
}

}  // namespace poromea::web
