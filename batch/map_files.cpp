#include "map_files.h"

#include <string_view>

#include "program_texts.h"

using namespace conv;

namespace batch {
namespace {

// The run names its log by this relative name alone; the batch names every
// other file with an absolute path.
bool is_log(const char* path) { return std::string_view(path) == kmap::log_name; }

}  // namespace

bool MapFiles::exists(const char* path) { return is_log(path) ? log_exists_ : disk_.exists(path); }

void MapFiles::remove(const char* path) {
  if (!is_log(path)) return disk_.remove(path);
  log_exists_ = false;
  log_.clear();
  log_records_ = 0;
}

bool MapFiles::append(const char* path, std::string_view text) {
  if (!is_log(path)) return disk_.append(path, text);
  log_exists_ = true;
  log_ += text;
  ++log_records_;  // the run appends one record at a time
  return true;
}

}  // namespace batch
