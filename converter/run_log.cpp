#include "run_log.h"

#include <cstdio>

namespace conv {
namespace {

constexpr int record_limit = 50000;
constexpr size_t text_limit = 2047;

}  // namespace

void RunLog::start() {
  if (files_->exists(path_.c_str())) files_->remove(path_.c_str());
  number_ = 0;
  refused_ = false;
}

bool RunLog::record(std::string_view text) {
  if (number_ > record_limit) return false;
  char head[16];
  std::snprintf(head, sizeof head, "%5d ", number_ + 1);
  std::string line = head;
  line.append(text.substr(0, text_limit));
  line += '\n';
  if (!files_->append(path_.c_str(), line)) {
    refused_ = true;
    return false;
  }
  ++number_;
  return true;
}

}  // namespace conv
