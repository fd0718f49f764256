// Helpers of the texture pack tests: temporary folders, synthetic textures
// and WAD files, PNG and zip read-back, in-process runs.
#ifndef KORVEX_TESTS_TEX_PACK_SUPPORT_H
#define KORVEX_TESTS_TEX_PACK_SUPPORT_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "texture_sources.h"

// The shared test data folder (KORVEX_SHARED_DIR), or "" when it is absent.
std::string shared_dir();

// A temporary folder, removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  void write(std::string_view name, std::string_view bytes) const;
  // Names of all entries below the folder, relative, sorted.
  std::vector<std::string> tree() const;

 private:
  std::string path_;
};

// A texture of the given size whose pixels are `pixel(x, y)`.
texpack::SourceTexture make_texture(std::string name, int width, int height,
                                    uint8_t (*pixel)(int x, int y));

// A palette whose index i is (i, 255 - i, i / 2).
texpack::Palette ramp_palette();

// WAD2 file bytes holding the textures (mip levels past the first are zeros).
std::string wad2_bytes(const std::vector<texpack::SourceTexture>& textures);

// The 768 bytes of a palette.lmp.
std::string palette_bytes(const texpack::Palette& palette);

struct Rgba {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // RGBA
};
// Decodes PNG bytes with libpng into RGBA; nothing when they are no PNG.
std::optional<Rgba> decode_png(const std::vector<uint8_t>& bytes);

// The members of a zip archive and their bytes; nothing when it cannot be read.
std::optional<std::map<std::string, std::vector<uint8_t>>> read_zip(const std::string& path);

struct TexRun {
  int status = -1;
  std::string out;
  std::string err;
};
TexRun run_tex(const std::vector<std::string>& words);

#endif
