// The line buffer: the block being converted, one source line per line, and
// the brush ranges that say where the block's brushes lie in it.
//
// Classic mode keeps every line in a fixed 512-byte slot of static storage,
// so a conversion never touches the heap. Extended mode packs the lines one
// after another in storage that grows with the largest block of the map and
// is reused from block to block: nothing is allocated per line.
#include <algorithm>
#include <cstring>
#include <vector>

#include "kit.h"
#include "state.h"

int cur_class = -2;
TextPos class_value = no_pos;
TextPos origin_value = no_pos;

namespace {

struct Span {
  size_t start;  // offset of the line's text in the storage
  int len;       // characters, without the terminating zero
  int cap;       // bytes the line may use in place, terminating zero included
};

constexpr int classic_slots = classic_limits.block_lines + 1;
constexpr int classic_slot_size = classic_limits.line_chars + 1;
char classic_text[classic_slots][classic_slot_size];
Span classic_spans[classic_slots];
BrushRange classic_brushes[classic_limits.entity_brushes + 1];

std::vector<char> extended_text;
std::vector<Span> extended_spans;
std::vector<BrushRange> extended_brushes;

char* text = &classic_text[0][0];
Span* spans = classic_spans;
int line_count = 0;
size_t text_used = 0;   // extended mode: bytes taken by the block's lines
Span next_slot{0, 0, 0};  // where the next line is read
bool pending = false;     // next_slot holds a line read and not kept
int brushes_used = 0;

bool packed() { return extended_mode != 0; }

// Grows v to hold at least n elements, doubling so that growth stays rare.
template <typename T>
T* reserve(std::vector<T>& v, size_t n) {
  if (v.size() < n) v.resize(std::max(n, v.size() * 2));
  return v.data();
}

// Storage for the next line read: the slot after the block's last line.
char* open_next_slot() {
  const int size = limits->line_chars + 1;
  // The slot's place depends only on the block so far, so a line read and
  // not kept stays where the next read would go until that read succeeds.
  if (!packed()) {
    next_slot.start = static_cast<size_t>(line_count) * classic_slot_size;
    next_slot.cap = classic_slot_size;
  } else {
    text = reserve(extended_text, text_used + size);
    spans = reserve(extended_spans, static_cast<size_t>(line_count) + 1);
    next_slot.start = text_used;
    next_slot.cap = size;
  }
  return text + next_slot.start;
}

}  // namespace

void clear_lines() {
  if (packed()) {
    text = reserve(extended_text, static_cast<size_t>(limits->line_chars) + 1);
    spans = reserve(extended_spans, 1);
  } else {
    text = &classic_text[0][0];
    spans = classic_spans;
  }
  line_count = 0;
  text_used = 0;
  next_slot = {0, 0, 0};
  pending = false;
}

int block_size() { return line_count; }

char* line_text(int i) { return text + spans[i].start; }

int line_length(int i) { return spans[i].len; }

int replace_line_tail(int i, int col, std::string_view tail) {
  const size_t new_len = static_cast<size_t>(col) + tail.size();
  if (new_len > static_cast<size_t>(limits->line_chars)) return CONV_LINE_TOO_LONG;
  Span& line = spans[i];
  if (new_len + 1 > static_cast<size_t>(line.cap)) {
    // Only packed lines can be too small: move the line behind the block.
    const size_t start = text_used;
    text = reserve(extended_text, start + new_len + 1);
    std::memmove(text + start, text + line.start, static_cast<size_t>(col));
    line.start = start;
    line.cap = static_cast<int>(new_len + 1);
    text_used += new_len + 1;
  }
  std::memcpy(text + line.start + col, tail.data(), tail.size());
  text[line.start + new_len] = '\0';
  line.len = static_cast<int>(new_len);
  return CONV_OK;
}

int add_line(std::string_view line) {
  if (line_count >= limits->block_lines) return CONV_TOO_MANY_LINES;
  if (line.size() > static_cast<size_t>(limits->line_chars)) return CONV_LINE_TOO_LONG;
  char* slot = open_next_slot();
  std::memcpy(slot, line.data(), line.size());
  slot[line.size()] = '\0';
  next_slot.len = static_cast<int>(line.size());
  keep_line();
  return CONV_OK;
}

namespace {

// Refills the buffer when it is used up; false at the end of the input.
bool fill(TextInput& in) {
  if (in.pos < in.len) return true;
  in.pos = 0;
  in.len = in.stream != nullptr ? fread(in.buf, 1, sizeof in.buf, in.stream) : 0;
  return in.len > 0;
}

TextInput source_input;
bool queued_close = false;  // the "}" of a "{}" line, read next

// Extended mode reads a line that opens and closes a block ("{}", "{ }")
// as two lines, so that such a block keeps the map's structure. Cuts the
// line after its "{" and tells whether it did.
bool split_empty_block(char* line, int& len) {
  const char* open = kit_skip_blanks(line, len + 1);
  if (open == nullptr || *open != '{') return false;
  const char* close = kit_skip_blanks(open + 1, len + 1);
  if (close == nullptr || *close != '}' || kit_skip_blanks(close + 1, len + 1) != nullptr) return false;
  len = static_cast<int>(open - line) + 1;
  line[len] = '\0';
  return true;
}

}  // namespace

void open_input(TextInput& input, FILE* stream) {
  input.stream = stream;
  input.pos = input.len = 0;
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
      --n;
    }
  }
  buf[n] = '\0';
  // A zero byte ends the text like the end of the line.
  const void* zero = std::memchr(buf, '\0', n);
  return static_cast<int>(zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - buf) : n);
}

void start_source(FILE* source) {
  open_input(source_input, source);
  queued_close = false;
}

char* read_next_line(FILE* source) {
  if (source_input.stream != source) start_source(source);
  char* slot = open_next_slot();
  int len;
  if (queued_close) {
    queued_close = false;
    std::memcpy(slot, "}", 2);
    len = 1;
  } else {
    // At the end of the input the slot keeps what an earlier read left
    // there, so the log still shows a blank or comment line read last.
    len = read_text_line(source_input, slot, limits->line_chars + 1);
    if (len < 0) return nullptr;
    if (extended_mode) queued_close = split_empty_block(slot, len);
  }
  next_slot.len = len;
  pending = true;
  return slot;
}

void keep_line() {
  Span& line = spans[line_count++];
  line = next_slot;
  if (packed()) {
    line.cap = line.len + 1;
    text_used += static_cast<size_t>(line.cap);
  }
  pending = false;
}

void drop_line() { pending = false; }

const char* pending_line() {
  if (!pending || next_slot.len == 0) return nullptr;
  return text + next_slot.start;
}

void reset_brushes() { brushes_used = 0; }

int brush_count() { return brushes_used; }

namespace {
BrushRange* brush_rows() {
  if (!packed()) return classic_brushes;
  return reserve(extended_brushes, static_cast<size_t>(brushes_used) + 1);
}
}  // namespace

void open_brush(int first) { brush_rows()[brushes_used] = {first, first - 1}; }

void close_brush(int last) { brush_rows()[brushes_used++].last = last; }

BrushRange brush_at(int n) { return brush_rows()[n]; }
