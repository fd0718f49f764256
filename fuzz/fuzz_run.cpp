#include "fuzz_run.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "fuzz_targets.h"
#include "run.h"

using namespace conv;

namespace {

const std::map<std::string, std::string>& shipped_tables() {
  static const std::map<std::string, std::string> tables = [] {
    std::map<std::string, std::string> read;
    for (const char* name : {"q1.ent", "q2.ent", "q1.tex", "q2.tex", "q1-keep.tex", "q2-keep.tex"}) {
      std::ifstream in(std::string(KORVEX_SOURCE_DIR) + "/tables/" + name, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      read[name] = text.str();
    }
    return read;
  }();
  return tables;
}

}  // namespace

void fill_fuzz_folder(MemoryFiles& files, const uint8_t* map, size_t size) {
  files.texts = shipped_tables();
  files.texts["in.map"].assign(reinterpret_cast<const char*>(map), size);
}

int run_in_memory(std::vector<std::string> words, MemoryFiles& files) {
  static FILE* const nowhere = fopen("/dev/null", "w");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  Console console;
  console.out = console.err = nowhere;
  console.in = nullptr;
  const int status = korvex_run(static_cast<int>(argv.size()) - 1, argv.data(), console, files);
  fuzz_check(status == 0 || status == 1, "exit status is 0 or 1");
  return status;
}
