#include "options.h"

#include <set>

namespace play {
namespace {

const PlayOption* find_option(std::string_view word) {
  for (const PlayOption& option : play_options)
    if (option.word == word) return &option;
  return nullptr;
}

// The words that name the option in messages: "--help" rather than "-h".
std::string spelled(const PlayOption& option) {
  for (const PlayOption& other : play_options)
    if (other.name == option.name && !other.usage.empty()) return std::string(other.word);
  return std::string(option.word);
}

void set_value(Options& options, OptionName name, const std::string& value) {
  switch (name) {
    case OptionName::output: options.output = value; break;
    case OptionName::compiler: options.compiler = value; break;
    case OptionName::game_path: options.game_path = value; break;
    case OptionName::game_data: options.game_data = value; break;
    case OptionName::report: options.report = value; break;
    default: break;
  }
}

void set_flag(Options& options, OptionName name) {
  switch (name) {
    case OptionName::quake: options.game = kmap::Game::quake; break;
    case OptionName::quake2: options.game = kmap::Game::quake2; break;
    case OptionName::no_compile: options.no_compile = true; break;
    case OptionName::fast: options.fast = true; break;
    case OptionName::strict: options.strict = true; break;
    case OptionName::keep_work: options.keep_work = true; break;
    case OptionName::no_light_match: options.no_light_match = true; break;
    case OptionName::no_overbright: options.no_overbright = true; break;
    case OptionName::help: options.help = true; break;
    case OptionName::version: options.version = true; break;
    default: break;
  }
}

}  // namespace

std::string usage_text() {
  std::string text =
      "Usage: korvex-play [options] MAP|FOLDER [SOURCE...]\n"
      "Makes a Quake or Quake 2 map playable in a Q3 engine, in one pack: converts\n"
      "MAP (or every .map file of FOLDER) with korvex -q3 and the keep table, packs\n"
      "the textures it uses from the SOURCE files and folders (a game folder such as\n"
      "id1/ or baseq2/, WAD files, compiled maps, PAK files, palette.lmp), compiles\n"
      "it with the Q3 compiler when one is found, and writes NAME.pk3 with\n"
      "maps/NAME.bsp, the textures and shaders, scripts/NAME.arena and a levelshot.\n"
      "\n"
      "Options:\n";
  for (const PlayOption& option : play_options) {
    if (option.usage.empty()) continue;
    std::string left = "  " + std::string(option.word);
    if (option.name == OptionName::help) left = "  -h, --help";
    if (!option.value.empty()) left += " " + std::string(option.value);
    constexpr size_t column = 22;
    std::string_view usage = option.usage;
    text +=
        left.size() < column ? left + std::string(column - left.size(), ' ') : left + "\n" + std::string(column, ' ');
    for (size_t end; (end = usage.find('\n')) != std::string_view::npos; usage.remove_prefix(end + 1))
      text += std::string(usage.substr(0, end)) + "\n" + std::string(column, ' ');
    text += std::string(usage) + "\n";
  }
  text +=
      "\n"
      "The Q3 compiler is not part of KORVEX: install NetRadiant-custom's q3map2\n"
      "(https://github.com/Garux/netradiant-custom) and put it on PATH, or name it\n"
      "with --compiler.\n"
      "\n"
      "Exit status: 0 the pack was written with every map; 1 a failure (a map that\n"
      "fails is left out of the pack, which holds the others unless --strict);\n"
      "2 a bad command line; 130 or 143 interrupted: nothing written, and the\n"
      "work folder removed.\n";
  return text;
}

OptionsStatus parse_options(const std::vector<std::string>& words, Options& out, std::string& error) {
  Options options;
  std::set<OptionName> seen;
  std::vector<std::string> files;
  bool only_files = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (only_files || word.empty() || word[0] != '-' || word == "-") {
      files.push_back(word);
      continue;
    }
    if (word == "--") {
      only_files = true;
      continue;
    }
    const PlayOption* option = find_option(word);
    if (option == nullptr) {
      error = "unknown option '" + word + "' (korvex-play --help lists them)";
      return OptionsStatus::unknown_option;
    }
    if (!seen.insert(option->name).second) {
      error = "option " + spelled(*option) + " given twice";
      return OptionsStatus::duplicate;
    }
    if (option->value.empty()) {
      set_flag(options, option->name);
      continue;
    }
    if (i + 1 >= words.size() || words[i + 1].empty()) {
      error = "option " + std::string(option->word) + " needs a value (" + std::string(option->value) + ")";
      return OptionsStatus::no_value;
    }
    set_value(options, option->name, words[++i]);
  }
  if (seen.count(OptionName::quake) && seen.count(OptionName::quake2)) {
    error = "options -q1 and -q2 name two games; give one";
    return OptionsStatus::conflict;
  }
  if (seen.count(OptionName::compiler) && seen.count(OptionName::no_compile)) {
    error = "options --compiler and --no-compile contradict each other; give one";
    return OptionsStatus::conflict;
  }
  if (!options.help && !options.version) {
    if (files.empty()) {
      error = "no map given: name a .map file or a folder of them";
      return OptionsStatus::missing;
    }
    options.input = files[0];
    options.sources.assign(files.begin() + 1, files.end());
  }
  out = std::move(options);
  return OptionsStatus::ok;
}

}  // namespace play
