#include "text_input.h"

#include <algorithm>
#include <cstring>

#include "kit.h"

namespace kmap {
namespace {

// Refills the buffer when it is used up; false at the end of the input.
bool fill(TextInput& in) {
  if (in.pos < in.len) return true;
  in.pos = 0;
  if (!in.holding && in.held_pos < in.held.size()) {
    in.len = std::min(sizeof in.buf, in.held.size() - in.held_pos);
    std::memcpy(in.buf, in.held.data() + in.held_pos, in.len);
    in.zero_in_buf = std::memchr(in.buf, '\0', in.len) != nullptr;
    in.held_pos += in.len;
    if (in.held_pos == in.held.size()) {
      std::string().swap(in.held);
      in.held_pos = 0;
    }
    return true;
  }
  in.len = in.stream != nullptr ? fread(in.buf, 1, sizeof in.buf, in.stream) : 0;
  if (in.holding) in.held.append(in.buf, in.len);
  in.zero_in_buf = std::memchr(in.buf, '\0', in.len) != nullptr;
  return in.len > 0;
}

}  // namespace

void open_input(TextInput& input, FILE* stream) {
  input.stream = stream;
  input.pos = input.len = 0;
  std::string().swap(input.held);
  input.held_pos = 0;
  input.holding = false;
  input.lines_ended = 0;
}

void hold_input(TextInput& input) {
  // The bytes held are those not read yet.
  input.held.assign(input.buf + input.pos, input.len - input.pos);
  input.held_pos = 0;
  input.held_lines_ended = input.lines_ended;
  input.holding = true;
}

void replay_held(TextInput& input) {
  input.holding = false;
  input.lines_ended = input.held_lines_ended;
  input.pos = input.len = 0;
  input.held_pos = 0;
  if (input.held.empty()) std::string().swap(input.held);
}

int read_line_view(TextInput& in, std::string_view* line, char* spill, int size) {
  // Most lines lie whole in the buffer: they are seen where they are.
  if (fill(in) && read_buffered_line(in, line, size)) return static_cast<int>(line->size());
  const int n = read_text_line(in, spill, size);
  if (n >= 0) *line = {spill, static_cast<size_t>(n)};
  return n;
}

int read_text_line(TextInput& in, char* buf, int size) {
  size_t n = 0;
  const size_t room = static_cast<size_t>(size - 1);
  bool newline = false;
  bool end = false;
  while (n < room) {
    if (!fill(in)) {
      end = true;
      break;
    }
    const char* start = in.buf + in.pos;
    const size_t avail = std::min(in.len - in.pos, room - n);
    const char* nl = static_cast<const char*>(std::memchr(start, '\n', avail));
    const size_t take = nl != nullptr ? static_cast<size_t>(nl - start) : avail;
    std::memcpy(buf + n, start, take);
    n += take;
    in.pos += take;
    if (nl != nullptr) {
      ++in.pos;
      ++in.lines_ended;
      newline = true;
      break;
    }
  }
  if (n == 0 && end) return -1;
  // A carriage return right before the newline, or at the very end of the
  // file, belongs to the line end: CR LF files then read like LF files.
  if (n > 0 && buf[n - 1] == '\r') {
    if (newline || end) {
      --n;
    } else if (!fill(in)) {
      --n;
    } else if (in.buf[in.pos] == '\n') {
      ++in.pos;
      ++in.lines_ended;
      --n;
    }
  }
  buf[n] = '\0';
  // A zero byte ends the text like the end of the line.
  const void* zero = std::memchr(buf, '\0', n);
  return static_cast<int>(zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - buf) : n);
}

const char* take_word(char* buf, const char* from, int word_chars, const char* delims) {
  return kit_get_token(buf, from, delims, word_chars + 1);
}

}  // namespace kmap
