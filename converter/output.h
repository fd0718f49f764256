// The output map. A regular file (or a new one) is written to a temporary
// file beside it, which replaces the destination only when the run has
// completed and every byte reached the disk: a failed or killed run leaves
// whatever stood at the destination untouched. A link is followed: the file
// it leads to is replaced or created, the link itself stays. A device or a
// pipe is written straight, a folder refused, and nothing this run did not
// create is ever removed.
#ifndef KORVEX_CONVERTER_OUTPUT_H
#define KORVEX_CONVERTER_OUTPUT_H

#include <limits.h>

#include <cstdio>

namespace conv {

struct OutputFile {
  FILE* stream = nullptr;
  char final_path[PATH_MAX] = "";
  char temp_path[PATH_MAX] = "";  // empty: the destination is written straight
  char buffer[1 << 16];           // fewer, larger writes: the map is written front to back
};

// Opens the output for the map at path; null, errno telling why, when the
// destination cannot be created or written. The output must be closed (or never opened).
[[nodiscard]] FILE* open_output(OutputFile& output, const char* path);

// Flushes and closes the output and puts a temporary file in place. True,
// or false on any write error, with nothing of this run left behind.
[[nodiscard]] bool finish_output(OutputFile& output);

// Closes the output and removes the temporary file; never removes anything
// the run did not create.
void discard_output(OutputFile& output);

}  // namespace conv

#endif
