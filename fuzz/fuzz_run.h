// Running korvex in memory for the whole-program fuzz targets: the map and
// the shipped tables as texts, the console thrown away.
#ifndef KORVEX_FUZZ_FUZZ_RUN_H
#define KORVEX_FUZZ_FUZZ_RUN_H

#include <string>
#include <vector>

#include "memory_files.h"

// A folder in memory holding the shipped tables (q1.ent, q2.ent, q1.tex,
// q2.tex, q1-keep.tex, q2-keep.tex) and `map` as in.map.
void fill_fuzz_folder(conv::MemoryFiles& files, const uint8_t* map, size_t size);

// korvex on the words (the program's name first) in the folder; the exit
// status.
int run_in_memory(std::vector<std::string> words, conv::MemoryFiles& files);

#endif
