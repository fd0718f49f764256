#include "map_log.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace conv;

namespace batch {
namespace {

void add_record(std::string& log, int& number, const std::string& text) {
  char head[16];
  std::snprintf(head, sizeof head, "%5d ", number++);
  log += head;
  log += text;
  log += "\n\n";
}

}  // namespace

std::string batch_log_records(const RunReport& report, int first) {
  std::string log;
  int number = first;
  std::vector<std::pair<std::string, long>> classes(report.left_out.begin(), report.left_out.end());
  std::stable_sort(classes.begin(), classes.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  for (const auto& [name, count] : classes)
    add_record(log, number, "Left out, not in the table: " + std::to_string(count) + " " + name);
  if (!report.texture_table.empty()) {
    long by_rules = 0;
    for (const TextureRuleUse& rule : report.texture_rules) by_rules += rule.faces;
    add_record(log, number,
               "Texture rules '" + report.texture_table + "': " + std::to_string(by_rules) +
                   " faces chosen by a rule, " + std::to_string(report.faces_unmatched) + " by none; " +
                   std::to_string(report.faces_owner) + " faces have their owner's texture; " +
                   std::to_string(report.names_kept.size()) + " source names kept");
    for (const TextureRuleUse& rule : report.texture_rules)
      if (rule.faces != 0)
        add_record(log, number,
                   "Texture rule at line " + std::to_string(rule.line) + ": " + rule.pattern + " -> " +
                       rule.replacement + ": " + std::to_string(rule.faces) + " faces");
  }
  for (const std::string& edit : report.edits) add_record(log, number, "-q3: " + edit);
  for (const std::string& note : report.notes) add_record(log, number, "-q3: " + note);
  return log;
}

}  // namespace batch
