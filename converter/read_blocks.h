// Reading the source one block at a time into the entity model, and
// checking each block as it closes.
//
// A line's significant character is its first one that is neither blank nor
// tab. Blank lines and comment lines ("//") are ignored everywhere and count
// toward no limit. "{" opens a block or a brush, "}" closes one; whatever
// follows the brace on its line plays no part in the structure.
#ifndef KORVEX_CONVERTER_READ_BLOCKS_H
#define KORVEX_CONVERTER_READ_BLOCKS_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

#include "block.h"
#include "class_table.h"
#include "entity.h"
#include "settings.h"
#include "status.h"
#include "text_input.h"

namespace conv {

// Why the reader refused or dropped a block, besides its status.
enum class ReadCause : uint8_t {
  none,
  word_too_long,    // a word beyond the word limit (CONV_TOKEN)
  missing_value,    // a classname or origin key without its value
  too_few_lines,    // an entity of fewer than two lines
  too_few_planes,   // a brush of fewer than 3 plane lines
  too_many_planes,  // a brush beyond the plane limit (CONV_BAD_BRUSH)
  brush_in_brush,   // a brush opened inside a brush
  no_classname,
  no_origin,        // neither a brush nor an origin
  editor_header,    // an editor's group or layer header without brushes
};

struct ReadOutcome {
  conv_status status = CONV_OK;
  ReadCause cause = ReadCause::none;
};

// Why a block was dropped, in words ("" for ReadCause::none).
[[nodiscard]] std::string_view cause_text(ReadCause cause);

// Starts reading the source from its current place, with the block sized
// for the settings' limits.
void start_reading(kmap::SourceInput& input, FILE* source, Block& block, const Settings& settings);

// True when the next significant line of the source opens a block.
[[nodiscard]] bool find_worldspawn(kmap::SourceInput& input, Block& block);

// Reads the next brush of the world block. The world's own key lines met
// on the way are added to `world_keys` (from their significant character
// on), or skipped when it is null. Returns CONV_END at the world's closing
// brace, CONV_OK, CONV_EOF, CONV_TOO_MANY_LINES or CONV_DISCARD.
[[nodiscard]] ReadOutcome read_world_brush(kmap::SourceInput& input, Block& block, const Settings& settings,
                                           kmap::Entity* world_keys);

// Brushes counted by whether the Q3 compiler takes them as structure: a
// brush with a detail face is detail.
struct StructureScan {
  std::function<bool(std::string_view)> is_detail_face;  // null: no face is
  long structural = 0;
  long detail = 0;
  // The entity read last (by read_entity): its brushes, counted alike.
  long entity_structural = 0;
  long entity_detail = 0;

  void count_brush(bool detail_brush, bool in_world);
};

// Reads past the rest of the world block, as read_world_brush would, keeping
// nothing, its brushes counted in `scan` (when not null). Returns CONV_END
// after its closing brace, or CONV_EOF.
[[nodiscard]] conv_status skip_world(kmap::SourceInput& input, Block& block, const Settings& settings,
                                     StructureScan* scan = nullptr);

// How a first pass over the entities reads them: their key lines alone
// (but the brushes of the entities `keep_brushes` names, once the brush
// opens), their brushes counted in `scan` when it is not null.
struct KeysPass {
  StructureScan* scan = nullptr;
  std::function<bool(const kmap::Entity&)> keep_brushes;
};

// Reads the next entity block and finds its class in table. Returns
// CONV_END when none is left, CONV_OK, CONV_EOF, CONV_TOO_MANY_LINES,
// CONV_NO_CLASSNAME, CONV_TOKEN, CONV_BAD_BRUSH, CONV_TOO_MANY_BRUSHES,
// CONV_NO_ORIGIN or CONV_DISCARD, with the cause.
[[nodiscard]] ReadOutcome read_entity(kmap::SourceInput& input, Block& block, const ClassTable& table,
                                      const Settings& settings, const KeysPass* keys = nullptr);

// The classname of the block's entity as the table looks it up (its second
// word, without quotes), or empty.
[[nodiscard]] std::string_view looked_up_class(const Block& block);

}  // namespace conv

#endif
