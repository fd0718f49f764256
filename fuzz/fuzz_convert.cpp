// The whole program on one map: the first byte picks the options (modes,
// game, factors), the rest is the map.
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "fuzz_run.h"

using namespace conv;

int fuzz_convert(const uint8_t* data, size_t size) {
  const uint8_t options = size > 0 ? data[0] : 0;
  MemoryFiles files;
  fill_fuzz_folder(files, size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);

  std::vector<std::string> words{"korvex", "-s", "in.map", "-d", "out.map"};
  if (options & 1) words.push_back("-enum");
  if (options & 2) words.push_back("-x");
  if (options & 4) words.push_back("-q2");
  if (options & 8) words.insert(words.end(), {"-g", (options & 64) ? "0.001" : "1.5"});
  if (options & 16) words.insert(words.end(), {"-l", (options & 128) ? "1e9" : "0.5"});
  if (options & 32) words.insert(words.end(), {"-g", "-2"});  // a duplicate when -g is given
  const int status = run_in_memory(words, files);
  // A failed run leaves no output behind; a completed one always has one.
  fuzz_check(files.texts.count("out.map") == (status == 0 ? 1U : 0U), "output exists exactly after a completed run");
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_convert(data, size); }
#endif
