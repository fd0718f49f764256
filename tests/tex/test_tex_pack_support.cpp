#include "test_tex_pack_support.h"

#include <png.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "pack_names.h"
#include "tex_run.h"

namespace fs = std::filesystem;

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

std::vector<std::string> split(const std::string& text, char at) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, at);)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

std::set<std::string> missing_names(const std::string& summary) {
  std::set<std::string> names;
  const size_t at = summary.find("\nmissing: ");
  if (at == std::string::npos) return names;
  std::stringstream stream(summary.substr(at + 1));
  std::string line;
  std::getline(stream, line);
  while (std::getline(stream, line) && line.starts_with("  ")) names.insert(line.substr(2, line.find(" (") - 2));
  return names;
}

std::set<std::string> supplied_names(const ZipMembers& pack) {
  std::set<std::string> names;
  for (const auto& [path, bytes] : pack) {
    if (path.starts_with("textures/") && path.ends_with(".png"))
      names.insert(path.substr(9, path.size() - 13));
    if (!path.starts_with("scripts/") || !path.ends_with(".shader")) continue;
    // A shader starts with its name alone on a line, followed by "{".
    const std::vector<std::string> lines = split(std::string(bytes.begin(), bytes.end()), '\n');
    for (size_t i = 0; i + 1 < lines.size(); ++i)
      if (lines[i].starts_with("textures/") && lines[i + 1] == "{") names.insert(lines[i].substr(9));
  }
  return names;
}

std::vector<CorpusBsp> corpus_bsps(const std::string& shared) {
  std::vector<CorpusBsp> found;
  std::ifstream manifest(shared + "/textures/MANIFEST.tsv");
  const std::string from = "compiled from ";
  for (std::string line; std::getline(manifest, line);) {
    const std::vector<std::string> fields = split(line, '\t');
    if (fields.size() < 10 || !fields[0].starts_with("q1/bsp/") || !fields[9].starts_with(from)) continue;
    const std::string& notes = fields[9];
    const std::vector<std::string> words = split(notes.substr(from.size(), notes.find(';') - from.size()), ' ');
    const bool repo_named = words.size() >= 2 && !words[0].ends_with(".map");
    std::string corpus_name;
    for (char c : (repo_named ? words[0] : fields[1]) + "/" + words[repo_named ? 1 : 0])
      corpus_name += c == '/' ? std::string("__") : std::string(1, c);
    CorpusBsp bsp{shared + "/textures/" + fields[0], shared + "/corpus/q1/" + corpus_name, {}};
    if (const size_t gap = notes.find("not embedded: "); gap != std::string::npos)
      for (const std::string& name : split(notes.substr(gap + 14, notes.find(';', gap) - gap - 14), ' '))
        bsp.not_embedded.insert(texpack::pack_name_of(name, texpack::Game::quake));
    found.push_back(std::move(bsp));
  }
  return found;
}
