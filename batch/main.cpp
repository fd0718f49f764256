// korvex-batch: converts folders of maps with korvex, several at a time, and
// sums up what each run did.
#include <unistd.h>

#include <cstdio>

#include "batch_main.h"

int main(int argc, char** argv) {
  return batch::korvex_batch_main(argc, argv, stdout, stderr, isatty(STDERR_FILENO) != 0);
}
