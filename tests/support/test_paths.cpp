#include "test_paths.h"

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
