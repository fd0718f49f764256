#include "read_blocks.h"

#include <cstring>

#include "kit.h"

using namespace kmap;

namespace {

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

// Notes what a key line of the entity says: which keys are its classname,
// origin and light, and the class the table gives it. Returns CONV_OK, or
// CONV_TOKEN when a word it needs is missing or too long; the cause tells
// which.
ReadOutcome read_key(std::string_view line, int key, const ClassTable& table, EntityFields& fields,
                     const Limits& limits) {
  const KeyLine k = read_key_line(line);
  const size_t word_chars = static_cast<size_t>(limits.word_chars);
  if (k.first_word.size() > word_chars) return {CONV_TOKEN, ReadCause::word_too_long};
  if (fields.light_key < 0 && k.first_word == "\"light\"") fields.light_key = key;
  const bool is_class = k.first_word == "\"classname\"";
  if (!is_class && k.first_word != "\"origin\"") return {};
  if (k.second_word.empty()) return {CONV_TOKEN, ReadCause::missing_value};
  if (k.second_word.size() > word_chars) return {CONV_TOKEN, ReadCause::word_too_long};
  if (is_class) {
    fields.class_slot = find_class(table, k.second_word);
    fields.class_key = key;
  } else {
    fields.origin_key = key;
  }
  return {};
}

enum BrushFault { BRUSHES_OK, BRUSH_TOO_SMALL, BRUSH_TOO_LARGE };

// A group or layer header of an editor: the block that names a group of
// objects, which holds no geometry of its own.
bool is_editor_header(const Entity& entity) {
  const std::string_view type = entity.value("_tb_type").value_or("");
  return entity.lines.brush_count() == 0 && (type == "_tb_group" || type == "_tb_layer");
}

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
ReadOutcome check_entity(ReadOutcome content_fault, const Block& block, const Settings& settings) {
  if (content_fault.status != CONV_OK) return {CONV_DISCARD, content_fault.cause};
  if (settings.modes.enumerate) return {};
  const LineBuffer& lines = block.entity.lines;
  if (lines.size() <= 1) return {CONV_DISCARD, ReadCause::too_few_lines};
  // Extended mode drops an entity with damaged content instead of ending
  // the run; a brush beyond the plane limit still ends it.
  const bool drop_damaged = settings.extended();
  if (block.fields.class_slot == class_none)
    return {drop_damaged ? CONV_DISCARD : CONV_NO_CLASSNAME, ReadCause::no_classname};
  if (lines.brush_count() > 0) {
    const BrushFault fault = brush_fault(lines);
    if (fault == BRUSHES_OK) return {};
    if (fault == BRUSH_TOO_LARGE) return {CONV_BAD_BRUSH, ReadCause::too_many_planes};
    return {drop_damaged ? CONV_DISCARD : CONV_BAD_BRUSH, ReadCause::too_few_planes};
  }
  if (block.fields.origin_key >= 0) return {};
  return {drop_damaged ? CONV_DISCARD : CONV_NO_ORIGIN,
          is_editor_header(block.entity) ? ReadCause::editor_header : ReadCause::no_origin};
}

}  // namespace

void start_reading(SourceInput& input, FILE* source, Block& block, const Settings& settings) {
  block.entity.lines.configure(settings.limit(), settings.extended());
  block.entity.lines.start_source(input, source);
}

bool find_worldspawn(SourceInput& input, Block& block) {
  const char* s = next_significant(input, block.entity.lines);
  return s != nullptr && *s == '{';
}

ReadOutcome read_world_brush(SourceInput& input, Block& block, const Settings& settings, Entity* world_keys) {
  LineBuffer& lines = block.entity.lines;
  block.entity.clear();
  // The world's own key lines are dropped: only its brushes are kept.
  for (;;) {
    const char* s = next_significant(input, lines);
    if (s == nullptr) return {CONV_EOF};
    if (*s == '}') return {CONV_END};
    if (*s == '{') {
      block.first_line = input.line_number;
      break;
    }
    if (world_keys != nullptr && *s == '"' && world_keys->lines.add(s) == CONV_OK)
      world_keys->note_key_line(world_keys->lines.size() - 1);
  }
  // Inside a brush every line up to its closing brace is a plane line. In
  // extended mode a "{" there opens a nested brush, which damages the brush.
  int depth = 0;
  bool damaged = false;
  for (;;) {
    const char* s = next_significant(input, lines);
    if (s == nullptr) return {CONV_EOF};
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
    if (lines.size() > settings.limit().plane_lines) return {CONV_TOO_MANY_LINES};
  }
  if (damaged) return {CONV_DISCARD, ReadCause::brush_in_brush};
  if (settings.modes.enumerate) return {};
  if (lines.size() < 3) return {CONV_DISCARD, ReadCause::too_few_planes};
  lines.open_brush(0);
  lines.close_brush(lines.size() - 1);
  return {};
}

ReadOutcome read_entity(SourceInput& input, Block& block, const ClassTable& table, const Settings& settings) {
  LineBuffer& lines = block.entity.lines;
  const Limits& limits = settings.limit();
  block.entity.clear();
  block.fields = EntityFields{};
  // Significant lines before the block's opening brace are skipped.
  for (;;) {
    const char* s = next_significant(input, lines);
    if (s == nullptr) return {CONV_END};
    if (*s == '{') {
      block.first_line = input.line_number;
      break;
    }
  }
  bool brush_open = false;
  int depth = 0;               // braces nested inside a brush (extended mode)
  ReadOutcome content_fault;  // damaged content, dropped in extended mode
  for (;;) {
    // Both limits are tested before the next line is read, so an entity
    // keeps at most block_lines lines and entity_brushes brushes.
    if (lines.size() > limits.block_lines) return {CONV_TOO_MANY_LINES};
    if (lines.brush_count() > limits.entity_brushes) return {CONV_TOO_MANY_BRUSHES};
    const char* line = lines.read_next(input);
    if (line == nullptr) return {CONV_EOF};
    const char* s = significant(line, limits);
    if (s == nullptr) continue;
    const int j = lines.size();
    if (depth > 0) {
      depth += (*s == '{') - (*s == '}');
    } else if (*s == '{') {
      if (brush_open) {
        if (!settings.extended()) return {CONV_BAD_BRUSH, ReadCause::brush_in_brush};
        content_fault = {CONV_BAD_BRUSH, ReadCause::brush_in_brush};
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
      const ReadOutcome r = read_key(line, block.entity.key_count(), table, block.fields, limits);
      if (r.status != CONV_OK) {
        if (!(settings.extended() && r.cause == ReadCause::missing_value)) return r;
        content_fault = r;
      }
      block.entity.note_key_line(j);
    }
    lines.keep();
  }
}


std::string_view cause_text(ReadCause cause) {
  switch (cause) {
    case ReadCause::none:
      break;
    case ReadCause::word_too_long:
      return "a word is longer than the word limit";
    case ReadCause::missing_value:
      return "a classname or origin key has no value";
    case ReadCause::too_few_lines:
      return "the block holds fewer than two lines";
    case ReadCause::too_few_planes:
      return "a brush has fewer than 3 planes";
    case ReadCause::too_many_planes:
      return "a brush has more planes than the limit";
    case ReadCause::brush_in_brush:
      return "a brush is opened inside a brush";
    case ReadCause::no_classname:
      return "the entity has no classname";
    case ReadCause::no_origin:
      return "the entity has neither brushes nor an origin";
    case ReadCause::editor_header:
      return "an editor's group or layer header, with no brushes of its own";
  }
  return "";
}

std::string_view looked_up_class(const Block& block) {
  if (block.fields.class_key < 0) return {};
  std::string_view word = block.entity.key(block.fields.class_key).second_word;
  if (word.starts_with('"')) word.remove_prefix(1);
  return word.substr(0, word.find('"'));
}
