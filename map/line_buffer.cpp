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

LineBuffer::LineBuffer() { configure(classic_limits, false); }

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
    text_ = reserve(packed_text_, static_cast<size_t>(limits_->line_chars) + 1);
    spans_ = reserve(packed_spans_, 1);
  } else {
    text_ = classic_text_.data();
    spans_ = classic_spans_.data();
  }
  line_count_ = 0;
  text_used_ = 0;
  next_slot_ = {0, 0, 0};
  pending_ = false;
  brushes_used_ = 0;
  brush_rows();
}

// Storage for the next line read: the slot after the block's last line.
char* LineBuffer::open_next_slot() {
  const int size = limits_->line_chars + 1;
  // The slot's place depends only on the block so far, so a line read and
  // not kept stays where the next read would go until that read succeeds.
  if (!packed_) {
    next_slot_.start = static_cast<size_t>(line_count_) * classic_slot_size;
    next_slot_.cap = classic_slot_size;
  } else {
    text_ = reserve(packed_text_, text_used_ + static_cast<size_t>(size));
    spans_ = reserve(packed_spans_, static_cast<size_t>(line_count_) + 1);
    next_slot_.start = text_used_;
    next_slot_.cap = size;
  }
  return text_ + next_slot_.start;
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
  char* slot = open_next_slot();
  std::memcpy(slot, line.data(), line.size());
  slot[line.size()] = '\0';
  next_slot_.len = static_cast<int>(line.size());
  keep();
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

char* LineBuffer::read_next(SourceInput& input) {
  char* slot = open_next_slot();
  int len;
  if (input.queued_close) {
    input.queued_close = false;
    std::memcpy(slot, "}", 2);
    len = 1;
  } else {
    input.line_number = input.text.lines_ended + 1;
    // At the end of the input the slot keeps what an earlier read left
    // there, so the log still shows a blank or comment line read last.
    len = read_text_line(input.text, slot, limits_->line_chars + 1);
    if (len < 0) return nullptr;
    if (packed_) input.queued_close = split_empty_block(slot, len);
  }
  next_slot_.len = len;
  pending_ = true;
  return slot;
}

void LineBuffer::keep() {
  Span& line = spans_[line_count_++];
  line = next_slot_;
  if (packed_) {
    line.cap = line.len + 1;
    text_used_ += static_cast<size_t>(line.cap);
  }
  pending_ = false;
}

const char* LineBuffer::pending() const {
  if (!pending_ || next_slot_.len == 0) return nullptr;
  return text_ + next_slot_.start;
}

BrushRange* LineBuffer::brush_rows() {
  brushes_ = packed_ ? reserve(packed_brushes_, static_cast<size_t>(brushes_used_) + 1)
                     : classic_brushes_.data();
  return brushes_;
}

}  // namespace kmap
