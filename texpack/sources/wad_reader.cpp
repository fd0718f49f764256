// WAD2 (Quake) and WAD3 (Half-Life) texture files.
#include "byte_view.h"
#include "miptex.h"
#include "texture_sources.h"

namespace texpack {

namespace {

constexpr uint64_t kHeaderBytes = 12;
constexpr uint64_t kEntryBytes = 32;
constexpr uint64_t kEntryNameOffset = 16;
constexpr uint8_t kTypeQuakeMiptex = 0x44;
constexpr uint8_t kTypeHalfLifeMiptex = 0x43;

struct Entry {
  int32_t filepos;
  int32_t disksize;
  uint8_t type;
  uint8_t compression;
};

Entry entry_at(const ByteView& wad, uint64_t at) {
  return {wad.i32(at), wad.i32(at + 4), wad.u8(at + 12), wad.u8(at + 13)};
}

}  // namespace

SourceStatus read_wad(std::span<const uint8_t> data, const std::string& origin, std::vector<SourceTexture>& out,
                      std::string& error) {
  const ByteView wad(data);
  const std::string file_size = std::to_string(wad.size()) + " bytes";
  if (!wad.holds(0, kHeaderBytes))
    return fail(SourceStatus::truncated, error, origin, "shorter than a WAD header (" + file_size + ")");
  const bool wad3 = wad.starts_with("WAD3");
  if (!wad3 && !wad.starts_with("WAD2"))
    return fail(SourceStatus::bad_magic, error, origin, "not a WAD2 or WAD3 file");
  const int32_t count = wad.i32(4);
  const int32_t directory = wad.i32(8);
  const std::string where = std::to_string(count) + " entries at " + std::to_string(directory);
  if (count == 0) return fail(SourceStatus::bad_size, error, origin, "directory holds no entries");
  if (count < 0)
    return fail(SourceStatus::bad_size, error, origin, "directory of " + std::to_string(count) + " entries");
  if (uint64_t(count) * kEntryBytes > wad.size() - kHeaderBytes)
    return fail(SourceStatus::bad_size, error, origin,
                "directory (" + where + ") is larger than the file (" + file_size + ")");
  if (directory < 0 || !wad.holds(uint64_t(directory), uint64_t(count) * kEntryBytes))
    return fail(SourceStatus::bad_offset, error, origin,
                "directory (" + where + ") lies outside the file (" + file_size + ")");

  const auto colours = wad3 ? MiptexColours::own_palette : MiptexColours::game_palette;
  std::vector<SourceTexture> found;
  for (int32_t index = 0; index < count; ++index) {
    const uint64_t at = uint64_t(directory) + uint64_t(index) * kEntryBytes;
    const Entry entry = entry_at(wad, at);
    if (entry.type != kTypeQuakeMiptex && entry.type != kTypeHalfLifeMiptex) continue;  // palettes, pictures
    const std::string which = "entry " + std::to_string(index);
    const auto name = wad.name_field(at + kEntryNameOffset, kMiptexNameBytes);
    if (!name) return fail(SourceStatus::bad_name, error, origin, which + " has an unterminated name");
    if (name->empty()) return fail(SourceStatus::bad_name, error, origin, which + " has an empty name");
    if (entry.filepos < 0 || entry.disksize < 0 || !wad.holds(uint64_t(entry.filepos), uint64_t(entry.disksize)))
      return fail(SourceStatus::bad_offset, error, origin,
                  "lump '" + *name + "' (" + std::to_string(entry.disksize) + " bytes at " +
                      std::to_string(entry.filepos) + ") lies outside the file (" + file_size + ")");
    if (entry.compression != 0)
      return fail(SourceStatus::bad_magic, error, origin,
                  "lump '" + *name + "' is compressed (method " + std::to_string(entry.compression) +
                      "); only stored lumps can be read");
    SourceTexture texture;
    const auto status = decode_miptex(wad.part(uint64_t(entry.filepos), uint64_t(entry.disksize)), *name, colours,
                                      origin, texture, error);
    if (status != SourceStatus::ok) return status;
    found.push_back(std::move(texture));
  }
  out.insert(out.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  return SourceStatus::ok;
}

}  // namespace texpack
