// The entity replacement table: which source classnames survive conversion
// and under which name they are written.
//
// Names keep their double quotes, since they are compared with, and copied
// over, classname values exactly as those stand in a map line.
#ifndef KORVEX_CONVERTER_CLASS_TABLE_H
#define KORVEX_CONVERTER_CLASS_TABLE_H

#include <array>
#include <cstdio>
#include <string_view>

#include "status.h"

namespace conv {

inline constexpr int class_slots = 64;
inline constexpr int class_name_size = 64;  // quoted name and its zero

struct ClassSlot {
  char source[class_name_size];  // quoted source classname
  char target[class_name_size];  // quoted classname written instead
};

// Slot 0 is the world; the table's entries follow.
struct ClassTable {
  std::array<ClassSlot, class_slots> slots{};
  int count = 0;
  bool full = false;  // the file held more entries than the table has slots
};

// Slot numbers the reader gives an entity besides a table slot.
inline constexpr int class_none = -2;      // no classname seen
inline constexpr int class_unlisted = -1;  // a classname the table does not list

// Loads the table from the open file (null: it could not be opened) into
// table. Returns CONV_OK, CONV_TOKEN (a word too long or missing) or
// CONV_OPEN; table is written only on CONV_OK. Never closes the file.
[[nodiscard]] conv_status load_class_table(FILE* file, ClassTable& table);

// Slot whose source equals value (quotes included), or class_unlisted.
[[nodiscard]] int find_class(const ClassTable& table, std::string_view value);

}  // namespace conv

#endif
