#include "test_tex_pack_support.h"

#include <png.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tex_run.h"

namespace fs = std::filesystem;

std::string shared_dir() {
  std::error_code code;
  return fs::is_directory(KORVEX_SHARED_DIR, code) ? std::string(KORVEX_SHARED_DIR) : std::string();
}

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "korvex-tex-test.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code code;
  fs::remove_all(path_, code);
}

void TempFolder::write(std::string_view name, std::string_view bytes) const {
  const fs::path path = file(name);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> TempFolder::tree() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(path_))
    names.push_back(fs::relative(entry.path(), path_).string());
  std::sort(names.begin(), names.end());
  return names;
}

texpack::SourceTexture make_texture(std::string name, int width, int height, uint8_t (*pixel)(int x, int y)) {
  texpack::SourceTexture texture;
  texture.name = std::move(name);
  texture.width = width;
  texture.height = height;
  texture.origin = "synthetic";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) texture.indices.push_back(pixel(x, y));
  return texture;
}

texpack::Palette ramp_palette() {
  texpack::Palette palette;
  for (int i = 0; i < 256; ++i) {
    palette.rgb[i * 3] = static_cast<uint8_t>(i);
    palette.rgb[i * 3 + 1] = static_cast<uint8_t>(255 - i);
    palette.rgb[i * 3 + 2] = static_cast<uint8_t>(i / 2);
  }
  palette.origin = "ramp";
  return palette;
}

namespace {
void put32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}
void put_name(std::string& out, const std::string& name, size_t size) {
  std::string field = name.substr(0, size);
  field.resize(size, '\0');
  out += field;
}
}  // namespace

std::string wad2_bytes(const std::vector<texpack::SourceTexture>& textures) {
  std::string lumps;
  std::vector<std::pair<uint32_t, uint32_t>> places;  // offset, size
  for (const texpack::SourceTexture& texture : textures) {
    std::string lump;
    put_name(lump, texture.name, 16);
    put32(lump, static_cast<uint32_t>(texture.width));
    put32(lump, static_cast<uint32_t>(texture.height));
    const uint32_t area = static_cast<uint32_t>(texture.width * texture.height);
    uint32_t offset = 40;
    for (int level = 0; level < 4; ++level) {
      put32(lump, offset);
      offset += area >> (2 * level);
    }
    lump.append(texture.indices.begin(), texture.indices.end());
    lump.append(area / 4 + area / 16 + area / 64, '\0');
    places.emplace_back(static_cast<uint32_t>(12 + lumps.size()), static_cast<uint32_t>(lump.size()));
    lumps += lump;
  }
  std::string wad = "WAD2";
  put32(wad, static_cast<uint32_t>(textures.size()));
  put32(wad, static_cast<uint32_t>(12 + lumps.size()));
  wad += lumps;
  for (size_t i = 0; i < textures.size(); ++i) {
    put32(wad, places[i].first);
    put32(wad, places[i].second);
    put32(wad, places[i].second);
    wad += std::string{'D', '\0', '\0', '\0'};
    put_name(wad, textures[i].name, 16);
  }
  return wad;
}

std::string palette_bytes(const texpack::Palette& palette) {
  return std::string(palette.rgb.begin(), palette.rgb.end());
}

std::optional<Rgba> decode_png(const std::vector<uint8_t>& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  Rgba out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

std::optional<std::map<std::string, std::vector<uint8_t>>> read_zip(const std::string& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (archive == nullptr) return std::nullopt;
  std::map<std::string, std::vector<uint8_t>> members;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_file_t* file = nullptr;
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
        (file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) == nullptr) {
      zip_discard(archive);
      return std::nullopt;
    }
    std::vector<uint8_t> bytes(stat.size);
    const zip_int64_t read = zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    if (read != static_cast<zip_int64_t>(bytes.size())) {
      zip_discard(archive);
      return std::nullopt;
    }
    members[stat.name] = std::move(bytes);
  }
  zip_discard(archive);
  return members;
}

TexRun run_tex(const std::vector<std::string>& words) {
  std::ostringstream out;
  std::ostringstream err;
  TexRun run;
  run.status = texpack::run_korvex_tex(words, out, err, false);
  run.out = out.str();
  run.err = err.str();
  return run;
}
