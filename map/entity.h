// An entity of a map: the text of its block (key lines, brush braces and
// plane lines, in the order they stand, each line's own text kept) and the
// index of its key lines, with the edits a conversion makes to it.
//
// Keys keep their order and their duplicates. Of a repeated key, value()
// gives the last, as Quake's spawn code reads it; set(), rename() and
// remove() act on every occurrence, so that any game reads the same.
// A new value is written from the old one's opening quote to the end of its
// line, keeping what stands before it.
#ifndef KORVEX_MAP_ENTITY_H
#define KORVEX_MAP_ENTITY_H

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "bounded_text.h"
#include "key_line.h"
#include "line_buffer.h"
#include "status.h"

namespace kmap {

class Entity {
 public:
  // The block's text. A reader fills it and calls note_key_line() for each
  // key line; edits go through the functions below so the index follows.
  LineBuffer lines;

  // Empties the text and the index.
  void clear();
  // Records line i of the text as a key line (in order).
  // (The line may still be on its way into the text: it is read later.)
  void note_key_line(int i) {
    key_lines_.push_back(i);
    read_.clear();
    looks_ = 0;
  }

  [[nodiscard]] int key_count() const { return static_cast<int>(key_lines_.size()); }
  // The line of key k (0 <= k < key_count()).
  [[nodiscard]] int key_line(int k) const { return key_lines_[static_cast<size_t>(k)]; }
  // Key k as read from its line; views valid until the next edit. Each key
  // line is read once until an edit: the rules look keys up many times.
  [[nodiscard]] KeyLine key(int k) const;
  // The index of the last key named `name` (compared exactly), or -1.
  [[nodiscard]] int find(std::string_view name) const;
  // The value of the last key named `name`, or nothing.
  [[nodiscard]] std::optional<std::string_view> value(std::string_view name) const;
  // Reads every key line now, for a caller about to look keys up many
  // times; the text is untouched.
  void index_keys() const { read_keys(); }
  // The classname's value, or empty.
  [[nodiscard]] std::string_view classname() const { return value("classname").value_or(""); }

  // Each edit returns CONV_OK, or CONV_LINE_TOO_LONG / CONV_TOO_MANY_LINES
  // with the entity as it was.

  // Writes `"value"` over key k's value, from its opening quote to the end
  // of its line; for a line without a quoted value, from its second word,
  // or after its last character.
  [[nodiscard]] conv_status set_value(int k, std::string_view value);
  // Every key named `name` gets the value; a key line is added when none has it.
  [[nodiscard]] conv_status set(std::string_view name, std::string_view value);
  // Every key named `from` is named `to`, its value kept.
  [[nodiscard]] conv_status rename(std::string_view from, std::string_view to);
  // Every key line named `name` is taken out of the text.
  void remove(std::string_view name);
  // A key line `"name" "value"` added after the block's last line.
  [[nodiscard]] conv_status add(std::string_view name, std::string_view value);

 private:
  // Room for one edited line, made once.
  BoundedText scratch();

  // Where the parts of each key line stand in it, read at the first look
  // after an edit (empty: not read yet).
  struct ReadKey {
    uint32_t key_at, key_size, value_at, value_size, first_at, first_size, second_at, second_size, value_col;
    bool quoted_key, has_value, value_closed;
  };
  // True when key k's quoted key is `name`; the index is read.
  [[nodiscard]] bool key_is(int k, std::string_view name) const;
  [[nodiscard]] static ReadKey read_line(std::string_view text);
  // The index of read keys is either empty or holds every key line.
  [[nodiscard]] bool indexed() const { return read_.size() == key_lines_.size(); }
  // Reads every key line when the index is behind.
  void read_keys() const;
  // An entity looked up once or twice (most, in a plain conversion) is
  // read where it lies; one looked up more (the entity rules, lights) is
  // indexed. Returns indexed().
  static constexpr int index_after = 3;
  [[nodiscard]] bool look_up() const;
  // After an edit of key k's line: its parts read again.
  void reread(int k) {
    if (indexed()) read_[static_cast<size_t>(k)] = read_line(lines.view(key_line(k)));
  }
  std::vector<int> key_lines_;
  mutable std::vector<ReadKey> read_;
  mutable int looks_ = 0;
};

}  // namespace kmap

#endif
