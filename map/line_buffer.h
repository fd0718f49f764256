// The line buffer: the text of one block of a map, one source line per
// line, with the brush ranges that say where its brushes lie, filled from a
// source read line by line.
//
// One block is held at a time; every read empties the buffer first, so what
// a read leaves behind (also after a failure) stays valid for the following
// rewrite, write and log record, until the next read.
#ifndef KORVEX_MAP_LINE_BUFFER_H
#define KORVEX_MAP_LINE_BUFFER_H

#include <cstdio>
#include <string_view>
#include <vector>

#include "map_limits.h"
#include "status.h"
#include "text_input.h"

namespace kmap {

// A place in the line buffer: a line and a column. line < 0: no place.
struct TextPos {
  int line;
  int col;
};
inline constexpr TextPos no_pos{-1, 0};

struct BrushRange {
  int first;  // index of the brush's first plane line
  int last;   // index of its last plane line (first - 1 when it has none)
};

class LineBuffer {
 public:
  LineBuffer();
  // A copy holds lines of its own, as does a buffer moved to.
  LineBuffer(const LineBuffer& other);
  LineBuffer& operator=(const LineBuffer& other);
  LineBuffer(LineBuffer&& other) noexcept;
  LineBuffer& operator=(LineBuffer&& other) noexcept;
  ~LineBuffer() = default;

  // Sizes the buffer for a run's limits: classic limits use fixed slots and
  // never touch the heap; extended ones pack lines in storage that grows
  // with the largest block and is reused.
  void configure(const Limits& limits, bool packed);

  // Starts reading a new source (null: none), with an empty block.
  void start_source(SourceInput& input, FILE* source);

  // Empties the block (and the line read after it).
  void clear();

  [[nodiscard]] int size() const { return line_count_; }
  // Text of line i (0 <= i < size()), zero-terminated. Valid until the block
  // changes.
  [[nodiscard]] char* text(int i) { return text_ + spans_[i].start; }
  [[nodiscard]] const char* text(int i) const { return text_ + spans_[i].start; }
  [[nodiscard]] int length(int i) const { return spans_[i].len; }
  [[nodiscard]] std::string_view view(int i) const {
    return {text(i), static_cast<size_t>(spans_[i].len)};
  }

  // Replaces line i from column col on by text. Returns CONV_OK, or
  // CONV_LINE_TOO_LONG (line unchanged) when the result exceeds the line
  // limit. text must not point into the line buffer.
  [[nodiscard]] conv_status replace_tail(int i, int col, std::string_view text);

  // Adds a line after the block's last one. Returns CONV_OK,
  // CONV_TOO_MANY_LINES when the block is full, or CONV_LINE_TOO_LONG.
  [[nodiscard]] conv_status add(std::string_view text);

  // Takes line i out of the block; the brush ranges after it move up.
  void erase(int i);

  // Reads the next source line, as read_text_line does, without making it a
  // line of the block yet. True with *line viewing it (valid until the next
  // read), or false at the end of the input.
  [[nodiscard]] bool read_next(SourceInput& input, std::string_view* line);

  // Makes the line read last a line of the block. CONV_OK, or
  // CONV_TOO_MANY_LINES when the storage cannot take one more line.
  void keep();
  // Empties the line read last (a closing brace), so the log does not show it.
  void drop() { pending_ = false; }
  // The line read last and not kept, when it holds text (a blank or comment
  // line read before the end of the input), else empty.
  [[nodiscard]] std::string_view pending() const { return pending_ ? last_ : std::string_view(); }

  void reset_brushes() { brushes_used_ = 0; }
  // Starts a brush whose first plane line will be line `first`; close_brush
  // ends it at line `last` and counts it.
  void open_brush(int first) { brush_rows()[brushes_used_] = {first, first - 1}; }
  void close_brush(int last) { brush_rows()[brushes_used_++].last = last; }
  [[nodiscard]] int brush_count() const { return brushes_used_; }
  [[nodiscard]] BrushRange brush(int n) const { return brushes_[n]; }

  [[nodiscard]] const Limits& limits() const { return *limits_; }

 private:
  struct Span {
    size_t start;  // offset of the line's text in the storage
    int len;       // characters, without the terminating zero
    int cap;       // bytes the line may use in place, terminating zero included
  };
  static constexpr int classic_slots = classic_limits.block_lines + 1;
  static constexpr int classic_slot_size = classic_limits.line_chars + 1;

  char* open_next_slot(size_t size);
  BrushRange* brush_rows();
  void point_at_storage();
  void store(std::string_view line);

  const Limits* limits_ = &classic_limits;
  bool packed_ = false;
  std::vector<char> classic_text_;  // classic_slots fixed slots, allocated once
  std::vector<Span> classic_spans_;
  std::vector<BrushRange> classic_brushes_;
  std::vector<char> packed_text_;
  std::vector<Span> packed_spans_;
  std::vector<BrushRange> packed_brushes_;

  char* text_ = nullptr;
  Span* spans_ = nullptr;
  BrushRange* brushes_ = nullptr;
  int line_count_ = 0;
  size_t text_used_ = 0;      // packed: bytes taken by the block's lines
  std::string_view last_;     // the line read last
  bool pending_ = false;      // last_ is a line read and not kept
  std::vector<char> spill_;   // a line that crosses the input's buffer
  int brushes_used_ = 0;
};

}  // namespace kmap

#endif
