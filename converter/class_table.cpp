// The entity replacement table: which source classnames survive conversion,
// under which name they are written, and the kind that picks their texture.
//
// Names keep their double quotes, since they are compared with, and copied
// over, classname values exactly as those stand in a map line.
#include <cstring>
#include <string_view>

#include "bounded_text.h"
#include "kit.h"
#include "state.h"

std::array<ClassSlot, class_slots> classes{};
int class_count = 0;

namespace {

// The table is read in classic pieces whatever the map's limits are.
constexpr int table_line_size = classic_limits.line_chars + 1;
constexpr int table_word_limit = classic_limits.word_chars + 1;

// A name fits a field when it does with its two quotes and its zero.
bool fits_quoted(std::string_view name) { return name.size() + 3 <= class_name_size; }

void store_quoted(char (&field)[class_name_size], std::string_view name) {
  BoundedText(field, sizeof field).add("\"").add(name).add("\"");
}

int kind_of(std::string_view name) {
  if (name == "func_plat") return KIND_PLAT;
  if (name == "func_door") return KIND_DOOR;
  if (name.starts_with("trigger_")) return KIND_TRIGGER;
  return KIND_OTHER;
}

}  // namespace

int load_class_table() {
  UniqueFile file(fopen(ent_path, "r"));
  if (!file) return CONV_OPEN;

  store_quoted(classes[0].source, "worldspawn");
  store_quoted(classes[0].target, "worldspawn");
  classes[0].kind = KIND_WORLD;

  static TextInput input;
  open_input(input, file.get());
  static char line[table_line_size];
  char source[table_word_limit + 1];
  char target[table_word_limit + 1];
  int n = 1;
  for (;;) {
    if (n == class_slots) {
      puts("Warning: too many classnames in entity replacement table");
      break;
    }
    if (read_text_line(input, line, table_line_size) < 0) break;
    // The first empty or blank line ends the table.
    const char* s = kit_skip_blanks(line, table_line_size);
    if (s == nullptr) break;
    const char* after = kit_get_token(source, s, nullptr, table_word_limit);
    if (after == nullptr || kit_get_token(target, after, nullptr, table_word_limit) == nullptr)
      return CONV_TOKEN;
    // Both words must fit a field once quoted, the '*' word as well.
    if (!fits_quoted(source) || !fits_quoted(target)) return CONV_TOKEN;
    ClassSlot& slot = classes[static_cast<size_t>(n)];
    store_quoted(slot.source, source);
    store_quoted(slot.target, target[0] == '*' ? source : target);  // '*' keeps the name
    slot.kind = kind_of(source);
    ++n;
  }
  class_count = n;
  return CONV_OK;
}

int find_class(const char* value) {
  for (int i = 0; i < class_count; ++i)
    if (std::strcmp(classes[static_cast<size_t>(i)].source, value) == 0) return i;
  return -1;
}
