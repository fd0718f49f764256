// The whole program on one map: the first byte picks the options (modes,
// game, factors), the rest is the map.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "driver.h"

using namespace kmap;

int fuzz_convert(const uint8_t* data, size_t size) {
  enter_fuzz_folder();
  static bool tables = false;
  if (!tables) {
    for (const char* game : {"q1", "q2"}) {
      const std::string from = std::string(KORVEX_SOURCE_DIR) + "/tables/" + game + ".ent";
      FILE* in = fopen(from.c_str(), "rb");
      FILE* out = fopen((std::string(game) + ".ent").c_str(), "wb");
      for (int c; in && out && (c = fgetc(in)) != EOF;) fputc(c, out);
      if (in) fclose(in);
      if (out) fclose(out);
    }
    tables = true;
  }
  const uint8_t options = size > 0 ? data[0] : 0;
  write_input("in.map", size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);

  std::vector<std::string> words{"korvex", "-s", "in.map", "-d", "out.map"};
  if (options & 1) words.push_back("-enum");
  if (options & 2) words.push_back("-x");
  if (options & 4) words.push_back("-q2");
  if (options & 8) words.insert(words.end(), {"-g", (options & 64) ? "0.001" : "1.5"});
  if (options & 16) words.insert(words.end(), {"-l", (options & 128) ? "1e9" : "0.5"});
  if (options & 32) words.insert(words.end(), {"-g", "-2"});  // a duplicate when -g is given
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // The program's console is not the fuzzer's.
  fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  close(null);
  const int status = korvex_run(static_cast<int>(argv.size()) - 1, argv.data());
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  fuzz_check(status == 0 || status == 1, "exit status is 0 or 1");
  // A failed run leaves no output behind; a completed one always has one.
  fuzz_check((access("out.map", F_OK) == 0) == (status == 0), "output exists exactly after a completed run");
  remove("out.map");
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_convert(data, size); }
#endif
