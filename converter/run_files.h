// What a run reads and writes besides its own memory: the console, and the
// files it names (the source, the tables, the output map, the log). A run
// reaches them only through a RunFiles and a Console, so that it runs the
// same on disk, in a folder of its own, or in memory.
#ifndef KORVEX_CONVERTER_RUN_FILES_H
#define KORVEX_CONVERTER_RUN_FILES_H

#include <atomic>
#include <cstdio>
#include <string_view>

namespace conv {

// Where a run prints: its console lines, its hints and reports, and whether
// a person can answer "Press ENTER...".
struct Console {
  FILE* out = stdout;
  FILE* err = stderr;
  FILE* in = stdin;
  bool interactive = false;  // `in` is a terminal: a wait reads one character
  // When set and true, the run stops before its next block: it fails as an
  // interrupted run, leaving no output (a program that runs maps side by
  // side stops them so).
  const std::atomic<bool>* stop = nullptr;
};

class RunFiles {
 public:
  virtual ~RunFiles() = default;

  // The file at path opened to read, or null (errno telling why).
  [[nodiscard]] virtual FILE* open_read(const char* path) = 0;
  // True when something is at path.
  [[nodiscard]] virtual bool exists(const char* path) = 0;
  // Removes the file at path, if any.
  virtual void remove(const char* path) = 0;
  // True when `open` and the file at path are one file.
  [[nodiscard]] virtual bool same_file(FILE* open, const char* path) = 0;

  // The output map: opened (null when it cannot be, errno telling why),
  // then either finished, which puts it in place and is true only when
  // every byte arrived, or discarded, which leaves whatever stood at the
  // destination as it was. Only one output is open at a time.
  [[nodiscard]] virtual FILE* open_output(const char* path) = 0;
  [[nodiscard]] virtual bool finish_output() = 0;
  virtual void discard_output() = 0;

  // Appends text to the file at path, creating it; false when it cannot.
  [[nodiscard]] virtual bool append(const char* path, std::string_view text) = 0;

  // Writes text as the whole file at path, as the output map is written
  // (only a regular file is ever replaced); false, errno telling why, when
  // it cannot.
  [[nodiscard]] virtual bool write_whole(const char* path, std::string_view text) = 0;
};

}  // namespace conv

#endif
