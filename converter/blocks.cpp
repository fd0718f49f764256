#include "blocks.h"

#include <cstring>

#include "debug.h"
#include "kit.h"

using namespace kmap;

namespace {

constexpr const char* rule_line = "===================================================\n";

// The line's significant character, or null for a blank or comment line.
const char* significant(const char* line, const Limits& limits) {
  const char* s = kit_skip_blanks(line, limits.line_chars + 1);
  if (s == nullptr || (s[0] == '/' && s[1] == '/')) return nullptr;
  return s;
}

// Reads lines until one that is neither blank nor a comment; returns its
// significant character, or null at the end of the input.
const char* next_significant(SourceInput& input, LineBuffer& lines) {
  for (;;) {
    const char* line = lines.read_next(input);
    if (line == nullptr) return nullptr;
    if (const char* s = significant(line, lines.limits())) return s;
  }
}

// Notes what a key line of the entity says: where the value of a classname
// or origin key stands, and which line holds the light key. Returns CONV_OK,
// or CONV_TOKEN when a word cannot be taken; *no_value then tells whether
// there was no value at all (rather than one too long).
conv_status read_key(const char* line, int line_index, const ClassTable& table,
                     EntityFields& fields, const Limits& limits, bool* no_value) {
  char word[word_size];
  char value_word[word_size];
  const char* after = take_word(word, line, limits.word_chars);
  if (after == nullptr) return CONV_TOKEN;
  if (fields.light_line < 0 && word[1] == 'l' && std::strcmp(word, "\"light\"") == 0)
    fields.light_line = line_index;
  const bool is_class = std::strcmp(word, "\"classname\"") == 0;
  if (!is_class && std::strcmp(word, "\"origin\"") != 0) return CONV_OK;
  if (take_word(value_word, after, limits.word_chars) == nullptr) {
    *no_value = kit_get_lasterr() != KIT_TOO_MANY;
    return CONV_TOKEN;
  }
  const char* value = kit_skip_blanks(after, limits.line_chars + 1);
  const TextPos where{line_index, static_cast<int>(value - line)};
  if (is_class) {
    fields.class_slot = find_class(table, value_word);
    fields.class_value = where;
  } else {
    fields.origin_value = where;
  }
  return CONV_OK;
}

enum BrushFault { BRUSHES_OK, BRUSH_TOO_SMALL, BRUSH_TOO_LARGE };

// The worst fault among the block's brushes: a brush beyond the plane limit
// outweighs one of too few plane lines.
BrushFault brush_fault(const LineBuffer& lines) {
  BrushFault worst = BRUSHES_OK;
  for (int n = 0; n < lines.brush_count(); ++n) {
    const BrushRange b = lines.brush(n);
    const int planes = b.last - b.first + 1;
    if (planes > lines.limits().plane_lines) return BRUSH_TOO_LARGE;
    if (b.first < 0 || planes < 3) worst = BRUSH_TOO_SMALL;
  }
  return worst;
}

// The entity's verdict once its closing brace has been read.
conv_status check_entity(conv_status content_fault, const Block& block, const Settings& settings) {
  if (content_fault != CONV_OK) return CONV_DISCARD;
  if (settings.modes.enumerate) return CONV_OK;
  if (block.lines.size() <= 1) return CONV_DISCARD;
  // Extended mode drops an entity with damaged content instead of ending
  // the run; a brush beyond the plane limit still ends it.
  const bool drop_damaged = settings.extended();
  if (block.entity.class_slot == class_none) return drop_damaged ? CONV_DISCARD : CONV_NO_CLASSNAME;
  if (block.lines.brush_count() > 0) {
    const BrushFault fault = brush_fault(block.lines);
    if (fault == BRUSHES_OK) return CONV_OK;
    return drop_damaged && fault == BRUSH_TOO_SMALL ? CONV_DISCARD : CONV_BAD_BRUSH;
  }
  if (block.entity.origin_value.line >= 0) return CONV_OK;
  return drop_damaged ? CONV_DISCARD : CONV_NO_ORIGIN;
}

// The writes of one block are the run's hot path: the stream is used by
// this thread alone, so the unlocked calls serve.
void write_block_lines(FILE* out, const LineBuffer& lines) {
  for (int i = 0; i < lines.size(); ++i) {
    fwrite_unlocked("    ", 1, 4, out);
    fwrite_unlocked(lines.text(i), 1, static_cast<size_t>(lines.length(i)), out);
    putc_unlocked('\n', out);
  }
}

}  // namespace

void start_reading(SourceInput& input, FILE* source, Block& block, const Settings& settings) {
  block.lines.configure(settings.limit(), settings.extended());
  block.lines.start_source(input, source);
}

bool find_worldspawn(SourceInput& input, Block& block) {
  const char* s = next_significant(input, block.lines);
  return s != nullptr && *s == '{';
}

conv_status read_world_brush(SourceInput& input, Block& block, const Settings& settings,
                             std::vector<std::string>* world_keys) {
  LineBuffer& lines = block.lines;
  lines.clear();
  // The world's own key lines are dropped: only its brushes are kept.
  for (;;) {
    const char* s = next_significant(input, lines);
    if (s == nullptr) return CONV_EOF;
    if (*s == '}') return CONV_END;
    if (*s == '{') break;
    if (world_keys != nullptr && *s == '"') world_keys->emplace_back(s);
  }
  // Inside a brush every line up to its closing brace is a plane line. In
  // extended mode a "{" there opens a nested brush, which damages the brush.
  int depth = 0;
  bool damaged = false;
  for (;;) {
    const char* s = next_significant(input, lines);
    if (s == nullptr) return CONV_EOF;
    if (*s == '}' && depth == 0) {
      lines.drop();
      break;
    }
    if (settings.extended() && *s == '{') {
      ++depth;
      damaged = true;
    } else if (*s == '}') {
      --depth;
    }
    lines.keep();
    if (lines.size() > settings.limit().plane_lines) return CONV_TOO_MANY_LINES;
  }
  if (damaged) return CONV_DISCARD;
  if (settings.modes.enumerate) return CONV_OK;
  if (lines.size() < 3) return CONV_DISCARD;
  lines.open_brush(0);
  lines.close_brush(lines.size() - 1);
  return CONV_OK;
}

conv_status read_entity(SourceInput& input, Block& block, const ClassTable& table,
                        const Settings& settings) {
  LineBuffer& lines = block.lines;
  const Limits& limits = settings.limit();
  lines.clear();
  block.entity = EntityFields{};
  // Significant lines before the block's opening brace are skipped.
  for (;;) {
    const char* s = next_significant(input, lines);
    if (s == nullptr) return CONV_END;
    if (*s == '{') break;
  }
  bool brush_open = false;
  int depth = 0;                       // braces nested inside a brush (extended mode)
  conv_status content_fault = CONV_OK;  // damaged content, dropped in extended mode
  for (;;) {
    // Both limits are tested before the next line is read, so an entity
    // keeps at most block_lines lines and entity_brushes brushes.
    if (lines.size() > limits.block_lines) return CONV_TOO_MANY_LINES;
    if (lines.brush_count() > limits.entity_brushes) return CONV_TOO_MANY_BRUSHES;
    const char* line = lines.read_next(input);
    if (line == nullptr) return CONV_EOF;
    const char* s = significant(line, limits);
    if (s == nullptr) continue;
    const int j = lines.size();
    if (depth > 0) {
      depth += (*s == '{') - (*s == '}');
    } else if (*s == '{') {
      if (brush_open) {
        if (!settings.extended()) return CONV_BAD_BRUSH;
        content_fault = CONV_BAD_BRUSH;
        depth = 1;
      } else {
        lines.open_brush(j + 1);
        brush_open = true;
      }
    } else if (*s == '}') {
      if (!brush_open) {
        lines.drop();
        return check_entity(content_fault, block, settings);
      }
      lines.close_brush(j - 1);
      brush_open = false;
    } else {
      bool no_value = false;
      const conv_status r = read_key(line, j, table, block.entity, limits, &no_value);
      if (r != CONV_OK) {
        if (!(settings.extended() && no_value)) return r;
        content_fault = r;
      }
    }
    lines.keep();
  }
}

void write_brush(FILE* out, const Block& block, int number) {
  fprintf(out, "  // brush %d\n  {\n", number);
  write_block_lines(out, block.lines);
  fputs("  }\n", out);
}

void write_entity(FILE* out, const Block& block, int number) {
  fprintf(out, "// entity %d\n  {\n", number);
  write_block_lines(out, block.lines);
  fputs("  }\n", out);
}

bool log_block(const Block& block, const char* log_path) {
  // Opening the log here creates it even while the records are dropped.
  FILE* log = fopen(log_path, "a");
  if (log == nullptr) return false;
  for (int i = 0; i < block.lines.size(); ++i) kit_logprintf("%s\n", block.lines.text(i));
  if (const char* last = block.lines.pending()) kit_logprintf("%s\n", last);
  kit_logprintf("%s", rule_line);
  fclose(log);
  return true;
}
