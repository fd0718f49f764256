// The line buffer. Classic mode keeps every line in a fixed 512-byte slot
// allocated once, so a conversion never touches the heap. Extended mode
// packs the lines one after another in storage that grows with the largest
// block of the map and is reused from block to block: nothing is allocated
// per line.
#include "line_buffer.h"

#include <algorithm>
#include <cstring>

#include "kit.h"

namespace kmap {
namespace {

// Grows v to hold at least n elements, doubling so that growth stays rare.
template <typename T>
T* reserve(std::vector<T>& v, size_t n) {
  if (v.size() < n) v.resize(std::max(n, v.size() * 2));
  return v.data();
}

size_t skip_blanks(std::string_view line, size_t at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at;
}

// Extended mode reads a line that opens and closes a block ("{}", "{ }")
// as two lines, so that such a block keeps the map's structure. Cuts the
// line after its "{" and tells whether it did.
bool split_empty_block(std::string_view& line) {
  // Every line of an extended map comes here: most are told apart at once.
  const size_t open = skip_blanks(line, 0);
  if (open >= line.size() || line[open] != '{') return false;
  const size_t close = skip_blanks(line, open + 1);
  if (close >= line.size() || line[close] != '}' || skip_blanks(line, close + 1) != line.size()) return false;
  line = line.substr(0, open + 1);
  return true;
}

}  // namespace

LineBuffer::LineBuffer() { configure(classic_limits, false); }

LineBuffer::LineBuffer(const LineBuffer& other) { *this = other; }

LineBuffer& LineBuffer::operator=(const LineBuffer& other) {
  if (this == &other) return *this;
  limits_ = other.limits_;
  packed_ = other.packed_;
  // What the block holds, not the room the other buffer grew to.
  if (other.packed_) {
    packed_text_.assign(other.text_, other.text_ + std::max<size_t>(other.text_used_, 1));
    packed_spans_.assign(other.spans_, other.spans_ + std::max(other.line_count_, 1));
    // The closed brushes and, when it has room, the one being read.
    const size_t rows = std::min(static_cast<size_t>(other.brushes_used_) + 1, other.packed_brushes_.size());
    packed_brushes_.assign(other.brushes_, other.brushes_ + rows);
  } else {
    classic_text_ = other.classic_text_;
    classic_spans_ = other.classic_spans_;
    classic_brushes_ = other.classic_brushes_;
  }
  line_count_ = other.line_count_;
  text_used_ = other.text_used_;
  pending_ = false;
  last_ = {};
  brushes_used_ = other.brushes_used_;
  point_at_storage();
  return *this;
}

LineBuffer::LineBuffer(LineBuffer&& other) noexcept { *this = std::move(other); }

LineBuffer& LineBuffer::operator=(LineBuffer&& other) noexcept {
  if (this == &other) return *this;
  limits_ = other.limits_;
  packed_ = other.packed_;
  classic_text_ = std::move(other.classic_text_);
  classic_spans_ = std::move(other.classic_spans_);
  classic_brushes_ = std::move(other.classic_brushes_);
  packed_text_ = std::move(other.packed_text_);
  packed_spans_ = std::move(other.packed_spans_);
  packed_brushes_ = std::move(other.packed_brushes_);
  line_count_ = other.line_count_;
  text_used_ = other.text_used_;
  pending_ = false;
  last_ = {};
  brushes_used_ = other.brushes_used_;
  spill_ = std::move(other.spill_);
  point_at_storage();
  other.configure(*other.limits_, other.packed_);
  return *this;
}

// The views of the storage follow the vectors that hold it.
void LineBuffer::point_at_storage() {
  text_ = packed_ ? packed_text_.data() : classic_text_.data();
  spans_ = packed_ ? packed_spans_.data() : classic_spans_.data();
  brushes_ = packed_ ? packed_brushes_.data() : classic_brushes_.data();
}

void LineBuffer::configure(const Limits& limits, bool packed) {
  limits_ = &limits;
  packed_ = packed;
  // The fixed slots are made once, when a buffer first holds classic lines.
  if (!packed && classic_text_.empty()) {
    classic_text_.resize(static_cast<size_t>(classic_slots) * classic_slot_size);
    classic_spans_.resize(classic_slots);
    classic_brushes_.resize(classic_limits.entity_brushes + 1);
  }
  clear();
}

void LineBuffer::start_source(SourceInput& input, FILE* source) {
  open_input(input.text, source);
  input.queued_close = false;
  input.line_number = 0;
  clear();
}

void LineBuffer::clear() {
  if (packed_) {
    // Storage grows with the lines kept: a small entity stays small.
    text_ = reserve(packed_text_, 1);
    spans_ = reserve(packed_spans_, 1);
  } else {
    text_ = classic_text_.data();
    spans_ = classic_spans_.data();
  }
  line_count_ = 0;
  text_used_ = 0;
  last_ = {};
  pending_ = false;
  brushes_used_ = 0;
  brush_rows();
}

// Storage for a new line of `size` bytes, its zero included: the slot after
// the block's last line.
char* LineBuffer::open_next_slot(size_t size) {
  if (!packed_) return text_ + static_cast<size_t>(line_count_) * classic_slot_size;
  text_ = reserve(packed_text_, text_used_ + size);
  spans_ = reserve(packed_spans_, static_cast<size_t>(line_count_) + 1);
  return text_ + text_used_;
}

// Copies a line into the storage as the block's next line.
void LineBuffer::store(std::string_view line) {
  char* slot = open_next_slot(line.size() + 1);
  std::memcpy(slot, line.data(), line.size());
  slot[line.size()] = '\0';
  Span& span = spans_[line_count_++];
  span.start = static_cast<size_t>(slot - text_);
  span.len = static_cast<int>(line.size());
  span.cap = packed_ ? span.len + 1 : classic_slot_size;
  if (packed_) text_used_ += static_cast<size_t>(span.cap);
}

conv_status LineBuffer::replace_tail(int i, int col, std::string_view tail) {
  const size_t new_len = static_cast<size_t>(col) + tail.size();
  if (new_len > static_cast<size_t>(limits_->line_chars)) return CONV_LINE_TOO_LONG;
  Span& line = spans_[i];
  if (new_len + 1 > static_cast<size_t>(line.cap)) {
    // Only packed lines can be too small: move the line behind the block.
    const size_t start = text_used_;
    text_ = reserve(packed_text_, start + new_len + 1);
    std::memmove(text_ + start, text_ + line.start, static_cast<size_t>(col));
    line.start = start;
    line.cap = static_cast<int>(new_len + 1);
    text_used_ += new_len + 1;
  }
  std::memcpy(text_ + line.start + col, tail.data(), tail.size());
  text_[line.start + new_len] = '\0';
  line.len = static_cast<int>(new_len);
  return CONV_OK;
}

conv_status LineBuffer::add(std::string_view line) {
  if (line_count_ >= limits_->block_lines) return CONV_TOO_MANY_LINES;
  if (line.size() > static_cast<size_t>(limits_->line_chars)) return CONV_LINE_TOO_LONG;
  store(line);
  pending_ = false;
  return CONV_OK;
}

void LineBuffer::erase(int i) {
  if (!packed_) {
    // A fixed slot belongs to its line's index: the lines after i move
    // down a slot each.
    for (int j = i; j + 1 < line_count_; ++j) {
      std::memcpy(text_ + spans_[j].start, text_ + spans_[j + 1].start, static_cast<size_t>(spans_[j + 1].len) + 1);
      spans_[j].len = spans_[j + 1].len;
    }
  } else {
    std::memmove(spans_ + i, spans_ + i + 1, sizeof(Span) * static_cast<size_t>(line_count_ - i - 1));
  }
  --line_count_;
  for (int n = 0; n < brushes_used_; ++n) {
    BrushRange& b = brushes_[n];
    if (b.first > i) --b.first;
    if (b.last >= i) --b.last;
  }
}

bool LineBuffer::read_next(SourceInput& input, std::string_view* line) {
  if (input.queued_close) {
    input.queued_close = false;
    last_ = "}";
  } else {
    input.line_number = input.text.lines_ended + 1;
    const int size = limits_->line_chars + 1;
    // At the end of the input the line read last stays pending, so the log
    // still shows a blank or comment line read last.
    std::string_view read;
    if (!read_buffered_line(input.text, &read, size)) {
      if (spill_.size() < static_cast<size_t>(size)) spill_.resize(static_cast<size_t>(size));
      if (read_line_view(input.text, &read, spill_.data(), size) < 0) return false;
    }
    if (packed_) input.queued_close = split_empty_block(read);
    last_ = read;
  }
  pending_ = true;
  *line = last_;
  return true;
}

void LineBuffer::keep() {
  store(last_);
  pending_ = false;
}

BrushRange* LineBuffer::brush_rows() {
  brushes_ = packed_ ? reserve(packed_brushes_, static_cast<size_t>(brushes_used_) + 1)
                     : classic_brushes_.data();
  return brushes_;
}

}  // namespace kmap
