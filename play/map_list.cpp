#include "map_list.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace play {
namespace fs = std::filesystem;

std::string map_name_of(std::string_view path) {
  std::string name;
  for (char c : fs::path(path).stem().string()) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const bool kept = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    name.push_back(kept ? c : '_');
  }
  if (name.size() > longest_map_name) name.resize(longest_map_name);
  return name.empty() ? "map" : name;
}

std::string default_pack_path(const std::string& input) {
  std::string trimmed = input;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  fs::path path(trimmed);
  if (path.filename() == "." || path.filename() == "..") {
    std::error_code code;
    path = fs::absolute(path, code).lexically_normal();
    if (path.filename().empty()) path = path.parent_path();
  }
  std::error_code code;
  if (fs::is_directory(path, code)) return path.string() + ".pk3";
  return path.replace_extension(".pk3").string();
}

ListStatus list_maps(const std::string& input, std::vector<MapEntry>& out, std::string& error) {
  std::error_code code;
  const fs::file_status status = fs::status(input, code);
  if (code || !fs::exists(status)) {
    error = input + ": " + (code ? code.message() : "no such file or folder");
    return ListStatus::unreadable;
  }
  std::vector<std::string> sources;
  if (!fs::is_directory(status)) {
    sources.push_back(input);
  } else {
    for (fs::directory_iterator it(input, code), end; !code && it != end; it.increment(code)) {
      std::string extension = it->path().extension().string();
      std::transform(extension.begin(), extension.end(), extension.begin(),
                     [](unsigned char c) { return std::tolower(c); });
      std::error_code kind;
      if (extension == ".map" && !it->is_directory(kind)) sources.push_back(it->path().string());
    }
    if (code) {
      error = input + ": cannot read the folder: " + code.message();
      return ListStatus::unreadable;
    }
    if (sources.empty()) {
      error = input + ": no .map file in the folder";
      return ListStatus::no_maps;
    }
    std::sort(sources.begin(), sources.end());
  }
  std::vector<MapEntry> maps;
  std::set<std::string> taken;
  for (const std::string& source : sources) {
    const std::string base = map_name_of(source);
    std::string name = base;
    for (int n = 2; !taken.insert(name).second; ++n) {
      const std::string suffix = std::string("_").append(std::to_string(n));
      name = base.substr(0, longest_map_name - suffix.size()) + suffix;
    }
    maps.push_back({source, name});
  }
  out = std::move(maps);
  return ListStatus::ok;
}

}  // namespace play
