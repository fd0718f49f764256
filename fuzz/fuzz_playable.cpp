// The whole program on one map with the options of a map to play: the
// first byte picks the game, -q3 or -t alone, -k, a size factor and the
// keep table; the rest is the map. A completed run's output must be a map
// the reader takes back.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "fuzz_targets.h"

using namespace kmap;

namespace {

int run_quietly(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  fflush(stdout);
  const int saved_out = dup(1), saved_err = dup(2);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  dup2(null, 2);
  close(null);
  const int status = korvex_run(static_cast<int>(argv.size()) - 1, argv.data());
  fflush(stdout);
  fflush(stderr);
  dup2(saved_out, 1);
  dup2(saved_err, 2);
  close(saved_out);
  close(saved_err);
  return status;
}

void copy_table(const char* name) {
  const std::string from = std::string(KORVEX_SOURCE_DIR) + "/tables/" + name;
  FILE* in = fopen(from.c_str(), "rb");
  FILE* out = fopen(name, "wb");
  for (int c; in && out && (c = fgetc(in)) != EOF;) fputc(c, out);
  if (in) fclose(in);
  if (out) fclose(out);
}

}  // namespace

int fuzz_playable(const uint8_t* data, size_t size) {
  enter_fuzz_folder();
  static bool tables = false;
  if (!tables) {
    for (const char* name : {"q1.ent", "q2.ent", "q1.tex", "q2.tex", "q1-keep.tex", "q2-keep.tex"}) copy_table(name);
    tables = true;
  }
  const uint8_t options = size > 0 ? data[0] : 0;
  write_input("in.map", size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
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
  const int status = run_quietly(words);
  fuzz_check(status == 0 || status == 1, "exit status is 0 or 1");
  fuzz_check((access("out.map", F_OK) == 0) == (status == 0), "output exists exactly after a completed run");
  if (status == 0) {
    const int back = run_quietly({"korvex", "-s", "out.map", "-d", "back.map", "-enum", "-x"});
    fuzz_check(back == 0, "a completed output reads back");
    remove("back.map");
  }
  remove("out.map");
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_playable(data, size); }
#endif
