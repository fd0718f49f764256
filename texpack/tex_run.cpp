#include "tex_run.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "map_light.h"
#include "map_scan.h"
#include "options.h"
#include "pack_names.h"
#include "pack_output.h"
#include "pack_plan.h"
#include "report.h"
#include "version.h"

namespace texpack {
namespace fs = std::filesystem;
namespace {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;

int fail(std::ostream& err, const std::string& message) {
  err << "korvex-tex: " << message << "\n";
  return exit_failed;
}

bool read_text(const std::string& path, std::string& out) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return false;
  std::ostringstream text;
  text << stream.rdbuf();
  if (stream.bad()) return false;
  out = text.str();
  return true;
}

bool has_converted_extension(const std::string& path) {
  const std::string extension = lower(fs::path(path).extension().string());
  return extension == ".1q3" || extension == ".2q3";
}

// The script's name: the map's file name without extension, in characters
// every engine and compiler takes.
std::string script_name_of(const std::string& map_path) {
  std::string name = fs::path(map_path).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.') c = '_';
  return name.empty() ? "textures" : name;
}

// Splits the map's names into those to pack, tool textures and stock shaders.
void sort_names(const MapScan& scan, std::vector<WantedTexture>& wanted, RunFacts& facts) {
  std::map<std::string, size_t> index_by_pack_name;
  for (const TextureUse& use : scan.textures) {
    PackName name;
    NameClass name_class;
    if (scan.kind == MapKind::CONVERTED)
      name_class = classify_converted_name(use.name, name);
    else
      name_class = classify_source_name(use.name, scan.kind == MapKind::QUAKE2 ? Game::quake2 : Game::quake, name);
    if (name_class == NameClass::STOCK) {
      ++facts.stock_names;
      continue;
    }
    if (name_class == NameClass::TOOL) {
      facts.tools.push_back({name.pack_name, use.faces});
      continue;
    }
    const auto [it, added] = index_by_pack_name.emplace(lower(name.pack_name), wanted.size());
    if (added)
      wanted.push_back({name, use.faces});
    else
      wanted[it->second].faces += use.faces;
  }
}

// The library's duplicate notes, without those of one file met twice.
std::vector<std::string> real_duplicates(const std::vector<std::string>& duplicates) {
  std::vector<std::string> kept;
  for (const std::string& line : duplicates) {
    const size_t from = line.find(": kept from ");
    const size_t also = line.find(", also in ");
    if (from != std::string::npos && also != std::string::npos && also > from &&
        line.substr(from + 12, also - from - 12) == line.substr(also + 10))
      continue;
    kept.push_back(line);
  }
  return kept;
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code code;
  return fs::equivalent(a, b, code) && !code;
}

uintmax_t total_bytes(const std::vector<PackFile>& files) {
  uintmax_t bytes = 0;
  for (const PackFile& file : files) bytes += file.bytes.size();
  return bytes;
}

}  // namespace

int run_korvex_tex(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                   bool err_is_terminal) {
  Options options;
  std::string error;
  if (parse_options(words, options, error) != OptionsStatus::OK) return fail(err, error + "\n" + usage_text());
  if (options.help) {
    out << usage_text();
    return exit_ok;
  }
  if (options.version) {
    out << "korvex-tex " << kmap::version << "\n";
    return exit_ok;
  }

  std::string text;
  if (!read_text(options.map, text)) return fail(err, options.map + ": cannot read the map: " + std::strerror(errno));
  MapScan scan;
  if (scan_map(text, has_converted_extension(options.map), options.force_quake2, scan, error) != ScanStatus::OK)
    return fail(err, options.map + ": " + error);

  RunFacts facts;
  facts.map_path = options.map;
  facts.kind = scan.kind;
  std::vector<WantedTexture> wanted;
  sort_names(scan, wanted, facts);

  // The map's own WADs first, found by file name in the folders given.
  TextureLibrary library;
  std::vector<std::string> folders;
  for (const std::string& source : options.sources) {
    std::error_code code;
    if (fs::is_directory(source, code)) folders.push_back(source);
  }
  for (const std::string& entry : scan.wad_entries) {
    std::string wad_error;
    if (!library.add_wad_by_name(entry, folders, wad_error))
      facts.wad_notes.push_back(wad_error.empty() ? "'" + entry + "' is in none of the folders given" : wad_error);
  }
  for (const std::string& source : options.sources)
    if (library.add_path(source, error) != SourceStatus::OK) return fail(err, error);
  facts.duplicates = real_duplicates(library.duplicates);
  facts.problems = library.problems;

  if (wanted.empty()) {
    out << "map: " << options.map << ": no Quake or Quake 2 texture to pack; nothing written\n";
    return exit_ok;
  }

  PackPlan plan;
  ProgressLine progress(err, err_is_terminal);
  const TextureLookup lookup = [&library](std::string_view name) { return library.find(name); };
  const PlanStatus planned = plan_pack(wanted, lookup, library.palette(), script_name_of(options.map), map_light_of(scan),
                                       [&progress](size_t done, size_t total) { progress.update(done, total); },
                                       plan, error);
  progress.finish();
  if (planned != PlanStatus::OK) return fail(err, options.map + ": " + error);
  if (options.strict && !plan.missing.empty())
    return fail(err, std::to_string(plan.missing.size()) + " textures missing (--strict), nothing written:\n" +
                         name_list(plan.missing));

  if (plan.files.empty()) {  // every name missing: an empty archive helps nobody
    out << summary_text(facts, plan) << "written: nothing, no texture was found\n";
    return exit_ok;
  }
  std::string destination = options.output;
  if (destination.empty()) destination = fs::path(options.map).replace_extension(".pk3").string();
  if (same_file(destination, options.map)) return fail(err, destination + ": the pack would replace the map");
  for (const std::string& source : options.sources)
    if (same_file(destination, source)) return fail(err, destination + ": the pack would replace a source");
  const OutputStatus written = options.output_folder ? write_folder_pack(destination, plan.files, error)
                                                     : write_zip_pack(destination, plan.files, error);
  if (written != OutputStatus::OK) return fail(err, error);

  facts.destination = options.output_folder ? destination + "/" : destination;
  facts.files = plan.files.size();
  facts.bytes = total_bytes(plan.files);
  out << summary_text(facts, plan);
  return exit_ok;
}

}  // namespace texpack
