// The block being converted: an entity of the map library's model, and
// what the reader found in it on the classic reading of its key lines.
#ifndef KORVEX_CONVERTER_BLOCK_H
#define KORVEX_CONVERTER_BLOCK_H

#include "class_table.h"
#include "entity.h"

namespace conv {

// What the reader found in the entity it read last. Keys are indices into
// the entity's key lines, -1 for none; a key counts when its line's first
// word is the key in quotes.
struct EntityFields {
  int class_slot = class_none;  // a table slot, class_unlisted or class_none
  int class_key = -1;           // the last "classname" key
  int origin_key = -1;          // the last "origin" key
  int light_key = -1;           // the first "light" key
};

struct Block {
  kmap::Entity entity;  // the block's text and its key lines
  EntityFields fields;
  long first_line = 0;  // the source line of its opening brace
};

}  // namespace conv

#endif
