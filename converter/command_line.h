// korvex's command line read into a run's settings, after the option table
// the programs share (map/korvex_options.h).
#ifndef KORVEX_CONVERTER_COMMAND_LINE_H
#define KORVEX_CONVERTER_COMMAND_LINE_H

#include <cstdio>
#include <string>

#include "settings.h"

namespace conv {

// Reads the command line into s (value words may be cut at a newline in
// place). True, or false with the library's last status telling why and
// *at the index of the word at fault (-1: none); a value with control
// characters is shown on `console` first.
[[nodiscard]] bool read_command_line(int argc, char** argv, Settings& s, FILE* console, int* at);

// Why the command line was refused, in a sentence that names the word at
// fault (or the argument missing), for the library status `status`.
[[nodiscard]] std::string rejection_text(int status, int at, int argc, char** argv);

// What the modes imply: -q3 brings -x, -k and the shipped texture rules
// (named `shipped_texture_rules`, found where the tables are when the rules
// are loaded); numbering keeps no keys; the limits follow -x.
void settle_modes(Settings& s, const char* shipped_texture_rules);

// The output's name when -d is not given: the source path without its file
// name's extension, plus the extension of the mode (a dot in a folder name
// is no extension). False when it would exceed path_chars.
[[nodiscard]] bool derive_output_name(Settings& s);

}  // namespace conv

#endif
