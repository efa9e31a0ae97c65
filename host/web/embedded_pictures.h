// The pictures of ui/pictures the page's style sheet shows (the build writes
// it into index.html): each is the background of every element whose
// data-picture attribute names it.
#pragma once

#include <span>
#include <string_view>

namespace poromea::web {

// In name order: "banner", "cover1", ...
extern const std::span<const std::string_view> kPictureNames;

// The same drawn for dense screens, beside the page: for 2 device pixels to the page's pixel,
// "pictures/part0@2x.png", ...
struct DensePicture {
    int density;
    std::string_view file;
};
extern const std::span<const DensePicture> kDensePictures;

}  // namespace poromea::web
