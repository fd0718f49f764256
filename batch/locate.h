// Finding the korvex program and the replacement table a batch passes on.
#ifndef KORVEX_BATCH_LOCATE_H
#define KORVEX_BATCH_LOCATE_H

#include <filesystem>
#include <optional>
#include <string>

// The korvex to run: $KORVEX_BIN when set, else the korvex beside this
// program's own executable, else the first on PATH; nothing when none is
// executable.
std::optional<std::string> find_korvex();

// The table a conversion run needs when no -e is given: q1.ent (q2.ent for
// Quake 2) of cwd, else of table_dir; nothing when neither exists, and then
// korvex looks for it itself.
std::optional<std::filesystem::path> default_table(const std::filesystem::path& cwd,
                                                   const std::filesystem::path& table_dir, bool q2);

#endif
