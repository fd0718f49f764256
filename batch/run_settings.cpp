#include "run_settings.h"

#include <filesystem>

#include "table_search.h"

namespace fs = std::filesystem;

namespace batch {

BatchSettings settings_for(const BatchOptions& options, unsigned cores) {
  BatchSettings settings;
  settings.korvex_args = options.korvex_args;
  settings.jobs = options.jobs != 0 ? options.jobs : cores;
  const bool game_known = !options.q3 || options.q1 || options.q2;
  if (options.numbering || !game_known) return settings;
  auto pass_table = [&](const char* option, const char* name) {
    std::error_code ec;
    const fs::path table = fs::absolute(kmap::find_table(name), ec);
    if (!ec && fs::is_regular_file(table, ec))
      settings.korvex_args.insert(settings.korvex_args.end(), {option, table.string()});
  };
  if (!options.has_table) pass_table("-e", options.q2 ? "q2.ent" : "q1.ent");
  if (options.q3 && !options.has_texture_rules) pass_table("-t", options.q2 ? "q2.tex" : "q1.tex");
  return settings;
}

}  // namespace batch
