#include "driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "bounded_text.h"
#include "coords.h"
#include "interrupt.h"
#include "kit.h"
#include "read_prologue.h"
#include "rewrite.h"
#include "usage.h"

using namespace kmap;

namespace {

constexpr const char* notice = "by the KORVEX developers, 2026";

using OptionTable = std::array<kit_arg, 12>;

OptionTable options_of(Settings& s) {
  return {{
      {KIT_FLAG, 0, "q2", &s.modes.q2, 0},
      {KIT_FLAG, 0, "enum", &s.modes.enumerate, 0},
      {KIT_VALUE, 1, "s", s.paths.source, 0},
      {KIT_VALUE, 0, "d", s.paths.dest, 0},
      {KIT_VALUE, 0, "e", s.paths.table, 0},
      {KIT_VALUE, 0, "l", s.paths.light_arg, 0},
      {KIT_VALUE, 0, "g", s.paths.size_arg, 0},
      {KIT_FLAG, 0, "x", &s.modes.extended, 0},
      {KIT_VALUE, 0, "t", s.paths.textures, 0},
      {KIT_FLAG, 0, "k", &s.modes.keep_keys, 0},
      {KIT_FLAG, 0, "q3", &s.modes.q3, 0},
      {KIT_END, 0, nullptr, nullptr, 0},
  }};
}

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// The hints follow the console's lines; written at most once per run.
void print_hints_once(RunContext& ctx) {
  if (ctx.hints_written) return;
  ctx.hints_written = true;
  fflush(stdout);
  print_hints(stderr, ctx.hints, ctx.settings);
}

// Only a person at a terminal can press ENTER: from a pipe, a file or
// nothing the run ends at once, after the same text.
void wait_for_enter(RunContext& ctx) {
  print_hints_once(ctx);
  fputs("Press ENTER...", stdout);
  fflush(stdout);
  if (isatty(STDIN_FILENO)) getchar();
}

// Source path without its file name's extension, plus the extension of the
// mode: a dot in a folder name is no extension.
bool derive_output_name(Settings& s) {
  static constexpr const char* extensions[2][2] = {{".1q3", ".q1n"}, {".2q3", ".q2n"}};
  char base[path_chars + 1];
  std::memcpy(base, s.paths.source, sizeof base);
  char* slash = std::strrchr(base, '/');
  char* file_name = slash != nullptr ? slash + 1 : base;
  if (*file_name != '\0') kit_strip_ext(file_name);
  return BoundedText(s.paths.dest, sizeof s.paths.dest)
      .add(base)
      .add(extensions[s.modes.q2 != 0][s.modes.enumerate != 0])
      .ok();
}

bool copy_path(char (&field)[path_chars + 1], const std::string& path) {
  return BoundedText(field, sizeof field).add(path).ok();
}

// The texture rules of -t (and -q3); false when the run must end.
bool load_textures(RunContext& ctx) {
  Settings& s = ctx.settings;
  if (s.paths.textures[0] == '\0') return true;
  std::string error;
  if (!load_texture_rules(s.paths.textures, ctx.texture_rules, error)) {
    printf("Texture table error: %s\n", error.c_str());
    if (access(s.paths.textures, F_OK) != 0) ctx.hints.missing_texture_rules = s.paths.textures;
    return false;
  }
  ctx.chooser = std::make_unique<TextureChooser>(ctx.texture_rules, s.modes.q2 != 0);
  ctx.playable.faces.textures = ctx.chooser.get();
  return true;
}

// True, with the size factor set, when the -g value is a positive finite
// number; else false, and the factor stays the default 1.
bool read_size_factor(Settings& s) {
  double factor = 0;
  if (!read_number(s.paths.size_arg, &factor, s.extended()) || !std::isfinite(factor) || !(factor > 0)) return false;
  s.factors.size = factor;
  return true;
}

// Factors and table of conversion mode; false when the run must end.
bool prepare_conversion(RunContext& ctx) {
  Settings& s = ctx.settings;
  const char* table = s.modes.q2 ? "q2.ent" : "q1.ent";
  if (s.paths.table[0] == '\0' && s.modes.q3) (void)copy_path(s.paths.table, shipped_table(table));
  if (s.paths.table[0] == '\0') std::strcpy(s.paths.table, table);
  if (s.paths.light_arg[0] != '\0' && !read_number(s.paths.light_arg, &s.factors.light, s.extended()))
    printf("Bad light scale value, using default (%f)\n", 1.0);
  // A size factor of zero or less folds the map flat or inside out.
  if (s.paths.size_arg[0] != '\0' && !read_size_factor(s)) {
    printf("Bad size scale value, using default (%f)\n", 1.0);
  }
  const conv_status r = load_class_table(s.paths.table, ctx.classes);
  if (r != CONV_OK) {
    printf("Entity table error: %s", conv_message(r));
    if (r == CONV_OPEN) {
      printf(" '%s'", s.paths.table);
      ctx.hints.missing_class_table = s.paths.table;
    }
    putchar('\n');
    return false;
  }
  if (ctx.classes.full) puts("Warning: too many classnames in entity replacement table");
  printf("%d classnames in '%s'\n", ctx.classes.count, s.paths.table);
  return load_textures(ctx);
}

// The world's key lines read so far, and the alignment form's own key once
// it is known. The classname is written already; WAD lists mean nothing to
// a Q3 compiler, and Quake's fog settings would be read by it as the name of
// a global fog shader, which stops a Q3 client loading the level.
void write_world_keys(RunContext& ctx, FILE* out) {
  for (const std::string& line : ctx.world_keys) {
    std::string_view key = line;
    key = key.substr(0, key.find('"', 1) + 1);
    if (key == "\"classname\"" || key == "\"wad\"" || key == "\"_wad\"" || key == "\"_fog\"" ||
        key == "\"fog\"")
      continue;
    if (key == "\"mapversion\"") ctx.mapversion_written = true;
    fprintf(out, "  %s\n", line.c_str());
  }
  ctx.world_keys.clear();
  if (ctx.playable.faces.valve && !ctx.mapversion_written) {
    fputs("  \"mapversion\" \"220\"\n", out);
    ctx.mapversion_written = true;
  }
}

// -q3 needs every entity's keys before the first one is written: a first
// pass reads them, then the source is read again from its start.
bool plan_entity_graph(RunContext& ctx, FILE* source) {
  std::vector<EntityKeys> keys = read_entity_keys(ctx.input, source, ctx.block, ctx.classes, ctx.settings);
  if (ferror(source) || fseek(source, 0, SEEK_SET) != 0) {
    printf("Error when reading %s: -q3 reads the map twice, so it must be a file\n", ctx.settings.paths.source);
    return false;
  }
  ctx.edits = plan_graph_edits(std::move(keys));
  ctx.playable.edits = &ctx.edits;
  return true;
}

// What -t and -q3 did, on standard error: the console's lines stay as they
// are for the scripts that read them.
void report_playable(const RunContext& ctx) {
  if (ctx.chooser) {
    const TextureChooser& c = *ctx.chooser;
    long by_rules = 0;
    for (long n : c.faces_by_rule) by_rules += n;
    fprintf(stderr,
            "Texture rules '%s': %ld faces chosen by a rule, %ld by none; %ld faces have their owner's "
            "texture; %zu source names kept\n",
            ctx.settings.paths.textures, by_rules, c.faces_unmatched, c.faces_owner, c.names_kept());
    for (size_t i = 0; i < c.faces_by_rule.size(); ++i) {
      if (c.faces_by_rule[i] == 0) continue;
      const TextureRule& r = ctx.texture_rules.rules[i];
      const std::string pattern = r.pattern + (r.tests.empty() ? "" : " " + r.tests);
      fprintf(stderr, "  line %-4d %-24s %-28s %8ld faces\n", r.line, pattern.c_str(),
              r.choice == TextureChoice::KEEP ? "@keep" : r.choice == TextureChoice::OWNER ? "@owner" : r.name.c_str(),
              c.faces_by_rule[i]);
    }
  }
  for (const std::string& line : ctx.edits.report) fprintf(stderr, "-q3: %s\n", line.c_str());
  if (ctx.playable.trains_given_origin > 0)
    fprintf(stderr, "-q3: %d train(s) given an origin brush at the lowest corner of their brushes, where a Quake train runs on its path\n",
            ctx.playable.trains_given_origin);
}

// Creating the output would truncate the map being read.
bool is_source(FILE* source, const char* path) {
  struct stat a, b;
  return fstat(fileno(source), &a) == 0 && stat(path, &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

void write_header(FILE* out, const Settings& s) {
  if (!s.modes.enumerate) {
    fputs(s.modes.q2 ? "// Quake2 " : "// Quake ", out);
    fprintf(out, "map '%s' converted to Q3A format\n", s.paths.source);
    fputs("// Converter: KORVEX\n", out);
    fprintf(out, "// %s\n", notice);
  }
  fputs("// entity 0\n{\n", out);
  fputs("  \"classname\" \"worldspawn\"\n", out);
}

// An invalid object is dropped: its record and block go to the log, and the
// summary ends with a warning.
void discard(RunContext& ctx, const char* what, int number) {
  kit_logprintf("Discarded invalid %s%d:\n", what, number);
  ctx.counts.discarded = true;
  // The log drops what it cannot write; the summary must not point at it.
  if (!log_block(ctx.block, ctx.settings.paths.log)) ctx.counts.log_failed = true;
}

// A classic run's failure that extended mode would have avoided.
void note_extended_cause(RunContext& ctx, ExtendedCause cause) {
  if (!ctx.settings.extended() && ctx.hints.extended == ExtendedCause::none) ctx.hints.extended = cause;
}

bool write_failed(const Settings& s) {
  printf("Error when writing %s\n", s.paths.dest);
  return false;
}

bool world_pass(RunContext& ctx, FILE* out) {
  const Settings& s = ctx.settings;
  int& n = ctx.counts.brushes;
  for (;;) {
    const conv_status r = read_world_brush(ctx.input, ctx.block, s, s.modes.keep_keys ? &ctx.world_keys : nullptr);
    if (r == CONV_END) break;
    ++n;  // the brush's position, counted from 1; discarded ones count too
    if (r == CONV_DISCARD) {
      discard(ctx, "brush #", n - 1);
      continue;
    }
    if (r != CONV_OK) {
      printf("Brush #%d load error: %s\n", n - 1, conv_message(r));
      note_extended_cause(ctx, extended_cause(r, kit_get_lasterr(), ctx.block.lines));
      log_block(ctx.block, s.paths.log);
      return false;
    }
    const conv_status w = s.modes.enumerate ? CONV_OK : rewrite_world_brush(ctx.block, s, ctx.playable);
    write_world_keys(ctx, out);
    if (w != CONV_OK) {
      printf("Brush #%d write error: %s\n", n - 1, conv_message(w));
      log_block(ctx.block, s.paths.log);
      // Extended mode writes any coordinate in full and longer lines; it
      // leaves a brush it cannot rewrite out.
      note_extended_cause(ctx, w == CONV_BAD_COORD        ? ExtendedCause::coordinates
                               : w == CONV_LINE_TOO_LONG ? ExtendedCause::limits
                                                         : ExtendedCause::damage);
      if (!s.extended()) return false;  // extended mode leaves the brush out
    } else {
      write_brush(out, ctx.block, n);
    }
    if (ferror(out)) return write_failed(s);
  }
  if (n == 0) {
    if (!s.extended()) {
      puts("No brush found");
      note_extended_cause(ctx, ExtendedCause::no_brush);
      return false;
    }
    puts("No brush found: the world is written without brushes");
  }
  write_world_keys(ctx, out);
  fputs("}\n", out);
  if (n > 0) printf("%d brushes\n", n);
  return true;
}

bool entity_pass(RunContext& ctx, FILE* out) {
  const Settings& s = ctx.settings;
  int& n = ctx.counts.entities;
  for (;;) {
    const conv_status r = read_entity(ctx.input, ctx.block, ctx.classes, s);
    if (r == CONV_END) return true;
    ++n;  // the entity's number; the world is entity 0
    if (r == CONV_DISCARD) {
      discard(ctx, "entity ", n);
      continue;
    }
    if (r != CONV_OK) {
      printf("Ent #%d load error (%d): %s\n", n, r, conv_message(r));
      note_extended_cause(ctx, extended_cause(r, kit_get_lasterr(), ctx.block.lines));
      log_block(ctx.block, s.paths.log);
      return false;
    }
    if (!s.modes.enumerate) {
      const EntityFields& e = ctx.block.entity;
      if (e.class_slot == class_unlisted) {
        const std::string_view name = class_name_at(ctx.block.lines.text(e.class_value.line) + e.class_value.col);
        ++ctx.hints.left_out[std::string(name)];
      }
      if (!entity_kept(ctx.block, ctx.playable, n)) continue;  // not in the table, or left out
      const conv_status w = rewrite_entity(ctx.block, ctx.classes, s, ctx.playable, n);
      if (w != CONV_OK) {
        printf("Ent #%d write error: %s\n", n, conv_message(w));
        log_block(ctx.block, s.paths.log);
        continue;
      }
    }
    write_entity(out, ctx.block, n);
    ++ctx.counts.replaced;
    if (ferror(out)) return write_failed(s);
  }
}

// Both passes and the final write; false when the run failed.
bool convert(RunContext& ctx, FILE* source, FILE* out) {
  const Settings& s = ctx.settings;
  write_header(out, s);
  printf("Processing '%s'\n", s.paths.source);
  start_reading(ctx.input, source, ctx.block, s);
  if (!s.modes.enumerate) {
    // The game's vote and the map's alignment form come from its first
    // faces, before the world pass writes any.
    const Prologue prologue = read_prologue(ctx.input.text, s.limit());
    ctx.hints.votes = prologue.votes;
    ctx.playable.faces.valve = ctx.chooser && prologue.form == AlignForm::VALVE220;
  }
  if (!find_worldspawn(ctx.input, ctx.block)) {
    printf("No 'worldspawn' section in %s\n", s.paths.source);
    return false;
  }
  if (!world_pass(ctx, out) || !entity_pass(ctx, out)) return false;
  // A read error must not pass for the end of the map.
  if (ferror(source)) {
    printf("Error when reading %s\n", s.paths.source);
    return false;
  }
  if (!finish_output(ctx.output)) return write_failed(s);
  return true;
}

void print_summary(const RunContext& ctx) {
  const RunCounts& c = ctx.counts;
  if (c.entities == 0)
    puts("Warning: no entity");
  else if (ctx.settings.modes.enumerate)
    printf("%d entities numbered\n", c.entities);
  else
    printf("%d entities (%d replaced)\n", c.entities, c.replaced);
  if (c.discarded) {
    puts("WARNING: invalid objects have been discarded,");
    if (c.log_failed)
      printf("and '%s' could not be written: no details were recorded.\n", ctx.settings.paths.log);
    else
      puts("see 'korvex.log' for details.");
  }
}

void reset(RunContext& ctx) {
  discard_output(ctx.output);
  ctx.settings = Settings{};
  ctx.classes = ClassTable{};
  ctx.block.entity = EntityFields{};
  ctx.block.lines.configure(classic_limits, false);
  ctx.log = kit_log_state{};
  ctx.counts = RunCounts{};
  ctx.texture_rules = TextureRules{};
  ctx.chooser.reset();
  ctx.edits = GraphEdits{};
  ctx.playable = PlayableRewrite{};
  ctx.world_keys.clear();
  ctx.mapversion_written = false;
  ctx.hints = RunHints{};
  ctx.hints_written = false;
}

int run(RunContext& ctx, int argc, char** argv) {
  Settings& s = ctx.settings;
  // Help and version are no run: no banner, and the log is left alone.
  switch (info_request(argc, argv)) {
    case InfoRequest::help:
      print_usage(stdout);
      return 0;
    case InfoRequest::version:
      print_version(stdout);
      return 0;
    case InfoRequest::none:
      break;
  }
  puts("KORVEX map converter utility");
  puts(notice);

  // Every run starts a fresh log.
  if (kit_file_exists(s.paths.log)) unlink(s.paths.log);
  kit_set_logname(s.paths.log);
  kit_setlog(1);

  OptionTable options = options_of(s);
  if (!kit_parse_args(argc, argv, options.data(), s.paths.program)) {
    puts(kit_errmsg(kit_get_lasterr()));
    ctx.hints.bad_command_line = true;
    wait_for_enter(ctx);
    return 1;
  }
  if (s.modes.q3) {
    // A map to play: extended limits, the world's keys, the shipped
    // texture rules unless a table is named.
    s.modes.extended = s.modes.keep_keys = 1;
    if (s.paths.textures[0] == '\0' && !s.modes.enumerate)
      (void)copy_path(s.paths.textures, shipped_table(s.modes.q2 ? "q2.tex" : "q1.tex"));
  }
  if (s.modes.enumerate) s.modes.keep_keys = 0;  // numbering copies the blocks alone
  ctx.playable.faces.q2 = s.modes.q2 != 0;
  s.limits = s.extended() ? &extended_limits : &classic_limits;
  if (s.paths.dest[0] == '\0' && !derive_output_name(s)) {
    printf("Output file name too long: more than %d characters; name it with -d\n", path_chars);
    return 1;
  }
  if (!s.modes.enumerate && !prepare_conversion(ctx)) return 1;

  UniqueFile source(fopen(s.paths.source, "r"));
  if (!source) {
    printf("Error when opening %s\n", s.paths.source);
    wait_for_enter(ctx);
    return 1;
  }
  if (is_source(source.get(), s.paths.dest)) {
    printf("Output file %s is the source map itself; name another with -d\n", s.paths.dest);
    return 1;
  }
  if (s.modes.q3 && !s.modes.enumerate && !plan_entity_graph(ctx, source.get())) return 1;
  FILE* out = nullptr;
  {
    // An interruption from here on removes the temporary file.
    const InterruptsHeld held;
    out = open_output(ctx.output, s.paths.dest);
    if (out != nullptr && ctx.output.temp_path[0] != '\0') (void)remove_on_interrupt(ctx.output.temp_path);
  }
  if (out == nullptr) {
    printf("Error when creating %s\n", s.paths.dest);
    wait_for_enter(ctx);
    return 1;
  }
  if (!convert(ctx, source.get(), out)) {
    discard_output(ctx.output);
    return 1;
  }
  print_summary(ctx);
  report_playable(ctx);
  return 0;
}

}  // namespace

int korvex_run(RunContext& ctx, int argc, char** argv) {
  reset(ctx);
  kit_log_bind(&ctx.log);
  const int status = run(ctx, argc, argv);
  kit_log_bind(nullptr);
  // The source and the output are closed on every path; the next run of
  // this context starts from its reset.
  discard_output(ctx.output);
  keep_on_interrupt();
  print_hints_once(ctx);
  return status;
}

int korvex_run(int argc, char** argv) {
  auto ctx = std::make_unique<RunContext>();
  return korvex_run(*ctx, argc, argv);
}
