#include "work_folder.h"

#include <stdlib.h>

#include <filesystem>

namespace play {
namespace fs = std::filesystem;

WorkFolder::~WorkFolder() {
  if (path_.empty() || kept_) return;
  std::error_code code;
  fs::remove_all(path_, code);
}

bool WorkFolder::make(std::string& error) {
  std::error_code code;
  const fs::path temporary = fs::temp_directory_path(code);
  if (code) {
    error = "cannot find a temporary folder: " + code.message();
    return false;
  }
  std::string pattern = (temporary / "korvex-play.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make a work folder in " + temporary.string() + ": " +
            std::error_code(errno, std::generic_category()).message();
    return false;
  }
  for (const char* sub : {"maps", "levelshots", "logs"}) {
    fs::create_directory(fs::path(pattern) / sub, code);
    if (code) {
      error = "cannot make a work folder in " + temporary.string() + ": " + code.message();
      fs::remove_all(pattern, code);
      return false;
    }
  }
  path_ = pattern;
  return true;
}

}  // namespace play
