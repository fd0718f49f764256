#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "output.h"

using namespace kmap;

namespace {

// The file's mode for a new map: what creating it directly would give.
mode_t new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Where the temporary file goes: the destination's own folder, so that the
// final rename never crosses file systems.
bool make_temp_name(char (&temp_path)[PATH_MAX], const char* destination) {
  const char* slash = std::strrchr(destination, '/');
  BoundedText name(temp_path, sizeof temp_path);
  if (slash != nullptr)
    name.add(std::string_view(destination, static_cast<size_t>(slash - destination) + 1));
  name.add(".korvex-XXXXXX");
  return name.ok();
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
    stream = S_ISDIR(st.st_mode) ? nullptr : fopen(path, "w");
    return stream;
  }
  // A destination the user may not write is refused now, as creating it
  // directly would be.
  if (exists && access(path, W_OK) != 0) return nullptr;
  // The map replaces the file a link points at, not the link.
  if (exists ? realpath(path, final_path) == nullptr
             : !BoundedText(final_path, sizeof final_path).add(path).ok())
    return nullptr;
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
