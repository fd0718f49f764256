// A run's report as JSON, for scripts: the format korvex's --report
// writes, and the part of korvex-batch's and korvex-play's reports that
// each map's conversion fills.
#ifndef KORVEX_CONVERTER_REPORT_JSON_H
#define KORVEX_CONVERTER_REPORT_JSON_H

#include <nlohmann/json.hpp>

#include "run_report.h"

namespace conv {

// The report as a JSON object:
//   program, version, source, output, status, completed, failure,
//   game {voted, converted_as}, seconds,
//   counts {brushes, entities, written, left_out, discarded},
//   left_out_classes [{class, count}], most frequent first,
//   discarded [{what, number, line, reason}],
//   texture_rules {table, rules [{line, pattern, replacement, faces}],
//                  faces_unmatched, faces_owner, names_kept [...]} (or null),
//   edits [...], notes [...], compile_switches [...],
//   entity_rules {table, changed, omitted, derived, doors_teamed, lost [...]} (or null),
//   lights {lights, by_delay [6], spotlights, suns, targets_added, coloured,
//           jittered, styled_baked, switchable_baked, start_off_left_out,
//           surface_templates, approximated, unsupported, world_changes [...],
//           sky_directives [...]} (or null).
[[nodiscard]] nlohmann::json report_json(const RunReport& report);

// The game's name as reports write it: "Quake", "Quake 2" or "unknown".
[[nodiscard]] std::string game_json_name(kmap::Game game);

}  // namespace conv

#endif
