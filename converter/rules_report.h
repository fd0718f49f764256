// What the entity rules did in a run, for standard error and the run's
// JSON report: each meaning Q3 cannot express, once per source class, and
// counts of what was changed.
#ifndef KORVEX_CONVERTER_RULES_REPORT_H
#define KORVEX_CONVERTER_RULES_REPORT_H

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace conv {

struct LostMeaning {
  std::string source_class;
  std::string what;   // the rules table's text
  int entities = 0;   // entities of the class it applies to
  int line = 0;       // the rule's line in the table
};

struct RulesReport {
  std::string table;               // the rules table's path
  std::vector<LostMeaning> lost;   // in the order first met; one per class and text
  int entities_changed = 0;        // entities the rules edited
  int entities_omitted = 0;        // entities an `omit` left out
  int entities_derived = 0;        // entities the derivations added
  int doors_teamed = 0;            // doors given a team

  // Counts one entity of source_class for the text, adding the text the
  // first time.
  void note_lost(std::string_view source_class, std::string_view what, int line);
};

// One line per lost meaning, "CLASS: TEXT (N entities)", in the order met,
// then one summary line when anything was changed; no trailing newlines.
[[nodiscard]] std::vector<std::string> rules_report_lines(const RulesReport& report);

// The report as a JSON object: {"table": ..., "changed": N, "omitted": N,
// "derived": N, "doors_teamed": N, "lost": [{"class": ..., "what": ...,
// "entities": N, "line": N}, ...]}.
[[nodiscard]] nlohmann::json rules_report_json(const RulesReport& report);

}  // namespace conv

#endif
