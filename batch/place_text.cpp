#include "place_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "program_texts.h"

namespace fs = std::filesystem;

namespace batch {
namespace {

std::error_code last_error() { return {errno, std::generic_category()}; }

bool write_all(int fd, std::string_view text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes through the name as it stands: the system follows links (creating
// a missing target), and truncates only files.
bool write_through(std::string_view text, const fs::path& to, std::error_code& ec) {
  const int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    ec = last_error();
    return false;
  }
  bool ok = write_all(fd, text);
  if (!ok) ec = last_error();
  if (close(fd) != 0 && ok) {
    ec = last_error();
    ok = false;
  }
  return ok;
}

// A new temporary beside `to`, created with the mode a new file gets (the
// system applies the process's mask); -1 when none can be made.
int make_temporary(const fs::path& to, std::string& name) {
  static std::atomic<unsigned> serial{0};
  const fs::path folder = to.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = (folder / (std::string(kmap::temporary_prefix) + "log-" + std::to_string(getpid()) + "-" + std::to_string(serial++))).string();
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool place_text(std::string_view text, const fs::path& to, std::error_code& ec) {
  struct stat st;
  const bool exists = lstat(to.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return write_through(text, to, ec);
  std::string temporary;
  const int fd = make_temporary(to, temporary);
  if (fd < 0) {
    ec = last_error();
    return false;
  }
  bool ok = write_all(fd, text) && (!exists || fchmod(fd, st.st_mode & 07777) == 0);
  if (!ok) ec = last_error();
  if (close(fd) != 0 && ok) {
    ec = last_error();
    ok = false;
  }
  if (ok && std::rename(temporary.c_str(), to.c_str()) != 0) {
    ec = last_error();
    ok = false;
  }
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace batch
