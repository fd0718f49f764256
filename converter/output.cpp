#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "output.h"
#include "program_texts.h"

using namespace kmap;

namespace conv {
namespace {

// The file's mode for a new map: what creating it directly would give.
// The mask can only be read by setting it, so it is read once per process:
// runs on threads side by side would otherwise race, and one could leave
// the process's mask at 0.
mode_t new_file_mode() {
  static const mode_t mask = [] {
    const mode_t m = umask(0);
    umask(m);
    return m;
  }();
  return 0666 & ~mask;
}

// Where the temporary file goes: the destination's own folder, so that the
// final rename never crosses file systems.
bool make_temp_name(char (&temp_path)[PATH_MAX], const char* destination) {
  const char* slash = std::strrchr(destination, '/');
  BoundedText name(temp_path, sizeof temp_path);
  if (slash != nullptr)
    name.add(std::string_view(destination, static_cast<size_t>(slash - destination) + 1));
  name.add(kmap::temporary_prefix).add("XXXXXX");
  return name.ok();
}

// The path the destination's links lead to, the last of which may name
// nothing yet: the map replaces (or creates) that file, and the links stay.
// False when a link cannot be read, the path is too long or the links loop.
bool follow_links(char (&resolved)[PATH_MAX], const char* path) {
  if (!BoundedText(resolved, sizeof resolved).add(path).ok()) return false;
  constexpr int most_links = 40;  // as many as the kernel follows in one path
  for (int followed = 0; followed < most_links; ++followed) {
    struct stat st;
    if (lstat(resolved, &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char target[PATH_MAX];
    const ssize_t length = readlink(resolved, target, sizeof target);
    if (length < 0 || static_cast<size_t>(length) >= sizeof target) return false;
    target[length] = '\0';
    // A relative target is taken from the link's own folder.
    char next[PATH_MAX];
    BoundedText joined(next, sizeof next);
    const char* slash = std::strrchr(resolved, '/');
    if (target[0] != '/' && slash != nullptr)
      joined.add(std::string_view(resolved, static_cast<size_t>(slash - resolved) + 1));
    if (!joined.add(target).ok()) return false;
    std::memcpy(resolved, next, joined.view().size() + 1);
  }
  errno = ELOOP;
  return false;
}

}  // namespace

FILE* open_output(OutputFile& output, const char* path) {
  FILE*& stream = output.stream;
  char(&temp_path)[PATH_MAX] = output.temp_path;
  char(&final_path)[PATH_MAX] = output.final_path;
  struct stat st;
  const bool exists = stat(path, &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    temp_path[0] = '\0';
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return nullptr;
    }
    stream = fopen(path, "w");
    return stream;
  }
  // A destination the user may not write is refused now, as creating it
  // directly would be.
  if (exists && access(path, W_OK) != 0) return nullptr;
  // The map replaces the file a link points at, not the link; a link to
  // nothing yet gets its file created.
  if (!follow_links(final_path, path)) return nullptr;
  if (!make_temp_name(temp_path, final_path)) return nullptr;
  const int fd = mkstemp(temp_path);
  if (fd < 0) {
    temp_path[0] = '\0';
    return nullptr;
  }
  fchmod(fd, exists ? (st.st_mode & 07777) : new_file_mode());
  stream = fdopen(fd, "w");
  if (stream == nullptr) {
    close(fd);
    discard_output(output);
    return nullptr;
  }
  setvbuf(stream, output.buffer, _IOFBF, sizeof output.buffer);
  return stream;
}

bool finish_output(OutputFile& output) {
  FILE*& stream = output.stream;
  char(&temp_path)[PATH_MAX] = output.temp_path;
  if (stream == nullptr) return false;
  bool ok = fflush(stream) == 0 && !ferror(stream);
  if (ok && temp_path[0] != '\0') ok = fsync(fileno(stream)) == 0;
  ok = fclose(stream) == 0 && ok;
  stream = nullptr;
  if (temp_path[0] != '\0') {
    ok = ok && rename(temp_path, output.final_path) == 0;
    if (!ok) unlink(temp_path);
    temp_path[0] = '\0';
  }
  return ok;
}

void discard_output(OutputFile& output) {
  FILE*& stream = output.stream;
  char(&temp_path)[PATH_MAX] = output.temp_path;
  if (stream != nullptr) fclose(stream);
  stream = nullptr;
  if (temp_path[0] != '\0') unlink(temp_path);
  temp_path[0] = '\0';
}

}  // namespace conv
