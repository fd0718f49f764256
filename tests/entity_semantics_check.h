// A checker of converted maps: for each kept entity of the classes the
// entity rules cover, does the Q3 game read it as the source game read the
// source's entity? It compares a source map with its converted map entity
// by entity (the converter's "// entity N" numbers), computing both games'
// readings on its own from the games' rules, not from the converter's code.
#ifndef KORVEX_TESTS_ENTITY_SEMANTICS_CHECK_H
#define KORVEX_TESTS_ENTITY_SEMANTICS_CHECK_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

// What can differ; the first thirteen are the rows of the measurements that
// started the entity rules.
enum class SemanticRow {
  ITEM_PLACE,         // an item box where Quake's stood
  DOOR_SPEED,         // Quake's 100 (Quake 2 deathmatch: 200)
  ONCE_TRIGGER,       // trigger_once / trigger_secret fire once
  DOOR_WAIT,          // Quake's 3 s; -1 and key doors stay open
  DOOR_DONT_LINK,     // Quake's flag 4 made no crusher
  HEALTH_KIND,        // rotten and mega health
  PUSH,               // a trigger_push launches as Quake's did
  KEY_DOOR,           // a key door: stays open, and the loss is said
  PLAT_SPEED,         // Quake's 150
  NOT_IN_DEATHMATCH,  // flag 2048 left out
  TRIGGER_WAIT,       // trigger_multiple waits Quake's 0.2 s
  SECRET_DOOR,        // speed 50, wait 5, one move to Quake's end, shootable
  TELEPORT_FLAGS,     // no spectator-only teleporter
  MODEL_LIGHT,        // torch, flame, globe: a Q3 light, no linear falloff
  GEOMETRY_KEPT,      // func_illusionary and kin: kept, faces of their kind
  TELEPORT_DEST,      // the destination where Quake puts the player
  DELAY_MESSAGE,      // "delay" and "message" reach a target_delay / target_print
  COUNT,
};

inline constexpr std::array<std::string_view, static_cast<size_t>(SemanticRow::COUNT)> semantic_row_names{
    "item boxes placed as in the source",
    "door speed",
    "trigger_once/trigger_secret fire once",
    "door wait",
    "door DONT_LINK is no crusher",
    "rotten and mega health",
    "trigger_push launches",
    "key doors (stay open, loss said)",
    "plat speed",
    "flag 2048 left out",
    "trigger_multiple wait",
    "secret doors",
    "teleporter flags",
    "torch, flame and globe lights",
    "illusionary, fence, detail geometry kept",
    "teleport destination height",
    "delay and message",
};

struct SemanticFinding {
  SemanticRow row;
  int number;          // the entity's number in the source
  std::string detail;  // what differs
};

struct SemanticCheck {
  std::array<int, static_cast<size_t>(SemanticRow::COUNT)> entities{};  // source entities each row looks at
  std::vector<SemanticFinding> differ;

  [[nodiscard]] int differing(SemanticRow row) const;
};

// Checks the converted map against its source. `quake2`: the source is a
// Quake 2 map. `said` is what the run wrote on standard error (meanings Q3
// cannot express count as kept when said there).
[[nodiscard]] SemanticCheck check_entity_semantics(std::string_view source_map, std::string_view converted_map,
                                                   bool quake2, std::string_view said);

#endif
