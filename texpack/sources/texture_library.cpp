// The library: finds the sources in the paths a user gives and keeps the
// first texture of every name.
#include <algorithm>
#include <filesystem>

#include "byte_view.h"
#include "mapped_file.h"
#include "source_kinds.h"
#include "texture_sources.h"

namespace texpack {

namespace fs = std::filesystem;

namespace {

// Where a .wal sits: under the last textures/ folder of its path as given,
// or, for a loose file given by a path without one, of its absolute path
// ("." inside baseq2/textures); a .wal outside any textures/ folder, named
// by the user, is called by its file name.
WalPlace place_of_wal(const std::string& wal_path, bool loose) {
  if (auto place = wal_place(wal_path)) return *place;
  if (loose) {
    if (auto place = wal_place(fs::absolute(wal_path).lexically_normal().string())) return *place;
  }
  const fs::path path(wal_path);
  return {path.stem().string(), path.parent_path().string()};
}

std::string comparable_path(const std::string& path) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(path, ec);
  return ec ? path : canonical.string();
}

}  // namespace

SourceStatus TextureLibrary::add_path(const std::string& path, std::string& error) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || status.type() == fs::file_type::not_found)
    return fail(SourceStatus::open_failed, error, path, "no such file or folder");
  if (fs::is_directory(status)) return add_folder(path, error);
  const SourceKind kind = kind_of_named_file(path);
  if (kind == SourceKind::none)
    return fail(SourceStatus::bad_magic, error, path, "not a texture source (.wad, .bsp, .pak, .wal, .lmp or .pcx)");
  return add_file(path, kind, error);
}

SourceStatus TextureLibrary::add_file(const std::string& path, SourceKind kind, std::string& error) {
  const std::string key = comparable_path(path);
  if (files_read_.contains(key)) return SourceStatus::ok;
  MappedFile file;
  if (const auto status = file.open(path, error); status != SourceStatus::ok) return status;
  const auto status = add_bytes(file.bytes(), kind, path, path, "", error);
  if (status == SourceStatus::ok) files_read_.insert(key);
  return status;
}

SourceStatus TextureLibrary::add_folder(const std::string& path, std::string& error) {
  std::vector<std::string> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
  if (ec) return fail(SourceStatus::open_failed, error, path, ec.message());
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) {
      problems.push_back(path + ": " + ec.message() + "; the rest of the folder was not searched");
      break;
    }
    std::error_code type_ec;
    if (it->is_regular_file(type_ec)) files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) { return source_path_less(a, b); });
  for (const std::string& file : files) {
    const SourceKind kind = kind_in_folder(fs::absolute(file).lexically_normal().string());
    if (kind == SourceKind::none) continue;
    std::string file_error;
    if (add_file(file, kind, file_error) != SourceStatus::ok) problems.push_back(file_error);
  }
  return SourceStatus::ok;
}

SourceStatus TextureLibrary::add_pak(std::span<const uint8_t> pak, const std::string& origin, std::string& error) {
  std::vector<PakEntry> entries;
  if (const auto status = read_pak_directory(pak, origin, entries, error); status != SourceStatus::ok) return status;
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PakEntry& a, const PakEntry& b) { return source_path_less(a.name, b.name); });
  for (const PakEntry& entry : entries) {
    const SourceKind kind = kind_in_pak(entry.name);
    if (kind == SourceKind::none) continue;
    std::string member_error;
    if (add_bytes(pak.subspan(entry.offset, entry.size), kind, origin + ":" + entry.name, entry.name, origin + ":",
                  member_error) != SourceStatus::ok)
      problems.push_back(member_error);
  }
  return SourceStatus::ok;
}

SourceStatus TextureLibrary::add_bytes(std::span<const uint8_t> data, SourceKind kind, const std::string& origin,
                                       const std::string& wal_path, const std::string& container,
                                       std::string& error) {
  std::vector<SourceTexture> found;
  Palette palette;
  SourceStatus status = SourceStatus::ok;
  switch (kind) {
    case SourceKind::wad:
      status = read_wad(data, origin, found, error);
      if (status == SourceStatus::ok) keep_textures(found, origin);
      return status;
    case SourceKind::bsp:
      status = read_bsp(data, origin, found, error);
      if (status == SourceStatus::ok) keep_textures(found, origin);
      return status;
    case SourceKind::wal: {
      const WalPlace place = place_of_wal(wal_path, container.empty());
      status = read_wal(data, place.name, origin, found, error);
      if (status == SourceStatus::ok) keep_textures(found, container + place.folder);
      return status;
    }
    case SourceKind::palette_lmp:
      status = read_palette_lmp(data, origin, palette, error);
      if (status == SourceStatus::ok) keep_palette(palette);
      return status;
    case SourceKind::colormap_pcx:
      status = read_colormap_pcx(data, origin, palette, error);
      if (status == SourceStatus::ok) keep_palette(palette);
      return status;
    case SourceKind::pak:
      return add_pak(data, origin, error);
    case SourceKind::none:
      break;
  }
  return fail(SourceStatus::bad_magic, error, origin, "not a texture source");
}

void TextureLibrary::keep_textures(std::vector<SourceTexture>& found, const std::string& counted_as) {
  textures_per_origin[counted_as] += static_cast<int>(found.size());
  for (SourceTexture& texture : found) {
    const auto [at, added] = by_lower_name_.try_emplace(lower_ascii(texture.name), textures_.size());
    if (!added) {
      const SourceTexture& kept = textures_[at->second];
      duplicates.push_back(kept.name + ": kept from " + kept.origin + ", also in " + texture.origin);
      continue;
    }
    textures_.push_back(std::move(texture));
  }
}

void TextureLibrary::keep_palette(Palette& found) {
  if (palette_) {
    duplicates.push_back("palette: kept from " + palette_->origin + ", also in " + found.origin);
    return;
  }
  palette_ = std::move(found);
}

bool TextureLibrary::add_wad_by_name(std::string_view wad_key_entry, const std::vector<std::string>& folders,
                                     std::string& error) {
  std::string_view name = wad_key_entry;
  if (const size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  const std::string key(wad_key_entry);
  if (name.empty()) {
    error = "'" + key + "': names no file";
    return false;
  }
  const std::string wanted = lower_ascii(name);
  for (const std::string& folder : folders) {
    std::vector<std::string> matches;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      std::error_code type_ec;
      if (it->is_regular_file(type_ec) && lower_ascii(it->path().filename().string()) == wanted)
        matches.push_back(it->path().string());
    }
    if (matches.empty()) continue;
    std::sort(matches.begin(), matches.end());  // one folder may hold Base.wad and base.wad
    return add_file(matches.front(), SourceKind::wad, error) == SourceStatus::ok;
  }
  std::string searched;
  for (const std::string& folder : folders) searched += (searched.empty() ? "" : ", ") + folder;
  error = "'" + key + "': no file named " + std::string(name) +
          (searched.empty() ? std::string(": no folder was given to look in") : " in " + searched);
  return false;
}

const SourceTexture* TextureLibrary::find(std::string_view name) const {
  const auto at = by_lower_name_.find(lower_ascii(name));
  return at == by_lower_name_.end() ? nullptr : &textures_[at->second];
}

const Palette* TextureLibrary::palette() const { return palette_ ? &*palette_ : nullptr; }

}  // namespace texpack
