#include "pack_contents.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "pack_names.h"

namespace play {
namespace fs = std::filesystem;
namespace {

// Reads the work folder's file at `relative` as the member of that path.
bool read_member(const std::string& work, const std::string& relative, std::vector<texpack::PackFile>& files,
                 std::string& error) {
  const std::string path = work + "/" + relative;
  std::ifstream stream(path, std::ios::binary);
  std::vector<uint8_t> bytes;
  if (stream) bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  if (!stream && !stream.eof()) {
    error = path + ": cannot read it: " + std::strerror(errno);
    return false;
  }
  // Maps, lightmaps and scripts shrink well; images in PNG are compressed already.
  files.push_back({relative, std::move(bytes), !relative.ends_with(".png")});
  return true;
}

bool exists(const std::string& path) {
  std::error_code code;
  return fs::is_regular_file(path, code);
}

}  // namespace

bool add_compiled_map(const std::string& work, const std::string& name, std::vector<texpack::PackFile>& files,
                      std::string& error) {
  std::vector<texpack::PackFile> added;
  if (!read_member(work, "maps/" + name + ".bsp", added, error)) return false;
  std::error_code code;
  const fs::path lightmaps = fs::path(work) / "maps" / name;
  if (fs::is_directory(lightmaps, code)) {
    std::vector<std::string> names;
    for (fs::directory_iterator it(lightmaps, code), end; !code && it != end; it.increment(code))
      if (it->is_regular_file()) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& lightmap : names)
      if (!read_member(work, "maps/" + name + "/" + lightmap, added, error)) return false;
  }
  for (const std::string& extra : {"scripts/q3map2_" + name + ".shader", "levelshots/" + name + ".tga"})
    if (exists(work + "/" + extra) && !read_member(work, extra, added, error)) return false;
  files.insert(files.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  return true;
}

bool add_map_source(const std::string& work, const std::string& name, std::vector<texpack::PackFile>& files,
                    std::string& error) {
  return read_member(work, "maps/" + name + ".map", files, error);
}

bool check_members(const std::vector<texpack::PackFile>& files, std::string& error) {
  std::set<std::string> seen;
  for (const texpack::PackFile& file : files) {
    std::string why;
    if (!texpack::check_pack_path(file.path, why)) {
      error = why;
      return false;
    }
    if (!seen.insert(texpack::lower(file.path)).second) {
      error = file.path + ": two members of the pack have this path";
      return false;
    }
  }
  return true;
}

uintmax_t total_bytes(const std::vector<texpack::PackFile>& files) {
  uintmax_t bytes = 0;
  for (const texpack::PackFile& file : files) bytes += file.bytes.size();
  return bytes;
}

}  // namespace play
