#include "place_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

std::error_code last_error() { return {errno, std::generic_category()}; }

// Copies the bytes of `from` through the name `to` as it stands: the system
// follows links (creating a missing target), and truncates only files.
bool write_through(const fs::path& from, const fs::path& to, std::error_code& ec) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    ec = last_error();
    return false;
  }
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    ec = last_error();
    close(in);
    return false;
  }
  char buffer[1 << 16];
  bool ok = true;
  for (ssize_t n; ok && (n = read(in, buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      ok = errno == EINTR;
      continue;
    }
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t written = write(out, buffer + done, static_cast<size_t>(n - done));
      if (written < 0 && errno == EINTR) continue;
      ok = written > 0;
      if (ok) done += written;
    }
  }
  if (!ok) ec = last_error();
  close(in);
  if (close(out) != 0 && ok) {
    ec = last_error();
    ok = false;
  }
  return ok;
}

}  // namespace

bool place_file(const fs::path& from, const fs::path& to, std::error_code& ec) {
  struct stat st;
  const bool exists = lstat(to.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return write_through(from, to, ec);
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) {
    ec = last_error();
    return false;
  }
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  return !ec;
}
