// What korvex-tex tells its user: a progress line while images are encoded
// and the summary at the end.
#ifndef KORVEX_TEXPACK_REPORT_H
#define KORVEX_TEXPACK_REPORT_H

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "map_scan.h"
#include "pack_plan.h"

namespace texpack {

// "\r"-updated progress, shown only on a terminal (a log gets no noise).
class ProgressLine {
 public:
  ProgressLine(std::ostream& stream, bool terminal) : stream_(stream), terminal_(terminal) {}
  void update(size_t done, size_t total);
  void finish();  // ends the line, if one was shown

 private:
  std::ostream& stream_;
  bool terminal_;
  bool shown_ = false;
};

// Facts of a run besides the plan itself.
struct RunFacts {
  std::string map_path;
  MapKind kind = MapKind::quake;
  std::vector<std::string> sources;          // as given
  std::vector<WantedTexture> wanted;         // names the pack must supply, each once
  std::vector<std::string> stock;            // converted names left to the game's own shaders
  std::vector<MissingTexture> tools;         // tool textures left out, with their faces
  std::vector<std::string> wad_notes;        // "wad" key entries not found
  std::vector<std::string> duplicates;       // from the texture library
  std::vector<std::string> problems;         // damaged files skipped while searching folders
  std::string destination;
  size_t files = 0;
  uintmax_t bytes = 0;
};

// The end-of-run summary: textures found per source, shaders by kind, names
// left out and missing (with their faces), the palette used, the pack.
[[nodiscard]] std::string summary_text(const RunFacts& facts, const PackPlan& plan);

// The textures part of a report, for scripts:
//   sources [...], palette (origin or null), own_palette_textures,
//   wanted [{name, faces}], packed [name...] (the wanted names found),
//   missing [{name, faces}], tools [{name, faces}], stock [name...],
//   found_per_source {origin: count}, duplicates [...], damaged [...],
//   wad_key_notes [...], shaders {count, by_kind {kind: count}}, notes [...].
[[nodiscard]] nlohmann::json textures_json(const RunFacts& facts, const PackPlan& plan);

// korvex-tex's --report: program, version, map, kind ("Quake source map",
// ...), status, failure ("" when none), textures (textures_json),
// destination ("" when nothing was written), files, bytes, seconds.
[[nodiscard]] nlohmann::json tex_report_json(const RunFacts& facts, const PackPlan& plan, int status,
                                             const std::string& failure, double seconds);

// "name (N faces)" lines of missing or left-out names, one per line, indented.
[[nodiscard]] std::string name_list(const std::vector<MissingTexture>& names);

}  // namespace texpack

#endif
