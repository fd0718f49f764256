#include "rules_report.h"

#include <cstdio>

namespace conv {
namespace {


}  // namespace

void RulesReport::note_lost(std::string_view source_class, std::string_view what, int line) {
  for (LostMeaning& known : lost)
    if (known.source_class == source_class && known.what == what) {
      ++known.entities;
      return;
    }
  lost.push_back({std::string(source_class), std::string(what), 1, line});
}

std::vector<std::string> rules_report_lines(const RulesReport& report) {
  std::vector<std::string> lines;
  for (const LostMeaning& l : report.lost)
    lines.push_back(l.source_class + ": " + l.what + " (" + std::to_string(l.entities) +
                    (l.entities == 1 ? " entity)" : " entities)"));
  if (report.entities_changed > 0 || report.entities_omitted > 0)
    lines.push_back("entity rules '" + report.table + "': " + std::to_string(report.entities_changed) +
                    " entities changed, " + std::to_string(report.entities_omitted) + " left out, " +
                    std::to_string(report.entities_derived) + " added, " + std::to_string(report.doors_teamed) +
                    " doors given a team");
  return lines;
}

nlohmann::json rules_report_json(const RulesReport& report) {
  nlohmann::json lost = nlohmann::json::array();
  for (const LostMeaning& l : report.lost)
    lost.push_back({{"class", l.source_class}, {"what", l.what}, {"entities", l.entities}, {"line", l.line}});
  return {{"table", report.table},
          {"changed", report.entities_changed},
          {"omitted", report.entities_omitted},
          {"derived", report.entities_derived},
          {"doors_teamed", report.doors_teamed},
          {"lost", lost}};
}

}  // namespace conv
