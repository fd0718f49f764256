#include "original_level.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <string_view>
#include <system_error>

#include "mapped_file.h"
#include "source_kinds.h"
#include "texture_sources.h"

namespace play {
namespace {
namespace fs = std::filesystem;

constexpr std::string_view level_extension = ".bsp";
constexpr std::string_view pak_levels = "maps/";

bool ends_with_lower(const std::string& name, std::string_view end) { return texpack::lower_ascii(name).ends_with(end); }

std::vector<std::string> files_below(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code code;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, code), end;
       !code && it != end; it.increment(code))
    if (it->is_regular_file(code)) files.push_back(it->path().string());
  std::sort(files.begin(), files.end(),
            [](const std::string& a, const std::string& b) { return texpack::source_path_less(a, b); });
  return files;
}

}  // namespace

OriginalLevels::OriginalLevels(const std::vector<std::string>& sources) {
  for (const std::string& source : sources) {
    std::error_code code;
    if (!fs::is_directory(source, code)) {
      add_file(source);
      continue;
    }
    for (const std::string& file : files_below(source)) add_file(file);
  }
}

void OriginalLevels::add_file(const std::string& path) {
  if (ends_with_lower(path, level_extension)) {
    by_name_.try_emplace(texpack::lower_ascii(fs::path(path).filename().string()), Place{path, "", 0, 0});
    return;
  }
  if (!ends_with_lower(path, ".pak")) return;
  texpack::MappedFile file;
  std::string error;
  std::vector<texpack::PakEntry> entries;
  if (file.open(path, error) != texpack::SourceStatus::ok ||
      texpack::read_pak_directory(file.bytes(), path, entries, error) != texpack::SourceStatus::ok)
    return;
  for (const texpack::PakEntry& entry : entries) {
    const std::string name = texpack::lower_ascii(entry.name);
    if (name.starts_with(pak_levels) && name.ends_with(level_extension) &&
        name.find('/', pak_levels.size()) == std::string::npos)
      by_name_.try_emplace(name.substr(pak_levels.size()), Place{path, entry.name, entry.offset, entry.size});
  }
}

bool OriginalLevels::find(const std::string& map_name, OriginalLevel& out) const {
  const auto found = by_name_.find(texpack::lower_ascii(map_name) + std::string(level_extension));
  if (found == by_name_.end()) return false;
  const Place& place = found->second;
  texpack::MappedFile file;
  std::string error;
  if (file.open(place.path, error) != texpack::SourceStatus::ok) return false;
  // A PAK may have changed since its directory was read.
  if (!place.member.empty() && uint64_t{place.offset} + place.size > file.bytes().size()) return false;
  const std::span<const uint8_t> bytes =
      place.member.empty() ? file.bytes() : file.bytes().subspan(place.offset, place.size);
  out.bytes.assign(bytes.begin(), bytes.end());
  out.origin = place.member.empty() ? place.path : place.path + ":" + place.member;
  return true;
}

}  // namespace play
