// Bounds-checked little-endian reading of a file held in memory, shared by
// the readers. Every offset and length arrives from the file as a 32-bit
// number, so sums and products of two of them are done in 64 bits, where
// they cannot overflow.
#ifndef KORVEX_TEXPACK_SOURCES_BYTE_VIEW_H
#define KORVEX_TEXPACK_SOURCES_BYTE_VIEW_H

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "texture_sources.h"

namespace texpack {

class ByteView {
 public:
  explicit ByteView(std::span<const uint8_t> data) : data_(data) {}

  [[nodiscard]] uint64_t size() const { return data_.size(); }

  // True when [offset, offset + length) lies inside the data.
  [[nodiscard]] bool holds(uint64_t offset, uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }

  // The bytes [offset, offset + length); the caller checked holds().
  [[nodiscard]] std::span<const uint8_t> part(uint64_t offset, uint64_t length) const {
    return data_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
  }

  // Readers of fixed-size fields; the caller checked holds().
  [[nodiscard]] uint32_t u32(uint64_t offset) const {
    const uint8_t* p = data_.data() + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  }
  [[nodiscard]] int32_t i32(uint64_t offset) const { return static_cast<int32_t>(u32(offset)); }
  [[nodiscard]] uint8_t u8(uint64_t offset) const { return data_[static_cast<size_t>(offset)]; }
  [[nodiscard]] uint16_t u16(uint64_t offset) const {
    const uint8_t* p = data_.data() + offset;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  }
  [[nodiscard]] float f32(uint64_t offset) const {
    const uint32_t bits = u32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  [[nodiscard]] bool starts_with(const char* magic) const {
    const size_t n = std::strlen(magic);
    return data_.size() >= n && std::memcmp(data_.data(), magic, n) == 0;
  }

  // The zero-terminated name in the field [offset, offset + field), or
  // nothing when no zero ends it inside the field. The caller checked holds().
  [[nodiscard]] std::optional<std::string> name_field(uint64_t offset, size_t field) const {
    const auto* p = reinterpret_cast<const char*>(data_.data() + offset);
    const void* end = std::memchr(p, 0, field);
    if (end == nullptr) return std::nullopt;
    return std::string(p, static_cast<const char*>(end));
  }

 private:
  std::span<const uint8_t> data_;
};

// Sets error to "<origin>: <what>" and gives status back, so that a reader
// can fail in one statement.
[[nodiscard]] inline SourceStatus fail(SourceStatus status, std::string& error, const std::string& origin,
                                       const std::string& what) {
  error = origin + ": " + what;
  return status;
}

// "N bytes at O", the way messages place a piece of a file.
[[nodiscard]] inline std::string extent(uint64_t length, uint64_t offset) {
  return std::to_string(length) + " bytes at " + std::to_string(offset);
}

}  // namespace texpack

#endif
