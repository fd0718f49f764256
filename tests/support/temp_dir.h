// Temporary folders for tests, and whole files read and written.
#ifndef KORVEX_TESTS_SUPPORT_TEMP_DIR_H
#define KORVEX_TESTS_SUPPORT_TEMP_DIR_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes (folders a test left without
// permissions included). Throws when no folder can be made.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` in the folder; nothing is made.
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Writes `bytes` to the file `name`, making the folders on its way.
  void write(std::string_view name, std::string_view bytes) const;
  // The file's bytes, or nothing when it cannot be read.
  std::optional<std::string> read(std::string_view name) const;
  // True when something stands at `name`, a dangling link included.
  bool exists(std::string_view name) const;
  // Names of the folder's own entries, sorted.
  std::vector<std::string> entries() const;
  // Every entry below the folder `below` ("" for the whole folder), as a path
  // relative to it, folders ending in '/', sorted; links are not followed
  // and entries that cannot be read are skipped.
  std::vector<std::string> tree(std::string_view below = "") const;

 private:
  std::string path_;
};

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> read_file(const std::string& path);

// Writes `bytes` to `path` whole; false when it cannot.
bool write_file(const std::string& path, std::string_view bytes);

#endif
