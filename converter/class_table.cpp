#include "class_table.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "bounded_text.h"
#include "kit.h"
#include "line_buffer.h"

using namespace kmap;

namespace conv {
namespace {

// The table is read in classic pieces whatever the map's limits are.
constexpr int table_line_size = classic_limits.line_chars + 1;
constexpr int table_word_limit = classic_limits.word_chars + 1;

// A name fits a field when it does with its two quotes and its zero.
bool fits_quoted(std::string_view name) { return name.size() + 3 <= class_name_size; }

void store_quoted(char (&field)[class_name_size], std::string_view name) {
  BoundedText(field, sizeof field).add("\"").add(name).add("\"");
}

}  // namespace

conv_status load_class_table(FILE* file, ClassTable& table) {
  if (file == nullptr) return CONV_OPEN;

  ClassTable loaded;
  store_quoted(loaded.slots[0].source, "worldspawn");
  store_quoted(loaded.slots[0].target, "worldspawn");

  auto input = std::make_unique<TextInput>();
  open_input(*input, file);
  char line[table_line_size];
  char source[table_word_limit + 1];
  char target[table_word_limit + 1];
  int n = 1;
  for (;;) {
    if (n == class_slots) {
      loaded.full = true;
      break;
    }
    if (read_text_line(*input, line, table_line_size) < 0) break;
    // The first empty or blank line ends the table.
    const char* s = kit_skip_blanks(line, table_line_size);
    if (s == nullptr) break;
    const char* after = kit_get_token(source, s, nullptr, table_word_limit);
    if (after == nullptr || kit_get_token(target, after, nullptr, table_word_limit) == nullptr)
      return CONV_TOKEN;
    // Both words must fit a field once quoted, the '*' word as well.
    if (!fits_quoted(source) || !fits_quoted(target)) return CONV_TOKEN;
    ClassSlot& slot = loaded.slots[static_cast<size_t>(n)];
    store_quoted(slot.source, source);
    store_quoted(slot.target, target[0] == '*' ? source : target);  // '*' keeps the name
    ++n;
  }
  loaded.count = n;
  table = loaded;
  return CONV_OK;
}

int find_class(const ClassTable& table, std::string_view value) {
  if (value.size() < 2 || value.size() >= class_name_size) return class_unlisted;
  for (int i = 0; i < table.count; ++i) {
    const char* source = table.slots[static_cast<size_t>(i)].source;
    // Most names differ within their first letters: those are compared here.
    if (source[1] == value[1] && source[value.size()] == '\0' &&
        std::memcmp(source, value.data(), value.size()) == 0)
      return i;
  }
  return class_unlisted;
}

}  // namespace conv
