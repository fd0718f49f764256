// The members of the pack a run writes besides its textures: each map's
// compiled files (or its converted source) and its arena file, read from
// the work folder.
#ifndef KORVEX_PLAY_PACK_CONTENTS_H
#define KORVEX_PLAY_PACK_CONTENTS_H

#include <string>
#include <vector>

#include "pack_plan.h"

namespace play {

// Appends what the compiler made of the map `name` in the work folder
// `work`: maps/NAME.bsp, then (those present) the external lightmaps under
// maps/NAME/, scripts/q3map2_NAME.shader (its light styles) and
// levelshots/NAME.tga. Returns true, or false with `error` set and `files`
// as it was.
[[nodiscard]] bool add_compiled_map(const std::string& work, const std::string& name,
                                    std::vector<texpack::PackFile>& files, std::string& error);

// Appends maps/NAME.map, the converted map. True, or false with `error` set
// and `files` as it was.
[[nodiscard]] bool add_map_source(const std::string& work, const std::string& name,
                                  std::vector<texpack::PackFile>& files, std::string& error);

// Checks every member's path (texpack::check_pack_path) and that no path
// stands twice (case ignored, as packs are searched). True, or false with
// `error` naming the first wrong path.
[[nodiscard]] bool check_members(const std::vector<texpack::PackFile>& files, std::string& error);

// The bytes of all members together.
[[nodiscard]] uintmax_t total_bytes(const std::vector<texpack::PackFile>& files);

}  // namespace play

#endif
