// PAK archives: a directory of named members.
#include "byte_view.h"
#include "texture_sources.h"

namespace texpack {

namespace {

constexpr uint64_t kHeaderBytes = 12;
constexpr uint64_t kEntryBytes = 64;
constexpr size_t kNameBytes = 56;

}  // namespace

SourceStatus read_pak_directory(std::span<const uint8_t> data, const std::string& origin, std::vector<PakEntry>& out,
                                std::string& error) {
  const ByteView pak(data);
  const std::string file_size = std::to_string(pak.size()) + " bytes";
  if (!pak.holds(0, kHeaderBytes))
    return fail(SourceStatus::truncated, error, origin, "shorter than a PAK header (" + file_size + ")");
  if (!pak.starts_with("PACK")) return fail(SourceStatus::bad_magic, error, origin, "not a PAK archive");
  const int32_t directory = pak.i32(4);
  const int32_t length = pak.i32(8);
  const std::string where = std::to_string(length) + " bytes at " + std::to_string(directory);
  if (length < 0 || uint64_t(length) % kEntryBytes != 0)
    return fail(SourceStatus::bad_size, error, origin,
                "directory of " + std::to_string(length) + " bytes is no whole number of 64-byte entries");
  if (uint64_t(length) > pak.size() - kHeaderBytes)
    return fail(SourceStatus::bad_size, error, origin,
                "directory (" + where + ") is larger than the file (" + file_size + ")");
  if (directory < 0 || !pak.holds(uint64_t(directory), uint64_t(length)))
    return fail(SourceStatus::bad_offset, error, origin,
                "directory (" + where + ") lies outside the file (" + file_size + ")");

  std::vector<PakEntry> entries;
  entries.reserve(uint64_t(length) / kEntryBytes);
  for (uint64_t at = uint64_t(directory); at < uint64_t(directory) + uint64_t(length); at += kEntryBytes) {
    const std::string which = "entry " + std::to_string((at - uint64_t(directory)) / kEntryBytes);
    const auto name = pak.name_field(at, kNameBytes);
    if (!name) return fail(SourceStatus::bad_name, error, origin, which + " has an unterminated name");
    if (name->empty()) return fail(SourceStatus::bad_name, error, origin, which + " has an empty name");
    const int32_t offset = pak.i32(at + kNameBytes);
    const int32_t size = pak.i32(at + kNameBytes + 4);
    if (offset < 0 || size < 0 || !pak.holds(uint64_t(offset), uint64_t(size)))
      return fail(SourceStatus::bad_offset, error, origin,
                  "member '" + *name + "' (" + std::to_string(size) + " bytes at " + std::to_string(offset) +
                      ") lies outside the file (" + file_size + ")");
    entries.push_back({*name, uint32_t(offset), uint32_t(size)});
  }
  out.insert(out.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
  return SourceStatus::ok;
}

}  // namespace texpack
