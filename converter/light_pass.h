// The light translation over one run: the world's light keys and each
// light entity made the Q3 compiler's, the targets its spotlights aim at
// written after them, and what it did for the console and the report.
#ifndef KORVEX_CONVERTER_LIGHT_PASS_H
#define KORVEX_CONVERTER_LIGHT_PASS_H

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "entity.h"
#include "light_translation.h"
#include "status.h"
#include "world_light.h"

namespace conv {

struct LightRun {
  TargetTable targets;      // every entity's targetname and origin, from the first pass
  bool world_seen = false;  // the facts come from the world's first keys
  WorldLightFacts world;
  WorldLightReport world_report;
  LightReport report;
};

// Translates the world's light keys in place; the first call takes the
// facts the lights use. Returns CONV_OK or an edit's failure (the keys
// edited so far stay edited).
[[nodiscard]] conv_status translate_world_keys(kmap::Entity& keys, bool quake2, LightRun& run);

// Translates one kept point entity after the class table and the entity
// rules rewrote it. `source_class` and `source_flags` are its classname and
// spawnflags in the source: the translation reads Quake's flags, which the
// rules may have cleared for Q3's reading. Sets `write` false when the
// entity must be left out, and appends the target its light aims at to
// `added`. Returns CONV_OK or an edit's failure; on failure `added` and the
// report are untouched.
[[nodiscard]] conv_status translate_light_entity(kmap::Entity& entity, std::string_view source_class,
                                                 const std::optional<std::string>& source_flags, LightRun& run,
                                                 std::vector<kmap::Entity>& added, bool& write);

// The light stage's switches as separate words ("-bounce", "1").
[[nodiscard]] std::vector<std::string> compile_switch_words(const LightRun& run);

// The console's lines about the run's lights, each without its prefix.
[[nodiscard]] std::vector<std::string> light_report_lines(const LightRun& run);

// The same as a JSON object for the run's report.
[[nodiscard]] nlohmann::json light_report_json(const LightRun& run);

}  // namespace conv

#endif
