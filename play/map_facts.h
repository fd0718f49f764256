// What korvex-play needs to know of a map besides its conversion: the
// world's "message" (the level's name), the game its world's faces vote for,
// and the classes of its entities (its spawn points and flags).
#ifndef KORVEX_PLAY_MAP_FACTS_H
#define KORVEX_PLAY_MAP_FACTS_H

#include <map>
#include <string>
#include <string_view>

#include "game.h"

namespace play {

struct MapFacts {
  std::string message;                 // the world's "message" value, as it stands; "" for none
  kmap::GameVotes votes;               // the world's first plane lines, as korvex -q3 counts them
  std::map<std::string, int> classes;  // classname -> entities of that class
};

// Reads map text line by line. Never fails: what is not a key line of an
// entity or a plane line of the world counts for nothing.
[[nodiscard]] MapFacts read_map_facts(std::string_view text);

// The game a map is converted as: `forced` unless it is Game::unknown, else
// Quake 2 when the world's faces vote for it, else Quake (korvex -q3's rule).
[[nodiscard]] kmap::Game game_to_convert_as(const MapFacts& facts, kmap::Game forced);

}  // namespace play

#endif
