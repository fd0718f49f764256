// Compiled Quake maps: the textures embedded in their texture lump.
#include "byte_view.h"
#include "miptex.h"
#include "texture_sources.h"

namespace texpack {

namespace {

constexpr uint64_t kLumpCount = 15;
constexpr uint64_t kHeaderBytes = 4 + kLumpCount * 8;
constexpr uint64_t kTextureLump = 2;
constexpr int32_t kVersionQuake = 29;
constexpr int32_t kVersionHalfLife = 30;
constexpr int32_t kTextureNotFound = -1;  // the compiler's mark for a texture it did not find

}  // namespace

SourceStatus read_bsp(std::span<const uint8_t> data, const std::string& origin, std::vector<SourceTexture>& out,
                      std::string& error) {
  const ByteView bsp(data);
  const std::string file_size = std::to_string(bsp.size()) + " bytes";
  if (!bsp.holds(0, 4)) return fail(SourceStatus::truncated, error, origin, "shorter than a map header (" + file_size + ")");
  const int32_t version = bsp.i32(0);
  const bool half_life = version == kVersionHalfLife;
  if (version != kVersionQuake && !half_life && !bsp.starts_with("BSP2") && !bsp.starts_with("2PSB"))
    return fail(SourceStatus::bad_magic, error, origin,
                "not a compiled Quake map (version " + std::to_string(version) + ")");
  if (!bsp.holds(0, kHeaderBytes))
    return fail(SourceStatus::truncated, error, origin, "shorter than a map header (" + file_size + ")");

  const int32_t lump_offset = bsp.i32(4 + kTextureLump * 8);
  const int32_t lump_length = bsp.i32(8 + kTextureLump * 8);
  if (lump_offset < 0 || lump_length < 0 || !bsp.holds(uint64_t(lump_offset), uint64_t(lump_length)))
    return fail(SourceStatus::bad_offset, error, origin,
                "texture lump (" + std::to_string(lump_length) + " bytes at " + std::to_string(lump_offset) +
                    ") lies outside the file (" + file_size + ")");
  if (lump_length == 0) return SourceStatus::ok;  // a map without textures of its own
  const ByteView lump(bsp.part(uint64_t(lump_offset), uint64_t(lump_length)));
  const std::string lump_size = std::to_string(lump.size()) + " bytes";
  if (!lump.holds(0, 4))
    return fail(SourceStatus::truncated, error, origin, "texture lump shorter than its count (" + lump_size + ")");
  const int32_t count = lump.i32(0);
  if (count < 0 || !lump.holds(4, uint64_t(count) * 4))
    return fail(SourceStatus::bad_size, error, origin,
                "texture lump (" + lump_size + ") cannot hold " + std::to_string(count) + " texture offsets");

  const auto colours = half_life ? MiptexColours::own_palette : MiptexColours::game_palette;
  std::vector<SourceTexture> found;
  for (int32_t index = 0; index < count; ++index) {
    const int32_t offset = lump.i32(4 + uint64_t(index) * 4);
    if (offset == kTextureNotFound) continue;
    const std::string which = "texture " + std::to_string(index);
    if (offset < 0 || uint64_t(offset) >= lump.size())
      return fail(SourceStatus::bad_offset, error, origin,
                  which + " (at " + std::to_string(offset) + ") lies outside the texture lump (" + lump_size + ")");
    const auto record_bytes = lump.part(uint64_t(offset), lump.size() - uint64_t(offset));
    const ByteView record(record_bytes);
    if (!record.holds(0, kMiptexHeaderBytes))
      return fail(SourceStatus::truncated, error, origin,
                  which + " (at " + std::to_string(offset) + ") is cut short by the end of the texture lump (" +
                      lump_size + ")");
    const auto name = record.name_field(0, kMiptexNameBytes);
    if (!name) return fail(SourceStatus::bad_name, error, origin, which + " has an unterminated name");
    if (name->empty()) return fail(SourceStatus::bad_name, error, origin, which + " has an empty name");
    const MipLayout layout = miptex_layout(record);
    if (layout.offsets == std::array<uint32_t, 4>{}) continue;  // its pixels stayed in a WAD
    SourceTexture texture;
    const auto status = decode_miptex(record_bytes, *name, colours,
                                      origin, texture, error);
    if (status != SourceStatus::ok) return status;
    found.push_back(std::move(texture));
  }
  out.insert(out.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  return SourceStatus::ok;
}

}  // namespace texpack
