// The pictures of ui/pictures, compiled into the program.
#pragma once

#include <span>
#include <string_view>

namespace poromea::web {

struct EmbeddedPicture {
    std::string_view name;  // "cover3"
    // A style rule: the picture, as a data: URL, is the background of any
    // element whose data-picture attribute names it.
    std::string_view rule;
};

// In name order.
extern const std::span<const EmbeddedPicture> kEmbeddedPictures;

}  // namespace poromea::web
