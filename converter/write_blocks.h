// Writing blocks in the output layout, and recording them in the log.
#ifndef KORVEX_CONVERTER_WRITE_BLOCKS_H
#define KORVEX_CONVERTER_WRITE_BLOCKS_H

#include <cstdio>
#include <string_view>

#include "block.h"
#include "line_buffer.h"
#include "run_log.h"

namespace conv {

// Write the block in the output layout; never change it. A world brush is
// "  // brush N" and its lines between braces; an entity "// entity N".
void write_brush(FILE* out, const Block& block, int number);
void write_entity(FILE* out, const kmap::Entity& entity, int number);

// Writes an entity the conversion made from source entity `number` (the
// k-th of them), as "// entity N, added K".
void write_added_entity(FILE* out, const kmap::Entity& entity, int number, int k);

// Writes lines indented by `indent`, each on a line of its own.
void write_lines(FILE* out, const kmap::LineBuffer& lines, std::string_view indent);

// Records the block's lines (and the line read after them, when it holds
// text) in the log, then a rule line. False when the log refused a record.
bool log_block(const Block& block, RunLog& log);

}  // namespace conv

#endif
