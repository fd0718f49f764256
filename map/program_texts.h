// The texts korvex writes that other programs read or make as well: its
// log's name and records, its console's count lines, and the prefix of
// its temporary files.
#ifndef KORVEX_MAP_PROGRAM_TEXTS_H
#define KORVEX_MAP_PROGRAM_TEXTS_H

#include <string_view>

namespace kmap {

inline constexpr const char* log_name = "korvex.log";

// A temporary output beside its destination: the prefix, then six
// characters mkstemp chooses.
inline constexpr std::string_view temporary_prefix = ".korvex-";

// The console's count lines of a completed run (printf formats).
inline constexpr const char* brushes_format = "%d brushes\n";
inline constexpr const char* entities_format = "%d entities (%d replaced)\n";
inline constexpr const char* numbered_format = "%d entities numbered\n";
inline constexpr const char* no_brush_line = "No brush found";

// The log's record of a dropped object: what ("brush #" or "entity ") and
// its number.
inline constexpr const char* discarded_format = "Discarded invalid %s%d:\n";
inline constexpr std::string_view discarded_start = "Discarded invalid ";

}  // namespace kmap

#endif
