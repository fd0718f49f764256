// What korvex-play tells its user at the end of a run: each map, the
// textures, the pack, and the commands that compile the maps by hand when
// nothing compiled them.
#ifndef KORVEX_PLAY_SUMMARY_H
#define KORVEX_PLAY_SUMMARY_H

#include <string>
#include <vector>

#include "play_record.h"

namespace play {

// "1 map", "3 maps".
[[nodiscard]] std::string plural(size_t count, const std::string& one, const std::string& many);

// The summary: for each map its long name, game, game types, whether it
// was compiled, what the conversion did and the compiler's warnings, or
// why it failed; the textures packed, missing (each with its faces), left
// out and left to the game; the pack written; the record's hand commands.
[[nodiscard]] std::string summary_text(const PlayRecord& record);

// The shell commands that compile the record's maps (those that did not
// fail) by hand, the pack being at the absolute path `pack`: a build folder
// beside it (PACK without .pk3, then "-build") whose home/<game data>/
// holds a copy of the pack, where the compiler finds the textures; the maps
// unpacked; each stage as the run would have run it, the compiler named
// q3map2; the compiled files added to the pack with zip.
[[nodiscard]] std::vector<std::string> hand_commands(const PlayRecord& record, const std::string& pack, bool fast);

}  // namespace play

#endif
