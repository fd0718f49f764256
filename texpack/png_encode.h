// PNG encoding through libpng.
#ifndef KORVEX_TEXPACK_PNG_ENCODE_H
#define KORVEX_TEXPACK_PNG_ENCODE_H

#include <cstdint>
#include <string>
#include <vector>

#include "images.h"

namespace texpack {

// Encodes the image as an 8-bit RGB or RGBA PNG. Returns true and sets
// `out`, or false with `error` set (libpng's message); `out` is untouched
// on failure.
[[nodiscard]] bool encode_png(const Image& image, std::vector<uint8_t>& out, std::string& error);

}  // namespace texpack

#endif
