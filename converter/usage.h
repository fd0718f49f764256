// The program's own texts: the usage text of --help, the version line of
// --version, and the folders where the shipped tables are looked for.
#ifndef KORVEX_USAGE_H
#define KORVEX_USAGE_H

#include <cstdio>
#include <string>
#include <vector>

enum class InfoRequest { none, help, version };

// What a command line asks for when it is one of --help, -help, -h or
// --version alone; InfoRequest::none for any other command line.
[[nodiscard]] InfoRequest info_request(int argc, char** argv);

// Writes the usage text to out.
void print_usage(FILE* out);

// Writes "korvex <version>" and a newline to out.
void print_version(FILE* out);

// The folders a shipped table is looked for in after the working folder, in
// order: the share/korvex folder beside the running program, then the one
// the build was configured for. Neither is checked for existence; the same
// folder is not named twice.
[[nodiscard]] std::vector<std::string> table_folders();

// The path of the shipped table `name`: the working folder's file when there
// is one, else the first of table_folders() that holds it, else name itself.
[[nodiscard]] std::string shipped_table(const char* name);

#endif
