// Debug aids: console breakpoints, a numbered append-only log file with a
// record limit and two trace levels, and a printout of a file-list record.
// Nothing here reports a failure: a record that cannot be written is dropped.
#ifndef KORVEX_DEBUG_H
#define KORVEX_DEBUG_H

#include <cstdint>

// Prints "Breakpoint %d, press ENTER..." (n in 0..1000) or the plain prompt,
// then returns one character read from standard input.
int kit_brkpt(int n);

// Prints "Breakpoint '%s'. Press ENTER..." (or the no-message prompt) and
// returns one character read from standard input.
int kit_brkpts(const char* message);

// Names the log file: name without its extension plus ".log"; null or empty
// gives "default.log"; a name over 256 characters is ignored.
void kit_set_logname(const char* name);

// Fixes the record limit (clamped to 1..50000); only the first call counts.
void kit_set_loglimit(int limit);

// Logging on (non-zero) or off (0); a negative value is ignored.
void kit_setlog(int on);

// Trace level 0, 1 or 2; any other value is ignored.
void kit_settrace(int level);

// Append one numbered record ("%5d %s\n") while logging is on.
void kit_logputs(const char* text);
void kit_logprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Append a trace record ("%5d >  %s\n") at trace level 1 or 2, or a level-2
// trace record ("%5d >> %s\n") at level 2, whether logging is on or not.
void kit_logtrace(const char* text);
void kit_logtrace2(const char* text);

// A file-list descriptor, as filled by a directory lister.
struct kit_flist {
  uint32_t flag;
  int32_t total_count;     // total item count
  int32_t match_count;     // matching file count
  int32_t dir_count;       // directory count
  int32_t dir_length;      // directory length
  char base_dir[256];      // empty: the current directory
  void* info;              // the descriptor's info array
  kit_flist* next;         // next descriptor of a chain
};

// Prints the descriptor on standard output ("flist is NULL" for null).
void kit_show_flist(const kit_flist* list);

#endif
