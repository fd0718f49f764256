// Which maps a batch converts and where each one's output and log go.
#ifndef KORVEX_BATCH_MAPS_H
#define KORVEX_BATCH_MAPS_H

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

struct MapJob {
  std::filesystem::path source;  // absolute
  std::string shown;             // the name the user knows it by: the given folder joined with the map's path in it
  std::filesystem::path output;  // absolute
  std::filesystem::path log;     // the output's name with .log
};

enum class FindStatus { found, missing_input, collision };

// True for a name ending in ".map", in any letter case.
bool has_map_extension(const std::filesystem::path& name);

// Every .map file under each folder of `inputs` (recursively, sorted by path)
// and every file named in `inputs`, in the order given, each source once.
// Relative inputs are taken against cwd. Outputs get `extension`: beside the
// source, or under out_dir (when not empty) at the source's path relative to
// its folder. Returns FindStatus::found with `jobs` filled; missing_input when
// an input is neither a folder nor a file, collision when two maps would
// write one file or a map would write over a source; then `error` is set and
// `jobs` left alone. Touches nothing on disk.
[[nodiscard]] FindStatus find_maps(const std::vector<std::string>& inputs, const std::filesystem::path& cwd,
                                   const std::filesystem::path& out_dir, std::string_view extension,
                                   std::vector<MapJob>& jobs, std::string& error);

}  // namespace batch

#endif
