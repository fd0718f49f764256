#include "table_search.h"

#include <unistd.h>

#include <filesystem>

#ifndef KORVEX_TABLE_DIR
#define KORVEX_TABLE_DIR "/usr/local/share/korvex"
#endif

namespace fs = std::filesystem;

namespace kmap {

std::vector<std::string> table_folders() {
  std::vector<std::string> folders;
  auto add = [&folders](const fs::path& folder) {
    const std::string name = folder.lexically_normal().string();
    for (const std::string& f : folders)
      if (f == name) return;
    folders.push_back(name);
  };
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) add(program.parent_path().parent_path() / "share" / "korvex");
  add(KORVEX_TABLE_DIR);
#ifdef KORVEX_SOURCE_TABLES
  add(KORVEX_SOURCE_TABLES);
#endif
  return folders;
}

std::string find_table(std::string_view name, const std::function<bool(const std::string&)>& in_working_folder) {
  const std::string wanted(name);
  if (wanted.find('/') != std::string::npos) return wanted;
  if (in_working_folder(wanted)) return wanted;
  std::error_code error;
  for (const std::string& folder : table_folders()) {
    const fs::path path = fs::path(folder) / wanted;
    if (fs::is_regular_file(path, error)) return path.string();
  }
  return wanted;
}

std::string find_table(std::string_view name) {
  return find_table(name, [](const std::string& path) { return access(path.c_str(), F_OK) == 0; });
}

}  // namespace kmap
