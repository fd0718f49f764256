// The argument parser on any command line: the input's lines are the words.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "kit.h"

int fuzz_args(const uint8_t* data, size_t size) {
  std::vector<std::string> words{"prog"};
  std::string word;
  for (size_t i = 0; i < size && words.size() < 64; ++i) {
    if (data[i] == '\n' && i + 1 < size && data[i + 1] == '\n') {  // a blank line ends a word
      words.push_back(word);
      word.clear();
      ++i;
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  words.push_back(word);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  int flag = 7;
  char value[kit_arg_max + 1];
  char required[kit_arg_max + 1];
  char progname[kit_arg_max + 1];
  kit_arg table[] = {
      {KIT_FLAG, 0, "f", &flag, 0},
      {KIT_VALUE, 0, "v", value, 0},
      {KIT_VALUE, 1, "s", required, 0},
      {KIT_END, 0, nullptr, nullptr, 0},
  };
  fflush(stdout);
  if (kit_parse_args(static_cast<int>(words.size()), argv.data(), table, progname)) {
    fuzz_check(kit_get_lasterr() == KIT_OK, "status 0 on success");
    fuzz_check(table[2].seen == 1, "the required option was given");
    fuzz_check(flag == table[0].seen, "a flag is set exactly when seen");
    for (const char* v : {value, required}) {
      fuzz_check(std::strlen(v) <= kit_arg_max, "values fit their buffer");
      for (const char* p = v; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        fuzz_check(c >= 32 && c != 127, "values hold no control character");
      }
    }
  } else {
    const int e = kit_get_lasterr();
    fuzz_check(e == KIT_BAD_ARG || (e >= KIT_PROGNAME_LONG && e <= KIT_ARG_MISSING), "a parser status");
  }
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_args(data, size); }
#endif
