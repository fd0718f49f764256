#include "original_level.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "mapped_file.h"
#include "source_kinds.h"
#include "texture_sources.h"

namespace play {
namespace {
namespace fs = std::filesystem;

bool read_whole(const std::string& path, std::vector<uint8_t>& out) {
  texpack::MappedFile file;
  std::string error;
  if (file.open(path, error) != texpack::SourceStatus::ok) return false;
  out.assign(file.bytes().begin(), file.bytes().end());
  return true;
}

// The PAK at `path`'s member maps/`wanted` (lower case).
bool find_in_pak(const std::string& path, const std::string& wanted, OriginalLevel& out) {
  texpack::MappedFile file;
  std::string error;
  if (file.open(path, error) != texpack::SourceStatus::ok) return false;
  std::vector<texpack::PakEntry> entries;
  if (texpack::read_pak_directory(file.bytes(), path, entries, error) != texpack::SourceStatus::ok) return false;
  for (const texpack::PakEntry& entry : entries)
    if (texpack::lower_ascii(entry.name) == "maps/" + wanted) {
      const auto begin = file.bytes().begin() + entry.offset;
      out.bytes.assign(begin, begin + entry.size);
      out.origin = path + ":" + entry.name;
      return true;
    }
  return false;
}

bool is_pak(const std::string& path) { return texpack::lower_ascii(fs::path(path).extension().string()) == ".pak"; }

bool take_file(const std::string& path, const std::string& wanted, OriginalLevel& out) {
  if (is_pak(path)) return find_in_pak(path, wanted, out);
  if (texpack::lower_ascii(fs::path(path).filename().string()) != wanted) return false;
  if (!read_whole(path, out.bytes)) return false;
  out.origin = path;
  return true;
}

bool search_folder(const std::string& folder, const std::string& wanted, OriginalLevel& out) {
  std::vector<std::string> files;
  std::error_code code;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, code), end;
       !code && it != end; it.increment(code))
    if (it->is_regular_file(code)) files.push_back(it->path().string());
  std::sort(files.begin(), files.end(),
            [](const std::string& a, const std::string& b) { return texpack::source_path_less(a, b); });
  return std::any_of(files.begin(), files.end(),
                     [&](const std::string& file) { return take_file(file, wanted, out); });
}

}  // namespace

bool find_original_level(const std::vector<std::string>& sources, const std::string& map_name, OriginalLevel& out) {
  const std::string wanted = texpack::lower_ascii(map_name) + ".bsp";
  OriginalLevel found;
  for (const std::string& source : sources) {
    std::error_code code;
    const bool found_here = fs::is_directory(source, code) ? search_folder(source, wanted, found)
                                                           : take_file(source, wanted, found);
    if (found_here) {
      out = std::move(found);
      return true;
    }
  }
  return false;
}

}  // namespace play
