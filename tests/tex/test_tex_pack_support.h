// Helpers of the texture pack tests, on the shared test support: synthetic
// textures, WAD files and maps, PNG and zip read-back, in-process runs.
#ifndef KORVEX_TESTS_TEX_TEST_TEX_PACK_SUPPORT_H
#define KORVEX_TESTS_TEX_TEST_TEX_PACK_SUPPORT_H

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "temp_dir.h"
#include "test_paths.h"
#include "texture_sources.h"

// A map whose world has one brush with a face for each of `faces` (the text
// after the three points: "WALL 0 0 0 1 1"); `keys` go into the world.
std::string map_text(const std::vector<std::string>& faces, std::string_view keys = "");

// A texture of the given size whose pixels are `pixel(x, y)`.
texpack::SourceTexture make_texture(std::string name, int width, int height, uint8_t (*pixel)(int x, int y));

// A palette whose index i is (i, 255 - i, i / 2).
texpack::Palette ramp_palette();

// WAD2 file bytes holding the textures (mip levels past the first are zeros).
std::string wad2_bytes(const std::vector<texpack::SourceTexture>& textures);

// RGBA pixels of PNG bytes, decoded by libpng; nothing when they are no PNG.
std::optional<std::vector<uint8_t>> decode_png(const std::vector<uint8_t>& bytes, int& width, int& height);

using ZipMembers = std::map<std::string, std::vector<uint8_t>>;
// The members of a zip archive; empty when it cannot be read.
ZipMembers read_zip(const std::string& path);

struct TexRun {
  int status = -1;
  std::string out;
  std::string err;
};
TexRun run_tex(const std::vector<std::string>& words);

// The non-empty parts of `text` between the `at` characters.
std::vector<std::string> split(const std::string& text, char at);

// Pack names listed under "missing:" in a run's summary.
std::set<std::string> missing_names(const std::string& summary);

// Names under textures/ the pack supplies: "q1/#water0" for its image
// textures/q1/#water0.png or a shader textures/q1/#water0 in scripts/.
std::set<std::string> supplied_names(const ZipMembers& pack);

// A compiled map of the shared data with its corpus source map.
struct CorpusBsp {
  std::string bsp;                        // "<shared>/textures/q1/bsp/start.bsp"
  std::string map;                        // "<shared>/corpus/q1/<owner>__<repo>__mapsrc__start.map"
  std::set<std::string> not_embedded;     // pack names of the map's textures the BSP lacks
};

// Every compiled map MANIFEST.tsv lists with the corpus map it was compiled
// from ("compiled from [owner/repo] path"), with the names its notes say it
// does not embed (maps built from another revision among them).
std::vector<CorpusBsp> corpus_bsps(const std::string& shared);

#endif
