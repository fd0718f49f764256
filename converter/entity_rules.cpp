#include "entity_rules.h"

#include <optional>
#include <utility>

#include "bounded_text.h"
#include "coords.h"
#include "entity_values.h"
#include "rules_derive.h"

namespace conv {
namespace {

// The key lines of an entity read once, for tests that all read the entity
// as the source has it, before any edit (the views last until the first).
class SourceKeys {
 public:
  explicit SourceKeys(const kmap::Entity& entity) {
    for (int k = 0; k < entity.key_count(); ++k) {
      const kmap::KeyLine line = entity.key(k);
      if (line.quoted_key) keys_.emplace_back(line.key, line.value);
    }
    const double flags = number("spawnflags");
    spawnflags_ = flags > 0 && flags < 4294967296.0 ? static_cast<uint32_t>(flags) : 0;
  }

  // The last value of the key, as the games keep it.
  [[nodiscard]] std::optional<std::string_view> value(std::string_view key) const {
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it)
      if (it->first == key) return it->second;
    return std::nullopt;
  }
  [[nodiscard]] double number(std::string_view key) const {
    const auto v = value(key);
    return v ? quake_number(*v) : 0.0;
  }
  [[nodiscard]] bool present(std::string_view key) const {
    const auto v = value(key);
    return v && !v->empty();
  }
  [[nodiscard]] uint32_t spawnflags() const { return spawnflags_; }
  [[nodiscard]] std::string_view classname() const { return value("classname").value_or(""); }

 private:
  std::vector<std::pair<std::string_view, std::string_view>> keys_;
  uint32_t spawnflags_ = 0;
};

// Holds for an entity when the value is as the test asks.
bool test_holds(const RuleTest& test, const SourceKeys& keys) {
  switch (test.kind) {
    case TestKind::flag_any: return (keys.spawnflags() & test.bits) != 0;
    case TestKind::flag_none: return (keys.spawnflags() & test.bits) == 0;
    case TestKind::has: return keys.present(test.key);
    case TestKind::lacks: return !keys.present(test.key);
    case TestKind::less: return keys.number(test.key) < test.number;
    case TestKind::less_equal: return keys.number(test.key) <= test.number;
    case TestKind::greater: return keys.number(test.key) > test.number;
    case TestKind::greater_equal: return keys.number(test.key) >= test.number;
    case TestKind::equal: return keys.number(test.key) == test.number;
    case TestKind::not_equal: return keys.number(test.key) != test.number;
  }
  return false;
}

bool holds(const Rule& rule, const SourceKeys& keys) {
  for (const RuleTest& test : rule.tests)
    if (!test_holds(test, keys)) return false;
  return true;
}

// The games' `if (!self.key)`: a string field is unset when empty, a
// number field when it reads as 0; the rule's value tells which it is.
bool unset(const kmap::Entity& entity, std::string_view key, std::string_view rule_value) {
  const auto value = entity.value(key);
  if (!value || value->empty()) return true;
  const bool number_field = !rule_value.empty() && quake_number(rule_value) != 0;
  return number_field && quake_number(*value) == 0;
}

// Edits that report whether they changed anything.
class Editor {
 public:
  explicit Editor(kmap::Entity& entity) : entity_(entity) {}

  void set(std::string_view key, std::string_view value) {
    if (status != CONV_OK || holds_only(key, value)) return;
    status = entity_.set(key, value);
    changed = true;
  }
  void remove(std::string_view key) {
    if (entity_.find(key) < 0) return;
    entity_.remove(key);
    changed = true;
  }
  void rename(std::string_view from, std::string_view to) {
    if (status != CONV_OK || entity_.find(from) < 0) return;
    status = entity_.rename(from, to);
    changed = true;
  }
  // The spawnflags as edited so far (the source's until an edit).
  uint32_t flags = 0;

  void set_flags(uint32_t value) {
    if (value == flags) return;
    flags = value;
    if (value == 0)
      remove("spawnflags");
    else
      set("spawnflags", std::to_string(value));
  }
  void offset(const std::array<double, 3>& by) {
    kmap::Vec3 origin{};
    if (const auto text = entity_.value("origin"); text && !read_vector(*text, origin)) return;
    char buffer[1024];
    kmap::BoundedText out(buffer, sizeof buffer);
    for (int i = 0; i < 3; ++i) {
      if (i > 0) out.add(" ");
      if (!kmap::add_real(out, origin[i] + by[i])) return;
    }
    if (out.ok()) set("origin", out.view());
  }

  conv_status status = CONV_OK;
  bool changed = false;

 private:
  // True when the entity has the key once, with that value.
  bool holds_only(std::string_view key, std::string_view value) const {
    int n = 0;
    bool same = false;
    for (int k = 0; k < entity_.key_count(); ++k) {
      const kmap::KeyLine line = entity_.key(k);
      if (!line.quoted_key || line.key != key) continue;
      ++n;
      same = line.value == value;
    }
    return n == 1 && same;
  }

  kmap::Entity& entity_;
};

std::vector<const Rule*> holding(const std::vector<const Rule*>& rules, const SourceKeys& keys) {
  std::vector<const Rule*> held;
  for (const Rule* rule : rules)
    if (holds(*rule, keys)) held.push_back(rule);
  return held;
}

// The first `to` that holds, else the class table's name; empty when an
// `omit` holds (omitted set) or neither gives a name.
std::string chosen_class(const std::vector<const Rule*>& held, std::string_view table_class, bool& omitted) {
  std::string chosen(table_class);
  bool found = false;
  for (const Rule* rule : held) {
    if (rule->action == RuleAction::to && !found) {
      chosen = rule->key;
      found = true;
    }
    omitted = omitted || rule->action == RuleAction::omit;
  }
  return omitted ? std::string() : chosen;
}

}  // namespace

std::string rules_class(RuleIndex& index, const kmap::Entity& entity, std::string_view table_class) {
  const SourceKeys keys(entity);
  bool omitted = false;
  return chosen_class(holding(index.rules_for(keys.classname()), keys), table_class, omitted);
}

const std::vector<const Rule*>& RuleIndex::rules_for(std::string_view classname) {
  const std::string key(classname);
  if (const auto found = by_class_.find(key); found != by_class_.end()) return found->second;
  std::vector<const Rule*> rules;
  for (const RuleSection& section : rules_->sections) {
    if (!section_names(section, classname)) continue;
    for (const Rule& rule : section.rules) rules.push_back(&rule);
  }
  return by_class_.emplace(key, std::move(rules)).first->second;
}

bool rule_holds(const Rule& rule, const kmap::Entity& entity) { return holds(rule, SourceKeys(entity)); }

conv_status apply_entity_rules(RuleIndex& index, MapFacts& facts, int number, std::string_view table_class,
                               kmap::Entity& entity, EntityVerdict& verdict, RulesReport& report) {
  // Every test reads the source's entity, so each is decided before any edit.
  const SourceKeys keys(entity);
  const std::string source_class(keys.classname());
  const std::vector<const Rule*> rules = holding(index.rules_for(source_class), keys);

  bool omitted = false;
  const std::string q3_class = chosen_class(rules, table_class, omitted);
  for (const Rule* rule : rules)
    if (rule->action == RuleAction::lost) report.note_lost(source_class, rule->key, rule->line);
  if (q3_class.empty()) {
    report.entities_omitted += omitted;
    verdict = EntityVerdict{};
    return CONV_OK;
  }

  bool derives = false;
  for (const Rule* rule : rules) derives = derives || rule->action == RuleAction::derive;
  const SourceValues source = derives ? read_source_values(entity) : SourceValues{};
  EntityVerdict out;
  out.keep = true;
  Editor edit(entity);
  edit.flags = keys.spawnflags();
  std::vector<const Rule*> derivations;
  for (const Rule* rule : rules) {
    switch (rule->action) {
      case RuleAction::default_value:
        if (unset(entity, rule->key, rule->value)) edit.set(rule->key, rule->value);
        if (rule->key == "spawnflags") edit.flags = spawnflags_of(entity);
        break;
      case RuleAction::set:
        edit.set(rule->key, rule->value);
        if (rule->key == "spawnflags") edit.flags = spawnflags_of(entity);
        break;
      case RuleAction::scale:
        if (entity.find(rule->key) >= 0) edit.set(rule->key, number_text(key_number(entity, rule->key) * rule->number, 6));
        break;
      case RuleAction::remove:
        edit.remove(rule->key);
        if (rule->key == "spawnflags") edit.flags = 0;
        break;
      case RuleAction::rename:
        edit.rename(rule->key, rule->value);
        if (rule->key == "spawnflags" || rule->value == "spawnflags") edit.flags = spawnflags_of(entity);
        break;
      case RuleAction::flags_clear: edit.set_flags(edit.flags & ~rule->bits); break;
      case RuleAction::flags_set: edit.set_flags(edit.flags | rule->bits); break;
      case RuleAction::flags_move:
        if (edit.flags & rule->bits) edit.set_flags((edit.flags & ~rule->bits) | rule->to_bit);
        break;
      case RuleAction::offset: edit.offset(rule->offset); break;
      case RuleAction::faces:
        out.faces.detail = out.faces.detail || rule->faces != FaceKind::nonsolid_opaque;
        if (rule->faces == FaceKind::nonsolid) out.faces.solidity = kmap::Solidity::nonsolid;
        if (rule->faces == FaceKind::nonsolid_opaque) out.faces.solidity = kmap::Solidity::nonsolid_opaque;
        break;
      case RuleAction::derive: derivations.push_back(rule); break;
      case RuleAction::to:
      case RuleAction::omit:
      case RuleAction::lost: break;
    }
    if (edit.status != CONV_OK) return edit.status;
  }
  if (q3_class != source_class) edit.set("classname", q3_class);
  if (edit.status != CONV_OK) return edit.status;

  DeriveContext ctx{facts, number, out.added};
  for (const Rule* rule : derivations) {
    DeriveResult result;
    switch (rule->derivation) {
      case Derivation::push: result = derive_push(source, entity, ctx); break;
      case Derivation::targets: result = derive_targets(entity, ctx); break;
      case Derivation::door_team: result = derive_door_team(entity, ctx); break;
      case Derivation::secret_door: result = derive_secret_door(source, entity, ctx); break;
      case Derivation::teleporter: result = derive_teleporter(entity, ctx); break;
    }
    if (result.status != CONV_OK) return result.status;
    if (result.unmet != nullptr) report.note_lost(source_class, result.unmet, rule->line);
  }
  const bool derived_any = !out.added.empty() || ctx.doors_teamed > 0;
  report.entities_derived += static_cast<int>(out.added.size());
  report.doors_teamed += ctx.doors_teamed;
  report.entities_changed += edit.changed || derived_any;
  verdict = std::move(out);
  return CONV_OK;
}

}  // namespace conv
