// The map block reader and writer: reads the source one block at a time into
// the line buffer, checks it, and writes it in the output layout.
//
// A line's significant character is its first one that is neither blank nor
// tab. Blank lines and comment lines ("//") are ignored everywhere and count
// toward no limit. "{" opens a block or a brush, "}" closes one; whatever
// follows the brace on its line plays no part in the structure.
#include <cstring>

#include "debug.h"
#include "kit.h"
#include "state.h"

namespace {

char word[word_size];
char value_word[word_size];

constexpr const char* rule_line = "===================================================\n";

// The line's significant character, or null for a blank or comment line.
const char* significant(const char* line) {
  const char* s = kit_skip_blanks(line, limits->line_chars + 1);
  if (s == nullptr || (s[0] == '/' && s[1] == '/')) return nullptr;
  return s;
}

// Reads lines until one that is neither blank nor a comment; returns its
// significant character, or null at the end of the input.
const char* next_significant(FILE* source) {
  for (;;) {
    const char* line = read_next_line(source);
    if (line == nullptr) return nullptr;
    if (const char* s = significant(line)) return s;
  }
}

// Records where the value of a classname or origin key stands. Returns 0, or
// CONV_TOKEN when the value cannot be taken; *no_value then tells whether
// there was none at all (rather than one too long).
int read_key(const char* line, int line_index, bool* no_value) {
  const char* after = take_word(word, line);
  if (after == nullptr) return CONV_TOKEN;
  const bool is_class = std::strcmp(word, "\"classname\"") == 0;
  if (!is_class && std::strcmp(word, "\"origin\"") != 0) return CONV_OK;
  if (take_word(value_word, after) == nullptr) {
    *no_value = kit_get_lasterr() != KIT_TOO_MANY;
    return CONV_TOKEN;
  }
  const char* value = kit_skip_blanks(after, limits->line_chars + 1);
  const TextPos where{line_index, static_cast<int>(value - line)};
  if (is_class) {
    cur_class = find_class(value_word);
    class_value = where;
  } else {
    origin_value = where;
  }
  return CONV_OK;
}

enum BrushFault { BRUSHES_OK, BRUSH_TOO_SMALL, BRUSH_TOO_LARGE };

// The worst fault among the block's brushes: a brush beyond the plane limit
// outweighs one of too few plane lines.
BrushFault brush_fault() {
  BrushFault worst = BRUSHES_OK;
  for (int n = 0; n < brush_count(); ++n) {
    const BrushRange b = brush_at(n);
    const int planes = b.last - b.first + 1;
    if (planes > limits->plane_lines) return BRUSH_TOO_LARGE;
    if (b.first < 0 || planes < 3) worst = BRUSH_TOO_SMALL;
  }
  return worst;
}

// The entity's verdict once its closing brace has been read.
int check_entity(int fault) {
  if (fault != CONV_OK) return CONV_DISCARD;
  if (enum_mode) return CONV_OK;
  if (block_size() <= 1) return CONV_DISCARD;
  // Extended mode drops an entity with damaged content instead of ending
  // the run; a brush beyond the plane limit still ends it.
  const int damaged = extended_mode ? CONV_DISCARD : 0;
  if (cur_class == -2) return damaged ? damaged : CONV_NO_CLASSNAME;
  if (brush_count() > 0) {
    const BrushFault fault = brush_fault();
    if (fault == BRUSHES_OK) return CONV_OK;
    return damaged && fault == BRUSH_TOO_SMALL ? damaged : CONV_BAD_BRUSH;
  }
  if (origin_value.line >= 0) return CONV_OK;
  return damaged ? damaged : CONV_NO_ORIGIN;
}

// The writes of one block are the run's hot path: the stream is used by
// this thread alone, so the unlocked calls serve.
void write_block_lines(FILE* out) {
  for (int i = 0; i < block_size(); ++i) {
    fwrite_unlocked("    ", 1, 4, out);
    fwrite_unlocked(line_text(i), 1, static_cast<size_t>(line_length(i)), out);
    putc_unlocked('\n', out);
  }
}

}  // namespace

int find_worldspawn(FILE* source) {
  start_source(source);
  clear_lines();
  const char* s = next_significant(source);
  return s != nullptr && *s == '{';
}

int read_world_brush(FILE* source) {
  reset_brushes();
  clear_lines();
  // The world's own key lines are dropped: only its brushes are kept.
  for (;;) {
    const char* s = next_significant(source);
    if (s == nullptr) return CONV_EOF;
    if (*s == '}') return CONV_END;
    if (*s == '{') break;
  }
  // Inside a brush every line up to its closing brace is a plane line. In
  // extended mode a "{" there opens a nested brush, which damages the brush.
  int depth = 0;
  bool damaged = false;
  for (;;) {
    const char* s = next_significant(source);
    if (s == nullptr) return CONV_EOF;
    if (*s == '}' && depth == 0) {
      drop_line();
      break;
    }
    if (extended_mode && *s == '{') {
      ++depth;
      damaged = true;
    } else if (*s == '}') {
      --depth;
    }
    keep_line();
    if (block_size() > limits->plane_lines) return CONV_TOO_MANY_LINES;
  }
  if (damaged) return CONV_DISCARD;
  if (enum_mode) return CONV_OK;
  if (block_size() < 3) return CONV_DISCARD;
  open_brush(0);
  close_brush(block_size() - 1);
  return CONV_OK;
}

int read_entity(FILE* source) {
  reset_brushes();
  clear_lines();
  cur_class = -2;
  class_value = no_pos;
  origin_value = no_pos;
  // Significant lines before the block's opening brace are skipped.
  for (;;) {
    const char* s = next_significant(source);
    if (s == nullptr) return CONV_END;
    if (*s == '{') break;
  }
  bool brush_open = false;
  int depth = 0;          // braces nested inside a brush (extended mode)
  int fault = CONV_OK;    // damaged content, dropped in extended mode
  for (;;) {
    // Both limits are tested before the next line is read, so an entity
    // keeps at most block_lines lines and entity_brushes brushes.
    if (block_size() > limits->block_lines) return CONV_TOO_MANY_LINES;
    if (brush_count() > limits->entity_brushes) return CONV_TOO_MANY_BRUSHES;
    const char* line = read_next_line(source);
    if (line == nullptr) return CONV_EOF;
    const char* s = significant(line);
    if (s == nullptr) continue;
    const int j = block_size();
    if (depth > 0) {
      depth += (*s == '{') - (*s == '}');
    } else if (*s == '{') {
      if (brush_open) {
        if (!extended_mode) return CONV_BAD_BRUSH;
        fault = CONV_BAD_BRUSH;
        depth = 1;
      } else {
        open_brush(j + 1);
        brush_open = true;
      }
    } else if (*s == '}') {
      if (!brush_open) {
        drop_line();
        return check_entity(fault);
      }
      close_brush(j - 1);
      brush_open = false;
    } else {
      bool no_value = false;
      const int r = read_key(line, j, &no_value);
      if (r != CONV_OK) {
        if (!(extended_mode && no_value)) return r;
        fault = r;
      }
    }
    keep_line();
  }
}

const char* take_word(char* buf, const char* from, const char* delims) {
  return kit_get_token(buf, from, delims, limits->word_chars + 1);
}

int check_brushes() { return brush_fault() == BRUSHES_OK; }

int write_brush(FILE* out, int number) {
  if (!enum_mode) {
    const int r = rewrite_brushes();
    if (r > 0) return r;
  }
  fprintf(out, "  // brush %d\n  {\n", number);
  write_block_lines(out);
  fputs("  }\n", out);
  return CONV_OK;
}

int write_entity(FILE* out, int number) {
  if (!enum_mode) {
    const ClassSlot& slot = classes[cur_class];
    int r = replace_line_tail(class_value.line, class_value.col, slot.target);
    if (r == CONV_OK && light_scale != 1.0 && std::strcmp(slot.source, "\"light\"") == 0)
      r = scale_light();
    if (r == CONV_OK) {
      if (brush_count() > 0)
        r = rewrite_brushes();
      else if (size_scale != 1.0)
        r = scale_origin();
    }
    if (r > 0) return r;
  }
  fprintf(out, "// entity %d\n  {\n", number);
  write_block_lines(out);
  fputs("  }\n", out);
  return CONV_OK;
}

void log_block() {
  // Opening the log here creates it even while the records are dropped.
  FILE* log = fopen(log_path, "a");
  if (log == nullptr) return;
  for (int i = 0; i < block_size(); ++i) kit_logprintf("%s\n", line_text(i));
  if (const char* last = pending_line()) kit_logprintf("%s\n", last);
  kit_logprintf("%s", rule_line);
  fclose(log);
}
