#include "rewrite.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "bounded_text.h"
#include "coords.h"
#include "entity_rules.h"
#include "fixed_textures.h"
#include "nonsolid_faces.h"
#include "read_blocks.h"
#include "rewrite_faces.h"
#include "table_search.h"
#include "train_origin.h"
#include "key_line.h"
#include "kit.h"

using namespace kmap;

namespace {

constexpr const char* origin_delims = " \t\"";
constexpr int default_light = 300;

std::string_view unquoted(const char* quoted) {
  const std::string_view q(quoted);
  return q.substr(1, q.size() - 2);
}

// The entity's first "target" key, or -1.
int first_target(const Entity& entity) {
  for (int k = 0; k < entity.key_count(); ++k)
    if (entity.key(k).first_word.starts_with("\"target\"")) return k;
  return -1;
}

// The entity graph's edits of one entity (-q3).
conv_status edit_targets(Entity& entity, const GraphEdits& edits, int number) {
  if (const auto found = edits.set_target.find(number); found != edits.set_target.end()) {
    const int k = first_target(entity);
    return k < 0 ? entity.add("target", found->second) : entity.set_value(k, found->second);
  }
  // Renamed rather than removed: the map still tells what was cut.
  if (edits.cut_target.count(number)) return entity.rename("target", "_cut_target");
  return CONV_OK;
}

conv_status scale_origin(Entity& entity, int origin_key, const Settings& settings) {
  char scratch[word_size * 3 + 8];
  char word[word_size];
  const KeyLine key = entity.key(origin_key);
  const std::string value_text(key.second_word.data(),
                               entity.lines.view(entity.key_line(origin_key)).end() - key.second_word.begin());
  const char* p = value_text.c_str();
  BoundedText text(scratch, sizeof scratch);
  for (int i = 0; i < 3; ++i) {
    p = take_word(word, p, settings.limit().word_chars, origin_delims);
    if (p == nullptr) return CONV_TOKEN;
    double value;
    if (!read_number(word, &value, settings.extended())) return CONV_BAD_COORD;
    if (i > 0) text.add(" ");
    if (!add_coord(text, value, settings.factors.size, settings.extended())) return CONV_BAD_COORD;
  }
  if (!text.ok()) return CONV_LINE_TOO_LONG;
  return entity.set_value(origin_key, text.view());
}

// Rewrites the first light key of the block, or adds one.
conv_status scale_light(Entity& entity, const EntityFields& fields, const Settings& settings) {
  const LineBuffer& lines = entity.lines;
  const double factor = settings.factors.light;
  const Limits& limits = settings.limit();
  char scratch[64];
  BoundedText text(scratch, sizeof scratch);
  // The key lines are searched in order, and a line whose first word cannot
  // be taken ends the search. Only a brace line of a brush can be such a
  // line: the reader took the first word of every other.
  char word[word_size];
  const int light_line = fields.light_key >= 0 ? entity.key_line(fields.light_key) : -1;
  const int searched = light_line >= 0 ? light_line : lines.size();
  for (int i = 0; i < searched; ++i) {
    const char* s = kit_skip_blanks(lines.text(i), limits.line_chars + 1);
    if (s != nullptr && (*s == '{' || *s == '}') && take_word(word, lines.text(i), limits.word_chars) == nullptr)
      return CONV_TOKEN;
  }
  if (light_line >= 0) {
    const KeyLine key = entity.key(fields.light_key);
    if (key.second_word.empty() || key.second_word.size() > static_cast<size_t>(limits.word_chars)) return CONV_TOKEN;
    std::memcpy(word, key.second_word.data(), key.second_word.size());
    word[key.second_word.size()] = '\0';
    double value;
    if (!kit_unquote(word, limits.word_chars + 1) || !read_number(word, &value, settings.extended()))
      return CONV_BAD_LIGHT;
    const double scaled = value * factor;
    if (!add_int32(text, std::trunc(scaled < 1.0 ? 1.0 : scaled))) return CONV_BAD_LIGHT;
    if (!text.ok()) return CONV_LINE_TOO_LONG;
    return entity.set_value(fields.light_key, text.view());
  }
  // No light key: supply one, scaled but not clamped.
  if (!add_int32(text, std::trunc(default_light * factor))) return CONV_BAD_LIGHT;
  return entity.add("light", text.view());
}


// The block's fields found again after the rules edited its keys.
void find_fields(const Entity& e, EntityFields& f) {
  f.class_key = f.origin_key = f.light_key = -1;
  for (int k = 0; k < e.key_count(); ++k) {
    const std::string_view word = e.key(k).first_word;
    if (word == "\"classname\"") f.class_key = k;
    if (word == "\"origin\"") f.origin_key = k;
    if (f.light_key < 0 && word == "\"light\"") f.light_key = k;
  }
}

}  // namespace

// The entity rules of a -q3 run: the table, the map's facts from a first
// pass over the source, and what they did, said on standard error when the
// run's rewriting ends.
struct RulesTrial {
  RuleSet set;
  std::unique_ptr<RuleIndex> index;
  MapFacts facts;
  RulesReport report;
  bool facts_read = false;

  explicit RulesTrial(bool q2) {
    const std::string path = find_table(q2 ? "q2.rules" : "q1.rules");
    std::string error;
    if (!load_rules(path, set, error)) {
      fprintf(stderr, "-q3: entity rules not used: %s\n", error.c_str());
      set = RuleSet{};
    }
    report.table = set.path;
    index = std::make_unique<RuleIndex>(set);
  }

  // The first pass: every entity after the world, as the conversion reads
  // it. Done once, before the first entity is rewritten.
  void read_facts(const Settings& settings, const GraphEdits* edits) {
    if (facts_read) return;
    facts_read = true;
    FILE* source = fopen(settings.paths.source, "r");
    if (source != nullptr) {
      auto input = std::make_unique<SourceInput>();
      auto block = std::make_unique<Block>();
      const ClassTable none{};
      start_reading(*input, source, *block, settings);
      if (find_worldspawn(*input, *block) && skip_world(*input, *block, settings) == CONV_END) {
        for (int n = 1;; ++n) {
          const ReadOutcome r = read_entity(*input, *block, none, settings);
          if (r.status == CONV_DISCARD) continue;
          if (r.status != CONV_OK) break;
          if (edits == nullptr || !edits->omitted.count(n)) facts.note(block->entity, n);
        }
      }
      fclose(source);
    }
    facts.finish();
  }

  ~RulesTrial() {
    for (const std::string& line : rules_report_lines(report)) fprintf(stderr, "-q3: %s\n", line.c_str());
  }
};

namespace {

RulesTrial* rules_of(const PlayableRewrite& playable) {
  if (playable.edits == nullptr) return nullptr;
  if (!playable.rules) playable.rules = std::make_shared<RulesTrial>(playable.faces.q2);
  return playable.rules.get();
}

conv_status rewrite_with_rules(Block& block, const ClassTable& table, const Settings& settings,
                               PlayableRewrite& playable, RulesTrial& t, int number) {
  Entity& entity = block.entity;
  LineBuffer& lines = entity.lines;
  EntityFields& fields = block.fields;
  const std::string source_class(entity.classname());
  const std::string table_class(fields.class_slot >= 0 ? unquoted(table.slots[static_cast<size_t>(fields.class_slot)].target) : "");
  EntityVerdict verdict;
  conv_status r = apply_entity_rules(*t.index, t.facts, number, table_class, entity, verdict, t.report);
  if (r != CONV_OK) return r;
  find_fields(entity, fields);
  const std::string q3_class(entity.classname());
  if (settings.factors.light != 1.0 && q3_class == "light") r = scale_light(entity, fields, settings);
  if (r == CONV_OK && playable.edits != nullptr) r = edit_targets(entity, *playable.edits, number);
  if (r != CONV_OK) return r;
  if (lines.brush_count() > 0) {
    const bool detail = verdict.faces.detail || (source_class.starts_with("func_detail") && table_class == "func_group");
    r = rewrite_brush_faces(lines, settings, playable.faces, kind_of(source_class), detail);
    if (r == CONV_OK) r = write_nonsolid_faces(lines, verdict.faces.solidity);
    if (r == CONV_OK && q3_class == "func_train") {
      const int before = lines.brush_count();
      r = add_train_origin(lines, playable.faces.valve);
      playable.trains_given_origin += lines.brush_count() > before;
    }
  } else if (settings.factors.size != 1.0 && fields.origin_key >= 0) {
    r = scale_origin(entity, fields.origin_key, settings);
  }
  // New entities follow on the block's own lines: "} {" closes it and opens
  // the next for the compiler, while the block stays one entity to this
  // program's reader.
  for (const Entity& added : verdict.added) {
    if (r == CONV_OK) r = lines.add("} {");
    for (int i = 0; i < added.lines.size() && r == CONV_OK; ++i) r = lines.add(added.lines.view(i));
  }
  return r;
}

}  // namespace

conv_status rewrite_world_brush(Block& block, const Settings& settings, PlayableRewrite& playable) {
  return rewrite_brush_faces(block.entity.lines, settings, playable.faces, KIND_WORLD, false);
}

bool entity_kept(const Block& block, const PlayableRewrite& playable, int number) {
  if (playable.edits != nullptr && playable.edits->omitted.count(number)) return false;
  RulesTrial* t = rules_of(playable);
  if (t == nullptr) return block.fields.class_slot >= 0;  // in the table
  const bool listed = block.fields.class_slot >= 0;
  if (!rules_class(*t->index, block.entity, listed ? "listed" : "").empty()) return true;
  // Left out: for the report, what is lost and what is omitted; nothing is edited.
  EntityVerdict left_out;
  (void)apply_entity_rules(*t->index, t->facts, number, "", const_cast<Entity&>(block.entity), left_out, t->report);
  return false;
}

conv_status rewrite_entity(Block& block, const ClassTable& table, const Settings& settings,
                           PlayableRewrite& playable, int number) {
  if (RulesTrial* t = rules_of(playable); t != nullptr && settings.modes.q3) {
    t->read_facts(settings, playable.edits);
    return rewrite_with_rules(block, table, settings, playable, *t, number);
  }
  Entity& entity = block.entity;
  LineBuffer& lines = entity.lines;
  const EntityFields& fields = block.fields;
  const ClassSlot& slot = table.slots[static_cast<size_t>(fields.class_slot)];
  conv_status r = entity.set_value(fields.class_key, unquoted(slot.target));
  if (r == CONV_OK && settings.factors.light != 1.0 && std::strcmp(slot.source, "\"light\"") == 0)
    r = scale_light(entity, fields, settings);
  if (r == CONV_OK && playable.edits != nullptr) r = edit_targets(entity, *playable.edits, number);
  if (r != CONV_OK) return r;
  if (lines.brush_count() > 0) {
    const owner_kind kind = kind_of(unquoted(slot.source));
    // Detail brushes grouped into the world stay detail for the compiler.
    const bool detail = unquoted(slot.source).starts_with("func_detail") && unquoted(slot.target) == "func_group";
    r = rewrite_brush_faces(lines, settings, playable.faces, kind, detail);
    if (r != CONV_OK || playable.edits == nullptr || unquoted(slot.target) != "func_train") return r;
    const int before = lines.brush_count();
    r = add_train_origin(lines, playable.faces.valve);
    playable.trains_given_origin += lines.brush_count() > before;
    return r;
  }
  if (settings.factors.size != 1.0) return scale_origin(entity, fields.origin_key, settings);
  return CONV_OK;
}
