#include "memory_files.h"

#include <cerrno>
#include <cstdlib>

namespace conv {

MemoryFiles::~MemoryFiles() {
  MemoryFiles::discard_output();
  for (Reading* r : readings_) delete r;
}

FILE* MemoryFiles::open_read(const char* path) {
  const auto found = texts.find(path);
  if (found == texts.end()) {
    errno = ENOENT;
    return nullptr;
  }
  auto* reading = new Reading{nullptr, path, found->second};
  // A stream needs a byte to stand on, even for an empty text.
  reading->text.push_back('\0');
  reading->file = fmemopen(reading->text.data(), reading->text.size() - 1 == 0 ? 1 : reading->text.size() - 1, "r");
  if (reading->file != nullptr && found->second.empty()) {
    (void)fgetc(reading->file);  // at its end at once
  }
  readings_.push_back(reading);
  return reading->file;
}

bool MemoryFiles::exists(const char* path) { return texts.count(path) != 0; }

void MemoryFiles::remove(const char* path) { texts.erase(path); }

bool MemoryFiles::same_file(FILE* open, const char* path) {
  for (const Reading* r : readings_)
    if (r->file == open) return r->name == path;
  return false;
}

FILE* MemoryFiles::open_output(const char* path) {
  discard_output();
  output_ = open_memstream(&output_text_, &output_size_);
  if (output_ != nullptr) output_name_ = path;
  return output_;
}

bool MemoryFiles::finish_output() {
  if (output_ == nullptr) return false;
  const bool ok = fflush(output_) == 0 && !ferror(output_);
  fclose(output_);
  output_ = nullptr;
  if (ok) texts[output_name_].assign(output_text_, output_size_);
  free(output_text_);
  output_text_ = nullptr;
  return ok;
}

void MemoryFiles::discard_output() {
  if (output_ != nullptr) fclose(output_);
  output_ = nullptr;
  free(output_text_);
  output_text_ = nullptr;
}

bool MemoryFiles::append(const char* path, std::string_view text) {
  texts[path].append(text);
  return true;
}

bool MemoryFiles::write_whole(const char* path, std::string_view text) {
  texts[path].assign(text);
  return true;
}

}  // namespace conv
