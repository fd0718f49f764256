// What korvex-tex tells its user: a progress line while images are encoded
// and the summary at the end.
#ifndef KORVEX_TEXPACK_REPORT_H
#define KORVEX_TEXPACK_REPORT_H

#include <cstdint>
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
  MapKind kind = MapKind::QUAKE;
  int stock_names = 0;                       // converted names left to the game's own shaders
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

// "name (N faces)" lines of missing or left-out names, one per line, indented.
[[nodiscard]] std::string name_list(const std::vector<MissingTexture>& names);

}  // namespace texpack

#endif
