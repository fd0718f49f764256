// Finding the textures of one or more maps: their names sorted into those a
// pack supplies, tool textures and stock shaders; the game files searched,
// each map's own WADs first; the pack planned. korvex-tex does it for one
// map, korvex-play for every map of the pack it writes.
#ifndef KORVEX_TEXPACK_TEXTURE_SEARCH_H
#define KORVEX_TEXPACK_TEXTURE_SEARCH_H

#include <string>
#include <vector>

#include "map_scan.h"
#include "pack_plan.h"
#include "report.h"
#include "texture_sources.h"

namespace texpack {

enum class SearchStatus {
  ok,
  nothing_wanted,  // no name of the maps needs packing: the plan is left alone
  source_failed,   // a source given by name cannot be read, or is damaged
  plan_failed,     // no palette, a name a pack cannot hold, an image libpng refused
};

// Sorts the names of `maps` into facts.wanted (each name once, its faces
// summed over the maps), facts.stock and facts.tools; adds the WADs the
// maps' "wad" keys name (looked for in the folders among `sources`), then
// `sources` in order, to `library` (which the plan's palette points into:
// it must outlive the plan), and plans the pack of the wanted names
// with its shaders in scripts/<script_name>.shader, its Quake light in
// `range`. Reads files only.
// Returns ok with `facts` (its name lists, notes, duplicates, problems and
// sources) and `plan` written; nothing_wanted with `facts` written and
// `plan` untouched; another status with `error` set, `facts` and `plan`
// untouched.
[[nodiscard]] SearchStatus search_textures(const std::vector<const MapScan*>& maps,
                                           const std::vector<std::string>& sources, const std::string& script_name,
                                           LightRange range, const Progress& progress, TextureLibrary& library, RunFacts& facts,
                                           PackPlan& plan, std::string& error);

}  // namespace texpack

#endif
