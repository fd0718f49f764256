#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_targets.h"

void enter_fuzz_folder() {
  static bool entered = false;
  if (entered) return;
  entered = true;
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string folder = std::string(base) + "/korvex-fuzz-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr || chdir(folder.c_str()) != 0) {
    perror("fuzz folder");
    std::abort();
  }
  // A run that waits for Enter must not wait on a terminal.
  const int null = open("/dev/null", O_RDONLY);
  if (null >= 0) dup2(null, 0);
}

void write_input(const char* name, const uint8_t* data, size_t size) {
  FILE* f = fopen(name, "wb");
  if (f == nullptr) std::abort();
  if (size > 0) fwrite(data, 1, size, f);
  fclose(f);
}

void fuzz_check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}
