// A file's bytes, mapped read-only for as long as the object lives, so that
// a large archive costs address space rather than memory.
#ifndef KORVEX_TEXPACK_SOURCES_MAPPED_FILE_H
#define KORVEX_TEXPACK_SOURCES_MAPPED_FILE_H

#include <cstdint>
#include <span>
#include <string>

#include "texture_sources.h"

namespace texpack {

// Files larger than this are refused: no texture source comes near it.
inline constexpr uint64_t kMaxSourceFileBytes = uint64_t{1} << 30;

class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // Maps the file at path. Returns ok, or open_failed (missing, unreadable,
  // not a regular file) or bad_size (over kMaxSourceFileBytes) with error
  // set to "<path>: <why>". Call once per object.
  [[nodiscard]] SourceStatus open(const std::string& path, std::string& error);

  // The bytes; empty before open() succeeded or for an empty file.
  [[nodiscard]] std::span<const uint8_t> bytes() const { return {data_, size_}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace texpack

#endif
