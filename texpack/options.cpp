#include "options.h"

namespace texpack {

std::string usage_text() {
  return "Usage: korvex-tex [options] MAP SOURCE...\n"
         "Writes a Q3 texture pack of the textures MAP uses, taken from the SOURCE\n"
         "files and folders (a game folder such as id1/ or baseq2/, WAD files,\n"
         "compiled maps, PAK files, .wal files, palette.lmp, colormap.pcx).\n"
         "\n"
         "MAP is a map converted by korvex (.1q3, .2q3, .map with q1/ and q2/\n"
         "texture names) or a Quake or Quake 2 source map.\n"
         "\n"
         "Options:\n"
         "  -o FILE.pk3   write the pack there (default: MAP without extension + .pk3)\n"
         "  -o DIR/       write a folder tree instead (DIR must not exist, or be empty)\n"
         "  -q2           the source map is a Quake 2 map (else told from its names and faces)\n"
         "  --strict      a texture missing from the sources fails the run\n"
         "  --no-overbright\n"
         "                no shader for plain Quake textures: a Q3 game in a window\n"
         "                then shows their light no brighter than the texture\n"
         "                (by default it shows up to twice, as Quake does)\n"
         "  --report FILE.json\n"
         "                what the run did, for scripts: the map, the names wanted,\n"
         "                packed, missing and left out, the sources, the pack\n"
         "  -h, --help    show this text\n"
         "  --version     show the version\n"
         "\n"
         "Exit status: 0 when the pack was written, 1 on any failure (nothing written).\n";
}

OptionsStatus parse_options(const std::vector<std::string>& words, Options& out, std::string& error) {
  Options options;
  bool output_seen = false;
  bool report_seen = false;
  bool only_files = false;
  std::vector<std::string> files;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (only_files || word.empty() || word[0] != '-' || word == "-") {
      files.push_back(word);
      continue;
    }
    bool* flag = nullptr;
    if (word == "--") {
      only_files = true;
      continue;
    } else if (word == "-h" || word == "--help" || word == "-help") {
      flag = &options.help;
    } else if (word == "--version") {
      flag = &options.version;
    } else if (word == "--strict") {
      flag = &options.strict;
    } else if (word == "--no-overbright") {
      flag = &options.no_overbright;
    } else if (word == "-q2") {
      flag = &options.force_quake2;
    } else if (word == "-o") {
      if (output_seen) {
        error = "option -o given twice";
        return OptionsStatus::duplicate;
      }
      if (i + 1 >= words.size() || words[i + 1].empty()) {
        error = "option -o needs a file name (FILE.pk3, or DIR/ for a folder)";
        return OptionsStatus::no_value;
      }
      output_seen = true;
      options.output = words[++i];
      options.output_folder = options.output.back() == '/';
      while (options.output.size() > 1 && options.output.back() == '/') options.output.pop_back();
      continue;
    } else if (word == "--report") {
      if (report_seen) {
        error = "option --report given twice";
        return OptionsStatus::duplicate;
      }
      if (i + 1 >= words.size() || words[i + 1].empty()) {
        error = "option --report needs a file name (FILE.json)";
        return OptionsStatus::no_value;
      }
      report_seen = true;
      options.report = words[++i];
      continue;
    } else {
      error = "unknown option '" + word + "' (korvex-tex --help lists them)";
      return OptionsStatus::unknown_option;
    }
    if (*flag) {
      error = "option " + word + " given twice";
      return OptionsStatus::duplicate;
    }
    *flag = true;
  }
  if (!options.help && !options.version) {
    if (files.size() < 2) {
      error = files.empty() ? "no map given" : "no source given: name the game folder, WAD files or compiled maps";
      return OptionsStatus::missing;
    }
    options.map = files[0];
    options.sources.assign(files.begin() + 1, files.end());
  }
  out = std::move(options);
  return OptionsStatus::ok;
}

}  // namespace texpack
