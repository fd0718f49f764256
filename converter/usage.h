// The program's own texts: the usage text of --help, the version line of
// --version.
#ifndef KORVEX_CONVERTER_USAGE_H
#define KORVEX_CONVERTER_USAGE_H

#include <cstdio>

namespace conv {

enum class InfoRequest { none, help, version };

// What a command line asks for when it is one of --help, -help, -h or
// --version alone; InfoRequest::none for any other command line.
[[nodiscard]] InfoRequest info_request(int argc, char** argv);

// Writes the usage text to out.
void print_usage(FILE* out);

// Writes "korvex <version>" and a newline to out.
void print_version(FILE* out);

}  // namespace conv

#endif
