// The command-line parser: dash-options from an argument vector into the
// targets of the caller's option table.
#include "kit.h"

#include <cstdio>
#include <cstring>

namespace {

thread_local FILE* args_console = nullptr;

// Looks at no more than kit_arg_max + 1 bytes of a word.
bool too_long(const char* word) {
  for (int i = 0; i <= kit_arg_max; ++i) {
    if (word[i] == '\0') return false;
  }
  return true;
}

int fail(int code) {
  kit_set_lasterr(code);
  return 0;
}

void reset_table(kit_arg* table) {
  for (kit_arg* row = table; row->kind != KIT_END; ++row) {
    if (row->target != nullptr) {
      if (row->kind == KIT_FLAG) *static_cast<int*>(row->target) = 0;
      if (row->kind == KIT_VALUE) static_cast<char*>(row->target)[0] = '\0';
    }
    row->seen = 0;
  }
}

}  // namespace

int kit_parse_args(int argc, char** argv, kit_arg* table, char* progname) {
  return kit_parse_args_at(argc, argv, table, progname, nullptr);
}

int kit_parse_args_at(int argc, char** argv, kit_arg* table, char* progname, int* at) {
  // The word at fault, for a caller that names it.
  auto fail_at = [at](int code, int index) {
    if (at != nullptr) *at = index;
    return fail(code);
  };
  if (at != nullptr) *at = -1;
  if (argv == nullptr || table == nullptr) return fail(KIT_BAD_ARG);
  reset_table(table);
  if (progname != nullptr) {
    const char* name = (argc > 0 && argv[0] != nullptr) ? argv[0] : "";
    if (too_long(name)) return fail_at(KIT_PROGNAME_LONG, 0);
    std::strcpy(progname, name);
  }
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (word == nullptr) return fail_at(KIT_ARG_UNKNOWN, i);
    if (too_long(word)) return fail_at(KIT_ARG_LONG, i);
    const int index = kit_find_arg(word, table);
    if (index < 0) return fail_at(KIT_ARG_UNKNOWN, i);
    kit_arg& row = table[index];
    if (row.seen) return fail_at(KIT_ARG_DUPLICATE, i);
    if (row.kind == KIT_FLAG) {
      if (row.target != nullptr) *static_cast<int*>(row.target) = 1;
      row.seen = 1;
    } else if (row.kind == KIT_VALUE) {
      // The next word is the value, even when it looks like an option.
      if (i + 1 >= argc || argv[i + 1] == nullptr) return fail_at(KIT_ARG_NO_VALUE, i);
      char* value = argv[++i];
      // Length first: a newline early in an overlong value does not save it.
      if (too_long(value)) return fail_at(KIT_VALUE_LONG, i);
      kit_cut_nl(value);
      if (!kit_check_value(value)) return fail_at(KIT_VALUE_CHARS, i);
      if (row.target != nullptr) std::strcpy(static_cast<char*>(row.target), value);
      row.seen = 1;
    }
  }
  if (kit_missing_arg(table) >= 0) return fail(KIT_ARG_MISSING);
  kit_set_lasterr(KIT_OK);
  return 1;
}

int kit_find_arg(const char* arg, const kit_arg* table) {
  if (arg == nullptr || table == nullptr || arg[0] != '-') return -1;
  const char* name = arg + 1;
  for (int i = 0; table[i].kind != KIT_END; ++i) {
    if (table[i].name != nullptr && std::strcmp(table[i].name, name) == 0) return i;
  }
  return -1;
}

int kit_check_value(const char* value) {
  if (value == nullptr) return 0;
  for (const char* p = value; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    // Control characters would garble the console and the log; blanks and
    // bytes of UTF-8 names are a file name's own.
    if (c < 32 || c == 127) {
      std::fprintf(args_console != nullptr ? args_console : stdout, "arg = '%s'\n", value);
      return 0;
    }
  }
  return 1;
}

int kit_missing_arg(const kit_arg* table) {
  if (table == nullptr) return -1;
  for (int i = 0; table[i].kind != KIT_END; ++i) {
    const kit_arg& row = table[i];
    if (row.kind == KIT_VALUE && row.required && !row.seen) return i;
  }
  return -1;
}

void kit_set_args_console(FILE* console) { args_console = console; }
