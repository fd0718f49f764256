#include "rules_report.h"

#include <cstdio>

namespace {

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

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

std::string rules_report_json(const RulesReport& report) {
  std::string out = "{\"table\": " + json_string(report.table) +
                    ", \"changed\": " + std::to_string(report.entities_changed) +
                    ", \"omitted\": " + std::to_string(report.entities_omitted) +
                    ", \"derived\": " + std::to_string(report.entities_derived) +
                    ", \"doors_teamed\": " + std::to_string(report.doors_teamed) + ", \"lost\": [";
  for (size_t i = 0; i < report.lost.size(); ++i) {
    const LostMeaning& l = report.lost[i];
    out += (i > 0 ? ", " : "") + std::string("{\"class\": ") + json_string(l.source_class) +
           ", \"what\": " + json_string(l.what) + ", \"entities\": " + std::to_string(l.entities) +
           ", \"line\": " + std::to_string(l.line) + "}";
  }
  return out + "]}";
}
