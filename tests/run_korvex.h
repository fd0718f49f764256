// Running the built korvex program in a fresh temporary folder, with files
// written there beforehand and read back afterwards.
#ifndef KORVEX_TESTS_RUN_KORVEX_H
#define KORVEX_TESTS_RUN_KORVEX_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  void write(std::string_view name, std::string_view text) const;
  std::optional<std::string> read(std::string_view name) const;
  bool exists(std::string_view name) const;
  // Names of the folder's entries, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;      // exit status, or 128 + signal number
  std::string console;  // standard output after the two banner lines
  std::string banner;   // the two banner lines
  std::string errors;   // standard error
  bool timed_out = false;
};

// Runs korvex in dir with args, standard input taken from `input`. With
// unprivileged set, a run started as root runs as the user nobody.
RunResult run_korvex(const TempDir& dir, const std::vector<std::string>& args,
                     std::string_view input = "\n", int timeout_seconds = 120,
                     bool unprivileged = false);

// Path of a file of the source tree (tables/q1.ent, examples/test.map, ...).
std::string source_file(std::string_view relative);

// Contents of a file, or nothing when it cannot be read.
std::optional<std::string> read_file(const std::string& path);

// The text with every "\n" turned into "\r\n".
std::string with_crlf(std::string_view text);

// The header lines that conversion mode writes before the world block.
std::string conversion_header(std::string_view source, bool q2 = false);

// A record of korvex.log as the run writes it: the number, the text and the
// empty line that follows every record.
std::string record(int n, std::string_view text);

// The line that closes a block's record in the log.
inline const std::string rule = "===================================================";

#endif
