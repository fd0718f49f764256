// Unit tests of the batch program's parts: its command line, the counts and
// failure line taken from each run, the choice of maps and output names, and
// the summary table.
#include <gtest/gtest.h>

#include <filesystem>

#include "failure_reason.h"
#include "map_counts.h"
#include "maps.h"
#include "options.h"
#include "temp_dir.h"
#include "test_paths.h"
#include "summary.h"
#include "text_width.h"

using namespace conv;
using namespace batch;

namespace fs = std::filesystem;

namespace {

struct OptionsCase {
  std::vector<std::string> args;
  ParseStatus status;
  std::vector<std::string> korvex_args;  // for ParseStatus::run
  std::string out_dir;
  unsigned jobs;
  std::string extension;
  std::string error;  // part of the message, for bad_usage
};

TEST(BatchOptions, ReadsEveryOptionAndRefusesWhatKorvexWouldNotTake) {
  const OptionsCase cases[] = {
      {{"maps"}, ParseStatus::run, {}, "", 0, ".1q3", ""},
      {{"-x", "maps", "-e", "t/q1.ent", "-o", "out", "-j", "3", "-g", "1.5"}, ParseStatus::run,
       {"-x", "-e", "/home/u/t/q1.ent", "-g", "1.5"}, "/home/u/out", 3, ".1q3", ""},
      {{"-q2", "-enum", "-t", "/abs/r.tex", "-k", "-l", "2", "a.map"}, ParseStatus::run,
       {"-q2", "-enum", "-t", "/abs/r.tex", "-k", "-l", "2"}, "", 0, ".q2n", ""},
      {{"-q3", "-q2", "m", "-o", "../o"}, ParseStatus::run, {"-q3", "-q2"}, "/home/o", 0, ".2q3", ""},
      {{"-q3", "-q2", "-wal", "q2", "-nodetail", "m"}, ParseStatus::run, {"-q3", "-q2", "-wal", "/home/u/q2", "-nodetail"},
       "", 0, ".2q3", ""},
      {{"-enum", "--", "-odd.map"}, ParseStatus::run, {"-enum"}, "", 0, ".q1n", ""},
      {{"maps", "--help"}, ParseStatus::help, {}, "", 0, "", ""},
      {{"-help"}, ParseStatus::help, {}, "", 0, "", ""},
      {{"--version", "-s"}, ParseStatus::version, {}, "", 0, "", ""},
      {{"-s", "a.map"}, ParseStatus::bad_usage, {}, "", 0, "", "option -s is not taken"},
      {{"maps", "-d", "o.map"}, ParseStatus::bad_usage, {}, "", 0, "", "option -d is not taken"},
      {{"maps", "-j", "0"}, ParseStatus::bad_usage, {}, "", 0, "", "-j takes a number"},
      {{"maps", "-j", "2x"}, ParseStatus::bad_usage, {}, "", 0, "", "-j takes a number"},
      {{"maps", "-j", "1025"}, ParseStatus::bad_usage, {}, "", 0, "", "-j takes a number"},
      {{"maps", "-e"}, ParseStatus::bad_usage, {}, "", 0, "", "-e needs a value"},
      {{"-x", "maps", "-x"}, ParseStatus::bad_usage, {}, "", 0, "", "-x given twice"},
      {{"maps", "-z"}, ParseStatus::bad_usage, {}, "", 0, "", "unknown option '-z'"},
      {{"-x"}, ParseStatus::bad_usage, {}, "", 0, "", "no folder or map given"},
      {{"m", "--report"}, ParseStatus::bad_usage, {}, "", 0, "", "--report needs a value"},
      {{"m", "--csv", "a.csv", "--csv", "b.csv"}, ParseStatus::bad_usage, {}, "", 0, "", "--csv given twice"},
  };
  for (const OptionsCase& c : cases) {
    const std::string where = ::testing::PrintToString(c.args);
    BatchOptions options;
    options.jobs = 99;
    std::string error;
    ASSERT_EQ(parse_options(c.args, "/home/u", options, error), c.status) << where;
    if (c.status != ParseStatus::run) {
      EXPECT_EQ(options.jobs, 99u) << where << ": options written without a run";
      EXPECT_NE(error.find(c.error), std::string::npos) << where << ": " << error;
      continue;
    }
    EXPECT_EQ(options.korvex_args, c.korvex_args) << where;
    EXPECT_EQ(options.out_dir.string(), c.out_dir) << where;
    EXPECT_EQ(options.jobs, c.jobs) << where;
    EXPECT_EQ(output_extension(options), c.extension) << where;
  }
}

// The batch's own files and the game are read, never passed on to a run.
TEST(BatchOptions, ReportPathsAreTheBatchsAndTakenFromTheWorkingFolder) {
  BatchOptions options;
  std::string error;
  ASSERT_EQ(parse_options({"-q1", "m", "--report", "r.json", "--csv", "/t/s.csv"}, "/home/u", options, error),
            ParseStatus::run)
      << error;
  EXPECT_EQ(options.report, "/home/u/r.json");
  EXPECT_EQ(options.csv, "/t/s.csv");
  EXPECT_TRUE(options.q1);
  EXPECT_EQ(options.korvex_args, std::vector<std::string>{"-q1"});
}

struct CountsCase {
  RunReport report;
  MapCounts counts;
};

RunReport report_of(int brushes, int entities, int written, std::vector<const char*> discarded) {
  RunReport r;
  r.brushes = brushes;
  r.entities = entities;
  r.written = written;
  for (const char* what : discarded) r.discarded.push_back({what, 1, 3, "no classname"});
  return r;
}

// Left out are the entities neither written nor dropped as invalid, as
// korvex's own report counts them.
TEST(BatchReport, CountsComeFromTheRunsReport) {
  const CountsCase cases[] = {
      {report_of(7, 5, 3, {}), {7, 5, 3, 2, 0}},
      {report_of(2, 4, 4, {}), {2, 4, 4, 0, 0}},
      {report_of(0, 0, 0, {}), {0, 0, 0, 0, 0}},
      {report_of(3, 4, 1, {"brush", "entity", "entity"}), {3, 4, 1, 1, 3}},
  };
  for (const CountsCase& c : cases) {
    const MapCounts got = counts_of(c.report);
    const std::string where = std::to_string(c.report.entities) + " entities, " +
                              std::to_string(c.report.discarded.size()) + " discarded";
    EXPECT_EQ(got.brushes, c.counts.brushes) << where;
    EXPECT_EQ(got.entities, c.counts.entities) << where;
    EXPECT_EQ(got.written, c.counts.written) << where;
    EXPECT_EQ(got.left_out, c.counts.left_out) << where;
    EXPECT_EQ(got.discarded, c.counts.discarded) << where;
  }
}

TEST(BatchReport, FailureReasonIsTheReportsLineElseTheLastLineWithoutThePrompt) {
  const struct {
    const char* report_failure;
    const char* console;
    const char* reason;
  } cases[] = {
      {"Brush #0 load error: end of file", "Processing 'a.map'\nBrush #0 load error: end of file\nPress ENTER...",
       "Brush #0 load error: end of file"},
      {"Interrupted", "Processing 'a.map'\n", "Interrupted"},
      {"", "Processing 'a.map'\nBrush #0 load error: end of file\n", "Brush #0 load error: end of file"},
      {"", "Error when opening /x/a.map\nPress ENTER...", "Error when opening /x/a.map"},
      {"", "Unknown argument\r\nPress ENTER...\n\n", "Unknown argument"},
      {"", "one line without end", "one line without end"},
      {"", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(failure_reason(c.report_failure, c.console), c.reason) << c.console;
}

TEST(BatchMaps, MapExtensionInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"a.map", true}, {"b.MAP", true}, {"c.Map", true}, {"dir/e.mAp", true}, {"a.map.bak", false},
      {"a.mapx", false}, {"amap", false}, {".map", false}, {"a.ma", false},
  };
  for (const auto& [name, is_map] : cases) EXPECT_EQ(has_map_extension(name), is_map) << name;
}

TEST(BatchMaps, FoldersAreSearchedSortedAndMirroredUnderTheOutputFolder) {
  TempDir dir;
  for (const char* folder : {"maps", "maps/b", "maps/a.map", "single"}) fs::create_directories(dir.file(folder));
  for (const char* name : {"maps/z.map", "maps/b/Y.MAP", "maps/b/notes.txt", "maps/A.map", "single/x.txt"})
    dir.write(name, "{\n}\n");
  const fs::path root = dir.path();
  std::vector<MapJob> jobs;
  std::string error;
  ASSERT_EQ(find_maps({"maps", "single/x.txt", "maps/z.map"}, root, root / "out", ".2q3", jobs, error),
            FindStatus::found)
      << error;
  const std::vector<std::array<std::string, 3>> expected{
      {"maps/A.map", "out/A.2q3", "out/A.log"},
      {"maps/b/Y.MAP", "out/b/Y.2q3", "out/b/Y.log"},
      {"maps/z.map", "out/z.2q3", "out/z.log"},
      {"single/x.txt", "out/x.2q3", "out/x.log"},
  };
  ASSERT_EQ(jobs.size(), expected.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(jobs[i].shown, expected[i][0]);
    EXPECT_EQ(jobs[i].source, root / expected[i][0]);
    EXPECT_EQ(jobs[i].output, root / expected[i][1]);
    EXPECT_EQ(jobs[i].log, root / expected[i][2]);
  }

  // Without an output folder, each output goes beside its source.
  ASSERT_EQ(find_maps({"maps/b"}, root, "", ".q1n", jobs, error), FindStatus::found);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].output, root / "maps/b/Y.q1n");
  EXPECT_EQ(jobs[0].shown, "maps/b/Y.MAP");
  EXPECT_FALSE(fs::exists(root / "out")) << "finding maps made a folder";
}

TEST(BatchMaps, CollisionsAndMissingInputsLeaveTheListAlone) {
  TempDir dir;
  fs::create_directories(dir.file("one"));
  fs::create_directories(dir.file("two"));
  for (const char* name : {"one/a.map", "two/a.map", "one/b.map", "one/b.MAP", "one/c.log"}) dir.write(name, "{\n}\n");
  struct Case {
    std::vector<std::string> inputs;
    const char* out_dir;
    FindStatus status;
    const char* error;
  };
  const Case cases[] = {
      {{"one/a.map", "two/a.map"}, "out", FindStatus::collision, "'one/a.map' and 'two/a.map' would both write"},
      {{"one/b.map", "one/b.MAP"}, "", FindStatus::collision, "would both write"},
      {{"one/c.log"}, "", FindStatus::collision, "would write over the map"},
      {{"one/a.map", "nothing"}, "", FindStatus::missing_input, "'nothing' is neither a folder nor a file"},
  };
  for (const Case& c : cases) {
    std::vector<MapJob> jobs(1);
    std::string error;
    const fs::path out = *c.out_dir ? dir.file(c.out_dir) : "";
    EXPECT_EQ(find_maps(c.inputs, dir.path(), out, ".1q3", jobs, error), c.status) << c.error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(jobs.size(), 1u) << c.error;
  }
  // The same map named twice is converted once.
  std::vector<MapJob> jobs;
  std::string error;
  ASSERT_EQ(find_maps({"one/a.map", "./one/../one/a.map"}, dir.path(), "", ".1q3", jobs, error), FindStatus::found);
  EXPECT_EQ(jobs.size(), 1u);
}

TEST(BatchSummary, TextWidthIsWhatATerminalShows) {
  const struct {
    std::string_view text;
    size_t width;
  } cases[] = {
      {"e1m1.map", 8},
      {"my maps/e1 m1.map", 17},
      {"\u00fcn\u00ef c\u00f6de.map", 12},          // two-byte letters: one column each
      {"e\u0301te\u0301.map", 7},                     // combining accents: none
      {"\u65e5\u672c.map", 8},                        // ideographs: two each
      {"\U0001F642.map", 6},                           // an emoji: two
      {"\xff\xfe.map", 6},                             // no UTF-8: one a byte
      {"\xe6\x97.map", 6},                             // a character cut short
      {"\xc0\xaf.map", 6},                             // an overlong '/'
      {"\xed\xa0\x80.map", 7},                         // a lone surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(display_width(c.text), c.width) << c.text;
}

TEST(BatchSummary, MapColumnLinesUpWhateverTheNames) {
  std::vector<MapJob> jobs;
  std::vector<MapResult> results;
  for (const char* name : {"a.map", "\u00fcn\u00ef.map", "\u65e5\u672c.map"}) {
    jobs.push_back({"/m/x.map", name, "/m/x.1q3", "/m/x.log"});
    MapResult ok;
    ok.outcome = Outcome::ok;
    ok.seconds = 1.0;
    ok.counts.brushes = 2;
    results.push_back(ok);
  }
  results[2].outcome = Outcome::failed;
  results[2].reason = "Brush #0 load error: end of file";
  EXPECT_EQ(summary_table(jobs, results),
            "map       result        brushes   written  left out discarded      time\n"
            "a.map     ok                  2         0         0         0     1.00s\n"
            "\u00fcn\u00ef.map   ok                  2         0         0         0     1.00s\n"
            "\u65e5\u672c.map  failed              -         -         -         -     1.00s"
            "  Brush #0 load error: end of file\n"
            "total     2 ok                4         0         0         0     3.00s\n"
            "3 maps: 2 ok, 1 failed\n");
}

}  // namespace
