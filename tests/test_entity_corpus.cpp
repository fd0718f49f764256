// Every Quake and Quake 2 map of the shared corpus converted with -q3 twice,
// in-process on its files in memory: without entity rules (an empty table)
// and with the shipped ones. The checker counts, per kind of difference, the
// kept entities whose Q3 meaning differs from the source's; with the rules
// there must be none.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "entity_semantics_check.h"
#include "korvex_runner.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t rows = static_cast<size_t>(SemanticRow::count);

struct Tally {
  std::array<int, rows> entities{};
  std::array<int, rows> before{}, after{};
  std::array<std::set<std::string>, rows> maps_before, maps_after;
  std::vector<std::string> remaining;  // what still differs, for the failure message
  int maps = 0, converted = 0;
};

// Converts the map (its text `source`) with -q3, `rules` standing in the
// working folder as the game's rules table; false when the run fails.
bool convert(const fs::path& map, const std::string& source, bool q2, const std::string& rules, std::string& output,
             std::string& said) {
  const std::string table = source_file(q2 ? "tables/q2.ent" : "tables/q1.ent");
  const std::string textures = source_file(q2 ? "tables/q2.tex" : "tables/q1.tex");
  Args args{"-q3", "-s", map.string(), "-d", "out.map", "-e", table, "-t", textures};
  if (q2) args.push_back("-q2");
  const KorvexRun r = run_korvex(
      args, {{map.string(), source}, disk_file(table), disk_file(textures), {q2 ? "q2.rules" : "q1.rules", rules}});
  if (r.status != 0) return false;
  output = r.file("out.map").value_or("");
  said = r.errors;
  return true;
}

TEST(EntityCorpus, KeptEntitiesMeanInQ3WhatTheyMeantInTheirGame) {
  const std::vector<fs::path> maps = corpus_maps();
  if (maps.empty())
    GTEST_SKIP() << "corpus folder not found at " << corpus_dir() << " (set KORVEX_CORPUS to use another)";

  Tally tally;
  std::mutex lock;
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next++) < maps.size();) {
      const fs::path& map = maps[i];
      const bool q2 = map.parent_path().filename() == "q2";
      const std::string source = read_file(map.string()).value_or("");
      const std::string rules = read_file(source_file(q2 ? "tables/q2.rules" : "tables/q1.rules")).value_or("");
      std::string before_map, before_said, after_map, after_said;
      const bool ran = convert(map, source, q2, "", before_map, before_said) &&
                       convert(map, source, q2, rules, after_map, after_said);
      std::lock_guard<std::mutex> hold(lock);
      ++tally.maps;
      if (!ran) continue;
      ++tally.converted;
      const SemanticCheck before = check_entity_semantics(source, before_map, q2, before_said);
      const SemanticCheck after = check_entity_semantics(source, after_map, q2, after_said);
      for (size_t r = 0; r < rows; ++r) {
        const auto row = static_cast<SemanticRow>(r);
        tally.entities[r] += after.entities[r];
        tally.before[r] += before.differing(row);
        tally.after[r] += after.differing(row);
        if (before.differing(row) > 0) tally.maps_before[r].insert(map.filename().string());
        if (after.differing(row) > 0) tally.maps_after[r].insert(map.filename().string());
      }
      for (const SemanticFinding& f : after.differ)
        tally.remaining.push_back(map.filename().string() + " entity " + std::to_string(f.number) + ": " + f.detail);
    }
  };
  std::vector<std::thread> workers;
  for (int n = 0; n < 2; ++n) workers.emplace_back(worker);
  for (auto& w : workers) w.join();

  std::ostringstream text;
  text << "entity rules over the corpus: " << tally.converted << " of " << tally.maps << " maps converted with -q3\n";
  text << "  entities differing in Q3 (maps), without rules -> with the shipped rules, of N entities looked at\n";
  for (size_t r = 0; r < rows; ++r) {
    char line[200];
    std::snprintf(line, sizeof line, "  %-44s %5d (%3zu) -> %5d (%3zu)  of %6d\n", std::string(semantic_row_names[r]).c_str(),
                  tally.before[r], tally.maps_before[r].size(), tally.after[r], tally.maps_after[r].size(),
                  tally.entities[r]);
    text << line;
  }
  std::fputs(text.str().c_str(), stdout);
  if (FILE* f = std::fopen("entity-corpus-summary.txt", "w")) {
    std::fputs(text.str().c_str(), f);
    std::fclose(f);
  }
  EXPECT_EQ(tally.converted, tally.maps);
  std::string first;
  for (size_t i = 0; i < tally.remaining.size() && i < 20; ++i) first += "\n  " + tally.remaining[i];
  EXPECT_TRUE(tally.remaining.empty()) << tally.remaining.size() << " entities still differ:" << first;
}

}  // namespace
