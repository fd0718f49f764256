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
  item_place,         // an item box where Quake's stood
  door_speed,         // Quake's 100 (Quake 2 deathmatch: 200)
  once_trigger,       // trigger_once / trigger_secret fire once
  door_wait,          // Quake's 3 s; -1 and key doors stay open
  door_dont_link,     // Quake's flag 4 made no crusher
  health_kind,        // rotten and mega health
  push,               // a trigger_push launches as Quake's did
  key_door,           // a key door: stays open, and the loss is said
  plat_speed,         // Quake's 150
  not_in_deathmatch,  // flag 2048 left out
  trigger_wait,       // trigger_multiple waits Quake's 0.2 s
  secret_door,        // speed 50, wait 5, one move to Quake's end, shootable
  teleport_flags,     // no spectator-only teleporter
  model_light,        // torch, flame, globe: a Q3 light, no linear falloff
  geometry_kept,      // func_illusionary and kin: kept, faces of their kind
  teleport_dest,      // the destination where Quake puts the player
  delay_message,      // "delay" and "message" reach a target_delay / target_print
  count,
};

inline constexpr std::array<std::string_view, static_cast<size_t>(SemanticRow::count)> semantic_row_names{
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
  std::array<int, static_cast<size_t>(SemanticRow::count)> entities{};  // source entities each row looks at
  std::vector<SemanticFinding> differ;

  [[nodiscard]] int differing(SemanticRow row) const;
};

// Checks the converted map against its source. `quake2`: the source is a
// Quake 2 map. `said` is what the run wrote on standard error (meanings Q3
// cannot express count as kept when said there).
[[nodiscard]] SemanticCheck check_entity_semantics(std::string_view source_map, std::string_view converted_map,
                                                   bool quake2, std::string_view said);

#endif
