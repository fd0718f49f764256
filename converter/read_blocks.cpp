#include "read_blocks.h"

#include <cstring>

#include "kit.h"

using namespace kmap;

namespace conv {
namespace {

// The line's significant character, or 0 for a blank or comment line.
// Every line of the map is looked at here: the blanks are skipped inline.
char significant(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i == line.size() || (line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/')) return 0;
  return line[i];
}

// The line from its significant character on.
std::string_view from_significant(std::string_view line) { return line.substr(line.find_first_not_of(" \t")); }

// Reads lines until one that is neither blank nor a comment; returns its
// significant character, or 0 at the end of the input.
char next_significant(SourceInput& input, LineBuffer& lines) {
  std::string_view line;
  while (lines.read_next(input, &line))
    if (const char s = significant(line)) return s;
  return 0;
}

// The keys the reader notes, by their first word.
bool is_noted_key(std::string_view word) {
  return word == "\"classname\"" || word == "\"origin\"" || word == "\"light\"";
}

// Notes what a line of the entity, whose first word is `word`, says: which keys are its classname,
// origin and light, and the class the table gives it. Every line between
// the braces is looked at so, plane lines too. Returns CONV_OK, or
// CONV_TOKEN when a word it needs is missing or too long; the cause tells
// which.
ReadOutcome read_key(std::string_view line, std::string_view word, int key, const ClassTable& table,
                     EntityFields& fields, const Limits& limits) {
  const size_t word_chars = static_cast<size_t>(limits.word_chars);
  if (word.size() > word_chars) return {CONV_TOKEN, ReadCause::word_too_long};
  if (!is_noted_key(word)) return {};
  if (fields.light_key < 0 && word == "\"light\"") fields.light_key = key;
  const bool is_class = word == "\"classname\"";
  if (!is_class && word != "\"origin\"") return {};
  const KeyLine k = read_key_line(line);
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

// What the entity's verdict looks at, counted as the block is read.
struct BlockCounts {
  int lines = 0;    // between the braces, kept or not
  int brushes = 0;  // brushes closed
  BrushFault worst = BRUSHES_OK;  // a brush beyond the plane limit outweighs one of too few planes

  void close_brush(int planes, const Limits& limits) {
    ++brushes;
    if (planes > limits.plane_lines) worst = BRUSH_TOO_LARGE;
    else if (planes < 3 && worst == BRUSHES_OK) worst = BRUSH_TOO_SMALL;
  }
};

// A group or layer header of an editor: the block that names a group of
// objects, which holds no geometry of its own.
bool is_editor_header(const Entity& entity, const BlockCounts& counts) {
  const std::string_view type = entity.value("_tb_type").value_or("");
  return counts.brushes == 0 && (type == "_tb_group" || type == "_tb_layer");
}

// The entity's verdict once its closing brace has been read.
ReadOutcome check_entity(ReadOutcome content_fault, const Block& block, const BlockCounts& counts,
                         const Settings& settings) {
  if (content_fault.status != CONV_OK) return {CONV_DISCARD, content_fault.cause};
  if (settings.modes.enumerate) return {};
  if (counts.lines <= 1) return {CONV_DISCARD, ReadCause::too_few_lines};
  // Extended mode drops an entity with damaged content instead of ending
  // the run; a brush beyond the plane limit still ends it.
  const bool drop_damaged = settings.extended();
  if (block.fields.class_slot == class_none)
    return {drop_damaged ? CONV_DISCARD : CONV_NO_CLASSNAME, ReadCause::no_classname};
  if (counts.brushes > 0) {
    if (counts.worst == BRUSHES_OK) return {};
    if (counts.worst == BRUSH_TOO_LARGE) return {CONV_BAD_BRUSH, ReadCause::too_many_planes};
    return {drop_damaged ? CONV_DISCARD : CONV_BAD_BRUSH, ReadCause::too_few_planes};
  }
  if (block.fields.origin_key >= 0) return {};
  return {drop_damaged ? CONV_DISCARD : CONV_NO_ORIGIN,
          is_editor_header(block.entity, counts) ? ReadCause::editor_header : ReadCause::no_origin};
}

}  // namespace

void start_reading(SourceInput& input, FILE* source, Block& block, const Settings& settings) {
  block.entity.lines.configure(settings.limit(), settings.extended());
  block.entity.lines.start_source(input, source);
}

bool find_worldspawn(SourceInput& input, Block& block) {
  return next_significant(input, block.entity.lines) == '{';
}

ReadOutcome read_world_brush(SourceInput& input, Block& block, const Settings& settings, Entity* world_keys) {
  LineBuffer& lines = block.entity.lines;
  block.entity.clear();
  // The world's own key lines are dropped: only its brushes are kept.
  for (;;) {
    const char s = next_significant(input, lines);
    if (s == 0) return {CONV_EOF};
    if (s == '}') return {CONV_END};
    if (s == '{') {
      block.first_line = input.line_number;
      break;
    }
    if (world_keys != nullptr && s == '"' && world_keys->lines.add(from_significant(lines.pending())) == CONV_OK)
      world_keys->note_key_line(world_keys->lines.size() - 1);
  }
  // Inside a brush every line up to its closing brace is a plane line. In
  // extended mode a "{" there opens a nested brush, which damages the brush.
  int depth = 0;
  bool damaged = false;
  for (;;) {
    const char s = next_significant(input, lines);
    if (s == 0) return {CONV_EOF};
    if (s == '}' && depth == 0) {
      lines.drop();
      break;
    }
    if (settings.extended() && s == '{') {
      ++depth;
      damaged = true;
    } else if (s == '}') {
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

void StructureScan::count_brush(bool detail_brush, bool in_world) {
  long& counted = detail_brush ? (in_world ? detail : entity_detail) : (in_world ? structural : entity_structural);
  ++counted;
}

conv_status skip_world(SourceInput& input, Block& block, const Settings& settings, StructureScan* scan) {
  LineBuffer& lines = block.entity.lines;
  block.entity.clear();
  const bool faces_looked_at = scan != nullptr && scan->is_detail_face;
  for (;;) {
    // Outside a brush: the world's keys, a brush's opening or the end.
    char s = next_significant(input, lines);
    if (s == 0) return CONV_EOF;
    if (s == '}') return CONV_END;
    if (s != '{') continue;
    // Inside: every line up to the closing brace, braces nested in
    // extended mode.
    bool detail = false;
    for (int depth = 0;;) {
      s = next_significant(input, lines);
      if (s == 0) return CONV_EOF;
      if (s == '}') {
        if (depth == 0) break;
        --depth;
      } else if (settings.extended() && s == '{') {
        ++depth;
      } else if (faces_looked_at && !detail) {
        detail = scan->is_detail_face(lines.pending());
      }
    }
    if (scan != nullptr) scan->count_brush(detail, true);
  }
}

ReadOutcome read_entity(SourceInput& input, Block& block, const ClassTable& table, const Settings& settings,
                        const KeysPass* keys) {
  LineBuffer& lines = block.entity.lines;
  const Limits& limits = settings.limit();
  StructureScan* const scan = keys != nullptr ? keys->scan : nullptr;
  bool whole = keys == nullptr;  // every line kept (a first pass: its key lines, and the brushes it wants)
  block.entity.clear();
  block.fields = EntityFields{};
  // Significant lines before the block's opening brace are skipped.
  for (;;) {
    const char s = next_significant(input, lines);
    if (s == 0) return {CONV_END};
    if (s == '{') {
      block.first_line = input.line_number;
      break;
    }
  }
  BlockCounts counts;
  if (scan != nullptr) scan->entity_structural = scan->entity_detail = 0;
  const bool faces_looked_at = scan != nullptr && scan->is_detail_face;
  bool brush_detail = false;
  bool brush_open = false;
  int brush_start = 0;         // counts.lines where the open brush began
  int depth = 0;               // braces nested inside a brush (extended mode)
  ReadOutcome content_fault;  // damaged content, dropped in extended mode
  for (;;) {
    // Both limits are tested before the next line is read, so an entity
    // keeps at most block_lines lines and entity_brushes brushes.
    if (counts.lines > limits.block_lines) return {CONV_TOO_MANY_LINES};
    if (counts.brushes > limits.entity_brushes) return {CONV_TOO_MANY_BRUSHES};
    std::string_view line;
    if (!lines.read_next(input, &line)) return {CONV_EOF};
    const char s = significant(line);
    if (s == 0) continue;
    const int j = lines.size();
    bool key_line = false;
    if (depth > 0) {
      depth += (s == '{') - (s == '}');
    } else if (s == '{') {
      if (brush_open) {
        if (!settings.extended()) return {CONV_BAD_BRUSH, ReadCause::brush_in_brush};
        content_fault = {CONV_BAD_BRUSH, ReadCause::brush_in_brush};
        depth = 1;
      } else {
        if (keys != nullptr) whole = keys->keep_brushes && keys->keep_brushes(block.entity);
        if (whole) lines.open_brush(j + 1);
        brush_start = counts.lines + 1;
        brush_open = true;
        brush_detail = false;
      }
    } else if (s == '}') {
      if (!brush_open) {
        lines.drop();
        return check_entity(content_fault, block, counts, settings);
      }
      if (whole) lines.close_brush(j - 1);
      counts.close_brush(counts.lines - brush_start, limits);
      if (scan != nullptr) scan->count_brush(brush_detail, false);
      brush_open = false;
    } else if (!whole && brush_open && s != '"') {
      // A plane line: only a line that starts like a key is looked at when
      // the brushes are not kept, and for the structure its face.
      if (faces_looked_at && !brush_detail) brush_detail = scan->is_detail_face(line);
    } else {
      const std::string_view word = first_word(line);
      const ReadOutcome r = read_key(line, word, block.entity.key_count(), table, block.fields, limits);
      if (r.status != CONV_OK) {
        if (!(settings.extended() && r.cause == ReadCause::missing_value)) return r;
        content_fault = r;
      }
      // A plane line is no key line, unless it starts like one the reader notes.
      key_line = !brush_open || is_noted_key(word);
      if (key_line) block.entity.note_key_line(j);
    }
    ++counts.lines;
    if (whole || key_line) {
      lines.keep();
    } else {
      lines.drop();
    }
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

}  // namespace conv
