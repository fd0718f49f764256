// Map text for tests: entities read from text into the map library's
// model, and written back, so that cases can state input and expected
// output as text side by side.
#ifndef KORVEX_TESTS_MAP_TEXT_H
#define KORVEX_TESTS_MAP_TEXT_H

#include <string>
#include <string_view>
#include <vector>

#include "entity.h"

// One entity of a map and the number the map gives it: its place after the
// world in a source map (the world is 0), or the number of the converter's
// "// entity N" comment before it; -1 for a block with no comment of its own.
struct NumberedEntity {
  int number = -1;
  kmap::Entity entity;
};

// An entity's lines, without its outer braces: key lines, and brushes
// between "{" and "}" lines. Lines are trimmed of blanks and carriage returns.
[[nodiscard]] kmap::Entity entity_from_text(std::string_view lines);

// The entity's lines, one per line, each ending in "\n".
[[nodiscard]] std::string entity_text(const kmap::Entity& entity);

// Every entity block of a map, world included, in order. `numbered_by_comments`:
// numbers come from "// entity N" comments (a converted map); else from the
// blocks' order. A line "} {" closes one entity and opens the next.
[[nodiscard]] std::vector<NumberedEntity> read_map_entities(std::string_view map, bool numbered_by_comments);

#endif
