// The texture-source readers on any bytes. The first byte picks the
// reader: WAD, compiled map, .wal, palette.lmp, colormap.pcx, PAK
// directory, or a whole PAK through the library; the rest is the file.
#include <span>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "texture_sources.h"

namespace {

using texpack::SourceStatus;

void check_textures(const std::vector<texpack::SourceTexture>& textures) {
  for (const texpack::SourceTexture& texture : textures) {
    fuzz_check(!texture.name.empty(), "every texture is named");
    fuzz_check(texture.width > 0 && texture.height > 0, "every texture has pixels");
    fuzz_check(texture.indices.size() == size_t(texture.width) * size_t(texture.height),
               "every texture has width * height indices");
  }
}

// A failure names the file first and leaves the list as it was.
void check_failure(SourceStatus status, const std::string& error, const char* origin, bool list_unchanged) {
  if (status == SourceStatus::ok) return;
  fuzz_check(error.rfind(std::string(origin) + ": ", 0) == 0 && error.size() > std::string(origin).size() + 2,
             "a failure's message names the file and the fault");
  fuzz_check(list_unchanged, "a failure adds nothing");
}

}  // namespace

int fuzz_texsources(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> file(data + 1, size - 1);
  std::vector<texpack::SourceTexture> textures;
  std::string error;
  switch (data[0] % 7) {
    case 0: {
      const SourceStatus status = texpack::read_wad(file, "f.wad", textures, error);
      check_failure(status, error, "f.wad", textures.empty());
      break;
    }
    case 1: {
      const SourceStatus status = texpack::read_bsp(file, "f.bsp", textures, error);
      check_failure(status, error, "f.bsp", textures.empty());
      break;
    }
    case 2: {
      const SourceStatus status = texpack::read_wal(file, "e1u1/f", "f.wal", textures, error);
      check_failure(status, error, "f.wal", textures.empty());
      fuzz_check(status != SourceStatus::ok || (textures.size() == 1 && textures[0].wal), "a .wal gives one texture");
      break;
    }
    case 3:
    case 4: {
      texpack::Palette palette;
      const bool lmp = data[0] % 7 == 3;
      const SourceStatus status = lmp ? texpack::read_palette_lmp(file, "f.lmp", palette, error)
                                      : texpack::read_colormap_pcx(file, "f.pcx", palette, error);
      check_failure(status, error, lmp ? "f.lmp" : "f.pcx", palette.origin.empty());
      break;
    }
    case 5: {
      std::vector<texpack::PakEntry> entries;
      const SourceStatus status = texpack::read_pak_directory(file, "f.pak", entries, error);
      check_failure(status, error, "f.pak", entries.empty());
      for (const texpack::PakEntry& entry : entries) {
        fuzz_check(!entry.name.empty(), "every member is named");
        fuzz_check(uint64_t(entry.offset) + entry.size <= file.size(), "every member lies inside the file");
      }
      break;
    }
    default: {
      enter_fuzz_folder();
      write_input("f.pak", file.data(), file.size());
      texpack::TextureLibrary library;
      const SourceStatus status = library.add_path("f.pak", error);
      check_failure(status, error, "f.pak", library.textures_per_origin.empty());
      for (const auto& [origin, count] : library.textures_per_origin) {
        fuzz_check(origin.rfind("f.pak:", 0) == 0 && count >= 0, "counts are per member");
      }
      for (const std::string& problem : library.problems)
        fuzz_check(problem.rfind("f.pak:", 0) == 0, "a damaged member is named");
      break;
    }
  }
  check_textures(textures);
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_texsources(data, size); }
#endif
