#include "pack_names.h"

#include <array>

namespace texpack {
namespace {

// Tool textures: they steer the compiler and are never drawn. These are the
// names tables/q1-keep.tex and q2-keep.tex turn into common/* shaders; every
// other name those tables keep under q1/ or q2/, so the pack must supply it
// (Quake's "*waterskip" becomes a nodraw liquid, Quake 2's "clip_mon" is
// drawn as its .wal says).
constexpr std::array<std::string_view, 6> quake_tools = {"clip", "trigger", "skip", "hint", "hintskip", "origin"};
constexpr std::array<std::string_view, 5> quake2_tools = {"clip", "trigger", "skip", "hint", "origin"};

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && lower(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string quake_pack_name(std::string_view source_name) {
  std::string body = lower(source_name);
  if (!body.empty() && body[0] == '*') body[0] = '#';
  return "q1/" + body;
}

std::string quake2_pack_name(std::string_view source_name) { return "q2/" + std::string(source_name); }

std::string pack_name_of(std::string_view library_name, Game game) {
  return game == Game::QUAKE ? quake_pack_name(library_name) : quake2_pack_name(library_name);
}

bool is_tool_texture(std::string_view source_name, Game game) {
  const std::string name = lower(source_name);
  if (game == Game::QUAKE) {
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
  return is_tool_texture(name, game) ? NameClass::TOOL : NameClass::PACKED;
}

NameClass classify_converted_name(std::string_view name, PackName& out) {
  Game game;
  if (starts_with_nocase(name, "q1/"))
    game = Game::QUAKE;
  else if (starts_with_nocase(name, "q2/"))
    game = Game::QUAKE2;
  else
    return NameClass::STOCK;
  const std::string_view body = name.substr(3);
  PackName found;
  found.game = game;
  found.pack_name = std::string(name.substr(0, 3)) + std::string(body);
  found.pack_name[0] = 'q';
  found.library_name = std::string(body);
  // The converter writes a Quake liquid's leading '*' as '#'.
  if (game == Game::QUAKE && !body.empty() && body[0] == '#') {
    found.library_name[0] = '*';
    found.alt_library_name = std::string(body);
  }
  out = found;
  return is_tool_texture(found.library_name, game) ? NameClass::TOOL : NameClass::PACKED;
}

}  // namespace texpack
