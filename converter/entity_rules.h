// The entity rules engine (-q3): applies a rules table (rules_table.h) to
// one entity at a time, after a first pass has gathered the map's facts
// (rules_facts.h). A run uses it so:
//
//   RuleIndex index(rule_set);
//   MapFacts facts;
//   for each source entity after the world:  facts.note(entity, number);
//   facts.finish();
//   for each source entity after the world:
//     apply_entity_rules(index, facts, number, table_class, entity, verdict, report);
//     write entity (verdict.keep), then verdict.added
//
// worldspawn is never given to either pass.
#ifndef KORVEX_CONVERTER_ENTITY_RULES_H
#define KORVEX_CONVERTER_ENTITY_RULES_H

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "entity.h"
#include "nonsolid_names.h"
#include "rules_facts.h"
#include "rules_report.h"
#include "rules_table.h"
#include "status.h"

namespace conv {

// The rules of each source class, found once per class.
class RuleIndex {
 public:
  // rules must outlive the index.
  explicit RuleIndex(const RuleSet& rules) : rules_(&rules) {}

  // The rules whose section names the class, in the order of the table.
  [[nodiscard]] const std::vector<const Rule*>& rules_for(std::string_view classname);

  [[nodiscard]] const RuleSet& rule_set() const { return *rules_; }

 private:
  const RuleSet* rules_;
  std::unordered_map<std::string, std::vector<const Rule*>> by_class_;
};

// How the faces of a kept entity's brushes are written.
struct FaceTreatment {
  bool detail = false;                              // the detail bit on every face
  kmap::Solidity solidity = kmap::Solidity::solid;  // names by nonsolid_texture_name
};

struct EntityVerdict {
  bool keep = false;                 // the entity is written
  FaceTreatment faces;
  std::vector<kmap::Entity> added;   // new entities, written after it in this order
};

// Applies the rules of the entity's source class. `table_class` is the
// class the class table gives it (empty when the table leaves it out); a
// `to` rule that holds overrides it, and with neither the entity is left
// out. A kept entity gets its Q3 classname and every edit; one left out is
// not edited. Meanings Q3 cannot express (`lost`) and counts go to report.
// Returns CONV_OK with verdict filled, or an edit's CONV_LINE_TOO_LONG /
// CONV_TOO_MANY_LINES, with the entity partly edited and verdict untouched.
[[nodiscard]] conv_status apply_entity_rules(RuleIndex& rules, MapFacts& facts, int number,
                                             std::string_view table_class, kmap::Entity& entity,
                                             EntityVerdict& verdict, RulesReport& report);

// The class apply_entity_rules would write for the entity, or empty when it
// would leave it out. Edits and reports nothing.
[[nodiscard]] std::string rules_class(RuleIndex& rules, const kmap::Entity& entity, std::string_view table_class);

// True when every test of the rule holds for the entity.
[[nodiscard]] bool rule_holds(const Rule& rule, const kmap::Entity& entity);

}  // namespace conv

#endif
