// A run's files in memory: a folder of named texts that a run reads,
// writes and appends to, without touching the disk. For tests and fuzzing.
#ifndef KORVEX_CONVERTER_MEMORY_FILES_H
#define KORVEX_CONVERTER_MEMORY_FILES_H

#include <map>
#include <string>
#include <vector>

#include "run_files.h"

namespace conv {

class MemoryFiles final : public RunFiles {
 public:
  MemoryFiles() = default;
  ~MemoryFiles() override;
  MemoryFiles(const MemoryFiles&) = delete;
  MemoryFiles& operator=(const MemoryFiles&) = delete;

  // The texts by name; a test fills them before a run and reads them after.
  std::map<std::string, std::string> texts;

  FILE* open_read(const char* path) override;
  bool exists(const char* path) override;
  void remove(const char* path) override;
  bool same_file(FILE* open, const char* path) override;
  FILE* open_output(const char* path) override;
  bool finish_output() override;
  void discard_output() override;
  bool append(const char* path, std::string_view text) override;
  bool write_whole(const char* path, std::string_view text) override;

 private:
  struct Reading {
    FILE* file;
    std::string name;
    std::string text;  // a copy: the run may write the name it reads
  };
  std::vector<Reading*> readings_;
  FILE* output_ = nullptr;
  char* output_text_ = nullptr;
  size_t output_size_ = 0;
  std::string output_name_;
};

}  // namespace conv

#endif
