#include "disk_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include "interrupt.h"

namespace conv {

DiskFiles::DiskFiles(std::string folder, bool clean_on_signal)
    : folder_(std::move(folder)), clean_on_signal_(clean_on_signal), output_(std::make_unique<OutputFile>()) {}

DiskFiles::~DiskFiles() { DiskFiles::discard_output(); }

std::string DiskFiles::resolved(const char* path) const {
  if (folder_.empty() || path[0] == '/') return path;
  return folder_ + "/" + path;
}

FILE* DiskFiles::open_read(const char* path) { return fopen(resolved(path).c_str(), "r"); }

bool DiskFiles::exists(const char* path) { return access(resolved(path).c_str(), F_OK) == 0; }

void DiskFiles::remove(const char* path) { unlink(resolved(path).c_str()); }

bool DiskFiles::same_file(FILE* open, const char* path) {
  struct stat a, b;
  return fstat(fileno(open), &a) == 0 && stat(resolved(path).c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

FILE* DiskFiles::open_output(const char* path) {
  if (!clean_on_signal_) return conv::open_output(*output_, resolved(path).c_str());
  // An interruption from here on removes the temporary file.
  const InterruptsHeld held;
  FILE* out = conv::open_output(*output_, resolved(path).c_str());
  if (out != nullptr && output_->temp_path[0] != '\0') (void)remove_on_interrupt(output_->temp_path);
  return out;
}

bool DiskFiles::finish_output() {
  const bool ok = conv::finish_output(*output_);
  if (clean_on_signal_) keep_on_interrupt();
  return ok;
}

void DiskFiles::discard_output() {
  conv::discard_output(*output_);
  if (clean_on_signal_) keep_on_interrupt();
}

bool DiskFiles::append(const char* path, std::string_view text) {
  FILE* file = fopen(resolved(path).c_str(), "a");
  if (file == nullptr) return false;
  const bool ok = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && ok;
}

bool DiskFiles::write_whole(const char* path, std::string_view text) {
  OutputFile file;
  FILE* out = conv::open_output(file, resolved(path).c_str());
  if (out == nullptr) return false;
  const bool written = fwrite(text.data(), 1, text.size(), out) == text.size();
  if (!written) {
    conv::discard_output(file);
    return false;
  }
  return conv::finish_output(file);
}

}  // namespace conv
