// File helpers, line readers and path routines. Paths use '/' as their only
// separator and are bounded by the limits in kit.h; nothing here allocates.
#include "kit.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int path_scan = 512;     // a path's zero must lie in its first 512 bytes
constexpr int line_limit_max = 512;
constexpr int count_piece = 512;   // kit_count_lines reads 511-character pieces
constexpr char sep = '/';
constexpr int last_sep_max = kit_dir_max - 1;  // the directory keeps its '/'

int fail(int code) {
  kit_set_lasterr(code);
  return 0;
}

int ok(int result) {
  kit_set_lasterr(KIT_OK);
  return result;
}

int errno_status(int err) {
  switch (err) {
    case EACCES: return KIT_NO_ACCESS;
    case EBUSY: return KIT_BUSY;
    case EROFS: return KIT_READ_ONLY;
    default: return KIT_SYSTEM_OTHER;
  }
}

// Length of path up to its zero, or path_scan when none lies in the first
// path_scan bytes; *last_sep gets the index of the last '/' (or -1).
int scan_path(const char* path, int* last_sep) {
  int s = -1;
  int n = 0;
  while (n < path_scan && path[n] != '\0') {
    if (path[n] == sep) s = n;
    ++n;
  }
  *last_sep = s;
  return n;
}

void copy_part(char* dst, const char* src, int len) {
  std::memcpy(dst, src, static_cast<std::size_t>(len));
  dst[len] = '\0';
}

}  // namespace

int kit_file_exists(const char* path) {
  if (path == nullptr || path[0] == '\0') return fail(KIT_BAD_ARG);
  // POSIX makes no text/binary distinction, so plain "r" is the text mode.
  std::FILE* f = std::fopen(path, "r");
  if (f == nullptr) return fail(KIT_OPEN_ERROR);
  std::fclose(f);
  return ok(1);
}

// A null name would be undefined behaviour in the system call; it is
// reported as the system reports a bad address: the catch-all status.
int kit_rename(const char* old_name, const char* new_name) {
  if (old_name == nullptr || new_name == nullptr) return fail(KIT_SYSTEM_OTHER);
  if (std::rename(old_name, new_name) != 0) return fail(errno_status(errno));
  return ok(1);
}

int kit_delete(const char* path) {
  if (path == nullptr) return fail(KIT_SYSTEM_OTHER);
  if (unlink(path) != 0) return fail(errno_status(errno));
  return ok(1);
}

int kit_read_line(char* buf, int limit, std::FILE* stream) {
  if (buf == nullptr || stream == nullptr || limit < 1 || limit > line_limit_max)
    return fail(KIT_BAD_ARG);
  int n = 0;
  for (;;) {
    if (n == limit) {
      buf[limit] = '\0';
      fail(KIT_PARTIAL);
      return -1;
    }
    const int c = std::fgetc(stream);
    if (c == EOF) {
      if (std::feof(stream)) {
        buf[n] = '\0';  // a last line without its newline is still delivered
        return fail(KIT_END_OF_FILE);
      }
      buf[0] = '\0';
      return fail(KIT_READ_ERROR);
    }
    if (c == '\n') {
      buf[n] = '\0';
      if (n == 0) return fail(KIT_EMPTY);
      return ok(n);
    }
    buf[n++] = static_cast<char>(c);
  }
}

int kit_read_data_line(char* buf, const char* comment_set, int limit, int* count,
                       std::FILE* stream) {
  if (buf == nullptr || count == nullptr || stream == nullptr || limit < 1 ||
      limit > line_limit_max)
    return fail(KIT_BAD_ARG);
  buf[0] = '\0';
  *count = 0;
  for (;;) {
    if (*count == limit) {
      buf[limit] = '\0';
      return fail(KIT_PARTIAL);
    }
    const int c = std::fgetc(stream);
    if (c == EOF) {
      buf[*count] = '\0';
      return fail(KIT_END_OF_FILE);
    }
    // Only the marker is taken: the caller reads the comment's rest or
    // skips it with the next call.
    if (*count == 0 && comment_set != nullptr &&
        kit_in_set(static_cast<char>(c), comment_set))
      return fail(KIT_EMPTY);
    if (c == '\n') {
      buf[*count] = '\0';
      return ok(1);
    }
    buf[(*count)++] = static_cast<char>(c);
  }
}

int kit_count_lines(const char* path, const char* comment_set) {
  if (path == nullptr || path[0] == '\0') return fail(KIT_BAD_ARG);
  std::FILE* f = std::fopen(path, "r");
  if (f == nullptr) return fail(KIT_OPEN_ERROR);
  char piece[count_piece];
  int lines = 0;
  // A long line arrives in several pieces and each one counts: the count is
  // of 511-character records, not of newlines.
  while (std::fgets(piece, count_piece, f) != nullptr) {
    if (comment_set == nullptr || !kit_in_set(piece[0], comment_set)) ++lines;
  }
  std::fclose(f);
  return ok(lines);
}

int kit_fix_slashes(char* path) {
  if (path == nullptr) return fail(KIT_BAD_ARG);
  int replaced = 0;
  int i = 0;
  while (i < path_scan && path[i] != '\0') {
    if (path[i] == '\\') {
      path[i] = sep;
      replaced = 1;
    }
    ++i;
  }
  if (i == path_scan) {
    path[path_scan - 1] = '\0';
    return fail(KIT_TOO_MANY);
  }
  return ok(replaced);
}

int kit_split_path(const char* path, char* dir, char* name) {
  if (dir != nullptr) dir[0] = '\0';
  if (name != nullptr) name[0] = '\0';
  if (path == nullptr) return fail(KIT_BAD_ARG);
  int s = 0;
  const int n = scan_path(path, &s);
  if (n == path_scan || s > last_sep_max || n - s - 1 > kit_name_max)
    return fail(KIT_TOO_MANY);
  if (name != nullptr) copy_part(name, path + s + 1, n - s - 1);
  if (dir != nullptr) copy_part(dir, path, s + 1);
  return ok(1);
}

int kit_get_dir(const char* path, char* dir) { return kit_split_path(path, dir, nullptr); }

int kit_get_filename(const char* path, char* name) {
  return kit_split_path(path, nullptr, name);
}

int kit_set_ext(char* path, const char* ext) {
  if (path == nullptr || path[0] == '\0' || ext == nullptr || ext[0] == '\0')
    return fail(KIT_BAD_ARG);
  char* end = const_cast<char*>(kit_str_end(path));
  char* dot = nullptr;
  // Index 0 is not searched: a leading dot names a hidden file, not an
  // extension. A dot in a directory name does count.
  for (char* p = end - 1; p > path; --p) {
    if (*p == '.') {
      dot = p;
      break;
    }
  }
  if (dot == nullptr) {
    dot = end;
    *dot = '.';
  }
  std::strcpy(dot + 1, ext);
  return ok(1);
}

int kit_check_path_len(const char* path) {
  if (path == nullptr) return 0;
  int s = 0;
  const int n = scan_path(path, &s);
  if (s < 0) s = 0;
  return (n == path_scan || s > last_sep_max || n - s > kit_name_max) ? 0 : 1;
}

int kit_check_path_chars(const char* path) {
  if (path == nullptr) return 0;
  for (int i = 0; i < path_scan - 1 && path[i] != '\0'; ++i) {
    if (!kit_is_name_char(path[i]) && !kit_is_sep(path[i])) return 0;
  }
  return 1;
}

int kit_is_sep(int c) { return c == sep ? 1 : 0; }

int kit_is_name_char(int c) { return c != sep ? 1 : 0; }

int kit_in_set(int c, const char* set) {
  if (set == nullptr) return 0;
  for (const char* p = set; *p != '\0'; ++p) {
    if (c == static_cast<signed char>(*p)) return 1;
  }
  return 0;
}
