#include "command_line.h"

#include <array>
#include <cstring>

#include "bounded_text.h"
#include "kit.h"
#include "korvex_options.h"

using namespace kmap;

namespace conv {
namespace {

// Where each option of the shared table lands in the settings.
void* target_of(Settings& s, std::string_view name) {
  if (name == "q2") return &s.modes.q2;
  if (name == "q1") return &s.modes.q1;
  if (name == "enum") return &s.modes.enumerate;
  if (name == "s") return s.paths.source;
  if (name == "d") return s.paths.dest;
  if (name == "e") return s.paths.table;
  if (name == "l") return s.paths.light_arg;
  if (name == "g") return s.paths.size_arg;
  if (name == "x") return &s.modes.extended;
  if (name == "t") return s.paths.textures;
  if (name == "k") return &s.modes.keep_keys;
  if (name == "q3") return &s.modes.q3;
  if (name == "-report") return s.paths.report;
  if (name == "wal") return s.paths.wal;
  if (name == "r") return s.paths.rules;
  if (name == "nodetail") return &s.modes.no_detail;
  if (name == "lights") return &s.modes.lights;
  if (name == "fog") return &s.modes.fog;
  return nullptr;
}

}  // namespace

bool read_command_line(int argc, char** argv, Settings& s, FILE* console, int* at) {
  std::array<kit_arg, korvex_options.size() + 1> table{};
  // The parser compares zero-terminated names; the table's views are.
  for (size_t i = 0; i < korvex_options.size(); ++i) {
    const KorvexOption& o = korvex_options[i];
    table[i] = {o.kind == OptionKind::flag ? KIT_FLAG : KIT_VALUE, o.required ? 1 : 0, o.name.data(),
                target_of(s, o.name), 0};
  }
  table.back() = {KIT_END, 0, nullptr, nullptr, 0};
  kit_set_args_console(console);
  const bool ok = kit_parse_args_at(argc, argv, table.data(), s.paths.program, at) != 0;
  kit_set_args_console(nullptr);
  return ok;
}

void settle_modes(Settings& s, const char* shipped_texture_rules) {
  if (s.modes.q3) {
    // A map to play: extended limits, the world's keys, the shipped
    // texture rules unless a table is named.
    s.modes.extended = s.modes.keep_keys = 1;
    if (s.paths.textures[0] == '\0' && !s.modes.enumerate)
      (void)BoundedText(s.paths.textures, sizeof s.paths.textures).add(shipped_texture_rules).ok();
  }
  // Translated lights and the fog need modern limits and the world's keys.
  if (s.modes.lights || s.modes.fog) s.modes.extended = s.modes.keep_keys = 1;
  if (s.modes.enumerate) s.modes.keep_keys = 0;  // numbering copies the blocks alone
  s.limits = s.extended() ? &extended_limits : &classic_limits;
}

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

std::string rejection_text(int status, int at, int argc, char** argv) {
  const std::string word = at >= 0 && at < argc && argv[at] != nullptr ? argv[at] : "";
  const std::string shown = word.size() > 80 ? word.substr(0, 77) + "..." : word;
  switch (status) {
    case KIT_ARG_UNKNOWN:
      if (!word.empty() && word[0] != '-')
        return "'" + shown + "' is no option; a source map is named with -s (korvex -s " + shown + ")";
      return "'" + shown + "' is no option";
    case KIT_ARG_DUPLICATE:
      return shown + " is given twice";
    case KIT_ARG_NO_VALUE:
      return shown + " needs a value after it";
    case KIT_ARG_LONG:
    case KIT_VALUE_LONG:
      return "'" + shown + "' is longer than " + std::to_string(kit_arg_max) + " characters";
    case KIT_VALUE_CHARS:
      return "the value after " + std::string(at > 0 && argv[at - 1] != nullptr ? argv[at - 1] : "") +
             " holds control characters";
    case KIT_ARG_MISSING:
      for (const KorvexOption& o : korvex_options)
        if (o.required) return std::string("-").append(o.name) + " is missing: name the source map with -s";
      break;
    default:
      break;
  }
  return "";
}

}  // namespace conv
