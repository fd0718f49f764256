#include "temp_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "korvex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  for (const auto& e : fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ignored))
    if (!e.is_symlink(ignored) && e.is_directory(ignored))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void TempDir::write(std::string_view name, std::string_view bytes) const {
  const fs::path path = file(name);
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  (void)write_file(path.string(), bytes);
}

std::optional<std::string> TempDir::read(std::string_view name) const { return read_file(file(name)); }

bool TempDir::exists(std::string_view name) const {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(file(name), ignored));
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TempDir::tree(std::string_view below) const {
  const fs::path root = below.empty() ? fs::path(path_) : fs::path(file(below));
  std::vector<std::string> names;
  std::error_code code;
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, code);
       !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
    std::error_code unreadable;
    const bool folder = !it->is_symlink(unreadable) && it->is_directory(unreadable);
    names.push_back(it->path().lexically_relative(root).generic_string() + (folder ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool write_file(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}
