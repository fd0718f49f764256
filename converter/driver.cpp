// The conversion driver: command line, output name, replacement table and
// scale factors, then the world pass and the entity pass over the source,
// and the summary. The only code of the converter that prints.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "bounded_text.h"
#include "debug.h"
#include "kit.h"
#include "state.h"

int q2_mode = 0;
int enum_mode = 0;
int extended_mode = 0;
double light_scale = 1.0;
double size_scale = 1.0;
const Limits* limits = &classic_limits;
char ent_path[path_chars + 1];

namespace {

constexpr const char* notice = "by the KORVEX developers, 2026";

char src_path[path_chars + 1];
char dst_path[path_chars + 1];
char light_arg[path_chars + 1];
char size_arg[path_chars + 1];
char prog_name[path_chars + 1];
int discarded = 0;  // an invalid brush or entity has been dropped

std::array<kit_arg, 9> options{{
    {KIT_FLAG, 0, "q2", &q2_mode, 0},
    {KIT_FLAG, 0, "enum", &enum_mode, 0},
    {KIT_VALUE, 1, "s", src_path, 0},
    {KIT_VALUE, 0, "d", dst_path, 0},
    {KIT_VALUE, 0, "e", ent_path, 0},
    {KIT_VALUE, 0, "l", light_arg, 0},
    {KIT_VALUE, 0, "g", size_arg, 0},
    {KIT_FLAG, 0, "x", &extended_mode, 0},
    {KIT_END, 0, nullptr, nullptr, 0},
}};

struct Counts {
  int brushes = 0;
  int entities = 0;
  int replaced = 0;
};

void wait_for_enter() {
  fputs("Press ENTER...", stdout);
  fflush(stdout);
  getchar();
}

// Source path without its extension, plus the extension of the mode.
bool derive_output_name() {
  static constexpr const char* extensions[2][2] = {{".1q3", ".q1n"}, {".2q3", ".q2n"}};
  char base[path_chars + 1];
  std::memcpy(base, src_path, sizeof base);
  kit_strip_ext(base);
  return BoundedText(dst_path, sizeof dst_path)
      .add(base)
      .add(extensions[q2_mode != 0][enum_mode != 0])
      .ok();
}

// Factors and table of conversion mode; false when the run must end.
bool prepare_conversion() {
  if (ent_path[0] == '\0') std::strcpy(ent_path, q2_mode ? "q2.ent" : "q1.ent");
  if (light_arg[0] != '\0' && !read_number(light_arg, &light_scale))
    printf("Bad light scale value, using default (%f)\n", 1.0);
  if (size_arg[0] != '\0' && !read_number(size_arg, &size_scale))
    printf("Bad size scale value, using default (%f)\n", 1.0);
  const int r = load_class_table();
  if (r > 0) {
    printf("Entity table error: %s", conv_msgs[static_cast<size_t>(r)]);
    if (r == CONV_OPEN) printf(" '%s'", ent_path);
    putchar('\n');
    return false;
  }
  printf("%d classnames in '%s'\n", class_count, ent_path);
  return true;
}

// Creating the output would truncate the map being read.
bool is_source(FILE* source, const char* path) {
  struct stat a, b;
  return fstat(fileno(source), &a) == 0 && stat(path, &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

void write_header(FILE* out) {
  if (!enum_mode) {
    fputs(q2_mode ? "// Quake2 " : "// Quake ", out);
    fprintf(out, "map '%s' converted to Q3A format\n", src_path);
    fputs("// Converter: KORVEX\n", out);
    fprintf(out, "// %s\n", notice);
  }
  fputs("// entity 0\n{\n", out);
  fputs("  \"classname\" \"worldspawn\"\n", out);
}

// An invalid object is dropped: its record and block go to the log, and the
// summary ends with a warning.
void discard(const char* what, int number) {
  kit_logprintf("Discarded invalid %s%d:\n", what, number);
  log_block();
  discarded = 1;
}

bool write_failed() {
  printf("Error when writing %s\n", dst_path);
  return false;
}

bool world_pass(FILE* source, FILE* out, Counts& counts) {
  cur_class = 0;  // world brushes are retextured as the world's
  int& n = counts.brushes;
  for (;;) {
    const int r = read_world_brush(source);
    if (r == CONV_END) break;
    ++n;  // the brush's position, counted from 1; discarded ones count too
    if (r == CONV_DISCARD) {
      discard("brush #", n - 1);
      continue;
    }
    if (r > 0) {
      printf("Brush #%d load error: %s\n", n - 1, conv_msgs[static_cast<size_t>(r)]);
      log_block();
      return false;
    }
    const int w = write_brush(out, n);
    if (w > 0) {
      printf("Brush #%d write error: %s\n", n - 1, conv_msgs[static_cast<size_t>(w)]);
      log_block();
      if (!extended_mode) return false;  // extended mode leaves the brush out
    }
    if (ferror(out)) return write_failed();
  }
  if (n == 0) {
    if (!extended_mode) {
      puts("No brush found");
      return false;
    }
    puts("No brush found: the world is written without brushes");
  }
  fputs("}\n", out);
  if (n > 0) printf("%d brushes\n", n);
  return true;
}

bool entity_pass(FILE* source, FILE* out, Counts& counts) {
  int& n = counts.entities;
  for (;;) {
    const int r = read_entity(source);
    if (r == CONV_END) return true;
    ++n;  // the entity's number; the world is entity 0
    if (r == CONV_DISCARD) {
      discard("entity ", n);
      continue;
    }
    if (r > 0) {
      printf("Ent #%d load error (%d): %s\n", n, r, conv_msgs[static_cast<size_t>(r)]);
      log_block();
      return false;
    }
    if (!enum_mode && cur_class < 0) continue;  // not in the table: left out
    const int w = write_entity(out, n);
    if (w > 0) {
      printf("Ent #%d write error: %s\n", n, conv_msgs[static_cast<size_t>(w)]);
      log_block();
      continue;
    }
    ++counts.replaced;
    if (ferror(out)) return write_failed();
  }
}

// Both passes and the final write; false when the run failed.
bool convert(FILE* source, FILE* out, Counts& counts) {
  write_header(out);
  printf("Processing '%s'\n", src_path);
  if (!find_worldspawn(source)) {
    printf("No 'worldspawn' section in %s\n", src_path);
    return false;
  }
  if (!world_pass(source, out, counts) || !entity_pass(source, out, counts)) return false;
  // A read error must not pass for the end of the map.
  if (ferror(source)) {
    printf("Error when reading %s\n", src_path);
    return false;
  }
  if (!finish_output()) return write_failed();
  return true;
}

void print_summary(const Counts& counts) {
  if (counts.entities == 0)
    puts("Warning: no entity");
  else if (enum_mode)
    printf("%d entities numbered\n", counts.entities);
  else
    printf("%d entities (%d replaced)\n", counts.entities, counts.replaced);
  if (discarded) {
    puts("WARNING: invalid objects have been discarded,");
    puts("see 'korvex.log' for details.");
  }
}

}  // namespace

void reset_converter() {
  discard_output();
  q2_mode = enum_mode = extended_mode = 0;
  light_scale = size_scale = 1.0;
  limits = &classic_limits;
  ent_path[0] = '\0';
  classes = {};
  class_count = 0;
  cur_class = -2;
  class_value = origin_value = no_pos;
  start_source(nullptr);
  clear_lines();
  reset_brushes();
  discarded = 0;
}

int korvex_run(int argc, char** argv) {
  reset_converter();
  puts("KORVEX map converter utility");
  puts(notice);

  // Every run starts a fresh log.
  if (kit_file_exists(log_path)) unlink(log_path);
  kit_set_logname(log_path);
  kit_setlog(1);

  if (!kit_parse_args(argc, argv, options.data(), prog_name)) {
    puts(kit_errmsg(kit_get_lasterr()));
    wait_for_enter();
    return 1;
  }
  limits = extended_mode ? &extended_limits : &classic_limits;
  if (dst_path[0] == '\0' && !derive_output_name()) {
    printf("Output file name too long: more than %d characters; name it with -d\n", path_chars);
    return 1;
  }
  if (!enum_mode && !prepare_conversion()) return 1;

  UniqueFile source(fopen(src_path, "r"));
  if (!source) {
    printf("Error when opening %s\n", src_path);
    wait_for_enter();
    return 1;
  }
  if (is_source(source.get(), dst_path)) {
    printf("Output file %s is the source map itself; name another with -d\n", dst_path);
    return 1;
  }
  FILE* out = open_output(dst_path);
  if (out == nullptr) {
    printf("Error when creating %s\n", dst_path);
    wait_for_enter();
    return 1;
  }
  Counts counts;
  if (!convert(source.get(), out, counts)) {
    discard_output();
    return 1;
  }
  print_summary(counts);
  return 0;
}
