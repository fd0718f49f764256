// A run's files on disk: paths taken as given, or against a folder of the
// run's own. The output map is written beside its destination and put in
// place when it is complete (see output.h).
#ifndef KORVEX_CONVERTER_DISK_FILES_H
#define KORVEX_CONVERTER_DISK_FILES_H

#include <memory>
#include <string>

#include "output.h"
#include "run_files.h"

namespace conv {

class DiskFiles final : public RunFiles {
 public:
  // folder: where relative paths lead ("" : the working folder). With
  // `clean_on_signal`, SIGINT and SIGTERM remove an unfinished output
  // before the process ends (for a process that runs one map at a time).
  explicit DiskFiles(std::string folder = "", bool clean_on_signal = false);
  ~DiskFiles() override;

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
  std::string resolved(const char* path) const;

  std::string folder_;
  bool clean_on_signal_;
  std::unique_ptr<OutputFile> output_;
};

}  // namespace conv

#endif
