#include "report.h"

#include <set>

#include "pack_names.h"
#include "version.h"

namespace texpack {
namespace {

constexpr size_t listed_duplicates = 10;

std::string kind_text(MapKind kind) {
  switch (kind) {
    case MapKind::quake: return "Quake source map";
    case MapKind::quake2: return "Quake 2 source map";
    case MapKind::converted: break;
  }
  return "converted map";
}

nlohmann::json named_faces(const std::vector<MissingTexture>& names) {
  nlohmann::json list = nlohmann::json::array();
  for (const MissingTexture& name : names) list.push_back({{"name", name.pack_name}, {"faces", name.faces}});
  return list;
}

std::string faces(int count) { return std::to_string(count) + (count == 1 ? " face" : " faces"); }

}  // namespace

void ProgressLine::update(size_t done, size_t total) {
  if (!terminal_) return;
  stream_ << "\rwriting images: " << done << "/" << total << std::flush;
  shown_ = true;
}

void ProgressLine::finish() {
  if (shown_) stream_ << "\n" << std::flush;
  shown_ = false;
}

std::string name_list(const std::vector<MissingTexture>& names) {
  std::string text;
  for (const MissingTexture& name : names) text += "  " + name.pack_name + " (" + faces(name.faces) + ")\n";
  return text;
}

std::string summary_text(const RunFacts& facts, const PackPlan& plan) {
  std::string text = "map: " + facts.map_path + " (" + kind_text(facts.kind) + ")\n";
  if (plan.palette_used != nullptr) text += "palette: " + plan.palette_used->origin + "\n";
  if (plan.own_palette_textures > 0)
    text += "own palettes: " + std::to_string(plan.own_palette_textures) + " textures carry their colours\n";
  for (const std::string& note : facts.wad_notes) text += "wad key: " + note + "\n";
  for (const std::string& problem : facts.problems) text += "skipped damaged file: " + problem + "\n";

  text += "textures found: " + std::to_string(plan.textures_found) + " of the map's names\n";
  for (const auto& [origin, count] : plan.found_per_origin)
    text += "  " + std::to_string(count) + " from " + origin + "\n";
  if (!facts.duplicates.empty()) {
    text += "duplicate names (the first source given wins): " + std::to_string(facts.duplicates.size()) + "\n";
    for (size_t i = 0; i < facts.duplicates.size() && i < listed_duplicates; ++i)
      text += "  " + facts.duplicates[i] + "\n";
    if (facts.duplicates.size() > listed_duplicates)
      text += "  ... and " + std::to_string(facts.duplicates.size() - listed_duplicates) + " more\n";
  }

  text += "shaders written: " + std::to_string(plan.shaders);
  std::string kinds;
  for (size_t kind = 0; kind < plan.shaders_by_kind.size(); ++kind)
    if (plan.shaders_by_kind[kind] > 0)
      kinds += (kinds.empty() ? "" : ", ") + std::to_string(plan.shaders_by_kind[kind]) + " " +
               std::string(shader_kind_names[kind]);
  text += kinds.empty() ? "\n" : " (" + kinds + ")\n";
  for (const std::string& note : plan.notes) text += "note: " + note + "\n";

  if (!facts.stock.empty())
    text += "left to the game's shaders: " + std::to_string(facts.stock.size()) + " names\n";
  if (!facts.tools.empty()) text += "tool textures left out: " + std::to_string(facts.tools.size()) + "\n" + name_list(facts.tools);
  if (plan.missing.empty())
    text += "missing: none\n";
  else
    text += "missing: " + std::to_string(plan.missing.size()) + " names\n" + name_list(plan.missing);
  if (!facts.destination.empty())
    text += "written: " + facts.destination + " (" + std::to_string(facts.files) + " files, " +
            std::to_string(facts.bytes) + " bytes)\n";
  return text;
}

nlohmann::json textures_json(const RunFacts& facts, const PackPlan& plan) {
  using nlohmann::json;
  json wanted = json::array();
  json packed = json::array();
  std::set<std::string> missing;
  for (const MissingTexture& name : plan.missing) missing.insert(lower(name.pack_name));
  for (const WantedTexture& name : facts.wanted) {
    wanted.push_back({{"name", name.name.pack_name}, {"faces", name.faces}});
    if (missing.count(lower(name.name.pack_name)) == 0) packed.push_back(name.name.pack_name);
  }
  json by_kind = json::object();
  for (size_t kind = 0; kind < plan.shaders_by_kind.size(); ++kind)
    if (plan.shaders_by_kind[kind] > 0) by_kind[std::string(shader_kind_names[kind])] = plan.shaders_by_kind[kind];
  return {
      {"sources", facts.sources},
      {"palette", plan.palette_used != nullptr ? json(plan.palette_used->origin) : json(nullptr)},
      {"own_palette_textures", plan.own_palette_textures},
      {"wanted", wanted},
      {"packed", packed},
      {"missing", named_faces(plan.missing)},
      {"tools", named_faces(facts.tools)},
      {"stock", facts.stock},
      {"found_per_source", plan.found_per_origin},
      {"duplicates", facts.duplicates},
      {"damaged", facts.problems},
      {"wad_key_notes", facts.wad_notes},
      {"shaders", {{"count", plan.shaders}, {"by_kind", by_kind}}},
      {"notes", plan.notes},
  };
}

nlohmann::json tex_report_json(const RunFacts& facts, const PackPlan& plan, int status, const std::string& failure,
                               double seconds) {
  return {
      {"program", "korvex-tex"},
      {"version", kmap::version},
      {"map", facts.map_path},
      {"kind", kind_text(facts.kind)},
      {"status", status},
      {"failure", failure},
      {"textures", textures_json(facts, plan)},
      {"destination", facts.destination},
      {"files", facts.files},
      {"bytes", facts.bytes},
      {"seconds", seconds},
  };
}

}  // namespace texpack
