// The built korvex where only a process shows it: its exit status and
// streams against the same runs in-process, the ENTER wait at a terminal and
// none from a pipe, SIGINT, SIGTERM and SIGKILL in the middle of a run, a run
// as another user, and the tables found beside an installed program.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "korvex_runner.h"
#include "process.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

const std::string table = "info_null *\nfunc_wall *\nlight *\n";
const std::string small_world =
    "{\n\"classname\" \"worldspawn\"\n{\n( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1\n"
    "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) w 0 0 0 1 1\n( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) w 0 0 0 1 1\n}\n}\n";

constexpr const char* good_map = R"({
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
}
}
{
"classname" "info_null"
"origin" "1 2 3"
}
)";

ProcessSetup korvex_in(const TempDir& dir, Args args) {
  ProcessSetup setup;
  setup.program = korvex_bin();
  setup.args = std::move(args);
  setup.folder = dir.path();
  return setup;
}

bool temporary_in(const TempDir& dir) {
  for (const std::string& name : dir.entries())
    if (name.starts_with(".korvex-")) return true;
  return false;
}

// The program is korvex_run on its own console and working folder: the
// same runs give the same exit status, streams and files either way.
TEST(Process, ExitStatusAndStreamsAreThoseOfTheRunInProcess) {
  const struct {
    const char* name;
    Args args;
    Files files;
    int status;
  } rows[] = {
      {"conversion", {"-s", "a.map"}, {{"a.map", good_map}, {"q1.ent", table}}, 0},
      {"numbering with a log", {"-s", "a.map", "-enum"}, {{"a.map", good_map + std::string("{\n")}}, 1},
      {"a hint on standard error",
       {"-s", "a.map"},
       {{"a.map", small_world + "{\n\"origin\" \"0 0 0\"\n\"k\" \"v\"\n}\n"}, {"q1.ent", table}},
       1},
      {"rejected command line", {"-s"}, {}, 1},
      {"missing map", {"-s", "none.map", "-enum"}, {}, 1},
      {"version", {"--version"}, {}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir process_dir, in_process_dir;
    for (const auto& [name, text] : row.files) {
      process_dir.write(name, text);
      in_process_dir.write(name, text);
    }
    const KorvexRun process = run_korvex_process(process_dir, row.args);
    const KorvexRun in_process = run_korvex_in(in_process_dir, row.args);
    EXPECT_FALSE(process.timed_out);
    EXPECT_EQ(process.status, row.status);
    EXPECT_EQ(process.status, in_process.status);
    EXPECT_EQ(process.out(), in_process.out());
    EXPECT_EQ(process.errors, in_process.errors);
    EXPECT_EQ(process.files, in_process.files);
  }
}

// Standard input from a pipe is no terminal: the early failures show their
// prompt and end without waiting for the character.
TEST(Numbering, EnterWaitIsSkippedWithoutATerminal) {
  TempDir dir;
  int pipe_fd[2];
  ASSERT_EQ(pipe(pipe_fd), 0);
  ProcessSetup setup = korvex_in(dir, {"-s", "missing.map", "-enum"});
  setup.input_fd = pipe_fd[0];
  ChildProcess korvex(setup);
  close(pipe_fd[0]);
  const bool ended = korvex.wait_for(10);
  close(pipe_fd[1]);  // never written
  ASSERT_TRUE(ended) << "the run waits on a pipe";
  const ProcessResult r = korvex.finish();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Error when opening missing.map\nPress ENTER..."), std::string::npos) << r.out;
}

// At a terminal the run stays until a line is typed.
TEST(CommandLine, WaitForEnterAtATerminal) {
  TempDir dir;
  ProcessSetup setup = korvex_in(dir, {"-s", "missing.map", "-enum"});
  setup.terminal = true;
  ChildProcess korvex(setup);
  std::string screen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (screen.find("Press ENTER...") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    char buf[256];
    const ssize_t n = read(korvex.terminal(), buf, sizeof buf);
    if (n <= 0) break;
    screen.append(buf, static_cast<size_t>(n));
  }
  EXPECT_NE(screen.find("Error when opening missing.map\r\nkorvex: missing.map: No such file or directory\r\n"
                        "Press ENTER..."),
            std::string::npos)
      << screen;
  EXPECT_FALSE(korvex.wait_for(0.3)) << "the run ended without waiting";
  ASSERT_EQ(write(korvex.terminal(), "\n", 1), 1);
  ASSERT_TRUE(korvex.wait_for(20)) << "a typed line does not end the wait";
  EXPECT_EQ(korvex.finish().status, 1);
}

// Destinations that cannot be written are refused before any block is
// read, for a user other than root too.
TEST(Output, UnwritableDestinationsAreRefusedAtOpening) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0555), 0);
  dir.write("readonly.map", "keep\n");
  ASSERT_EQ(chmod(dir.file("readonly.map").c_str(), 0444), 0);
  dir.write("a.map", good_map);
  ASSERT_EQ(chmod(dir.file("a.map").c_str(), 0644), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  for (const char* destination : {"locked/out.map", "readonly.map", "missing/out.map", "locked"}) {
    SCOPED_TRACE(destination);
    const KorvexRun r = run_korvex_process(dir, {"-s", "a.map", "-enum", "-d", destination}, "\n", 60, true);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.console, "Error when creating " + std::string(destination) + "\nPress ENTER...");
  }
  EXPECT_EQ(dir.read("readonly.map"), "keep\n");
  EXPECT_FALSE(dir.exists("locked/out.map"));
  EXPECT_FALSE(temporary_in(dir));
}

// A run killed while it writes leaves no partial map at the destination.
// The source comes through a pipe, so the kill falls surely mid-way: after
// megabytes have been converted, while the program waits for more.
TEST(Output, KilledRunLeavesNoPartialMap) {
  TempDir dir;
  dir.write("out.map", "the only copy\n");
  ASSERT_EQ(mkfifo(dir.file("big.map").c_str(), 0600), 0);
  ChildProcess korvex(korvex_in(dir, {"-s", "big.map", "-enum", "-d", "out.map"}));
  {
    std::ofstream source(dir.file("big.map"), std::ios::binary);
    source << "{\n{\n( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1\n}\n}\n";
    const std::string entity = "{\n\"classname\" \"info_null\"\n\"origin\" \"1 2 3\"\n}\n";
    for (int i = 0; i < 100000; ++i) source << entity;
    source.flush();
    // Wait until the converted part reaches the temporary file.
    bool written = false;
    for (int i = 0; i < 5000 && !written; ++i) {
      for (const std::string& name : dir.entries()) {
        struct stat st;
        if (name.starts_with(".korvex-") && stat(dir.file(name).c_str(), &st) == 0 && st.st_size > 1000000)
          written = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(written);
    korvex.send(SIGKILL);
  }
  EXPECT_EQ(korvex.finish().status, 128 + SIGKILL);
  EXPECT_EQ(dir.read("out.map"), "the only copy\n");
}

// SIGINT or SIGTERM in the middle of a run: the temporary output goes, the
// destination stays as it was, and the run dies by the signal.
TEST(CommandLine, InterruptionLeavesNoTemporaryFile) {
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(strsignal(sig));
    TempDir dir;
    dir.write("out.q1n", "before\n");
    ASSERT_EQ(mkfifo(dir.file("src.map").c_str(), 0600), 0);
    ChildProcess korvex(korvex_in(dir, {"-s", "src.map", "-d", "out.q1n", "-enum"}));
    const int source = open(dir.file("src.map").c_str(), O_WRONLY);
    ASSERT_GE(source, 0);
    const std::string start = "{\n\"classname\" \"worldspawn\"\n{\n";
    ASSERT_EQ(write(source, start.data(), start.size()), static_cast<ssize_t>(start.size()));
    for (int i = 0; i < 2000 && !temporary_in(dir); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(temporary_in(dir)) << "no temporary output while the run reads";
    korvex.send(sig);
    const bool ended = korvex.wait_for(20);
    close(source);
    ASSERT_TRUE(ended);
    EXPECT_EQ(korvex.finish().status, 128 + sig);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.q1n", "src.map"}));
    EXPECT_EQ(dir.read("out.q1n"), "before\n");
  }
}

// Where the shipped tables are installed: beside the program, here a copy
// of it in an installation tree of its own.
TEST(CommandLine, MissingClassTableNamesTheInstalledTables) {
  TempDir dir;
  fs::create_directories(dir.file("inst/bin"));
  fs::copy_file(korvex_bin(), dir.file("inst/bin/korvex"));
  dir.write("inst/share/korvex/q1.ent", table);
  dir.write("a.map", small_world);
  const std::string installed = dir.file("inst/share/korvex");
  const std::string built_for = fs::path(KORVEX_TABLE_DIR).lexically_normal().string();
  std::error_code ec;
  // The build finds the tables of its own source tree too.
  const std::string folders = (fs::is_directory(built_for, ec) ? installed + ", " + built_for : installed) + ", " +
                              fs::path(source_file("tables")).lexically_normal().string();
  const std::string shipped_in = (fs::is_directory(built_for, ec) ? installed + " and " + built_for : installed) +
                                 " and " + fs::path(source_file("tables")).lexically_normal().string();
  const struct {
    Args args;
    std::string errors;
  } rows[] = {
      {{},
       "korvex: q1.ent: No such file or directory\n"
       "hint: the class table 'q1.ent' is not in the working folder; it is installed as " + installed +
           "/q1.ent: name it so (-e " + installed + "/q1.ent), or run with -x or -q3, which look there\n"},
      {{"-e", "mine.ent"},
       "korvex: mine.ent: No such file or directory\n"
       "hint: the class table 'mine.ent' is in none of: the working folder; name the file with -e PATH (the shipped "
       "tables are in " + shipped_in + ")\n"},
      {{"-e", "mine.ent", "-x"},
       "korvex: mine.ent: No such file or directory\n"
       "hint: the class table 'mine.ent' is in none of: the working folder, " + folders +
           "; name the file with -e PATH (the shipped tables are in " + shipped_in + ")\n"},
  };
  ProcessSetup setup;
  setup.program = dir.file("inst/bin/korvex");
  setup.folder = dir.path();
  for (const auto& row : rows) {
    setup.args = {"-s", "a.map"};
    setup.args.insert(setup.args.end(), row.args.begin(), row.args.end());
    const ProcessResult r = run_process(setup);
    ASSERT_EQ(r.status, 1);
    EXPECT_EQ(r.err, row.errors);
    EXPECT_NE(r.out.find("Entity table error: cannot open the file"), std::string::npos) << r.out;
  }
  // The same program finds the tables there with -q3.
  fs::copy_file(source_file("tables/q1.tex"), dir.file("inst/share/korvex/q1.tex"));
  setup.args = {"-s", "a.map", "-q3"};
  const ProcessResult q3 = run_process(setup);
  EXPECT_EQ(q3.status, 0) << q3.out;
  EXPECT_NE(q3.out.find("4 classnames in '" + installed + "/q1.ent'"), std::string::npos) << q3.out;
  EXPECT_NE(q3.err.find("Texture rules '" + installed + "/q1.tex'"), std::string::npos) << q3.err;
}

}  // namespace

namespace {

// Both streams into one pipe, as `korvex ... 2>&1 | tee` has them: what goes
// to standard output is flushed before anything goes to standard error, so
// each line stands where the run wrote it.
TEST(Process, StreamsInOnePipeKeepTheRunsOrder) {
  TempDir dir;
  dir.write("a.map", small_world);
  dir.write("q1.ent", table);
  const struct {
    Args args;
    std::vector<std::string> in_order;
  } rows[] = {
      {{"-s", "a.map", "-e", "nosuch.ent"},  // a failure line, then why
       {"KORVEX map converter utility\n", "Entity table error: ", "korvex: nosuch.ent: No such file or directory\n"}},
      {{"-q3", "-s", "a.map", "-d", "b.map"},  // the summary, then the report on standard error
       {"Processing 'a.map'\n", "1 brushes\n", "Warning: no entity\n", "Texture rules '"}},
  };
  for (const auto& row : rows) {
    std::string line = shell_quoted(korvex_bin());
    for (const std::string& a : row.args) line += " " + shell_quoted(a);
    const ProcessResult run = run_shell("cd " + shell_quoted(dir.path()) + " && " + line + " </dev/null 2>&1 | cat");
    SCOPED_TRACE(run.out);
    size_t at = 0;
    for (const std::string& piece : row.in_order) {
      const size_t found = run.out.find(piece, at);
      ASSERT_NE(found, std::string::npos) << piece;
      at = found + piece.size();
    }
  }
}

}  // namespace
