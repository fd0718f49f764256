#include "map_facts.h"

#include "key_line.h"
#include "text_lines.h"

namespace play {
namespace {

std::string_view significant(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos || line.compare(first, 2, "//") == 0) return {};
  return line.substr(first);
}

}  // namespace

MapFacts read_map_facts(std::string_view text) {
  MapFacts facts;
  int depth = 0;
  int entity = -1;
  for (size_t at = 0; at < text.size();) {
    const std::string_view line = kmap::next_text_line(text, at);
    const std::string_view s = significant(line);
    if (s.empty()) continue;
    if (s[0] == '{') {
      if (depth == 0) ++entity;
      // A block opened and closed on one line holds nothing.
      if (significant(s.substr(1)) != "}") ++depth;
      continue;
    }
    if (s[0] == '}') {
      if (depth > 0) --depth;
      continue;
    }
    if (depth == 2 && entity == 0) kmap::count_game_vote(line, facts.votes);
    if (depth != 1) continue;
    const kmap::KeyLine key = kmap::read_key_line(s);
    if (!key.quoted_key || !key.has_value) continue;
    if (key.key == "classname") ++facts.classes[std::string(key.value)];
    if (entity == 0 && key.key == "message") facts.message = std::string(key.value);
  }
  return facts;
}

kmap::Game game_to_convert_as(const MapFacts& facts, kmap::Game forced) {
  if (forced != kmap::Game::unknown) return forced;
  return kmap::voted_game(facts.votes) == kmap::Game::quake2 ? kmap::Game::quake2 : kmap::Game::quake;
}

}  // namespace play
