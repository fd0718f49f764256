// Where the tables korvex ships (q1.ent, q2.ent, q1.tex, q1-keep.tex, ...)
// are found: one search, in one order, for every program.
#ifndef KORVEX_MAP_TABLE_SEARCH_H
#define KORVEX_MAP_TABLE_SEARCH_H

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kmap {

// The folders a table named without a folder is looked for in after the
// working folder, in order: the share/korvex folder beside the running
// program, the one the build was configured to install to, and the tables/
// folder of the source tree it was built from (in builds that know it).
// Neither is checked for existence; no folder is named twice.
[[nodiscard]] std::vector<std::string> table_folders();

// The path of the table `name`. A name with a folder is taken as it is.
// Otherwise the working folder's file when `in_working_folder` says there
// is one, else the first of table_folders() that holds it, else name
// itself (which then fails to open where it is used).
[[nodiscard]] std::string find_table(std::string_view name,
                                     const std::function<bool(const std::string&)>& in_working_folder);

// The same, the working folder being the process's own.
[[nodiscard]] std::string find_table(std::string_view name);

}  // namespace kmap

#endif
