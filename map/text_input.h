// Reading a map's text line by line, and the words of a line.
#ifndef KORVEX_MAP_TEXT_INPUT_H
#define KORVEX_MAP_TEXT_INPUT_H

#include <cstdio>
#include <string>

namespace kmap {

// A text stream read line by line through a buffer of its own, so that a
// line is found with one scan rather than one call per character.
struct TextInput {
  FILE* stream = nullptr;
  size_t pos = 0;  // next unread byte of buf
  size_t len = 0;  // bytes in buf
  char buf[1 << 16];
  long lines_ended = 0;  // newlines read so far
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
