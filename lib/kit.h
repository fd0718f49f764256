// kit: the utility library's public interface.
//
// Every routine that does a job stores a status code in the last status
// (read it with kit_get_lasterr) before it returns, success included (0).
// Routines return 1, a pointer, a length or a count on success and 0 or null
// on failure; a value delivered through a pointer is written only on success.
// Character predicates and pure checks leave the last status alone.
#ifndef KORVEX_LIB_KIT_H
#define KORVEX_LIB_KIT_H

#include <cstdint>
#include <cstdio>

// ---------------------------------------------------------------------------
// Status codes and text scanning
// ---------------------------------------------------------------------------

// Status codes with a message of their own (kit_errmsg gives the text).
enum kit_status : int {
  KIT_OK = 0,
  KIT_BAD_ARG = 1,
  KIT_NO_MEMORY = 2,
  KIT_OPEN_ERROR = 3,
  KIT_READ_ERROR = 5,
  KIT_TOO_MANY = 7,
  KIT_NOT_ENOUGH = 8,
  KIT_EMPTY = 11,
  KIT_END_OF_STRING = 14,
  KIT_NOT_FOUND = 17,
  KIT_PARTIAL = 22,
  KIT_END_OF_FILE = 23,
  KIT_NO_ACCESS = 27,
  KIT_BUSY = 30,
  KIT_READ_ONLY = 31,
  KIT_TOO_MANY_DIGITS = 53,
  KIT_NO_DIGITS = 54,
  KIT_NOT_A_DIGIT = 55,
  KIT_EXTRA_CHARS = 56,
  KIT_EXP_RANGE = 57,
  KIT_NO_EXPONENT = 58,
  KIT_BAD_EXPONENT = 59,
  KIT_TWO_POINTS = 60,
  KIT_CONFIG_OPEN = 70,
  KIT_PARAM_NAME = 71,
  KIT_PARAM_TYPE = 72,
  KIT_PARAM_TARGET = 73,
  KIT_PARAM_SIZE = 74,
  KIT_PARAM_INDEX = 75,
  KIT_PARAM_NO_VALUE = 76,
  KIT_PARAM_CONVERT = 77,
  KIT_PARAM_NOT_LOADED = 78,
  KIT_PROGNAME_LONG = 90,
  KIT_ARG_LONG = 91,
  KIT_ARG_UNKNOWN = 92,
  KIT_ARG_NO_VALUE = 93,
  KIT_VALUE_LONG = 94,
  KIT_VALUE_CHARS = 95,
  KIT_ARG_DUPLICATE = 96,
  KIT_ARG_MISSING = 97,
  KIT_SYSTEM_OTHER = 1000,  // outside the message table: "unknown error"
};

// The last status: the code the most recent library routine stored.
[[nodiscard]] int kit_get_lasterr();

// Stores code in the last status (for library modules reporting a result).
void kit_set_lasterr(int code);

// Message of a status code; "unknown error" for codes without one.
// Never null; does not change the last status.
[[nodiscard]] const char* kit_errmsg(int code);

// 1 if c is one of the characters of set (never the zero character), else 0.
// Sets no status; set must not be null.
[[nodiscard]] int kit_char_in_set(int c, const char* set);

// Copies the next token of src into dst (len + 1 bytes at least) and returns
// the position behind it, or null (status 14 nothing left, 7 token of len
// characters or more, 17 len <= 0). delims null: blank, tab and newline.
[[nodiscard]] const char* kit_get_token(char* dst, const char* src, const char* delims, int len);

// kit_get_token over the bytes src..end (end included); a zero byte counts as
// a delimiter, and leaving the range gives status 23 (or 7 inside a token).
const char* kit_get_token_range(char* dst, const char* src, const char* end,
                                const char* delims, int len);

// Cuts the extension (from the last '.', unless at index 0) off path in place.
// Returns 1 (also when nothing was cut) or 0: status 1 null/empty, 7 when
// no terminating zero lies in the first 512 bytes (path unchanged).
int kit_strip_ext(char* path);

// Cuts str at its first newline; always returns 1 (status 1 for null str).
int kit_cut_nl(char* str);

// Cuts buf at its first newline within len bytes; returns the line's length,
// or 0 with status 1 (bad arguments) or 7 (no newline or zero within len).
int kit_cut_line(char* buf, int len);

// Pointer to the terminating zero of str (status 0), or null (status 1).
const char* kit_str_end(const char* str);

// Pointer to the terminating zero if it lies in the first len bytes, or null
// (status 1 bad arguments, 7 not found within len).
const char* kit_find_end(const char* str, int len);

// First character of str not in set, within count characters (a negative
// count sets no bound); null with status 7 (count used up) or 14 (a newline
// or the terminating zero came first). str and set must not be null.
const char* kit_skip_chars(const char* str, const char* set, int count);

// kit_skip_chars with the blank set (blank and tab).
const char* kit_skip_blanks(const char* str, int count);

// Drops the first character of str and everything from the next double
// quote on, in place. Returns 1, or 0 with status 8 (null, empty, size <= 1)
// or 7 (str longer than size characters); str is unchanged on failure.
int kit_unquote(char* str, int size);

// First c within count characters; null with status 1, 7 or 14.
const char* kit_find_char(const char* str, int c, int count);

// Last c of a string whose terminating zero lies within count bytes;
// null with status 1, 7 (zero not within count) or 14 (no c).
const char* kit_find_last_char(const char* str, int c, int count);

// kit_find_last_char when last is non-zero, else kit_find_char.
const char* kit_search_char(const char* str, int c, int count, int last);

// Replaces every from by to up to the string's original end, in place.
// Returns 1, or 0 with status 1 (null str or zero from).
int kit_replace_char(char* str, int from, int to);

// Splits str into at most 255 tokens, each in a newly allocated string.
// Returns the array (free each token, then the array) and stores the token
// count in *out; on failure returns null and stores the status in *out.
char** kit_split_alloc(const char* str, const char* delims, int* out);

// Array of count + 1 positions in str (the last one null): entry 0 is str,
// entry i is the position right after the i-th counted sep, counting each
// sep not followed by end, up to the first end or the terminating zero.
// Null with status 1 (null str), 11 (no sep counted) or 2. Free the array only.
const char** kit_split_ptrs(const char* str, int sep, int end);

// Length of prefix when str begins with it, else 0 (status 1, 7 or 17).
int kit_match_prefix(const char* prefix, const char* str);

// ---------------------------------------------------------------------------
// Command-line parser
// ---------------------------------------------------------------------------

enum kit_arg_kind : int { KIT_FLAG = 0, KIT_VALUE = 1, KIT_END = 2 };

// Longest argument, value or program name the parser takes.
inline constexpr int kit_arg_max = 255;

// One row of an option table; the table ends with a row of kind KIT_END.
// target: an int for a flag, a buffer of kit_arg_max + 1 bytes for a value.
struct kit_arg {
  int kind;
  int required;
  const char* name;
  void* target;
  int seen;
};

// Fills the table's targets and seen fields from argv (value words are cut
// at a newline in place). Returns 1, or 0 with status 1 or 90 to 97; what was
// taken before the fault stays. progname (kit_arg_max + 1 bytes) may be null.
int kit_parse_args(int argc, char** argv, kit_arg* table, char* progname);

// The same; on failure *at (when not null) is the index in argv of the word
// at fault, or -1 when none is (a required argument missing).
int kit_parse_args_at(int argc, char** argv, kit_arg* table, char* progname, int* at);

// Index of the row named by arg ("-name"), or -1. Sets no status.
[[nodiscard]] int kit_find_arg(const char* arg, const kit_arg* table);

// 1 if value holds no control character (below 32, or 127): blanks and
// bytes of 128 and above are taken; else prints "arg = '%s'\n" (on the
// calling thread's argument console) and returns 0. Sets no status.
int kit_check_value(const char* value);

// Where the calling thread's argument checks print (null: standard output).
void kit_set_args_console(FILE* console);

// Index of the first required value row not seen, or -1. Sets no status.
[[nodiscard]] int kit_missing_arg(const kit_arg* table);

// ---------------------------------------------------------------------------
// Numeric conversion
// ---------------------------------------------------------------------------

enum kit_base : int { KIT_BIN = 0, KIT_DEC = 1, KIT_HEX = 2 };

// Whole-string integer reader (at most 31 binary, 9 decimal after an optional
// '-', 7 hexadecimal digits). Returns 1 and stores *value, or 0 (status 1,
// 53 bad base, 55, 56); *value is untouched on failure.
int kit_str_to_int(const char* text, int base, int32_t* value);

// Whole-string real reader, digit by digit (at most 15 mantissa digits,
// exponent up to 292). Returns 1 and stores *value, or 0 (status 1, 14, 53
// to 60); *value is untouched on failure.
[[nodiscard]] int kit_str_to_real(const char* text, double* value);

// Read the next token of src and convert it; return the position behind the
// token, or null with the status of the first failing stage.
const char* kit_get_int(const char* src, const char* delims, int base, int32_t* value);
const char* kit_get_real(const char* src, const char* delims, double* value);
const char* kit_get_int_range(const char* src, const char* end, const char* delims,
                              int base, int32_t* value);
const char* kit_get_real_range(const char* src, const char* end, const char* delims,
                               double* value);

// Writes the bits of an 8-, 16- or 32-bit value as '0'/'1', most significant
// first, into out (bits + 1 bytes). Returns 1, or 0 with status 1.
int kit_to_binstr(const void* value, int bits, char* out);

// Digit value of c in its base, or 55 for any other character. No status.
[[nodiscard]] int kit_bin_digit(int c);
[[nodiscard]] int kit_dec_digit(int c);
[[nodiscard]] int kit_hex_digit(int c);

// ---------------------------------------------------------------------------
// File and path utilities
// ---------------------------------------------------------------------------

// 1 if path opens for reading (status 0); else 0 with status 1 or 3.
int kit_file_exists(const char* path);

// rename / unlink; 1 (status 0), or 0 with errno mapped: EACCES 27,
// EBUSY 30, EROFS 31, anything else (a null name too) 1000.
int kit_rename(const char* old_name, const char* new_name);
int kit_delete(const char* path);

// Reads one line (carriage returns kept, newline not stored) into buf
// (limit + 1 bytes, limit 1 to 512). Returns its length; 0 for an empty line
// (status 11), end of input (23) or a read error (5); -1 for a line of limit
// characters or more (status 22, the rest stays in the stream).
int kit_read_line(char* buf, int limit, FILE* stream);

// Reads one line into buf (limit + 1 bytes) and its length into *count.
// Returns 1 for a complete line shorter than limit, else 0 (status 1, 11 a
// line starting with a character of comment_set, 22 too long, 23 end).
int kit_read_data_line(char* buf, const char* comment_set, int limit, int* count,
                       FILE* stream);

// Number of lines (511-character pieces) of a file that do not start with a
// character of comment_set (null: all). 0 with status 1 or 3 on failure.
int kit_count_lines(const char* path, const char* comment_set);

// Replaces every backslash by '/'. 1 if anything was replaced, else 0;
// status 7 (path cut to 511 characters) for a path of 512 or more.
int kit_fix_slashes(char* path);

// Longest directory part (with its trailing '/') and file-name part.
inline constexpr int kit_dir_max = 256;
inline constexpr int kit_name_max = 255;

// Splits path at its last '/' into dir (kit_dir_max + 1 bytes) and name
// (kit_name_max + 1 bytes); either may be null. 1, or 0 with status 1 or 7
// (both given buffers emptied).
int kit_split_path(const char* path, char* dir, char* name);
int kit_get_dir(const char* path, char* dir);
int kit_get_filename(const char* path, char* name);

// Replaces the extension of path (the last '.' after index 0) by ext, or
// appends '.' and ext. path must have room. 1, or 0 with status 1.
int kit_set_ext(char* path, const char* ext);

// Pure checks; set no status.
[[nodiscard]] int kit_check_path_len(const char* path);
[[nodiscard]] int kit_check_path_chars(const char* path);
[[nodiscard]] int kit_is_sep(int c);
[[nodiscard]] int kit_is_name_char(int c);
[[nodiscard]] int kit_in_set(int c, const char* set);

// ---------------------------------------------------------------------------
// Parameter file loader
// ---------------------------------------------------------------------------

enum kit_param_type : int {
  KIT_P_INT = 0,
  KIT_P_REAL = 1,
  KIT_P_STRING = 2,
  KIT_P_INT_ARRAY = 3,
  KIT_P_REAL_ARRAY = 4,
  KIT_P_STRING_ARRAY = 5,
  KIT_P_END = 6,
};

// One row of a parameter table; the table ends with a row of type KIT_P_END.
// size: bytes of each string buffer (types 2, 5). length: elements of the
// target array (types 3, 4, 5). status and count are written by the loader.
struct kit_param {
  int type;
  const char* name;
  void* target;
  int size;
  int status;
  int count;
  int length;
};

// Loads every row it can from the file at path. Returns 1 when every row got
// a value without fault, else 0 (status 1, 70 or 78); row faults are in the
// rows' status fields. A carriage return that ends a line is dropped; an
// array index of length or more gives row status 75.
int kit_load_params(const char* path, kit_param* table);

// First row whose name begins with the name part of token (before '['),
// or null. Sets no status.
kit_param* kit_find_param(const char* token, kit_param* table);

// The index written as "[digits]" at the end of token, or -1 (also for an
// index too large for a 32-bit integer). Sets no status.
[[nodiscard]] int kit_param_index(const char* token);

// Copies src from its first non-blank up to a carriage return, newline or
// zero into dst (as large as src); returns the position of that ender, or
// null when nothing is left. Sets no status.
const char* kit_rest_of_line(char* dst, const char* src);

// Stores value into the row's target (element index for arrays). 1, or 0
// (the target keeps its value; also for an index outside 0 to length - 1 or
// a null string buffer). A string is cut to size - 1 characters. Sets no
// status itself.
int kit_set_param(kit_param* row, const char* value, int index);

#endif
