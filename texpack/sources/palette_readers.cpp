// The game palettes: Quake's gfx/palette.lmp and Quake 2's pics/colormap.pcx.
#include <algorithm>

#include "byte_view.h"
#include "texture_sources.h"

namespace texpack {

namespace {

constexpr uint64_t kPaletteBytes = 768;
constexpr uint64_t kPcxHeaderBytes = 128;
constexpr uint8_t kPcxMaker = 0x0A;
constexpr uint8_t kPcxPaletteMark = 0x0C;  // the byte before a 256-colour palette at the end
constexpr uint64_t kPcxBitsOffset = 3;
constexpr uint64_t kPcxPlanesOffset = 65;

void take_palette(std::span<const uint8_t> rgb, const std::string& origin, Palette& out) {
  Palette palette;
  std::copy(rgb.begin(), rgb.end(), palette.rgb.begin());
  palette.origin = origin;
  out = std::move(palette);
}

}  // namespace

SourceStatus read_palette_lmp(std::span<const uint8_t> data, const std::string& origin, Palette& out,
                              std::string& error) {
  const std::string what = "a palette is 768 bytes, this file has " + std::to_string(data.size());
  if (data.size() < kPaletteBytes) return fail(SourceStatus::truncated, error, origin, what);
  if (data.size() > kPaletteBytes) return fail(SourceStatus::bad_size, error, origin, what);
  take_palette(data, origin, out);
  return SourceStatus::ok;
}

SourceStatus read_colormap_pcx(std::span<const uint8_t> data, const std::string& origin, Palette& out,
                               std::string& error) {
  const ByteView pcx(data);
  if (!pcx.holds(0, 1) || pcx.u8(0) != kPcxMaker) return fail(SourceStatus::bad_magic, error, origin, "not a PCX image");
  if (!pcx.holds(0, kPcxHeaderBytes))
    return fail(SourceStatus::truncated, error, origin,
                "shorter than a PCX header (" + std::to_string(pcx.size()) + " bytes)");
  if (pcx.u8(kPcxBitsOffset) != 8 || pcx.u8(kPcxPlanesOffset) != 1)
    return fail(SourceStatus::no_palette, error, origin,
                "a PCX of " + std::to_string(pcx.u8(kPcxPlanesOffset)) + " plane(s) of " +
                    std::to_string(pcx.u8(kPcxBitsOffset)) + " bits has no 256-colour palette");
  if (pcx.size() < kPcxHeaderBytes + kPaletteBytes + 1)
    return fail(SourceStatus::no_palette, error, origin, "too short to end in a 256-colour palette");
  const uint64_t mark = pcx.size() - kPaletteBytes - 1;
  if (pcx.u8(mark) != kPcxPaletteMark)
    return fail(SourceStatus::no_palette, error, origin, "no 256-colour palette at the end of the PCX");
  take_palette(pcx.part(mark + 1, kPaletteBytes), origin, out);
  return SourceStatus::ok;
}

}  // namespace texpack
