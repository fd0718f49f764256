// The maps of a run: one map file, or the .map files of a folder, each with
// the name it gets inside the pack (maps/NAME.bsp).
#ifndef KORVEX_PLAY_MAP_LIST_H
#define KORVEX_PLAY_MAP_LIST_H

#include <string>
#include <string_view>
#include <vector>

namespace play {

// Longest map name: the compiler names its lightmap shaders
// "NAME/<32 hex digits>", which must fit a Q3 path of 63 characters.
inline constexpr size_t longest_map_name = 30;

struct MapEntry {
  std::string source;  // the map file, as found
  std::string name;    // unique among the run's maps
};

enum class ListStatus {
  ok,
  unreadable,  // nothing there, or a folder that cannot be read
  no_maps,     // a folder without a .map file
};

// A map's name in a pack: its file name without extension, lowercased,
// every character but a-z, 0-9, '_' and '-' written '_', cut to
// longest_map_name; "map" when nothing is left.
[[nodiscard]] std::string map_name_of(std::string_view path);

// Where the pack of `input` goes by default: the map with .pk3 in place of
// its extension, or beside a folder its name with .pk3 added ("." and ".."
// named by the folder they stand for).
[[nodiscard]] std::string default_pack_path(const std::string& input);

// `input` as a list of maps: a file is one map (whatever its extension); a
// folder gives its .map files (not those of its subfolders, the extension's
// case ignored), in name order. A name met twice gets "_2", "_3", ...
// Returns ok with `out` written, or another status with `error` set.
[[nodiscard]] ListStatus list_maps(const std::string& input, std::vector<MapEntry>& out, std::string& error);

}  // namespace play

#endif
