#include "nonsolid_names.h"

#include <array>

#include "texture_names.h"

namespace kmap {
namespace {

// Q3's tool shaders that block players or shots.
constexpr std::array<std::string_view, 5> blocking_tools{"common/caulk", "common/clip", "common/playerclip",
                                                         "common/weapclip", "common/full_clip"};

bool is_kept_prefix(std::string_view lowered) {
  return lowered.size() > 3 && (lowered.starts_with("q1/") || lowered.starts_with("q2/"));
}

}  // namespace

std::string_view solidity_folder(Solidity solidity) {
  switch (solidity) {
    case Solidity::nonsolid: return "nonsolid";
    case Solidity::nonsolid_opaque: return "nonsolid_opaque";
    case Solidity::solid: break;
  }
  return "";
}

std::string nonsolid_texture_name(std::string_view chosen, Solidity solidity) {
  if (solidity == Solidity::solid) return std::string(chosen);
  const std::string lowered = ascii_lower(chosen);
  if (is_kept_prefix(lowered))
    return std::string(chosen.substr(0, 3)) + std::string(solidity_folder(solidity)) + "/" +
           std::string(chosen.substr(3));
  for (std::string_view tool : blocking_tools)
    if (lowered == tool) return "common/nodraw";
  if (lowered.starts_with("common/") || lowered.starts_with("liquids/") || lowered.starts_with("skies/"))
    return std::string(chosen);
  return std::string(solidity == Solidity::nonsolid ? fallback_nonsolid : fallback_nonsolid_opaque);
}

bool read_nonsolid_name(std::string_view name, Solidity& solidity, std::string& kept) {
  const std::string lowered = ascii_lower(name);
  if (!is_kept_prefix(lowered)) return false;
  for (const Solidity kind : {Solidity::nonsolid, Solidity::nonsolid_opaque}) {
    const std::string folder = std::string(solidity_folder(kind)) + "/";
    if (lowered.compare(3, folder.size(), folder) != 0 || lowered.size() == 3 + folder.size()) continue;
    solidity = kind;
    kept = std::string(name.substr(0, 3)) + std::string(name.substr(3 + folder.size()));
    return true;
  }
  return false;
}

}  // namespace kmap
