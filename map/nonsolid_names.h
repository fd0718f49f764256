// The texture names of faces that must not block: the brushes of Quake's
// func_illusionary and its compiler-side kin, which a Q3 compiler makes
// solid unless every face's shader says otherwise. One rule, used by the
// converter when it writes such a face and by the pack writer when it gives
// the name its shader.
//
// A kept name "q1/N" or "q2/N" is written "q1/nonsolid/N" (see-through to
// the compiler, so it never blocks sight: detail) or "q1/nonsolid_opaque/N"
// (blocks sight, as a structural wall does); the pack's shader of that name
// draws N's images with `surfaceparm nonsolid` (and `surfaceparm trans`).
// A Quake texture name holds no '/', and no stock Quake 2 folder is named
// so, so these names never meet a kept one.
#ifndef KORVEX_MAP_NONSOLID_NAMES_H
#define KORVEX_MAP_NONSOLID_NAMES_H

#include <string>
#include <string_view>

namespace kmap {

enum class Solidity { solid, nonsolid, nonsolid_opaque };

// The folder that marks each kind ("nonsolid", "nonsolid_opaque"); empty for solid.
[[nodiscard]] std::string_view solidity_folder(Solidity solidity);

// The fallback shaders, defined by the shipped korvex.shader, for faces
// whose chosen texture is a stock Q3 one (no pack makes it non-solid).
inline constexpr std::string_view fallback_nonsolid = "korvex/nonsolid";
inline constexpr std::string_view fallback_nonsolid_opaque = "korvex/nonsolid_opaque";

// The name a face of a non-solid owner is written with, given the name the
// texture rules chose for it (any letter case):
// - a kept name "q1/N", "q2/N": "q1/<folder>/N", "q2/<folder>/N";
// - a tool that blocks (common/caulk, common/clip, common/playerclip,
//   common/weapclip, common/full_clip): "common/nodraw", which does not;
// - any other common/ tool, a liquids/ or skies/ shader: unchanged;
// - any other name: the fallback of the kind.
// A solid owner's names are returned unchanged.
[[nodiscard]] std::string nonsolid_texture_name(std::string_view chosen, Solidity solidity);

// Reads a name nonsolid_texture_name made of a kept name: true with the
// kind and the kept name ("q1/nonsolid/metal1" -> nonsolid, "q1/metal1");
// false (outputs untouched) for any other name.
[[nodiscard]] bool read_nonsolid_name(std::string_view name, Solidity& solidity, std::string& kept);

}  // namespace kmap

#endif
