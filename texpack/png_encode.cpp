#include "png_encode.h"

#include <png.h>

namespace texpack {

bool encode_png(const Image& image, std::vector<uint8_t>& out, std::string& error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height * image.channels) {
    error = "image of size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " cannot be encoded";
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = image.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;

  // First ask for the size, then write into a buffer of that size.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr)) {
    error = std::string("PNG encoding failed: ") + png.message;
    png_image_free(&png);
    return false;
  }
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr)) {
    error = std::string("PNG encoding failed: ") + png.message;
    png_image_free(&png);
    return false;
  }
  bytes.resize(size);
  out = std::move(bytes);
  return true;
}

}  // namespace texpack
