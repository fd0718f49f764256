#include "map_scan.h"

#include <algorithm>
#include <map>

#include "face.h"
#include "game.h"
#include "key_line.h"
#include "texture_names.h"
#include "text_lines.h"

namespace texpack {
namespace {

std::vector<std::string> split_wad_key(std::string_view value) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string_view::npos) end = value.size();
    std::string_view entry = value.substr(start, end - start);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    if (!entry.empty()) entries.emplace_back(entry);
    start = end + 1;
  }
  return entries;
}

std::string line_error(int line, std::string_view what) {
  return "line " + std::to_string(line) + ": " + std::string(what);
}

// The line from its first character that is no blank; empty for a blank
// line or a comment.
std::string_view significant(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos || line.compare(first, 2, "//") == 0) return {};
  return line.substr(first);
}

// The keys korvex-tex reads the map's light from: the world's, and those of
// every "_surface" light template.
void keep_light_keys(int entity, const std::vector<KeyValue>& keys, MapScan& scan) {
  if (entity == 0) scan.world_keys = keys;
  if (std::any_of(keys.begin(), keys.end(),
                  [](const KeyValue& k) { return k.first == "_surface" || k.first == "surface"; }))
    scan.surface_lights.push_back(keys);
}

}  // namespace

ScanStatus scan_map(std::string_view text, bool converted_hint, bool force_quake2, MapScan& out,
                    std::string& error) {
  MapScan scan;
  std::map<std::string, size_t> index_by_lower;
  bool converted = converted_hint || text.find("converted to Q3A format") != std::string_view::npos;
  bool folder_names = false;  // a texture name with a folder: Quake 2's
  kmap::GameVotes votes;
  int depth = 0;
  int entity = -1;
  int number = 0;
  kmap::Face face;
  std::vector<KeyValue> keys;  // of the entity being read
  for (size_t at = 0; at < text.size();) {
    const std::string_view line = kmap::next_text_line(text, at);
    ++number;
    const std::string_view s = significant(line);
    if (s.empty()) continue;
    if (s[0] == '{') {
      if (depth == 0) {
        ++entity;
        keys.clear();
      }
      ++depth;
      // A block opened and closed on one line holds nothing a pack needs.
      if (s.find_last_not_of(" \t") > 0 && s[s.find_last_not_of(" \t")] == '}') --depth;
      continue;
    }
    if (s[0] == '}') {
      if (depth == 0) {
        error = line_error(number, "'}' without a block to close");
        return ScanStatus::unbalanced;
      }
      --depth;
      if (depth == 0) keep_light_keys(entity, keys, scan);
      continue;
    }
    if (depth == 1) {  // entity keys
      const kmap::KeyLine key = kmap::read_key_line(s);
      if (key.quoted_key && key.value_closed) keys.emplace_back(key.key, key.value);
      if (entity == 0 && key.quoted_key && key.value_closed && kmap::ascii_lower(key.key) == "wad")
        scan.wad_entries = split_wad_key(key.value);
      continue;
    }
    if (depth != 2) continue;  // outside entities, or inside patches and brush primitives
    if (!kmap::read_face(line, &face, true)) continue;
    if (face.texture.text.empty()) {
      error = line_error(number, "a face without a texture name");
      return ScanStatus::bad_face;
    }
    const std::string_view name = face.texture.text;
    if (entity == 0) kmap::count_game_vote(line, votes);
    if (kmap::face_game(line) == kmap::Game::quake2) folder_names = true;
    const std::string key = kmap::ascii_lower(name);
    kmap::KeptName kept;
    if (kmap::read_kept_name(key, kept)) converted = true;
    if (name.find('/') != std::string_view::npos) folder_names = true;
    ++scan.faces;
    const auto [it, added] = index_by_lower.emplace(key, scan.textures.size());
    if (added) scan.textures.push_back({std::string(name), 0});
    ++scan.textures[it->second].faces;
  }
  if (depth != 0) {
    error = line_error(number, "the map ends inside a block");
    return ScanStatus::unbalanced;
  }
  // The world's faces vote; a map too small or too mixed to tell is Quake 2
  // when any face says so.
  const kmap::Game voted = kmap::voted_game(votes);
  const bool quake2 = force_quake2 || voted == kmap::Game::quake2 || (voted == kmap::Game::unknown && folder_names);
  scan.kind = converted ? MapKind::converted : quake2 ? MapKind::quake2 : MapKind::quake;
  out = std::move(scan);
  return ScanStatus::ok;
}

}  // namespace texpack
