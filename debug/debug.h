// Debug aids: console breakpoints, a numbered append-only log file with a
// record limit and two trace levels, and a printout of a file-list record.
// Nothing here reports a failure: a record that cannot be written is dropped.
#ifndef KORVEX_DEBUG_DEBUG_H
#define KORVEX_DEBUG_DEBUG_H

#include <cstdint>

// The log's state: its file name, switches, record limit and counter. The
// log calls of a thread work on the state bound to it (kit_log_bind), or
// else on one of the thread's own, so that runs that each bind their own
// state count their records from 1 and never share a counter.
struct kit_log_state {
  char logname[264] = "default.log";
  int logging = 0;
  int tracing = 0;
  int loglimit_set = 0;
  int loglimit = 50000;
  int lognum = 0;
};

// Binds the calling thread's log calls to state (null: the thread's own).
// The state must outlive the binding.
void kit_log_bind(kit_log_state* state);

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
