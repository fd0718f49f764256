#include "light_pass.h"

#include <sstream>

using namespace kmap;

namespace conv {

conv_status translate_world_keys(Entity& keys, bool quake2, LightRun& run) {
  WorldLightReport report;
  if (!run.world_seen) run.world = world_light_facts(keys, quake2);
  const conv_status status = translate_world_light(keys, quake2, report);
  if (status != CONV_OK) return status;
  auto append = [](std::vector<std::string>& to, std::vector<std::string>& from) {
    to.insert(to.end(), from.begin(), from.end());
  };
  append(run.world_report.switches, report.switches);
  append(run.world_report.sky, report.sky);
  append(run.world_report.changes, report.changes);
  run.world_seen = true;
  return CONV_OK;
}

conv_status translate_light_entity(Entity& entity, std::string_view source_class,
                                   const std::optional<std::string>& source_flags, LightRun& run,
                                   std::vector<Entity>& added, bool& write) {
  write = true;
  // Lights are points.
  if (entity.lines.brush_count() > 0 || !is_light_class(entity.classname())) return CONV_OK;
  entity.index_keys();  // the translation reads many keys
  if (entity.value("spawnflags") != source_flags) {
    if (!source_flags)
      entity.remove("spawnflags");
    else if (const conv_status s = entity.set("spawnflags", *source_flags); s != CONV_OK)
      return s;
  }
  LightTranslation lit;
  LightReport report = run.report;
  if (const conv_status s = translate_light(entity, source_class, run.world, run.targets, lit, report); s != CONV_OK)
    return s;
  if (lit.target) {
    Entity target;
    if (const conv_status s = make_target_entity(*lit.target, target); s != CONV_OK) return s;
    added.push_back(std::move(target));
  }
  run.report = report;
  write = lit.write;
  return CONV_OK;
}

namespace {

// The Q3 compiler lights by cos θ wherever its lights keep an angle term:
// its suns, sky dome and surface lights (the translated point lights have
// none). The Quake compilers light by (1 - a) + a·cos θ, a wall under a
// high sun at half. The half-Lambert curve ((1 + cos θ) / 2)² is nearer for
// any a below 7/8: a quarter at the wall, all of it facing the light.
constexpr double half_lambert_below = 0.875;

bool wants_half_lambert(const LightRun& run) {
  const bool angle_lights = !run.world_report.sky.empty() || run.report.suns > 0 || run.report.surface_templates > 0;
  return angle_lights && !run.world.quake2 && run.world.anglescale < half_lambert_below;
}

}  // namespace

std::vector<std::string> compile_switch_words(const LightRun& run) {
  std::vector<std::string> words;
  for (const std::string& line : run.world_report.switches) {
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
  }
  if (wants_half_lambert(run)) words.insert(words.end(), {"-lightanglehl", "1"});
  return words;
}

std::vector<std::string> light_report_lines(const LightRun& run) {
  const LightReport& r = run.report;
  std::vector<std::string> lines;
  if (r.lights > 0) {
    std::string line = std::to_string(r.lights) + " light(s) translated for the Q3 compiler: " +
                       std::to_string(r.spotlights) + " spotlight(s), " + std::to_string(r.suns) + " sun(s), " +
                       std::to_string(r.approximated) + " with an approximated curve";
    lines.push_back(line);
  }
  if (r.switchable + r.styled > 0)
    lines.push_back(std::to_string(r.switchable) + " switchable and " + std::to_string(r.styled) +
                    " animated light(s) baked lit: Q3 has no light styles");
  if (r.start_off_left_out > 0)
    lines.push_back(std::to_string(r.start_off_left_out) + " switchable light(s) that start off left out");
  if (r.unsupported > 0)
    lines.push_back(std::to_string(r.unsupported) + " light(s) without a Q3 compiler form left out");
  if (r.surface_templates > 0)
    lines.push_back(std::to_string(r.surface_templates) +
                    " surface light template(s) kept for korvex-tex, which makes their textures emit");
  for (const std::string& change : run.world_report.changes) lines.push_back("world " + change);
  for (const std::string& sky : run.world_report.sky) lines.push_back("sky shader (korvex-tex) " + sky);
  if (const std::vector<std::string> words = compile_switch_words(run); !words.empty()) {
    std::string all;
    for (const std::string& word : words) all += " " + word;
    lines.push_back("compile the light stage with" + all);
  }
  return lines;
}

nlohmann::json light_report_json(const LightRun& run) {
  const LightReport& r = run.report;
  return {{"lights", r.lights},
          {"by_delay", r.by_delay},
          {"spotlights", r.spotlights},
          {"suns", r.suns},
          {"targets_added", r.targets_added},
          {"coloured", r.coloured},
          {"jittered", r.jittered},
          {"styled_baked", r.styled},
          {"switchable_baked", r.switchable},
          {"start_off_left_out", r.start_off_left_out},
          {"surface_templates", r.surface_templates},
          {"approximated", r.approximated},
          {"unsupported", r.unsupported},
          {"world_changes", run.world_report.changes},
          {"sky_directives", run.world_report.sky}};
}

}  // namespace conv
