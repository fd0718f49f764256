// The whole program on one map with the options of a map to play: the
// first byte picks the game, -q3 or -t alone, -k, a size factor, the keep
// table and the fog volume; the rest is the map. A completed run's output must be a map
// the reader takes back.
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_run.h"
#include "fuzz_targets.h"

using namespace conv;

int fuzz_playable(const uint8_t* data, size_t size) {
  const uint8_t options = size > 0 ? data[0] : 0;
  MemoryFiles files;
  fill_fuzz_folder(files, size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
  const bool q2 = options & 1;
  std::vector<std::string> words{"korvex", "-s", "in.map", "-d", "out.map"};
  if (q2) words.push_back("-q2");
  const bool keep_table = options & 8;
  const char* table = keep_table ? (q2 ? "q2-keep.tex" : "q1-keep.tex") : (q2 ? "q2.tex" : "q1.tex");
  if (options & 2) {
    words.push_back("-q3");
    if (keep_table) words.insert(words.end(), {"-t", table});
  } else {
    words.insert(words.end(), {"-x", "-t", table});
    if (options & 4) words.push_back("-k");
  }
  if (options & 16) words.insert(words.end(), {"-g", (options & 32) ? "0.5" : "2"});
  if (options & 64) words.push_back("-fog");
  const int status = run_in_memory(words, files);
  fuzz_check(files.texts.count("out.map") == (status == 0 ? 1U : 0U), "output exists exactly after a completed run");
  if (status == 0) {
    const int back = run_in_memory({"korvex", "-s", "out.map", "-d", "back.map", "-enum", "-x"}, files);
    fuzz_check(back == 0, "a completed output reads back");
  }
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_playable(data, size); }
#endif
