// End-to-end tests of korvex-batch: the built program over folders made in
// temporary places.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "batch_maps.h"
#include "batch_runner.h"
#include "korvex_runner.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

TEST(BatchRuns, BrokenMapFailsAloneAndEveryOtherOutputIsKorvexOwn) {
  TempDir dir;
  write_files(dir, {{"maps/good.map", good_map}, {"maps/sub/small.MAP", small_map}, {"maps/broken.map", broken_map},
                    {"maps/notes.txt", "not a map"}});
  const std::string table = source_file("tables/q1.ent");
  const ProcessResult run =
      run_batch(dir.path(), {"-g", "2", "maps", "-l", "0.5", "-e", table, "-o", "out", "-j", "2"});
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 1) << run.err;

  auto rows = read_summary(run.out);
  ASSERT_EQ(rows.size(), 4u) << run.out;
  EXPECT_EQ(rows["maps/broken.map"].result, "failed") << run.out;
  EXPECT_EQ(rows["maps/broken.map"].reason, "Brush #0 load error: end of file") << run.out;
  EXPECT_EQ(rows["maps/good.map"].result, "ok");
  EXPECT_EQ(rows["maps/good.map"].counts, (std::vector<long>{2, 4, 1, 1}));
  EXPECT_EQ(rows["maps/sub/small.MAP"].counts, (std::vector<long>{1, 1, 0, 0}));
  EXPECT_EQ(rows["total"].result, "2 ok");
  EXPECT_EQ(rows["total"].counts, (std::vector<long>{3, 5, 1, 1}));
  EXPECT_NE(run.out.find("\n3 maps: 2 ok, 1 failed\n"), std::string::npos) << run.out;
  // Two maps run at a time, so any of them may finish last.
  EXPECT_NE(run.err.find("\n3/3 maps, 1 failed: "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << "carriage return on a non-terminal";

  // The failed map keeps its log and has no output; nothing else is written.
  EXPECT_EQ(dir.tree("out"),
            (std::vector<std::string>{"broken.log", "good.1q3", "good.log", "sub/", "sub/small.1q3", "sub/small.log"}));
  EXPECT_NE(dir.read("out/good.log").value_or("").find("Discarded invalid brush #1"), std::string::npos);
  EXPECT_NE(dir.read("out/broken.log").value_or("").find("( 0 0 0 ) ( 0 64 0 )"), std::string::npos);
  EXPECT_EQ(dir.read("out/sub/small.log"), "");

  // Each output is what korvex writes for that map with the same options.
  for (const auto& [source, output] : {std::pair{"maps/good.map", "out/good.1q3"},
                                       std::pair{"maps/sub/small.MAP", "out/sub/small.1q3"}}) {
    TempDir alone;
    const KorvexRun single =
        run_korvex_in(alone, {"-s", dir.file(source), "-d", alone.file("x.1q3"), "-e", table, "-g", "2", "-l", "0.5"});
    ASSERT_EQ(single.status, 0) << single.console;
    EXPECT_EQ(dir.read(output), alone.read("x.1q3")) << output;
  }
}

// korvex's advice goes to its standard error, apart from the console: the
// reason a map failed is its failure line, not the advice printed after it.
TEST(BatchRuns, FailureReasonIsTheFailureLineNotAHint) {
  TempDir dir;
  std::string planes;
  for (int i = 0; i < 33; ++i) planes += "( 0 0 " + std::to_string(i) + " ) ( 64 0 0 ) ( 0 64 0 ) rock1 0 0 0 1 1\n";
  const std::string map = "{\n\"classname\" \"worldspawn\"\n{\n" + planes + "}\n}\n";
  write_files(dir, {{"maps/big.map", map}});
  const ProcessResult run = run_batch(dir.path(), {"maps", "-e", source_file("tables/q1.ent"), "-o", "out"});
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(read_summary(run.out)["maps/big.map"].reason, "Brush #0 load error: too many lines") << run.out;
}

TEST(BatchRuns, OutputsGoBesideTheSourcesAndTheWorkingFolderTableIsUsed) {
  TempDir dir;
  write_files(dir, {{"a.map", good_map}, {"deep/er/b.map", small_map}});
  dir.write("q1.ent", read_file(source_file("tables/q1.ent")).value_or(""));
  ProcessResult run = run_batch(dir.path(), {".", "-j", "1"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(read_summary(run.out)["a.map"].counts, (std::vector<long>{2, 4, 1, 1})) << run.out;
  for (const char* name : {"a.1q3", "a.log", "deep/er/b.1q3", "deep/er/b.log"}) EXPECT_TRUE(dir.exists(name)) << name;

  // Numbering mode of a Quake 2 folder: .q2n names, every entity written.
  run = run_batch(dir.path(), {"-enum", "-q2", "deep"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(read_summary(run.out)["deep/er/b.map"].counts, (std::vector<long>{1, 1, 0, 0})) << run.out;
  EXPECT_TRUE(dir.exists("deep/er/b.q2n"));
}

// What stands at an output or a log is kept unless it is a regular file: a
// link's target takes the bytes, a pipe or a device is written straight, a
// folder is refused with the reason.
TEST(BatchRuns, OutputsAndLogsNeverReplaceLinksPipesOrFolders) {
  TempDir dir;
  write_files(dir, {{"maps/a.map", good_map}, {"maps/b.map", good_map}, {"maps/c.map", good_map}});
  fs::create_directories(dir.file("kept"));
  fs::create_directories(dir.file("out/c.log"));
  fs::create_symlink("../kept/a.1q3", dir.file("out/a.1q3"));
  fs::create_symlink("../kept/a.log", dir.file("out/a.log"));
  fs::create_symlink("/dev/null", dir.file("out/b.1q3"));
  ASSERT_EQ(mkfifo(dir.file("out/b.log").c_str(), 0600), 0);
  // Open before the run, so that the batch never waits for a reader; the log
  // fits in the pipe.
  const int pipe_end = open(dir.file("out/b.log").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(pipe_end, 0);
  const ProcessResult run = run_batch(dir.path(), {"maps", "-e", source_file("tables/q1.ent"), "-o", "out", "-j", "1"});
  std::string piped(1 << 16, '\0');
  const ssize_t got = read(pipe_end, piped.data(), piped.size());
  piped.resize(got > 0 ? static_cast<size_t>(got) : 0);
  close(pipe_end);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("korvex-batch: cannot write " + dir.file("out/c.log") + ": Is a directory"),
            std::string::npos)
      << run.err;

  const std::string discarded = "Discarded invalid brush #1";
  EXPECT_TRUE(dir.read("kept/a.1q3").value_or("").starts_with("// Quake map '" + dir.file("maps/a.map") + "'"));
  EXPECT_NE(dir.read("kept/a.log").value_or("").find(discarded), std::string::npos);
  EXPECT_NE(piped.find(discarded), std::string::npos) << piped;
  const struct {
    const char* path;
    fs::file_type type;
  } kept[] = {{"out/a.1q3", fs::file_type::symlink},
              {"out/a.log", fs::file_type::symlink},
              {"out/b.1q3", fs::file_type::symlink},
              {"out/b.log", fs::file_type::fifo},
              {"out/c.log", fs::file_type::directory}};
  for (const auto& k : kept) EXPECT_EQ(fs::symlink_status(dir.file(k.path)).type(), k.type) << k.path;
  EXPECT_TRUE(fs::is_empty(dir.file("out/c.log")));
}

// The reports for scripts, read back: the JSON's totals are the summary's,
// the CSV has a row per map; a report that cannot be written fails the batch.
TEST(BatchRuns, ReportsAreWrittenAsTheMapsAre) {
  TempDir dir;
  write_files(dir, {{"maps/good.map", good_map}, {"maps/small.map", small_map}});
  fs::create_directories(dir.file("folder.json"));
  ProcessResult run = run_batch(dir.path(), {"maps", "-e", source_file("tables/q1.ent"), "-o", "out", "--report",
                                        "r.json", "--csv", "s.csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto total = read_summary(run.out)["total"];
  const nlohmann::json report = nlohmann::json::parse(dir.read("r.json").value_or("null"));
  ASSERT_TRUE(report.is_object());
  EXPECT_EQ(report["options"]["report"], dir.file("r.json"));
  const nlohmann::json& t = report["totals"];
  EXPECT_EQ(total.counts, (std::vector<long>{t["brushes"], t["written"], t["left_out"], t["discarded"]}));
  EXPECT_EQ(report["maps"][0]["report"]["source"], dir.file("maps/good.map"));
  const std::string csv = dir.read("s.csv").value_or("");
  EXPECT_TRUE(csv.starts_with("map,result,brushes,written,left_out,discarded,seconds,reason\r\n"
                              "maps/good.map,ok,2,4,1,1,"))
      << csv;
  EXPECT_NE(csv.find("\r\nmaps/small.map,ok,1,1,0,0,"), std::string::npos) << csv;

  run = run_batch(dir.path(), {"maps", "-e", source_file("tables/q1.ent"), "-o", "out", "--report", "folder.json"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("korvex-batch: cannot write " + dir.file("folder.json") + ": Is a directory"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(fs::is_directory(dir.file("folder.json")));
}

TEST(BatchRuns, CommandLineFaultsStopBeforeAnyRun) {
  TempDir dir;
  write_files(dir, {{"m/a.map", small_map}, {"m/a.MAP", small_map}, {"n/b.map", small_map}, {"empty/x.txt", ""}});
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"-s", "n/b.map"}, 2, "option -s is not taken"},
      {{"n", "-d", "x.map"}, 2, "option -d is not taken"},
      {{"n", "-j", "0"}, 2, "-j takes a number"},
      {{"n", "nowhere"}, 2, "'nowhere' is neither a folder nor a file"},
      {{"m"}, 2, "would both write"},
      {{"empty"}, 1, "no .map file found"},
  };
  for (const Case& c : cases) {
    const ProcessResult run = run_batch(dir.path(), c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << c.message;
  }
  EXPECT_EQ(dir.tree(),
            (std::vector<std::string>{"empty/", "empty/x.txt", "m/", "m/a.MAP", "m/a.map", "n/", "n/b.map"}));
}

size_t temporaries_in(const std::string& folder) {
  size_t n = 0;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    n += it->path().filename().string().starts_with(".korvex-") ? 1 : 0;
  return n;
}

TEST(BatchRuns, InterruptLeavesNoPartialOutputAndNoTemporary) {
  TempDir dir;
  const std::string slow = big_map(100000);
  write_files(dir, {{"maps/a.map", small_map}, {"maps/b.map", small_map}, {"maps/sub/slow1.map", slow},
                    {"maps/sub/slow2.map", slow}, {"maps/z/z.map", small_map}});
  fs::create_directories(dir.file("out"));
  dir.write("out/.korvex-before", "left by someone else");
  dir.write("q1.ent", "info_player_start *\n");

  for (int sig : {SIGINT, SIGTERM}) {
    // Both slow maps are being written.
    const auto both_started = [&] { return temporaries_in(dir.file("out/sub")) == 2; };
    // -g: slower, every number rewritten.
    const ProcessResult run = run_batch(dir.path(), {"maps", "-o", "out", "-j", "2", "-g", "1.5"}, {}, both_started, sig, 30);
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, 130) << run.err;
    const auto rows = read_summary(run.out);
    EXPECT_EQ(rows.at("maps/a.map").result, "ok") << run.out;
    EXPECT_EQ(rows.at("maps/sub/slow1.map").result, "interrupted") << run.out;
    EXPECT_EQ(rows.at("maps/z/z.map").result, "skipped") << run.out;
    // The maps done before keep their outputs; the folder made for the
    // interrupted ones goes, and so does nothing of others.
    EXPECT_EQ(dir.tree("out"),
              (std::vector<std::string>{".korvex-before", "a.1q3", "a.log", "b.1q3", "b.log"}))
        << strsignal(sig);
  }
}

}  // namespace
