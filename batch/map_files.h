// One map's files in a batch: the disk, as the run names them, except
// korvex's log, which the run keeps in memory. Runs side by side never share
// a korvex.log, and the batch puts each log where its map's log goes, with
// the records it adds.
#ifndef KORVEX_BATCH_MAP_FILES_H
#define KORVEX_BATCH_MAP_FILES_H

#include <string>

#include "run_files.h"

namespace batch {

class MapFiles final : public conv::RunFiles {
 public:
  // Everything but the log goes to `disk`, which must outlive this.
  explicit MapFiles(conv::RunFiles& disk) : disk_(disk) {}

  // The log's text as the run left it, and its number of records.
  [[nodiscard]] const std::string& log() const { return log_; }
  [[nodiscard]] int log_records() const { return log_records_; }

  FILE* open_read(const char* path) override { return disk_.open_read(path); }
  bool exists(const char* path) override;
  void remove(const char* path) override;
  bool same_file(FILE* open, const char* path) override { return disk_.same_file(open, path); }
  FILE* open_output(const char* path) override { return disk_.open_output(path); }
  bool finish_output() override { return disk_.finish_output(); }
  void discard_output() override { disk_.discard_output(); }
  bool append(const char* path, std::string_view text) override;
  bool write_whole(const char* path, std::string_view text) override { return disk_.write_whole(path, text); }

 private:
  conv::RunFiles& disk_;
  bool log_exists_ = false;
  std::string log_;
  int log_records_ = 0;
};

}  // namespace batch

#endif
