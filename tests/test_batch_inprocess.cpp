// korvex-batch's runs in this process: maps converted on threads side by
// side, each with its own console, files and log; a failing map among good
// ones; a stop in the middle of a batch; one batch run twice; the records the
// logs get; the reports for scripts; the tables each run is given; the
// thread that takes the signals.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "batch_report.h"
#include "map_files.h"
#include "map_log.h"
#include "maps.h"
#include "memory_files.h"
#include "run.h"
#include "batch_maps.h"
#include "temp_dir.h"
#include "test_paths.h"
#include "run_settings.h"
#include "runner.h"
#include "signal_watch.h"
#include "summary.h"

using namespace conv;
using namespace batch;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {


std::vector<std::string> files_under(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(root))
    names.push_back(e.path().lexically_relative(root).generic_string() + (e.is_directory() ? "/" : ""));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<MapJob> find_jobs(const TempDir& dir, const std::string& extension = ".1q3") {
  std::vector<MapJob> jobs;
  std::string error;
  EXPECT_EQ(find_maps({"maps"}, dir.path(), dir.file("out"), extension, jobs, error), FindStatus::found) << error;
  return jobs;
}

// The results by map name, as the summary shows them.
std::map<std::string, const MapResult*> by_name(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results) {
  std::map<std::string, const MapResult*> named;
  for (size_t i = 0; i < jobs.size(); ++i) named[jobs[i].shown] = &results[i];
  return named;
}

BatchSettings classic_settings(unsigned jobs) {
  BatchSettings settings;
  settings.korvex_args = {"-e", source_file("tables/q1.ent")};
  settings.jobs = jobs;
  return settings;
}

struct MapCase {
  const char* name;
  std::string_view text;
  Outcome outcome;
  std::vector<long> counts;  // brushes, entities, written, left out, discarded
  const char* reason;        // for a failed map: the start of its reason
};

TEST(BatchInProcess, AFailingMapStopsOnlyItself) {
  const MapCase cases[] = {
      {"maps/good.map", good_map, Outcome::ok, {2, 5, 4, 1, 1}, ""},
      {"maps/broken.map", broken_map, Outcome::failed, {}, "Brush #0 load error: end of file"},
      {"maps/small.map", small_map, Outcome::ok, {1, 1, 1, 0, 0}, ""},
      // Its output folder cannot be made: a file stands where it would go.
      {"maps/walled/small.map", small_map, Outcome::failed, {}, "cannot make a folder: "},
      {"maps/sub/good.map", good_map, Outcome::ok, {2, 5, 4, 1, 1}, ""},
  };
  TempDir dir;
  for (const MapCase& c : cases) write_files(dir, {{c.name, c.text}});
  write_files(dir, {{"out/walled", "in the way"}});
  const std::vector<MapJob> jobs = find_jobs(dir);
  std::vector<MapResult> results;
  size_t done = 0;
  const std::atomic<bool> stop{false};
  ASSERT_EQ(run_maps(jobs, classic_settings(2), stop, [&](const MapJob&, const MapResult&) { ++done; }, results),
            BatchStatus::completed);
  EXPECT_EQ(done, jobs.size());
  const auto named = by_name(jobs, results);
  for (const MapCase& c : cases) {
    const MapResult& r = *named.at(c.name);
    EXPECT_EQ(r.outcome, c.outcome) << c.name << ": " << r.reason;
    if (c.outcome == Outcome::failed) {
      EXPECT_TRUE(r.reason.starts_with(c.reason)) << c.name << ": " << r.reason;
      continue;
    }
    const MapCounts& n = r.counts;
    EXPECT_EQ((std::vector<long>{n.brushes, n.entities, n.written, n.left_out, n.discarded}), c.counts) << c.name;
  }
  // A failed map keeps its log, and only the maps that converted have an output.
  EXPECT_EQ(files_under(dir.file("out")),
            (std::vector<std::string>{"broken.log", "good.1q3", "good.log", "small.1q3", "small.log", "sub/",
                                      "sub/good.1q3", "sub/good.log", "walled"}));
  EXPECT_NE(dir.read("out/broken.log").value_or("").find("( 0 0 0 ) ( 0 64 0 )"), std::string::npos);
  EXPECT_EQ(dir.read("out/small.log"), "");
  // korvex's record, then the one the batch adds, numbered after it.
  const std::string log = dir.read("out/good.log").value_or("");
  EXPECT_TRUE(log.starts_with("    1 Discarded invalid brush #1:\n")) << log;
  EXPECT_TRUE(log.ends_with("    3 ===================================================\n\n"
                            "    4 Left out, not in the table: 1 monster_army\n\n"))
      << log;
  // Two maps alike, converted side by side, differ in their first line alone.
  const std::string a = dir.read("out/good.1q3").value_or(""), b = dir.read("out/sub/good.1q3").value_or("");
  EXPECT_EQ(a.substr(a.find('\n')), b.substr(b.find('\n')));
}

TEST(BatchInProcess, LogRecordsAddWhatTheConsoleSaid) {
  RunReport plain;
  RunReport rich;
  rich.left_out = {{"monster_army", 2}, {"misc_fireball", 5}, {"info_notnull", 2}};
  rich.texture_table = "/t/q1.tex";
  rich.texture_rules = {{12, "*", "liquids/water", 30}, {13, "sky*", "skies/sky", 0}, {40, "*", "@keep", 7}};
  rich.faces_unmatched = 1;
  rich.faces_owner = 3;
  rich.names_kept = {"rock1", "door1"};
  rich.edits = {"trigger_changelevel 4: its map key removed"};
  rich.notes = {"monster_army 5 becomes nothing: no monsters in a Q3 game"};
  const struct {
    const RunReport& report;
    int first;
    std::string_view log;
  } cases[] = {
      {plain, 1, ""},
      {rich, 7,
       "    7 Left out, not in the table: 5 misc_fireball\n\n"
       "    8 Left out, not in the table: 2 info_notnull\n\n"
       "    9 Left out, not in the table: 2 monster_army\n\n"
       "   10 Texture rules '/t/q1.tex': 37 faces chosen by a rule, 1 by none; 3 faces have their owner's "
       "texture; 2 source names kept\n\n"
       "   11 Texture rule at line 12: * -> liquids/water: 30 faces\n\n"
       "   12 Texture rule at line 40: * -> @keep: 7 faces\n\n"
       "   13 -q3: trigger_changelevel 4: its map key removed\n\n"
       "   14 -q3: monster_army 5 becomes nothing: no monsters in a Q3 game\n\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(batch_log_records(c.report, c.first), c.log);
}

// The run's log stays in memory, whatever the files underneath hold; every
// other file is theirs.
TEST(BatchInProcess, EachRunKeepsItsLogToItself) {
  const struct {
    std::string_view map;
    int records;
    std::string_view log_start;
  } cases[] = {
      {small_map, 0, ""},
      {good_map, 3, "    1 Discarded invalid brush #1:\n"},
      {broken_map, 2, "    1 ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1"},
  };
  for (const auto& c : cases) {
    MemoryFiles memory;
    memory.texts = {{"a.map", std::string(c.map)},
                    {"q1.ent", read_file(source_file("tables/q1.ent")).value_or("")},
                    {"korvex.log", "another run's log"}};
    MapFiles files(memory);
    std::string words[] = {"korvex", "-s", "a.map", "-d", "a.1q3"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), words[4].data(), nullptr};
    Console console;
    console.out = console.err = fopen("/dev/null", "w");
    ASSERT_NE(console.out, nullptr);
    (void)korvex_run(5, argv, console, files);
    fclose(console.out);
    EXPECT_EQ(files.log_records(), c.records) << c.map;
    EXPECT_TRUE(files.log().starts_with(c.log_start)) << files.log();
    EXPECT_EQ(memory.texts["korvex.log"], "another run's log");
    EXPECT_EQ(memory.texts.count("a.1q3"), c.map == broken_map ? 0u : 1u);
  }
}

// Waits (at most ten seconds) until a korvex temporary stands in each folder.
bool temporaries_appear(const std::vector<std::string>& folders) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    size_t seen = 0;
    for (const std::string& folder : folders) {
      std::error_code ec;
      for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (it->path().filename().string().starts_with(".korvex-")) {
          ++seen;
          break;
        }
    }
    if (seen == folders.size()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Stopped once the first map is done and two big ones are being written:
// the maps done keep their outputs, the running ones leave no output, no
// temporary, no log and not the folders made for them, the rest never start.
TEST(BatchInProcess, AStopMidBatchLeavesNoPartialOutputAndNoTemporary) {
  TempDir dir;
  const std::string big = big_map(60000);
  write_files(dir, {{"maps/a.map", small_map},
                    {"maps/big/b1.map", big},
                    {"maps/big/deeper/b2.map", big},
                    {"maps/z.map", small_map},
                    {"out/.korvex-before", "left by someone else"}});
  const std::vector<MapJob> jobs = find_jobs(dir);
  std::atomic<bool> stop{false};
  bool both_running = false;
  std::vector<MapResult> results;
  BatchSettings settings = classic_settings(2);
  settings.korvex_args.insert(settings.korvex_args.end(), {"-g", "1.5"});  // slower: every number rewritten
  const BatchStatus status = run_maps(jobs, settings, stop, [&](const MapJob& job, const MapResult&) {
    if (job.shown != "maps/a.map") return;
    both_running = temporaries_appear({dir.file("out/big"), dir.file("out/big/deeper")});
    stop = true;
  }, results);
  ASSERT_TRUE(both_running) << "the big maps did not start";
  EXPECT_EQ(status, BatchStatus::interrupted);
  const auto named = by_name(jobs, results);
  EXPECT_EQ(named.at("maps/a.map")->outcome, Outcome::ok);
  EXPECT_EQ(named.at("maps/big/b1.map")->outcome, Outcome::interrupted) << named.at("maps/big/b1.map")->reason;
  EXPECT_EQ(named.at("maps/big/deeper/b2.map")->outcome, Outcome::interrupted);
  EXPECT_EQ(named.at("maps/z.map")->outcome, Outcome::not_run);
  EXPECT_EQ(named.at("maps/big/b1.map")->report.failure, "Interrupted");
  EXPECT_EQ(files_under(dir.file("out")), (std::vector<std::string>{".korvex-before", "a.1q3", "a.log"}));

  // Stopped before it starts, a batch makes nothing.
  TempDir empty;
  write_files(empty, {{"maps/sub/a.map", small_map}});
  const std::vector<MapJob> never = find_jobs(empty);
  EXPECT_EQ(run_maps(never, classic_settings(2), stop, [](const MapJob&, const MapResult&) { FAIL(); }, results),
            BatchStatus::interrupted);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].outcome, Outcome::not_run);
  EXPECT_FALSE(empty.exists("out"));
}

// The bytes and modes of every file a batch wrote.
std::map<std::string, std::pair<std::string, unsigned>> written_files(const std::string& root) {
  std::map<std::string, std::pair<std::string, unsigned>> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file())
      files[e.path().lexically_relative(root).string()] = {read_file(e.path().string()).value_or(""),
                                                            static_cast<unsigned>(e.status().permissions())};
  return files;
}

// Runs share nothing: the second run of a batch in the same process writes
// what the first wrote, with the mode a new file gets, and leaves the
// process's file mask as it was.
TEST(BatchInProcess, TwoRunsOfOneBatchWriteTheSameFiles) {
  TempDir dir;
  write_files(dir, {{"maps/good.map", good_map},
                    {"maps/small.map", small_map},
                    {"maps/broken.map", broken_map},
                    {"maps/q/good.map", good_map},
                    {"maps/q/more.map", good_map}});
  const std::vector<MapJob> jobs = find_jobs(dir, ".q3");
  BatchSettings settings;
  settings.korvex_args = {"-q3", "-q1", "-e", source_file("tables/q1.ent"), "-t", source_file("tables/q1.tex")};
  settings.jobs = 3;
  const mode_t mask = umask(0);
  umask(mask);
  const std::atomic<bool> stop{false};
  std::vector<std::map<std::string, std::pair<std::string, unsigned>>> runs;
  for (int run = 0; run < 2; ++run) {
    std::vector<MapResult> results;
    EXPECT_EQ(run_maps(jobs, settings, stop, [](const MapJob&, const MapResult&) {}, results),
              BatchStatus::completed);
    EXPECT_EQ(totals_of(results).maps(Outcome::ok), 4u);
    runs.push_back(written_files(dir.file("out")));
    fs::remove_all(dir.file("out"));
  }
  const mode_t after = umask(mask);
  EXPECT_EQ(after, mask) << "the file mask changed";
  ASSERT_EQ(runs[0].size(), 9u);  // four maps and five logs
  EXPECT_EQ(runs[0], runs[1]);
  for (const auto& [name, file] : runs[0]) EXPECT_EQ(file.second, 0666u & ~mask) << name;
  EXPECT_NE(runs[0]["good.log"].first.find("Texture rules '" + source_file("tables/q1.tex") + "'"), std::string::npos)
      << runs[0]["good.log"].first;
}

// The CSV's fields, row by row; enough of RFC 4180 to read the batch's own.
std::vector<std::vector<std::string>> read_csv(std::string_view text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      rows.back().back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == ',') {
      rows.back().emplace_back();
    } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      rows.back().back() += c;
    }
  }
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

std::string csv_count(const json& counts, const char* name) {
  return counts.is_null() ? "" : std::to_string(counts[name].get<long>());
}

// The JSON report read back agrees with each map's korvex report, with the
// CSV's rows and with its own totals.
TEST(BatchInProcess, ReportsAgreeWithEachOtherAndWithTheRuns) {
  TempDir dir;
  write_files(dir, {{"maps/good.map", good_map},
                    {"maps/broken.map", broken_map},
                    {"maps/odd, \"quoted\".map", good_map},
                    {"maps/small.map", small_map}});
  const std::vector<MapJob> jobs = find_jobs(dir);
  const BatchSettings settings = classic_settings(2);
  const std::atomic<bool> stop{false};
  std::vector<MapResult> results;
  ASSERT_EQ(run_maps(jobs, settings, stop, [](const MapJob&, const MapResult&) {}, results), BatchStatus::completed);
  BatchOptions options;
  options.inputs = {"maps"};
  options.korvex_args = {"-e", source_file("tables/q1.ent")};
  const json report = json::parse(batch_report_json({&options, &settings, BatchStatus::completed, 1, 0.5}, jobs, results).dump());
  const auto csv = read_csv(summary_csv(jobs, results));

  EXPECT_EQ(report["program"], "korvex-batch");
  EXPECT_EQ(report["status"], "completed");
  EXPECT_EQ(report["exit_status"], 1);
  EXPECT_EQ(report["options"]["korvex_args"], json(settings.korvex_args));
  ASSERT_EQ(csv.size(), jobs.size() + 1);
  EXPECT_EQ(csv[0], (std::vector<std::string>{"map", "result", "brushes", "written", "left_out", "discarded",
                                               "seconds", "reason"}));
  const json& maps = report["maps"];
  ASSERT_EQ(maps.size(), jobs.size());
  long written = 0;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const json& m = maps[i];
    const std::vector<std::string>& row = csv[i + 1];
    ASSERT_EQ(row.size(), 8u) << i;
    EXPECT_EQ(m["map"], jobs[i].shown);
    EXPECT_EQ(row[0], jobs[i].shown);
    EXPECT_EQ(row[1], m["result"].get<std::string>());
    EXPECT_EQ(row[2], csv_count(m["counts"], "brushes")) << row[0];
    EXPECT_EQ(row[3], csv_count(m["counts"], "written")) << row[0];
    EXPECT_EQ(row[4], csv_count(m["counts"], "left_out")) << row[0];
    EXPECT_EQ(row[5], csv_count(m["counts"], "discarded")) << row[0];
    EXPECT_NEAR(std::stod(row[6]), m["seconds"].get<double>(), 0.001) << row[0];
    EXPECT_EQ(row[7], m["reason"].get<std::string>());
    // korvex's own report of the run says the same.
    const json& k = m["report"];
    EXPECT_EQ(k["status"], m["result"] == "ok" ? 0 : 1) << row[0];
    EXPECT_EQ(k["failure"], m["reason"]) << row[0];
    if (m["result"] == "ok") {
      for (const char* name : {"brushes", "entities", "written", "left_out", "discarded"})
        EXPECT_EQ(k["counts"][name], m["counts"][name]) << row[0] << " " << name;
      written += m["counts"]["written"].get<long>();
    }
  }
  EXPECT_EQ(report["totals"]["written"], written);
  EXPECT_EQ(report["totals"]["maps"], 4);
  EXPECT_EQ(report["totals"]["ok"], 3);
  EXPECT_EQ(report["totals"]["failed"], 1);
  EXPECT_EQ(report["totals"]["skipped"], 0);
}

struct SettingsCase {
  std::vector<std::string> args;
  std::vector<std::string> tables;  // the table names each run is given, in order
};

TEST(BatchInProcess, EachRunIsGivenTheTablesOfItsGameUnlessItsFacesChoose) {
  const SettingsCase cases[] = {
      {{"m"}, {"-e", "q1.ent"}},
      {{"-q2", "m"}, {"-e", "q2.ent"}},
      {{"-q3", "-q2", "m"}, {"-e", "q2.ent", "-t", "q2.tex"}},
      {{"-q3", "-q1", "m"}, {"-e", "q1.ent", "-t", "q1.tex"}},
      {{"-q3", "m"}, {}},  // each map's faces choose
      {{"-q3", "-q1", "-e", source_file("tables/q2.ent"), "m"}, {"-e", "q2.ent", "-t", "q1.tex"}},
      {{"-enum", "m"}, {}},
  };
  for (const SettingsCase& c : cases) {
    BatchOptions options;
    std::string error;
    ASSERT_EQ(parse_options(c.args, "/", options, error), ParseStatus::run) << error;
    const BatchSettings settings = settings_for(options, 3);
    EXPECT_EQ(settings.jobs, 3u);
    std::vector<std::string> tables;
    for (size_t i = 0; i < settings.korvex_args.size(); ++i) {
      const std::string& word = settings.korvex_args[i];
      if (word != "-e" && word != "-t") continue;
      const fs::path table = settings.korvex_args.at(i + 1);
      EXPECT_TRUE(table.is_absolute()) << table;
      EXPECT_TRUE(fs::is_regular_file(table)) << table;
      tables.insert(tables.end(), {word, table.filename().string()});
    }
    EXPECT_EQ(tables, c.tables) << ::testing::PrintToString(c.args);
  }
}

TEST(BatchInProcess, SignalsAreTakenOnTheWatchThreadAndGoBackAfter) {
  std::atomic<int> taken{0};
  const auto wait_for = [&taken](int sig) {
    for (int i = 0; i < 1000 && taken != sig; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  };
  {
    const SignalWatch watch([&taken](int sig) { taken = sig; });
    ASSERT_EQ(kill(getpid(), SIGHUP), 0);
    wait_for(SIGHUP);
    EXPECT_EQ(taken, SIGHUP);
    ASSERT_EQ(kill(getpid(), SIGINT), 0);
    wait_for(SIGINT);
    EXPECT_EQ(taken, SIGINT);
  }
  // The watch ended on its own request, not taken as a signal; the mask is back.
  EXPECT_EQ(taken, SIGINT);
  sigset_t now;
  pthread_sigmask(SIG_BLOCK, nullptr, &now);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) EXPECT_FALSE(sigismember(&now, sig)) << strsignal(sig);

  // An ignored signal stays ignored, as under nohup; the others are taken.
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGHUP, &ignore, &before);
  std::atomic<unsigned> all_taken{0};
  {
    const SignalWatch watch([&](int sig) {
      all_taken |= 1u << sig;
      taken = sig;
    });
    ASSERT_EQ(kill(getpid(), SIGHUP), 0);
    ASSERT_EQ(kill(getpid(), SIGTERM), 0);
    wait_for(SIGTERM);
  }
  EXPECT_EQ(all_taken, 1u << SIGTERM);
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGHUP));
  sigaction(SIGHUP, &before, nullptr);
}

}  // namespace
