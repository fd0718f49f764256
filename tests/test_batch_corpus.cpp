// korvex-batch over the real maps of the shared corpus, each game's folder
// in extended mode with its shipped table: every map gets a row, the totals
// add up, and every map converts. Skipped where the corpus is absent.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch_runner.h"
#include "temp_dir.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

TEST(BatchCorpus, EveryRealMapGetsARowAndTheTotalsAddUp) {
  const fs::path root = corpus_dir();
  if (!fs::is_directory(root / "q1") && !fs::is_directory(root / "q2"))
    GTEST_SKIP() << "corpus folder not found at " << root << " (set KORVEX_CORPUS to use another)";
  for (const char* game : {"q1", "q2"}) {
    if (!fs::is_directory(root / game)) continue;
    std::vector<std::string> maps;
    for (const auto& e : fs::directory_iterator(root / game))
      if (e.path().extension() == ".map") maps.push_back(e.path().filename().string());
    TempDir out;
    std::vector<std::string> args{"-x", "-e", source_file(std::string("tables/") + game + ".ent"), (root / game).string(),
                                  "-o", out.path(), "-j", "2"};
    if (std::string(game) == "q2") args.push_back("-q2");
    const ProcessResult run = run_batch(out.path(), args);
    ASSERT_FALSE(run.timed_out) << game;
    EXPECT_EQ(run.status, 0) << game << "\n" << run.out << run.err;

    auto rows = read_summary(run.out);
    EXPECT_EQ(rows.size(), maps.size() + 1) << game;
    std::vector<long> sums(4, 0);
    for (const std::string& name : maps) {
      const auto row = rows.find((root / game / name).string());
      ASSERT_NE(row, rows.end()) << name << " has no row";
      EXPECT_EQ(row->second.result, "ok") << name << ": " << row->second.reason;
      ASSERT_EQ(row->second.counts.size(), 4u) << name;
      for (size_t i = 0; i < 4; ++i) sums[i] += row->second.counts[i];
      const std::string stem = fs::path(name).stem().string();
      EXPECT_TRUE(out.exists(stem + (std::string(game) == "q2" ? ".2q3" : ".1q3"))) << name;
      EXPECT_TRUE(out.exists(stem + ".log")) << name;
    }
    EXPECT_EQ(rows["total"].counts, sums) << game;
    EXPECT_EQ(rows["total"].result, std::to_string(maps.size()) + " ok") << game;
  }
}

}  // namespace
