// korvex-play's --report: the run as JSON, for scripts.
#ifndef KORVEX_PLAY_PLAY_REPORT_H
#define KORVEX_PLAY_PLAY_REPORT_H

#include <nlohmann/json.hpp>

#include "play_record.h"

namespace play {

// The run as a JSON object:
//   program, version, input, status, failure, interrupted, seconds,
//   compiler {program (or null), why_not, game_path, game_data},
//   maps [{name, source, game, long_name, types, status ("packed" or
//          "failed"), failure, seconds, compiled, levelshot, warnings [...],
//          conversion (korvex's report), compile [{stage, command [...],
//          end ("exited", "signalled", "stopped", "not started"), code,
//          seconds, error, leaked, leak_at, warnings [...]}]}],
//   textures (korvex-tex's, without the map), hand_commands [...],
//   pack {destination ("" when nothing was written), files, bytes}.
[[nodiscard]] nlohmann::json play_report_json(const PlayRecord& record);

}  // namespace play

#endif
