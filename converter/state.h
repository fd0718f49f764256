// The converter's shared state: limits, status codes, run settings, the block
// being converted (line buffer, brush ranges, current-entity fields) and the
// class table, with the operations that read, rewrite and write blocks.
//
// One block is held at a time; every read empties the buffer first, so what a
// read leaves behind (also after a failure) stays valid for the following
// write and log_block, until the next read.
#ifndef KORVEX_STATE_H
#define KORVEX_STATE_H

#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

// A FILE* that is closed when it goes out of scope.
struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// ---------------------------------------------------------------------------
// Limits. The reader's logic never names a number; it reads these.
// ---------------------------------------------------------------------------

struct Limits {
  int block_lines;     // lines an entity keeps between its braces
  int plane_lines;     // plane lines of one brush
  int entity_brushes;  // brushes of one entity
  int line_chars;      // characters of one line; a longer one is read in pieces
  int word_chars;      // characters of one word (a key, a value, a number)
};

// The classic limits of the map format.
inline constexpr Limits classic_limits{255, 32, 31, 511, 63};
// The limits of extended mode (-x), for maps written by modern editors.
inline constexpr Limits extended_limits{1048576, 4096, 65536, 65535, 1023};

// Longest path or option value taken from the command line.
inline constexpr int path_chars = 255;

// ---------------------------------------------------------------------------
// Converter status codes, returned by the reading, rewriting and writing
// operations and by the class-table loader.
// ---------------------------------------------------------------------------

enum conv_status : int {
  CONV_END = -1,              // no further block (or the world's closing brace)
  CONV_OK = 0,
  CONV_EOF = 1,               // the file ends inside a block
  CONV_TOO_MANY_LINES = 2,
  CONV_NOT_ENOUGH_LINES = 3,  // kept for its message; nothing returns it
  CONV_NO_PAREN = 4,
  CONV_NO_CLASSNAME = 5,
  CONV_TOKEN = 6,
  CONV_OPEN = 7,
  CONV_BAD_LIGHT = 8,
  CONV_BAD_BRUSH = 9,
  CONV_TOO_MANY_BRUSHES = 10,
  CONV_BAD_COORD = 11,
  CONV_NO_ORIGIN = 12,
  CONV_DISCARD = 13,          // invalid object: dropped, recorded, the run goes on
  CONV_LINE_TOO_LONG = 14,
};

inline constexpr std::array<const char*, 15> conv_msgs{
    "",
    "end of file",
    "too many lines",
    "not enough lines",
    "no delimiter (right parenthesis) in line",
    "no classname found",
    "token extraction error",
    "cannot open the file",
    "bad light value",
    "invalid brush definition in entity",
    "too many brushes in an entity",
    "bad coordinate in entity or brush definition",
    "no origin defined for entity",
    "",  // discard: handled before any message is looked up
    "rewritten line too long",
};
static_assert(conv_msgs.size() == CONV_LINE_TOO_LONG + 1);

// ---------------------------------------------------------------------------
// Run settings, owned by the driver and fixed before the first block is read.
// ---------------------------------------------------------------------------

extern int q2_mode;        // the source is a Quake2 map
extern int enum_mode;      // numbering mode: copy and number, rewrite nothing
extern int extended_mode;  // -x: extended limits, full-precision numbers
extern double light_scale;
extern double size_scale;
extern const Limits* limits;  // classic_limits or extended_limits
extern char ent_path[path_chars + 1];

inline constexpr const char* log_path = "korvex.log";

// Resets every setting and table of the converter to its start value, so a
// run begins from the same state each time.
void reset_converter();

// ---------------------------------------------------------------------------
// The line buffer: the block being converted, one source line per line.
// ---------------------------------------------------------------------------

// A place in the line buffer: a line and a column. line < 0: no place.
struct TextPos {
  int line;
  int col;
};
inline constexpr TextPos no_pos{-1, 0};

// Empties the block (and the line read after it); sizes the buffer for the
// current limits.
void clear_lines();

// Number of lines in the block.
[[nodiscard]] int block_size();

// Text of line i (0 <= i < block_size()), zero-terminated. Valid until the
// block changes.
[[nodiscard]] char* line_text(int i);
[[nodiscard]] int line_length(int i);

// Replaces line i from column col on by text. Returns 0, or
// CONV_LINE_TOO_LONG (line unchanged) when the result exceeds the line
// limit. text must not point into the line buffer.
[[nodiscard]] int replace_line_tail(int i, int col, std::string_view text);

// Adds a line after the block's last one. Returns 0, CONV_TOO_MANY_LINES
// when the block is full, or CONV_LINE_TOO_LONG.
[[nodiscard]] int add_line(std::string_view text);

// A text stream read line by line through a buffer of its own, so that a
// line is found with one scan rather than one call per character.
struct TextInput {
  FILE* stream = nullptr;
  size_t pos = 0;  // next unread byte of buf
  size_t len = 0;  // bytes in buf
  char buf[1 << 16];
};

// Starts reading stream (null: none) from its current position.
void open_input(TextInput& input, FILE* stream);

// Reads one line of at most size - 1 characters into buf, cut at its
// newline, with a carriage return that ends the line dropped. A longer line
// is left for the next reads. Returns the length of the line's text (up to a
// zero byte in it), or -1 at the end of the input.
int read_text_line(TextInput& input, char* buf, int size);

// Reads the next source line into the slot after the block (not yet part of
// it), as read_text_line does. Returns the slot's text, or null at the end
// of the input. A new source starts with find_worldspawn.
char* read_next_line(FILE* source);

// Starts reading a new source (null: none).
void start_source(FILE* source);

// Makes the line read last a line of the block.
void keep_line();

// Empties the line read last (a closing brace), so the log does not show it.
void drop_line();

// The line read last and not kept, when it holds text (a blank or comment
// line not yet overwritten), else null.
[[nodiscard]] const char* pending_line();


// ---------------------------------------------------------------------------
// Brush ranges: where the block's brushes lie in the line buffer.
// ---------------------------------------------------------------------------

struct BrushRange {
  int first;  // index of the brush's first plane line
  int last;   // index of its last plane line (first - 1 when it has none)
};

void reset_brushes();

// Starts a brush whose first plane line will be line `first`; close_brush
// ends it at line `last` and counts it.
void open_brush(int first);
void close_brush(int last);

[[nodiscard]] int brush_count();
[[nodiscard]] BrushRange brush_at(int n);

// ---------------------------------------------------------------------------
// Current entity, set by the readers.
// ---------------------------------------------------------------------------

extern int cur_class;         // -2 no classname seen, -1 not listed, else a slot
extern TextPos class_value;   // opening quote of the last classname value
extern TextPos origin_value;  // opening quote of the last origin value

// ---------------------------------------------------------------------------
// Block reader and writer.
// ---------------------------------------------------------------------------

// 1 when the first significant line of the source opens a block, else 0.
int find_worldspawn(FILE* source);

// Reads the next brush of the world block. Returns CONV_END at the world's
// closing brace, 0, CONV_EOF, CONV_TOO_MANY_LINES or CONV_DISCARD.
int read_world_brush(FILE* source);

// Reads the next entity block. Returns CONV_END when none is left, 0, or
// 1, 2, 5, 6, 9, 10, 12, 13.
int read_entity(FILE* source);

// 1 when every brush of the block has an allowed number of plane lines.
[[nodiscard]] int check_brushes();

// Bytes of a buffer that holds one word at the largest word limit.
inline constexpr int word_size = extended_limits.word_chars + 2;

// Takes the next word of `from` into buf (word_size bytes) under the current
// word limit (delims null: blank, tab, newline). Returns the position behind
// it, or null, the last status telling why (7: too long, 14: none left).
const char* take_word(char* buf, const char* from, const char* delims = nullptr);

// Rewrite (conversion mode) and write the block. Return 0, or the positive
// status of the rewriting, in which case nothing is written.
int write_brush(FILE* out, int number);
int write_entity(FILE* out, int number);

// Records the block (and a pending line) in the log, then a rule line.
void log_block();

// ---------------------------------------------------------------------------
// Class table.
// ---------------------------------------------------------------------------

inline constexpr int class_slots = 64;
inline constexpr int class_name_size = 64;  // quoted name and its zero

enum class_kind : int {
  KIND_OTHER = -1,
  KIND_WORLD = 0,
  KIND_PLAT = 1,
  KIND_DOOR = 2,
  KIND_TRIGGER = 3,
};

struct ClassSlot {
  char source[class_name_size];  // quoted source classname
  char target[class_name_size];  // quoted classname written instead
  int kind;
};

extern std::array<ClassSlot, class_slots> classes;
extern int class_count;

// Loads the table from ent_path. Returns 0, CONV_TOKEN or CONV_OPEN (table
// left as it was). Prints the warning when the table is full.
int load_class_table();

// Slot whose source equals value (quotes included), or -1.
[[nodiscard]] int find_class(const char* value);

// ---------------------------------------------------------------------------
// Rewriting, in place on the line buffer.
// ---------------------------------------------------------------------------

// Scales and retextures every plane line of every brush. 0, 4, 6, 11 or 14.
int rewrite_brushes();

// Writes plane line `line` with its nine coordinates scaled into out
// (out_size bytes). 0, 6, 11 or 14; out is then undefined.
int scale_plane(const char* line, char* out, int out_size);

// Rewrites the origin value. 0, 6, 11 or 14.
int scale_origin();

// Rewrites the first light key of the block, or adds one. 0, 2, 6, 8 or 14.
int scale_light();

// Reads a whole-text number: the library's reader in classic mode, a
// correctly rounded one in extended mode. 1 and *value, or 0.
int read_number(const char* text, double* value);

// ---------------------------------------------------------------------------
// The output map.
// ---------------------------------------------------------------------------

// Opens the output for the map at path (after discard_output or at the
// first run); null when the destination cannot be created or written. A regular or new file is written to a temporary file
// beside it; a device or a pipe is written straight.
FILE* open_output(const char* path);

// Flushes and closes the output and puts a temporary file in place. Returns
// 1, or 0 on any write error, with nothing of this run left behind.
int finish_output();

// Closes the output and removes the temporary file; never removes anything
// this run did not create.
void discard_output();

// ---------------------------------------------------------------------------
// The run.
// ---------------------------------------------------------------------------

// Runs the program on a command line; returns the exit status (0 or 1).
int korvex_run(int argc, char** argv);

#endif
