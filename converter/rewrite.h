// Rewriting a block in place before it is written: the class renamed, plane
// points and origins scaled, light values scaled or supplied, every brush
// face retextured by the kind of the brush's owner. All rewrite policy of
// the converter lives here.
#ifndef KORVEX_REWRITE_H
#define KORVEX_REWRITE_H

#include "blocks.h"
#include "class_table.h"
#include "settings.h"
#include "status.h"

// Rewrites a world brush. Returns CONV_OK, CONV_NO_PAREN, CONV_TOKEN,
// CONV_BAD_COORD or CONV_LINE_TOO_LONG; on failure the lines rewritten so
// far stay rewritten (the log shows them so).
[[nodiscard]] conv_status rewrite_world_brush(Block& block, const Settings& settings);

// Rewrites an entity whose class the table lists (block.entity.class_slot
// >= 0). Returns CONV_OK, CONV_TOO_MANY_LINES (no room for a light key),
// CONV_NO_PAREN, CONV_TOKEN, CONV_BAD_LIGHT, CONV_BAD_COORD or
// CONV_LINE_TOO_LONG.
[[nodiscard]] conv_status rewrite_entity(Block& block, const ClassTable& table,
                                         const Settings& settings);

#endif
