#include "test_paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string source_file(std::string_view relative) {
  return std::string(KORVEX_SOURCE_DIR) + "/" + std::string(relative);
}

std::string korvex_bin() { return KORVEX_BIN; }

std::string korvex_batch_bin() { return KORVEX_BATCH_BIN; }

std::string shared_dir() {
  std::error_code code;
  const fs::path shared = fs::path(KORVEX_SOURCE_DIR).parent_path() / "shared";
  return fs::is_directory(shared, code) ? shared.string() : std::string();
}

std::string corpus_dir() {
  if (const char* chosen = std::getenv("KORVEX_CORPUS")) return chosen;
  return (fs::path(KORVEX_SOURCE_DIR).parent_path() / "shared" / "corpus").string();
}

std::vector<fs::path> corpus_maps() {
  std::vector<fs::path> maps;
  const fs::path root = corpus_dir();
  std::error_code code;
  for (const char* game : {"q1", "q2"})
    for (const auto& e : fs::directory_iterator(root / game, code))
      if (e.path().extension() == ".map") maps.push_back(e.path());
  std::sort(maps.begin(), maps.end());
  return maps;
}
