// korvex's command-line options: one table that the converter parses, the
// usage text lists, and korvex-batch passes on to each map's run.
#ifndef KORVEX_MAP_KORVEX_OPTIONS_H
#define KORVEX_MAP_KORVEX_OPTIONS_H

#include <array>
#include <cstdint>
#include <string_view>

namespace kmap {

enum class OptionKind : uint8_t { flag, value };

// What korvex-batch does with an option given to it.
enum class BatchUse : uint8_t {
  passed,   // passed on to every run as it is
  path,     // a file name: made absolute, then passed on
  refused,  // the batch sets it itself for each map
  own,      // the batch has an option of that name for the whole batch
};

struct KorvexOption {
  std::string_view name;  // typed with one dash before it
  OptionKind kind;
  bool required;
  BatchUse batch;
  std::string_view usage;  // its lines in the usage text
};

inline constexpr std::array<KorvexOption, 18> korvex_options{{
    {"q2", OptionKind::flag, false, BatchUse::passed, "  -q2        the source is a Quake 2 map\n"},
    {"q1", OptionKind::flag, false, BatchUse::passed,
     "  -q1        the source is a Quake map (-q3 otherwise goes by the map's faces)\n"},
    {"enum", OptionKind::flag, false, BatchUse::passed,
     "  -enum      numbering mode: copy, re-indent and number the blocks only\n"},
    {"s", OptionKind::value, true, BatchUse::refused, "  -s path    the source map (required)\n"},
    {"d", OptionKind::value, false, BatchUse::refused,
     "  -d path    the output map; by default the source's name with .1q3 (Quake),\n"
     "             .2q3 (Quake 2), .q1n or .q2n (-enum) in place of its extension\n"},
    {"e", OptionKind::value, false, BatchUse::path,
     "  -e path    the class replacement table; by default q1.ent (q2.ent with -q2)\n"
     "             in the working folder, or with -q3 the shipped one\n"},
    {"l", OptionKind::value, false, BatchUse::passed, "  -l factor  light factor (default 1)\n"},
    {"g", OptionKind::value, false, BatchUse::passed, "  -g factor  size factor, a positive number (default 1)\n"},
    {"x", OptionKind::flag, false, BatchUse::passed,
     "  -x         extended mode: the limits of modern editors, full precision\n"},
    {"t", OptionKind::value, false, BatchUse::path,
     "  -t path    texture rules: each face's texture is chosen by its source name\n"},
    {"k", OptionKind::flag, false, BatchUse::passed, "  -k         keep the world's key lines\n"},
    {"q3", OptionKind::flag, false, BatchUse::passed,
     "  -q3        a map to play in a Q3 engine: -x, -k and -t with the shipped\n"
     "             texture rules (q1.tex, q2.tex), the entity graph made safe\n"},
    {"r", OptionKind::value, false, BatchUse::path,
     "  -r path    entity rules (with -q3): what each class becomes in a Q3 game;\n"
     "             by default the shipped q1.rules (q2.rules with -q2)\n"},
    {"wal", OptionKind::value, false, BatchUse::path,
     "  -wal path  Quake 2 textures (the game folder, a .pak, a folder of .wal files):\n"
     "             a face that carries no flags takes those of its texture's .wal\n"},
    {"nodetail", OptionKind::flag, false, BatchUse::passed,
     "  -nodetail  detail brushes are written as structural ones, for maps that\n"
     "             close the level with detail\n"},
    {"lights", OptionKind::flag, false, BatchUse::passed,
     "  -lights    Quake lights, the world's minimum light and the sun made what the\n"
     "             Q3 compiler reads, falloff and brightness kept (implies -x and -k;\n"
     "             -q3 does it too)\n"},
    {"fog", OptionKind::flag, false, BatchUse::passed,
     "  -fog       Quake's world fog as a fog volume around the level, whose shader\n"
     "             the texture pack writes (korvex-tex); without the pack the volume\n"
     "             is solid (implies -x and -k)\n"},
    {"-report", OptionKind::value, false, BatchUse::own,
     "  --report file.json\n"
     "             what the run did, for scripts: counts, classes left out,\n"
     "             objects dropped and why, texture rules, edits, the game\n"},
}};

// The order in which the usage text lists the options.
inline constexpr std::array<std::string_view, korvex_options.size()> korvex_usage_order{
    "s", "d", "e", "t", "r", "l", "g", "q1", "q2", "enum", "x", "k", "q3", "lights", "fog", "wal", "nodetail", "-report"};

// The option named `name` (without its dash), or null.
[[nodiscard]] constexpr const KorvexOption* find_korvex_option(std::string_view name) {
  for (const KorvexOption& o : korvex_options)
    if (o.name == name) return &o;
  return nullptr;
}

namespace detail {
constexpr bool options_unique() {
  for (size_t i = 0; i < korvex_options.size(); ++i)
    for (size_t j = i + 1; j < korvex_options.size(); ++j)
      if (korvex_options[i].name == korvex_options[j].name) return false;
  return true;
}
// By index and by name: a pointer compared in a constant expression trips
// the undefined-behaviour sanitizer's instrumentation.
constexpr bool usage_lists_each() {
  for (size_t u = 0; u < korvex_usage_order.size(); ++u) {
    bool listed = false;
    for (size_t i = 0; i < korvex_options.size(); ++i) listed = listed || korvex_options[i].name == korvex_usage_order[u];
    if (!listed) return false;
  }
  return true;
}
}  // namespace detail
static_assert(detail::options_unique(), "an option is listed twice");
static_assert(detail::usage_lists_each(), "the usage order names an option that is not in the table");

}  // namespace kmap

#endif
