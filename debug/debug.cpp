// Debug aids: console breakpoints, the numbered log file and the file-list
// printout. All state is private to this file; there is no set-up call.
#include "debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "kit.h"

namespace {

// Room for the longest accepted name (256 characters) plus ".log" and the
// terminating zero, rounded up.
constexpr int logname_size = 264;
constexpr int logname_max = 256;
constexpr char default_logname[] = "default.log";
constexpr char log_ext[] = ".log";

constexpr int limit_min = 1;
constexpr int limit_max = 50000;

// One formatted record text plus its terminating zero; longer texts are cut.
constexpr int record_size = 2048;

static_assert(sizeof(kit_log_state::logname) == logname_size);

thread_local kit_log_state own_state;
thread_local kit_log_state* bound_state = nullptr;

kit_log_state& state() { return bound_state != nullptr ? *bound_state : own_state; }

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using log_file = std::unique_ptr<std::FILE, file_closer>;

// The log is opened per record so that a crash never loses a record that
// was already counted, and so that the caller may delete or rename the file
// between records. Past the limit nothing is opened at all.
log_file open_log() {
  const kit_log_state& s = state();
  if (s.lognum > s.loglimit) return nullptr;
  return log_file(std::fopen(s.logname, "a"));
}

// Puts a prompt on the console before waiting: the prompt has no newline,
// so it would otherwise stay in the buffer while the user is asked to type.
int wait_key() {
  std::fflush(stdout);
  return std::getchar();
}

}  // namespace

void kit_log_bind(kit_log_state* s) { bound_state = s; }

int kit_brkpt(int n) {
  if (n >= 0 && n <= 1000)
    std::printf("Breakpoint %d, press ENTER...", n);
  else
    std::printf("Breakpoint, press ENTER...");
  return wait_key();
}

int kit_brkpts(const char* message) {
  if (message != nullptr && message[0] != '\0')
    std::printf("Breakpoint '%s'. Press ENTER...", message);
  else
    std::printf("Breakpoint (no message). Press ENTER...");
  return wait_key();
}

void kit_set_logname(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    std::memcpy(state().logname, default_logname, sizeof default_logname);
    return;
  }
  // Measure without running past the longest name we accept: the caller's
  // text need not be short, only terminated.
  int len = 0;
  while (len <= logname_max && name[len] != '\0') ++len;
  if (len > logname_max) return;

  // Built aside so that logname never holds a half-made name.
  char path[logname_size];
  std::memcpy(path, name, static_cast<std::size_t>(len));
  path[len] = '\0';
  kit_strip_ext(path);
  const std::size_t stem = std::strlen(path);
  if (stem + sizeof log_ext > sizeof path) return;
  std::memcpy(path + stem, log_ext, sizeof log_ext);
  std::memcpy(state().logname, path, stem + sizeof log_ext);
}

void kit_set_loglimit(int limit) {
  kit_log_state& s = state();
  if (s.loglimit_set) return;
  if (limit < limit_min) limit = limit_min;
  if (limit > limit_max) limit = limit_max;
  s.loglimit = limit;
  s.loglimit_set = 1;
}

void kit_setlog(int on) {
  if (on >= 0) state().logging = on;
}

void kit_settrace(int level) {
  if (level >= 0 && level <= 2) state().tracing = level;
}

// A null text or format is dropped like any record that cannot be written;
// it is tested before the file is opened so that it costs no number.

void kit_logputs(const char* text) {
  if (state().logging == 0 || text == nullptr) return;
  log_file f = open_log();
  if (!f) return;
  const int number = ++state().lognum;
  std::fprintf(f.get(), "%5d %s\n", number, text);
}

void kit_logprintf(const char* format, ...) {
  if (state().logging == 0 || format == nullptr) return;
  log_file f = open_log();
  if (!f) return;
  char text[record_size];
  std::va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  // After an encoding error the buffer's content is undefined.
  if (n < 0) text[0] = '\0';
  const int number = ++state().lognum;
  std::fprintf(f.get(), "%5d %s\n", number, text);
}

void kit_logtrace(const char* text) {
  if (state().tracing <= 0 || text == nullptr) return;
  log_file f = open_log();
  if (!f) return;
  const int number = ++state().lognum;
  std::fprintf(f.get(), "%5d >  %s\n", number, text);
}

void kit_logtrace2(const char* text) {
  if (state().tracing != 2 || text == nullptr) return;
  log_file f = open_log();
  if (!f) return;
  const int number = ++state().lognum;
  std::fprintf(f.get(), "%5d >> %s\n", number, text);
}

void kit_show_flist(const kit_flist* list) {
  if (list == nullptr) {
    std::puts("flist is NULL");
    return;
  }
  std::printf("flag                = %x\n", static_cast<unsigned>(list->flag));
  // The directory is bounded by its buffer in case a lister left it open.
  if (list->base_dir[0] == '\0')
    std::puts("base directory      = [current]");
  else
    std::printf("base directory      = %.*s\n", static_cast<int>(sizeof list->base_dir),
                list->base_dir);
  std::printf("directory length    = %d\n", static_cast<int>(list->dir_length));
  std::puts(list->info != nullptr ? "info array          = valid"
                                  : "info array          = NULL");
  std::printf("directory count     = %d\n", static_cast<int>(list->dir_count));
  std::printf("matching file count = %d\n", static_cast<int>(list->match_count));
  std::printf("total item count    = %d\n", static_cast<int>(list->total_count));
  std::puts(list->next != nullptr ? "link to next        = valid"
                                  : "link to next        = NULL");
  std::putchar('\n');
}
