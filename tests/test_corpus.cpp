// Real maps: every map of the shared corpus is run in numbering mode, in
// conversion mode with its game's shipped table (at factor 1 and at -g 1.5
// -l 0.5), and the same with -x, in-process on its files in memory. Each run
// must complete, or fail with a line the driver defines and leave nothing
// behind (a failed run is run again in a folder to see that on disk); a
// completed output must read back with the brush and entity counts it was
// written with, and in conversion mode every plane line must end with a
// replacement texture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>

#include "korvex_runner.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

struct Mode {
  const char* name;
  std::vector<std::string> args;
  bool numbering;
  bool extended;
  bool playable = false;  // -q3: texture rules, world keys, a safe entity graph
};

const Mode modes[] = {
    {"numbering", {"-enum"}, true, false},
    {"conversion", {}, false, false},
    {"conversion -g 1.5 -l 0.5", {"-g", "1.5", "-l", "0.5"}, false, false},
    {"numbering -x", {"-enum", "-x"}, true, true},
    {"conversion -x", {"-x"}, false, true},
    {"conversion -x -g 1.5 -l 0.5", {"-x", "-g", "1.5", "-l", "0.5"}, false, true},
    {"playable -q3", {"-q3"}, false, true, true},
};

const char* const textures[] = {
    "base_floor/concrete 0 0 0 0.5 0.5 0 0 0",
    "base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0",
    "common/trigger -4 0 0 0.5 0.5 0 0 0",
};

// The failure lines the driver prints for a run that ends early.
const std::regex failure_line(
    "Brush #\\d+ (load|write) error: .+|Ent #\\d+ load error \\(\\d+\\): .+|No brush found|"
    "No 'worldspawn' section in .+");

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

char significant(const std::string& s) {
  const size_t i = s.find_first_not_of(" \t");
  return i == std::string::npos ? '\0' : s[i];
}

// What an output map holds, as its writer laid it out; plane lines without
// a replacement texture are collected when `textured` is set.
struct Layout {
  int brushes = 0;
  int entities = 0;
  std::vector<std::string> untextured;
};

// A plane line of a playable map: points, a texture, an alignment in one of
// the two forms, and the three numbers.
const std::regex playable_face(
    R"(\s*(\( \S+ \S+ \S+ \) ?){3} \S+ (\[ \S+ \S+ \S+ \S+ \] \[ \S+ \S+ \S+ \S+ \]|\S+ \S+) \S+ \S+ \S+ -?\d+ -?\d+ -?\d+)");

Layout read_layout(const std::string& output, bool textured, bool playable = false) {
  Layout layout;
  bool in_world = false;
  bool in_brush = false;
  for (const std::string& line : lines_of(output)) {
    if (line == "// entity 0") {
      in_world = true;
    } else if (line.starts_with("// entity ")) {
      in_world = false;
      ++layout.entities;
    } else if (in_world && line.starts_with("  // brush ")) {
      ++layout.brushes;
    } else if (in_world ? (line == "  {" || line == "  }") : line.starts_with("    ") &&
                                                               (significant(line) == '{' || significant(line) == '}')) {
      in_brush = significant(line) == '{';
    } else if (in_brush && playable) {
      if (!std::regex_match(line, playable_face)) layout.untextured.push_back(line);
    } else if (in_brush && textured &&
               std::none_of(std::begin(textures), std::end(textures),
                            [&](const char* t) { return line.ends_with(t); })) {
      layout.untextured.push_back(line);
    }
  }
  return layout;
}

// The entities' keys of an output map, in order.
std::vector<std::map<std::string, std::string>> entity_keys(const std::string& output) {
  static const std::regex key_line(R"re(\s*"([^"]*)" "([^"]*)"\s*)re");
  std::vector<std::map<std::string, std::string>> entities;
  for (const std::string& line : lines_of(output)) {
    std::smatch m;
    if (line.starts_with("// entity ")) entities.emplace_back();
    else if (!entities.empty() && std::regex_match(line, m, key_line)) entities.back()[m[1]] = m[2];
  }
  return entities;
}

// Walks every train's corner chain as a Q3 game sets the train up: from the
// first corner, corner to corner by target, until it meets the first corner
// again or a target it cannot find. Returns the trains that would walk on
// forever.
std::vector<std::string> endless_trains(const std::string& output) {
  const auto entities = entity_keys(output);
  auto corner = [&](const std::string& name) -> const std::map<std::string, std::string>* {
    for (const auto& e : entities)
      if (e.count("classname") && e.at("classname") == "path_corner" && e.count("targetname") &&
          e.at("targetname") == name)
        return &e;
    return nullptr;
  };
  std::vector<std::string> endless;
  for (const auto& train : entities) {
    if (!train.count("classname") || train.at("classname") != "func_train" || !train.count("target")) continue;
    const auto* first = corner(train.at("target"));
    const auto* at = first;
    for (size_t steps = 0; at != nullptr; ++steps) {
      if (steps > entities.size()) {
        endless.push_back(train.at("target"));
        break;
      }
      at = at->count("target") ? corner(at->at("target")) : nullptr;
      if (at == first) break;
    }
  }
  return endless;
}

struct Summary {
  std::mutex lock;
  std::map<std::string, int> completed;                    // by mode
  std::map<std::string, std::map<std::string, int>> failed;  // by mode, then message
  std::map<std::string, std::vector<std::string>> failing_maps;  // by mode
};

// The files a run of `map` in `mode` reads, by the paths its arguments name.
struct Sources {
  Files files;
  Args args;
};

Sources sources_of(const fs::path& map, const std::string& map_text, const Mode& mode) {
  const bool q2 = map.parent_path().filename() == "q2";
  Sources s;
  s.files[map.string()] = map_text;
  s.args = {"-s", map.string(), "-d", "out.map"};
  s.args.insert(s.args.end(), mode.args.begin(), mode.args.end());
  auto table = [&s](const char* option, const std::string& path) {
    s.files.insert(disk_file(path));
    s.args.insert(s.args.end(), {option, path});
  };
  if (!mode.numbering) table("-e", source_file(q2 ? "tables/q2.ent" : "tables/q1.ent"));
  if (mode.playable) table("-t", source_file(q2 ? "tables/q2.tex" : "tables/q1.tex"));
  if (q2) s.args.push_back("-q2");
  return s;
}

// Runs one map in one mode and checks the run; returns its failure line,
// or an empty text for a completed run.
std::string check_run(const fs::path& map, const std::string& map_text, const Mode& mode) {
  const Sources sources = sources_of(map, map_text, mode);
  const KorvexRun r = run_korvex(sources.args, sources.files);
  const std::string where = map.filename().string() + " [" + mode.name + "]";
  EXPECT_TRUE(r.status == 0 || r.status == 1) << where << " ended with " << r.status;

  const std::vector<std::string> console = lines_of(r.console);
  if (r.status != 0) {
    const std::string last = console.empty() ? "" : console.back();
    EXPECT_TRUE(std::regex_match(last, failure_line)) << where << ": " << last;
    EXPECT_FALSE(r.file("out.map")) << where;
    // On disk the failure leaves neither the output nor its temporary file.
    TempDir dir;
    const KorvexRun on_disk = run_korvex_in(dir, sources.args);
    EXPECT_EQ(on_disk.console, r.console) << where << " on disk";
    for (const std::string& name : on_disk.names)
      EXPECT_TRUE(name != "out.map" && !name.starts_with(".korvex-")) << where << " leaves " << name << " on disk";
    return std::regex_replace(std::regex_replace(last, std::regex("#\\d+"), "#N"), std::regex("section in .*"),
                              "section in <map>");
  }

  const std::string output = r.file("out.map").value_or("");
  const Layout written = read_layout(output, !mode.numbering, mode.playable);
  EXPECT_TRUE(written.untextured.empty()) << where << ": " << written.untextured.front();
  if (mode.playable) {
    const std::vector<std::string> endless = endless_trains(output);
    EXPECT_TRUE(endless.empty()) << where << ": the train from corner '" << endless.front() << "' never ends";
  }

  // The output is a map the reader takes back with the same counts.
  Args back{"-s", "out.map", "-d", "back.map", "-enum"};
  if (mode.extended) back.push_back("-x");
  const KorvexRun again = run_korvex(back, {{"out.map", output}});
  EXPECT_EQ(again.status, 0) << where << " read back: " << again.console;
  const std::string brushes = written.brushes == 0 ? "No brush found: the world is written without brushes"
                                                   : std::to_string(written.brushes) + " brushes";
  const std::string entities = written.entities == 0 ? "Warning: no entity"
                                                     : std::to_string(written.entities) + " entities numbered";
  EXPECT_EQ(again.console, "Processing 'out.map'\n" + brushes + "\n" + entities + "\n") << where;
  return "";
}

TEST(Corpus, RealMapsConvertOrFailCleanly) {
  const std::vector<fs::path> maps = corpus_maps();
  if (maps.empty())
    GTEST_SKIP() << "corpus folder not found at " << corpus_dir() << " (set KORVEX_CORPUS to use another)";

  Summary summary;
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next++) < maps.size();) {
      const std::string map_text = read_file(maps[i].string()).value_or("");
      for (const Mode& mode : modes) {
        const std::string failure = check_run(maps[i], map_text, mode);
        std::lock_guard<std::mutex> hold(summary.lock);
        if (failure.empty()) {
          ++summary.completed[mode.name];
        } else {
          ++summary.failed[mode.name][failure];
          summary.failing_maps[mode.name].push_back(maps[i].filename().string());
        }
      }
    }
  };
  std::vector<std::thread> workers;
  for (unsigned n = std::max(2u, std::thread::hardware_concurrency()); n > 0; --n) workers.emplace_back(worker);
  for (auto& w : workers) w.join();

  // The summary goes to the console and to corpus-summary.txt beside the test.
  std::ostringstream text;
  text << "corpus: " << maps.size() << " maps, " << std::size(modes) << " runs each\n";
  for (const Mode& mode : modes) {
    const int done = summary.completed[mode.name];
    text << "  " << mode.name << ": " << done << " completed, " << maps.size() - static_cast<size_t>(done)
         << " failed\n";
    for (const auto& [message, count] : summary.failed[mode.name]) text << "      " << count << "  " << message << "\n";
  }
  std::fputs(text.str().c_str(), stdout);
  if (FILE* f = std::fopen("corpus-summary.txt", "w")) {
    std::fputs(text.str().c_str(), f);
    std::fclose(f);
  }
  // With -x every map whose braces are balanced converts.
  const fs::path root = corpus_dir();
  for (const Mode& mode : modes) {
    if (!mode.extended) continue;
    for (const std::string& name : summary.failing_maps[mode.name]) {
      const std::string map_text = read_file((root / "q1" / name).string()).value_or(
          read_file((root / "q2" / name).string()).value_or(""));
      int depth = 0;
      for (const std::string& line : lines_of(map_text))
        for (size_t i = line.find_first_not_of(" \t"); i < line.size() && std::strchr("{} \t", line[i]); ++i)
          depth += (line[i] == '{') - (line[i] == '}');
      EXPECT_NE(depth, 0) << name << " has balanced braces and still fails with " << mode.name;
    }
  }
}

}  // namespace
