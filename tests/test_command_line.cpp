// The command line and the console around a run: help and version, the
// hints on standard error, names with blanks and UTF-8, the size factor, the
// derived output name, the ENTER wait, and interruption.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "hints.h"
#include "run_korvex.h"

using namespace kmap;

namespace fs = std::filesystem;

namespace {

const std::string see_help = "korvex: see 'korvex --help' for the options\n";
const std::string table = "info_null *\nfunc_wall *\nlight *\n";
constexpr const char* q1_face = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1\n";

std::string repeat(std::string_view text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}
std::string brush(int planes, std::string_view face = q1_face) { return "{\n" + repeat(face, planes) + "}\n"; }
std::string world(std::string_view brushes) { return "{\n\"classname\" \"worldspawn\"\n" + std::string(brushes) + "}\n"; }
std::string entity(std::string_view body) { return "{\n" + std::string(body) + "}\n"; }
const std::string small_world = world(brush(3));

// The whole standard output of a run, banner included.
std::string stdout_of(const RunResult& r) { return r.banner + r.console; }

// Waits for the child; false when it is still running after `seconds`.
bool wait_for(pid_t pid, int& status, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void stop(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Starts korvex in dir with its standard input from in_fd and its output
// thrown away.
pid_t start_korvex(const TempDir& dir, const std::vector<const char*>& args, int in_fd) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(in_fd, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>(KORVEX_BIN)};
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    execv(KORVEX_BIN, argv.data());
    _exit(127);
  }
  return pid;
}

TEST(CommandLine, HelpAndVersionAloneAnswerWithoutBannerOrLog) {
  TempDir dir;
  dir.write("korvex.log", "kept\n");
  for (const char* word : {"--help", "-help", "-h"}) {
    SCOPED_TRACE(word);
    const RunResult r = run_korvex(dir, {word});
    const std::string out = stdout_of(r);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(out.starts_with("Usage: korvex -s SOURCE [options]\n")) << out;
    for (const char* shown : {"-s path", "-d path", "-e path", "-t path", "-l factor", "-g factor", " -q2 ", "-enum",
                              " -x ", " -k ", " -q3 ", "--help", "--version", "Exit status", "korvex -q3 -s e1m1.map",
                              "korvex -q3 -q2 -s base1.map", KORVEX_TABLE_DIR})
      EXPECT_NE(out.find(shown), std::string::npos) << "missing: " << shown;
    EXPECT_EQ(out.find("KORVEX map converter utility"), std::string::npos);
    EXPECT_EQ(r.errors, "");
  }
  const RunResult version = run_korvex(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(stdout_of(version), "korvex " KORVEX_VERSION "\n");
  EXPECT_EQ(dir.read("korvex.log"), "kept\n");
}

// A rejected command line keeps its classic console; standard error names
// the word at fault and points at the help.
TEST(CommandLine, RejectedCommandLinesPointAtHelp) {
  const struct {
    std::vector<std::string> args;
    std::string console;
    std::string why;
  } rows[] = {
      {{}, "at least one required argument missing\nPress ENTER...", "-s is missing: name the source map with -s"},
      {{"--help", "-s", "a.map"}, "argument not recognized\nPress ENTER...", "'--help' is no option"},
      {{"-s", "a.map", "--version"}, "argument not recognized\nPress ENTER...", "'--version' is no option"},
      {{"-version"}, "argument not recognized\nPress ENTER...", "'-version' is no option"},
      {{"-q3", "e1m5.map"}, "argument not recognized\nPress ENTER...",
       "'e1m5.map' is no option; a source map is named with -s (korvex -s e1m5.map)"},
      {{"-s"}, "paired argument has no value\nPress ENTER...", "-s needs a value after it"},
      {{"-s", "a\tb.map"}, "arg = 'a\tb.map'\ninvalid characters in a value\nPress ENTER...",
       "the value after -s holds control characters"},
      {{"-s", "a\x7f.map"}, "arg = 'a\x7f.map'\ninvalid characters in a value\nPress ENTER...",
       "the value after -s holds control characters"},
      {{"-s", "a.map", "-g", "1", "-g", "2"}, "duplicate argument\nPress ENTER...", "-g is given twice"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.console);
    TempDir dir;
    const RunResult r = run_korvex(dir, row.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.banner, "KORVEX map converter utility\nby the KORVEX developers, 2026\n");
    EXPECT_EQ(r.console, row.console);
    EXPECT_EQ(r.errors, "korvex: " + row.why + "\n" + see_help);
  }
}

// Blanks and bytes of UTF-8 are part of a name; the output name is cut at
// the file name's extension only.
TEST(CommandLine, SourceNamesAndTheOutputNamesDerivedFromThem) {
  const struct {
    std::string source;
    std::string output;
  } rows[] = {
      {"Quake Maps/e1.map", "Quake Maps/e1.q1n"},
      {"caf\xc3\xa9.map", "caf\xc3\xa9.q1n"},
      {"maps.v2/e1m1", "maps.v2/e1m1.q1n"},
      {"dir.d/name.map", "dir.d/name.q1n"},
      {"sub/../e1m1", "sub/../e1m1.q1n"},
      {"maps.v2/.map", "maps.v2/.map.q1n"},  // a leading dot starts no extension
      {"a.b.map", "a.b.q1n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    TempDir dir;
    for (const char* folder : {"Quake Maps", "maps.v2", "dir.d", "sub"}) fs::create_directory(dir.file(folder));
    dir.write(row.source, small_world);
    const RunResult r = run_korvex(dir, {"-s", row.source, "-enum"});
    EXPECT_EQ(r.status, 0) << r.console;
    EXPECT_EQ(r.console, "Processing '" + row.source + "'\n1 brushes\nWarning: no entity\n");
    EXPECT_TRUE(dir.exists(row.output));
  }
  TempDir dir;
  dir.write("q1.ent", table);
  dir.write("my map.map", small_world);
  EXPECT_EQ(run_korvex(dir, {"-s", "my map.map", "-d", "out put.map"}).status, 0);
  EXPECT_TRUE(dir.read("out put.map").value_or("").starts_with(conversion_header("my map.map")));
}

TEST(CommandLine, SizeFactorMustBePositiveAndFinite) {
  const std::string bad = "Bad size scale value, using default (1.000000)\n";
  const struct {
    std::vector<std::string> args;
    bool refused;
    const char* point;  // the first plane point written
  } rows[] = {
      {{"-g", "0"}, true, "( 0 0 0 ) ( 0 64 0 )"},     {{"-g", "-2"}, true, "( 0 0 0 ) ( 0 64 0 )"},
      {{"-g", "-0"}, true, "( 0 0 0 ) ( 0 64 0 )"},    {{"-g", "0.0"}, true, "( 0 0 0 ) ( 0 64 0 )"},
      {{"-x", "-g", "0"}, true, "( 0 0 0 ) ( 0 64 0 )"}, {{"-x", "-g", "-1e-300"}, true, "( 0 0 0 ) ( 0 64 0 )"},
      {{"-g", "1e999"}, true, "( 0 0 0 ) ( 0 64 0 )"}, {{"-g", "2"}, false, "( 0 0 0 ) ( 0 128 0 )"},
      {{"-x", "-g", "1e-3"}, false, "( 0 0 0 ) ( 0 0.064 0 )"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args[row.args.size() - 1]);
    TempDir dir;
    dir.write("q1.ent", table);
    dir.write("a.map", small_world);
    std::vector<std::string> args{"-s", "a.map", "-d", "a.out"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult r = run_korvex(dir, args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.console.starts_with(bad), row.refused) << r.console;
    EXPECT_NE(dir.read("a.out").value_or("").find(row.point), std::string::npos) << *dir.read("a.out");
  }
}

// At a terminal the run stays until a line is typed (Numbering tests the
// run from a pipe, which ends at once).
TEST(CommandLine, WaitForEnterAtATerminal) {
  TempDir dir;
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    execl(KORVEX_BIN, KORVEX_BIN, "-s", "missing.map", "-enum", nullptr);
    _exit(127);
  }
  std::string screen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (screen.find("Press ENTER...") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[256];
    const ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) break;
    screen.append(buf, static_cast<size_t>(n));
  }
  EXPECT_NE(screen.find("Error when opening missing.map\r\nkorvex: missing.map: No such file or directory\r\n"
                        "Press ENTER..."),
            std::string::npos)
      << screen;
  int status = 0;
  EXPECT_FALSE(wait_for(pid, status, 0.3)) << "the run ended without waiting";
  ASSERT_EQ(write(master, "\n", 1), 1);
  const bool ended = wait_for(pid, status, 20);
  close(master);
  if (!ended) stop(pid);
  ASSERT_TRUE(ended) << "a typed line does not end the wait";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

// A classic run that fails where -x would have gone on says so, and only
// then; with -x the same map draws no such hint.
TEST(CommandLine, FailuresThatExtendedModeAvoidsSuggestIt) {
  const std::string limits =
      "hint: this map exceeds the classic limits; run again with -x (or -q3 for a map to play in a Q3 engine)\n";
  const std::string damage = "hint: -x leaves out what cannot be converted and goes on; run again with -x (or -q3 "
                             "for a map to play in a Q3 engine)\n";
  const std::string no_brush =
      "hint: -x writes a world without brushes; run again with -x (or -q3 for a map to play in a Q3 engine)\n";
  const std::string coordinates = "hint: -x writes any coordinate in full and leaves out a brush it cannot read; "
                                  "run again with -x (or -q3 for a map to play in a Q3 engine)\n";
  const std::string wall = "\"classname\" \"func_wall\"\n";
  const std::string null = "\"classname\" \"info_null\"\n";
  const struct {
    const char* label;
    std::string map;
    std::vector<std::string> args;
    std::string hint;
  } rows[] = {
      {"world brush beyond the plane limit", world(brush(33)), {}, limits},
      {"entity beyond the line limit", small_world + entity(null + "\"origin\" \"0 0 0\"\n" + repeat("\"k\" \"v\"\n", 300)), {}, limits},
      {"entity beyond the brush limit", small_world + entity(wall + repeat(brush(3), 32)), {}, limits},
      {"entity brush beyond the plane limit", small_world + entity(wall + brush(33)), {}, limits},
      {"word beyond the word limit", small_world + entity("\"classname\" \"" + std::string(70, 'c') + "\"\n"), {}, limits},
      {"coordinate beyond the integer range", world(brush(3, "( 0 0 0 ) ( 0 2000000000 0 ) ( 64 0 0 ) w 0 0 0 1 1\n")),
       {"-g", "2"}, coordinates},
      {"entity without origin", small_world + entity(null + "\"k\" \"v\"\n"), {}, damage},
      {"entity without classname", small_world + entity("\"origin\" \"0 0 0\"\n\"k\" \"v\"\n"), {}, damage},
      {"classname without value", small_world + entity("\"classname\"\n\"origin\" \"0 0 0\"\n"), {}, damage},
      {"entity brush of two planes", small_world + entity(wall + brush(2)), {}, damage},
      {"world brush of a word for a number", world(brush(3, "( 0 0 0 ) ( 0 x 0 ) ( 64 0 0 ) w 0 0 0 1 1\n")),
       {"-g", "2"}, coordinates},
      {"world without brushes", world(""), {}, no_brush},
      {"end of file in a brush", "{\n\"classname\" \"worldspawn\"\n{\n" + std::string(q1_face), {}, ""},
      {"no worldspawn", "", {}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    TempDir dir;
    dir.write("q1.ent", table);
    dir.write("a.map", row.map);
    std::vector<std::string> args{"-s", "a.map"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult classic = run_korvex(dir, args);
    EXPECT_EQ(classic.status, 1);
    EXPECT_EQ(classic.errors, row.hint) << classic.console;
    args.push_back("-x");
    const RunResult extended = run_korvex(dir, args);
    EXPECT_EQ(extended.errors.find("run again with -x"), std::string::npos) << extended.errors;
    EXPECT_EQ(extended.status, row.hint.empty() ? 1 : 0) << extended.console;
  }
}

TEST(CommandLine, FaceGame) {
  const struct {
    const char* line;
    Game game;
  } rows[] = {
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1", Game::quake},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) *water0\t16 -8 0.5 1 1", Game::quake},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor1_3 0 0 0 1 1 0 0 0", Game::quake2},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1 1 16 100", Game::quake2},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor1_3 0 0 0 1 1", Game::quake2},  // zeros left out
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1 0 0", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 x 1 1", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 )", Game::unknown},
      {"0 0 0 0 64 0 64 0 0 w 0 0 0 1 1", Game::unknown},
  };
  for (const auto& row : rows) EXPECT_EQ(face_game(row.line), row.game) << row.line;
  const struct {
    GameVotes votes;
    Game game;
  } votes[] = {
      {{12, 12, 0}, Game::quake},   {{12, 0, 12}, Game::quake2},  {{11, 11, 0}, Game::unknown},
      {{20, 6, 13}, Game::quake2},  {{20, 6, 12}, Game::unknown}, {{200, 0, 0}, Game::unknown},
  };
  for (const auto& row : votes) EXPECT_EQ(voted_game(row.votes), row.game) << row.votes.quake << "/" << row.votes.quake2;
}

// The game the faces tell, against the one given on the command line.
TEST(CommandLine, GameOfTheFacesAgainstTheOptions) {
  const std::string quake2 = "warning: this looks like a Quake 2 map (its faces carry surface flags or texture "
                             "folders); run with -q2\n";
  const std::string quake = "warning: this looks like a Quake map (its faces carry no surface flags), yet -q2 was "
                            "given; -q2 is for Quake 2 maps\n";
  const std::string q2_face = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor 0 0 0 1 1 0 0 0\n";
  const std::string q2_bare = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor 0 0 0 1 1\n";
  const std::string valve = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1\n";
  const struct {
    const char* label;
    std::string map;
    bool q2;
    std::string warning;
  } rows[] = {
      {"Quake", world(repeat(brush(3), 4)), false, ""},
      {"Quake with -q2", world(repeat(brush(3), 4)), true, quake},
      {"Quake 2 without -q2", world(repeat(brush(3, q2_face), 4)), false, quake2},
      {"Quake 2 faces without flags, without -q2", world(repeat(brush(3, q2_bare), 4)), false, quake2},
      {"Quake 2", world(repeat(brush(3, q2_face), 4)), true, ""},
      {"Valve 220 with -q2", world(repeat(brush(3, valve), 4)), true, ""},
      {"too few faces to tell", world(repeat(brush(3), 3)), true, ""},
      {"half and half", world(repeat(brush(3), 2) + repeat(brush(3, q2_face), 2)), false, ""},
      {"Quake 2 after 200 Quake faces", world(repeat(brush(20), 10) + repeat(brush(20, q2_face), 20)), false, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    TempDir dir;
    dir.write(row.q2 ? "q2.ent" : "q1.ent", table);
    dir.write("a.map", row.map);
    std::vector<std::string> args{"-s", "a.map", "-x"};
    if (row.q2) args.push_back("-q2");
    const RunResult r = run_korvex(dir, args);
    EXPECT_EQ(r.status, 0) << r.console;
    EXPECT_EQ(r.errors, row.warning);
  }
}

TEST(CommandLine, ClassesLeftOutAreCountedMostFrequentFirst) {
  std::string entities;
  auto add = [&entities](const std::string& name, int n) {
    for (int i = 0; i < n; ++i) entities += entity("\"classname\" \"" + name + "\"\n\"origin\" \"0 0 0\"\n");
  };
  add("info_null", 2);
  add("monster_dog", 3);
  add("func_movewall", 5);
  for (const char* rare : {"k", "j", "i", "h", "g", "f", "e", "d", "c", "b", "a"}) add(rare, 1);
  TempDir dir;
  dir.write("q1.ent", table);
  dir.write("a.map", small_world + entities);
  const RunResult r = run_korvex(dir, {"-s", "a.map"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "4 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\n21 entities (2 replaced)\n");
  EXPECT_EQ(r.errors, "left out, not in the table: 5 func_movewall, 3 monster_dog, 1 a, 1 b, 1 c, 1 d, 1 e, 1 f, "
                      "1 g, 1 h and 3 more\n");
  // Numbering mode leaves nothing out.
  EXPECT_EQ(run_korvex(dir, {"-s", "a.map", "-enum"}).errors, "");
}

// Where the shipped tables are installed: beside the program, here a copy
// of it in an installation tree of its own.
TEST(CommandLine, MissingClassTableNamesTheInstalledTables) {
  TempDir dir;
  fs::create_directories(dir.file("inst/bin"));
  fs::create_directories(dir.file("inst/share/korvex"));
  fs::copy_file(KORVEX_BIN, dir.file("inst/bin/korvex"));
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
    std::vector<std::string> args;
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
  for (const auto& row : rows) {
    std::string line = "cd '" + dir.path() + "' && '" + dir.file("inst/bin/korvex") + "' -s a.map";
    for (const std::string& a : row.args) line += " " + a;
    ASSERT_EQ(std::system((line + " >out.txt 2>err.txt </dev/null").c_str()), 1 << 8);
    EXPECT_EQ(dir.read("err.txt"), row.errors);
    EXPECT_NE(dir.read("out.txt")->find("Entity table error: cannot open the file"), std::string::npos);
  }
  // The same program finds the tables there with -q3.
  fs::copy_file(source_file("tables/q1.tex"), dir.file("inst/share/korvex/q1.tex"));
  const std::string q3 = "cd '" + dir.path() + "' && '" + dir.file("inst/bin/korvex") + "' -s a.map -q3";
  EXPECT_EQ(std::system((q3 + " >out.txt 2>err.txt </dev/null").c_str()), 0) << *dir.read("out.txt");
  EXPECT_NE(dir.read("out.txt")->find("4 classnames in '" + installed + "/q1.ent'"), std::string::npos);
  EXPECT_NE(dir.read("err.txt")->find("Texture rules '" + installed + "/q1.tex'"), std::string::npos);
}

// The summary points at the log only when the log could be written; a
// folder in its place stops it for any user.
TEST(CommandLine, UnwritableLogIsNotPointedAt) {
  TempDir dir;
  dir.write("q1.ent", table);
  dir.write("a.map", world(brush(2) + brush(3)));
  fs::create_directory(dir.file("korvex.log"));
  const RunResult r = run_korvex(dir, {"-s", "a.map"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "4 classnames in 'q1.ent'\nProcessing 'a.map'\n2 brushes\nWarning: no entity\n"
                       "WARNING: invalid objects have been discarded,\n"
                       "and 'korvex.log' could not be written: no details were recorded.\n");
  EXPECT_TRUE(fs::is_empty(dir.file("korvex.log")));
  EXPECT_TRUE(dir.exists("a.1q3"));
}

// SIGINT or SIGTERM in the middle of a run: the temporary output goes, the
// destination stays as it was, and the run dies by the signal.
TEST(CommandLine, InterruptionLeavesNoTemporaryFile) {
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(strsignal(sig));
    TempDir dir;
    dir.write("out.q1n", "before\n");
    ASSERT_EQ(mkfifo(dir.file("src.map").c_str(), 0600), 0);
    const int null = open("/dev/null", O_RDONLY);
    const pid_t pid = start_korvex(dir, {"-s", "src.map", "-d", "out.q1n", "-enum"}, null);
    close(null);
    const int source = open(dir.file("src.map").c_str(), O_WRONLY);
    ASSERT_GE(source, 0);
    const std::string start = "{\n\"classname\" \"worldspawn\"\n{\n";
    ASSERT_EQ(write(source, start.data(), start.size()), static_cast<ssize_t>(start.size()));
    auto temporary = [&dir] {
      for (const std::string& name : dir.entries())
        if (name.starts_with(".korvex-")) return true;
      return false;
    };
    for (int i = 0; i < 2000 && !temporary(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(temporary()) << "no temporary output while the run reads";
    kill(pid, sig);
    int status = 0;
    const bool ended = wait_for(pid, status, 20);
    close(source);
    if (!ended) stop(pid);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.q1n", "src.map"}));
    EXPECT_EQ(dir.read("out.q1n"), "before\n");
  }
}

}  // namespace
