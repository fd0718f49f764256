#include "pack_names.h"

#include <array>

namespace texpack {
namespace {

// Tool textures: they steer the compiler and are never drawn. These are the
// names tables/q1-keep.tex and q2-keep.tex turn into common/* shaders, and
// the editor's placeholder for a face without a texture, which they give
// the owner's fixed texture; every other name those tables keep under q1/
// or q2/, so the pack must supply it (Quake's "*waterskip" becomes a nodraw
// liquid).
constexpr std::array<std::string_view, 7> quake_tools = {"clip",     "trigger", "skip",      "hint",
                                                         "hintskip", "origin",  "__tb_empty"};
constexpr std::array<std::string_view, 7> quake2_tools = {"clip",   "clip_mon", "trigger",   "skip",
                                                          "hint",   "origin",   "__tb_empty"};

}  // namespace

std::string pack_name_of(std::string_view library_name, Game game) {
  return kmap::kept_texture_name(library_name, game);
}

bool is_tool_texture(std::string_view source_name, Game game) {
  const std::string name = lower(source_name);
  if (game != Game::quake2) {
    for (std::string_view tool : quake_tools)
      if (name == tool) return true;
    return false;
  }
  const size_t slash = name.rfind('/');
  const std::string_view base = std::string_view(name).substr(slash == std::string::npos ? 0 : slash + 1);
  for (std::string_view tool : quake2_tools)
    if (base == tool) return true;
  return false;
}

NameClass classify_source_name(std::string_view name, Game game, PackName& out) {
  PackName found;
  found.game = game;
  found.pack_name = pack_name_of(name, game);
  found.library_name = std::string(name);
  out = found;
  return is_tool_texture(name, game) ? NameClass::tool : NameClass::packed;
}

std::string image_pack_name(const PackName& name) {
  kmap::Solidity solidity;
  std::string kept;
  if (name.solidity == kmap::Solidity::solid || !kmap::read_nonsolid_name(name.pack_name, solidity, kept))
    return name.pack_name;
  return kept;
}

NameClass classify_converted_name(std::string_view full_name, PackName& out) {
  // A non-solid face's name stands for its kept name's texture.
  kmap::Solidity solidity = kmap::Solidity::solid;
  std::string stripped;
  const bool nonsolid = kmap::read_nonsolid_name(full_name, solidity, stripped);
  kmap::KeptName kept;
  if (!kmap::read_kept_name(nonsolid ? std::string_view(stripped) : full_name, kept)) return NameClass::stock;
  PackName found;
  found.game = kept.game;
  found.library_name = kept.name;
  found.alt_library_name = kept.alt;
  found.pack_name = pack_name_of(kept.name, kept.game);
  if (nonsolid) {
    found.solidity = solidity;
    found.pack_name.insert(3, std::string(kmap::solidity_folder(solidity)) + "/");
  }
  out = found;
  return is_tool_texture(found.library_name, kept.game) ? NameClass::tool : NameClass::packed;
}

}  // namespace texpack
