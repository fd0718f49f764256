#include "report_json.h"

#include <algorithm>

#include "version.h"

namespace conv {

std::string game_json_name(kmap::Game game) { return std::string(kmap::game_name(game)); }

nlohmann::json report_json(const RunReport& r) {
  using nlohmann::json;
  json left_out = json::array();
  std::vector<std::pair<std::string, long>> classes(r.left_out.begin(), r.left_out.end());
  std::stable_sort(classes.begin(), classes.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  for (const auto& [name, count] : classes) left_out.push_back({{"class", name}, {"count", count}});
  json discarded = json::array();
  for (const DiscardedObject& d : r.discarded)
    discarded.push_back({{"what", d.what}, {"number", d.number}, {"line", d.line}, {"reason", d.reason}});
  json rules = nullptr;
  if (!r.texture_table.empty()) {
    json list = json::array();
    for (const TextureRuleUse& u : r.texture_rules)
      list.push_back({{"line", u.line}, {"pattern", u.pattern}, {"replacement", u.replacement}, {"faces", u.faces}});
    rules = {{"table", r.texture_table},
             {"rules", list},
             {"faces_unmatched", r.faces_unmatched},
             {"faces_owner", r.faces_owner},
             {"names_kept", r.names_kept}};
  }
  return {
      {"program", "korvex"},
      {"version", kmap::version},
      {"source", r.source},
      {"output", r.output},
      {"status", r.status},
      {"completed", r.completed},
      {"failure", r.failure},
      {"game", {{"voted", game_json_name(r.game_voted)}, {"converted_as", game_json_name(r.game)}}},
      {"seconds", r.seconds},
      {"counts",
       {{"brushes", r.brushes},
        {"entities", r.entities},
        {"written", r.written},
        {"left_out", r.entities - r.written - static_cast<long>(std::count_if(r.discarded.begin(), r.discarded.end(),
                                                                               [](const DiscardedObject& d) {
                                                                                 return d.what == "entity";
                                                                               }))},
        {"discarded", r.discarded.size()}}},
      {"left_out_classes", left_out},
      {"discarded", discarded},
      {"texture_rules", rules},
      {"edits", r.edits},
      {"notes", r.notes},
      {"compile_switches", r.compile_switches},
      {"entity_rules", r.entity_rules},
      {"lights", r.lights},
  };
}

}  // namespace conv
