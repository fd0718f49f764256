#include "texture_names.h"

namespace kmap {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lower(c);
  return out;
}

std::string kept_texture_name(std::string_view source, Game game) {
  std::string name = game == Game::quake2 ? "q2/" : "q1/";
  name.reserve(name.size() + source.size());
  for (char c : source) name += c == '*' ? '#' : lower(c);
  return name;
}

bool read_kept_name(std::string_view kept, KeptName& out) {
  if (kept.size() < 3 || lower(kept[0]) != 'q' || kept[2] != '/' || (kept[1] != '1' && kept[1] != '2'))
    return false;
  KeptName read;
  read.game = kept[1] == '2' ? Game::quake2 : Game::quake;
  const std::string_view body = kept.substr(3);
  read.name.assign(body);
  for (char& c : read.name)
    if (c == '#') c = '*';
  if (read.name != body) read.alt.assign(body);
  out = std::move(read);
  return true;
}

}  // namespace kmap
