// Finding the korvex program a batch runs.
#ifndef KORVEX_BATCH_LOCATE_H
#define KORVEX_BATCH_LOCATE_H

#include <filesystem>
#include <optional>
#include <string>

// The korvex to run: $KORVEX_BIN when set, else the korvex beside this
// program's own executable, else the first on PATH; nothing when none is
// executable.
std::optional<std::string> find_korvex();

#endif
