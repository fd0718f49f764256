#include "tex_run.h"

#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "map_light.h"
#include "map_scan.h"
#include "options.h"
#include "pack_names.h"
#include "pack_output.h"
#include "pack_plan.h"
#include "report.h"
#include "texture_search.h"
#include "version.h"

namespace texpack {
namespace fs = std::filesystem;
namespace {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;

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

bool same_file(const std::string& a, const std::string& b) {
  std::error_code code;
  return fs::equivalent(a, b, code) && !code;
}

uintmax_t total_bytes(const std::vector<PackFile>& files) {
  uintmax_t bytes = 0;
  for (const PackFile& file : files) bytes += file.bytes.size();
  return bytes;
}

std::string destination_of(const Options& options) {
  return options.output.empty() ? fs::path(options.map).replace_extension(".pk3").string() : options.output;
}

// Why the report cannot go where --report says, or "".
std::string report_conflict(const Options& options) {
  if (options.report.empty()) return "";
  if (same_file(options.report, options.map)) return options.report + ": the report would replace the map";
  for (const std::string& source : options.sources)
    if (same_file(options.report, source)) return options.report + ": the report would replace a source";
  const std::string destination = destination_of(options);
  if (options.report == destination || same_file(options.report, destination))
    return options.report + ": the report and the pack name one file";
  return "";
}

// What one run leaves for its report.
struct RunRecord {
  RunFacts facts;
  PackPlan plan;
  std::string failure;
};

// The run past its command line. Failures are printed and kept in
// `record.failure`; the facts and plan as far as the run got.
int pack_textures(const Options& options, std::ostream& out, std::ostream& err, bool err_is_terminal,
                  TextureLibrary& library, RunRecord& record) {
  const auto fail = [&err, &record](const std::string& message) {
    record.failure = message;
    err << "korvex-tex: " << message << "\n";
    return exit_failed;
  };
  RunFacts& facts = record.facts;
  PackPlan& plan = record.plan;
  facts.map_path = options.map;
  facts.sources = options.sources;

  std::string text;
  if (!read_text(options.map, text)) return fail(options.map + ": cannot read the map: " + std::strerror(errno));
  MapScan scan;
  std::string error;
  if (scan_map(text, has_converted_extension(options.map), options.force_quake2, scan, error) != ScanStatus::ok)
    return fail(options.map + ": " + error);
  facts.kind = scan.kind;

  ProgressLine progress(err, err_is_terminal);
  const SearchStatus searched =
      search_textures({&scan}, options.sources, script_name_of(options.map),
                      options.no_overbright ? LightRange::q3 : LightRange::quake,
                      [&progress](size_t done, size_t total) { progress.update(done, total); }, library, facts, plan,
                      error);
  progress.finish();
  if (searched == SearchStatus::source_failed) return fail(error);
  if (searched == SearchStatus::plan_failed) return fail(options.map + ": " + error);
  if (searched == SearchStatus::nothing_wanted) {
    out << "map: " << options.map << ": no Quake or Quake 2 texture to pack; nothing written\n";
    return exit_ok;
  }
  if (options.strict && !plan.missing.empty())
    return fail(std::to_string(plan.missing.size()) + " textures missing (--strict), nothing written:\n" +
                name_list(plan.missing));

  if (plan.files.empty()) {  // every name missing: an empty archive helps nobody
    out << summary_text(facts, plan) << "written: nothing, no texture was found\n";
    return exit_ok;
  }
  const std::string destination = destination_of(options);
  if (same_file(destination, options.map)) return fail(destination + ": the pack would replace the map");
  for (const std::string& source : options.sources)
    if (same_file(destination, source)) return fail(destination + ": the pack would replace a source");
  const OutputStatus written = options.output_folder ? write_folder_pack(destination, plan.files, error)
                                                     : write_zip_pack(destination, plan.files, error);
  if (written != OutputStatus::ok) return fail(error);

  facts.destination = options.output_folder ? destination + "/" : destination;
  facts.files = plan.files.size();
  facts.bytes = total_bytes(plan.files);
  out << summary_text(facts, plan);
  return exit_ok;
}

}  // namespace

int run_korvex_tex(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                   bool err_is_terminal) {
  Options options;
  std::string error;
  if (parse_options(words, options, error) != OptionsStatus::ok) {
    err << "korvex-tex: " << error << "\n" << usage_text();
    return exit_failed;
  }
  if (options.help) {
    out << usage_text();
    return exit_ok;
  }
  if (options.version) {
    out << "korvex-tex " << kmap::version << "\n";
    return exit_ok;
  }

  if (const std::string conflict = report_conflict(options); !conflict.empty()) {
    err << "korvex-tex: " << conflict << "\n";
    return exit_failed;
  }
  const auto started = std::chrono::steady_clock::now();
  TextureLibrary library;  // the plan's palette points into it
  RunRecord record;
  const int status = pack_textures(options, out, err, err_is_terminal, library, record);
  if (options.report.empty()) return status;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string json = tex_report_json(record.facts, record.plan, status, record.failure, seconds)
                                 .dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  if (write_file(options.report, std::vector<uint8_t>(json.begin(), json.end()), error) != OutputStatus::ok) {
    // The pack is in place all the same: the run's status stands.
    err << "korvex-tex: cannot write the report: " << error << "\n";
  }
  return status;
}

}  // namespace texpack
