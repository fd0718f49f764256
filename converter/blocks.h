// The map block reader and writer: reads the source one block at a time
// into the line buffer, checks it, and writes it in the output layout.
//
// A line's significant character is its first one that is neither blank nor
// tab. Blank lines and comment lines ("//") are ignored everywhere and count
// toward no limit. "{" opens a block or a brush, "}" closes one; whatever
// follows the brace on its line plays no part in the structure.
#ifndef KORVEX_BLOCKS_H
#define KORVEX_BLOCKS_H

#include <cstdio>
#include <string>
#include <vector>

#include "class_table.h"
#include "line_buffer.h"
#include "settings.h"
#include "status.h"

// What the reader found in the entity it read last.
struct EntityFields {
  int class_slot = class_none;  // a table slot, class_unlisted or class_none
  kmap::TextPos class_value = kmap::no_pos;   // opening quote of the last classname value
  kmap::TextPos origin_value = kmap::no_pos;  // opening quote of the last origin value
  int light_line = -1;            // first key line whose first word is "light"
};

// The block being converted: its lines and brushes, and its entity's fields.
struct Block {
  kmap::LineBuffer lines;
  EntityFields entity;
};

// Starts reading the source from its current place, with the block sized
// for the settings' limits.
void start_reading(kmap::SourceInput& input, FILE* source, Block& block, const Settings& settings);

// True when the next significant line of the source opens a block.
[[nodiscard]] bool find_worldspawn(kmap::SourceInput& input, Block& block);

// Reads the next brush of the world block. The world's own key lines met
// on the way are appended to world_keys (from their first significant
// character on), or skipped when it is null. Returns CONV_END at the world's
// closing brace, CONV_OK, CONV_EOF, CONV_TOO_MANY_LINES or CONV_DISCARD.
[[nodiscard]] conv_status read_world_brush(kmap::SourceInput& input, Block& block, const Settings& settings,
                                           std::vector<std::string>* world_keys);

// Reads the next entity block and finds its class in table. Returns
// CONV_END when none is left, CONV_OK, CONV_EOF, CONV_TOO_MANY_LINES,
// CONV_NO_CLASSNAME, CONV_TOKEN, CONV_BAD_BRUSH, CONV_TOO_MANY_BRUSHES,
// CONV_NO_ORIGIN or CONV_DISCARD.
[[nodiscard]] conv_status read_entity(kmap::SourceInput& input, Block& block, const ClassTable& table,
                                      const Settings& settings);

// Write the block in the output layout; never change it.
void write_brush(FILE* out, const Block& block, int number);
void write_entity(FILE* out, const Block& block, int number);

// Records the block (and a pending line) in the log at log_path, then a
// rule line. False when the log cannot be written (nothing is recorded).
bool log_block(const Block& block, const char* log_path);

#endif
