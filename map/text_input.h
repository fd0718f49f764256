// Reading a map's text line by line, and the words of a line.
#ifndef KORVEX_MAP_TEXT_INPUT_H
#define KORVEX_MAP_TEXT_INPUT_H

#include <cstdio>
#include <string>
#include <string_view>

namespace kmap {

// A text stream read line by line through a buffer of its own, so that a
// line is found with one scan rather than one call per character.
struct TextInput {
  FILE* stream = nullptr;
  size_t pos = 0;  // next unread byte of buf
  size_t len = 0;  // bytes in buf
  char buf[1 << 16];
  long lines_ended = 0;  // newlines read so far
  bool zero_in_buf = false;  // buf holds a zero byte: lines are searched for one
  // Bytes read ahead and kept to be read again (see hold_input).
  std::string held;
  long held_lines_ended = 0;
  size_t held_pos = 0;  // next byte of held to read again
  bool holding = false;
};

// Starts reading stream (null: none) from its current position.
void open_input(TextInput& input, FILE* stream);

// From now on the bytes read are kept, until replay_held() makes the input
// read them again from where holding began: a look ahead at the start of a
// stream that may be a pipe. Memory grows with the bytes read meanwhile.
void hold_input(TextInput& input);
void replay_held(TextInput& input);

// Reads the next line as read_text_line does, without copying it where it
// can: *line views the input's own buffer, or `spill` (size bytes at least)
// for a line that crosses it. The view is valid until the next read.
// Returns the line's length, or -1 at the end of the input.
int read_line_view(TextInput& input, std::string_view* line, char* spill, int size);

// The same for a line that lies whole in the buffer, the common case, which
// every line of a map goes through; false (nothing read) for any other.
[[nodiscard]] inline bool read_buffered_line(TextInput& in, std::string_view* line, int size) {
  if (in.pos >= in.len) return false;
  const char* start = in.buf + in.pos;
  const size_t avail = in.len - in.pos < static_cast<size_t>(size - 1) ? in.len - in.pos : static_cast<size_t>(size - 1);
  const char* nl = static_cast<const char*>(__builtin_memchr(start, '\n', avail));
  if (nl == nullptr) return false;
  size_t n = static_cast<size_t>(nl - start);
  in.pos += n + 1;
  ++in.lines_ended;
  if (n > 0 && start[n - 1] == '\r') --n;
  // A zero byte ends the text like the end of the line.
  if (in.zero_in_buf) {
    if (const void* zero = __builtin_memchr(start, '\0', n)) n = static_cast<size_t>(static_cast<const char*>(zero) - start);
  }
  *line = {start, n};
  return true;
}

// Reads one line of at most size - 1 characters into buf, cut at its
// newline, with a carriage return that ends the line dropped. A longer line
// is left for the next reads. Returns the length of the line's text (up to a
// zero byte in it), or -1 at the end of the input.
int read_text_line(TextInput& input, char* buf, int size);

// The map being read: its stream and what the line splitting keeps between
// two reads.
struct SourceInput {
  TextInput text;
  bool queued_close = false;  // the "}" of a "{}" line, read next
  long line_number = 0;       // of the line read last, counted from 1
};

// Takes the next word of `from` into buf (word_size bytes) of at most
// word_chars characters (delims null: blank, tab, newline). Returns the
// position behind it, or null, the library's last status telling why
// (KIT_TOO_MANY: too long, KIT_END_OF_STRING: none left).
[[nodiscard]] const char* take_word(char* buf, const char* from, int word_chars,
                                    const char* delims = nullptr);

}  // namespace kmap

#endif
