// The miptex: the texture record of WAD2/WAD3 files and of compiled maps.
// name[16], width, height, four mip offsets from the record's start, the
// four levels, and for Half-Life an int16 colour count and the colours.
#ifndef KORVEX_TEXPACK_SOURCES_MIPTEX_H
#define KORVEX_TEXPACK_SOURCES_MIPTEX_H

#include <span>
#include <string>

#include "mip_levels.h"
#include "texture_sources.h"

namespace texpack {

inline constexpr uint64_t kMiptexHeaderBytes = 40;
inline constexpr size_t kMiptexNameBytes = 16;

// Whether the record carries its own colours after the levels.
enum class MiptexColours { game_palette, own_palette };

// The header's size and offsets; the caller checked that the record holds
// kMiptexHeaderBytes.
[[nodiscard]] MipLayout miptex_layout(const ByteView& record);

// Decodes the miptex at the start of `record` (which may run on past its
// end) as texture `name`. Returns ok with `out` filled, or truncated,
// bad_size, bad_offset, no_palette with error set; `out` untouched then.
[[nodiscard]] SourceStatus decode_miptex(std::span<const uint8_t> record, const std::string& name,
                                         MiptexColours colours, const std::string& origin,
                                         SourceTexture& out, std::string& error);

}  // namespace texpack

#endif
