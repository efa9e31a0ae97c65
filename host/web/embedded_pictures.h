// The pictures of ui/pictures the page's style sheet shows (the build writes
// it into index.html): each is the background of every element whose
// data-picture attribute names it.
#pragma once

#include <span>
#include <string_view>

namespace poromea::web {

// In name order: "banner", "cover1", ...
extern const std::span<const std::string_view> kPictureNames;

}  // namespace poromea::web
