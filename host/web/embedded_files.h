// Files compiled into the program.
#pragma once

#include <span>
#include <string_view>

namespace poromea::web {

struct EmbeddedFile {
    std::string_view name;  // "cover3.gif"
    std::span<const unsigned char> bytes;
};

// The pictures of ui/pictures, in name order.
extern const std::span<const EmbeddedFile> kEmbeddedPictures;

}  // namespace poromea::web
