#include "test_tex_pack_support.h"

#include <png.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
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

std::string map_text(const std::vector<std::string>& faces, std::string_view keys) {
  std::string text = "{\n\"classname\" \"worldspawn\"\n" + std::string(keys) + "{\n";
  for (const std::string& face : faces) text += "( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) " + face + "\n";
  return text + "}\n}\n";
}

texpack::SourceTexture make_texture(std::string name, int width, int height, uint8_t (*pixel)(int x, int y)) {
  texpack::SourceTexture texture{std::move(name), width, height, {}, nullptr, std::nullopt, "synthetic"};
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
void put32(std::string& out, size_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}
std::string name16(const std::string& name) {
  std::string field = name.substr(0, 16);
  field.resize(16, '\0');
  return field;
}
}  // namespace

std::string wad2_bytes(const std::vector<texpack::SourceTexture>& textures) {
  std::string lumps;
  std::string directory;
  for (const texpack::SourceTexture& texture : textures) {
    const size_t area = static_cast<size_t>(texture.width * texture.height);
    std::string lump = name16(texture.name);
    put32(lump, texture.width);
    put32(lump, texture.height);
    for (size_t level = 0, offset = 40; level < 4; offset += area >> (2 * level++)) put32(lump, offset);
    lump.append(texture.indices.begin(), texture.indices.end());
    lump.append(area / 4 + area / 16 + area / 64, '\0');
    put32(directory, 12 + lumps.size());
    put32(directory, lump.size());
    put32(directory, lump.size());
    directory += std::string{'D', '\0', '\0', '\0'} + name16(texture.name);
    lumps += lump;
  }
  std::string wad = "WAD2";
  put32(wad, textures.size());
  put32(wad, 12 + lumps.size());
  return wad + lumps + directory;
}

std::optional<std::vector<uint8_t>> decode_png(const std::vector<uint8_t>& bytes, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return std::nullopt;
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

ZipMembers read_zip(const std::string& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  ZipMembers members;
  for (zip_int64_t i = 0; archive != nullptr && i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t stat;
    zip_file_t* file = nullptr;
    if (zip_stat_index(archive, i, 0, &stat) != 0 || (file = zip_fopen_index(archive, i, 0)) == nullptr) break;
    std::vector<uint8_t> bytes(stat.size);
    if (zip_fread(file, bytes.data(), bytes.size()) == static_cast<zip_int64_t>(bytes.size()))
      members[stat.name] = std::move(bytes);
    zip_fclose(file);
  }
  if (archive != nullptr) zip_discard(archive);
  return members;
}

TexRun run_tex(const std::vector<std::string>& words) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = texpack::run_korvex_tex(words, out, err, false);
  return {status, out.str(), err.str()};
}
