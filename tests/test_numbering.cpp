// Numbering mode end to end: the program reads, checks, numbers and
// re-indents blocks; the console, the output map, the log and the exit
// status are compared whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run_korvex.h"

namespace {

const std::string worked_example = *read_file(source_file("examples/test.map"));

constexpr const char* worked_example_q1n = R"(// entity 0
{
  "classname" "worldspawn"
  // brush 1
  {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
    ( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) rock1 0 0 0 1 1
    ( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) rock1 0 0 0 1 1
  }
  // brush 2
  {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) sky1 0 0 0 1 1
  }
}
// entity 1
  {
    "classname" "light"
    "origin" "32 32 48"
    "light" "200"
  }
// entity 2
  {
    "classname" "info_notnull"
    "origin" "0 0 0"
  }
// entity 3
  {
    "classname" "info_player_start"
    "origin" "16 16 24"
  }
// entity 4
  {
    "classname" "func_door"
    "angle" "90"
    {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) door1 0 0 0 1 1
    ( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) door1 0 0 0 1 1
    ( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) door1 0 0 0 1 1
    }
  }
)";

constexpr const char* plane = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1";

// A world block holding one brush of `planes` plane lines, then `rest`.
std::string world_with_brush(int planes, std::string_view rest = "") {
  std::string map = "{\n\"classname\" \"worldspawn\"\n{\n";
  for (int i = 0; i < planes; ++i) map += std::string(plane) + "\n";
  return map + "}\n}\n" + std::string(rest);
}

// A world of one good brush, then the given entity text.
std::string map_with(std::string_view entities) { return world_with_brush(3, entities); }

// An entity block of `keys` key lines (a classname and filler keys).
std::string entity_with_lines(int keys) {
  std::string e = "{\n\"classname\" \"info_null\"\n";
  for (int i = 1; i < keys; ++i) e += "\"k" + std::to_string(i) + "\" \"v\"\n";
  return e + "}\n";
}

// An entity block of `n` brushes of three plane lines each.
std::string entity_with_brushes(int n) {
  std::string e = "{\n\"classname\" \"func_wall\"\n";
  for (int i = 0; i < n; ++i) e += "{\n" + std::string(plane) + "\n" + plane + "\n" + plane + "\n}\n";
  return e + "}\n";
}

// One numbered log record as the log module writes it.


class Numbering : public ::testing::Test {
 protected:
  RunResult run(const std::vector<std::string>& args, std::string_view input = "\n") {
    return run_korvex(dir, args, input);
  }
  RunResult number(std::string_view map) {
    dir.write("a.map", map);
    return run({"-s", "a.map", "-enum"});
  }
  TempDir dir;
};

TEST_F(Numbering, WorkedExampleIsCopiedNumberedAndReindented) {
  dir.write("test.map", worked_example);
  const RunResult r = run({"-s", "test.map", "-enum"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.banner.substr(0, 29), "KORVEX map converter utility\n");
  EXPECT_EQ(r.console, "Processing 'test.map'\n2 brushes\n4 entities numbered\n");
  EXPECT_EQ(dir.read("test.q1n"), worked_example_q1n);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"test.map", "test.q1n"}));
}

// Maps saved with CR LF line ends read exactly like LF maps, a blank line
// before the world block included.
TEST_F(Numbering, CrLfMapReadsLikeLfMap) {
  dir.write("test.map", with_crlf("\n" + worked_example));
  const RunResult r = run({"-s", "test.map", "-enum"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "Processing 'test.map'\n2 brushes\n4 entities numbered\n");
  EXPECT_EQ(dir.read("test.q1n"), worked_example_q1n);
}

// Only a carriage return that ends a line goes: a line of one carriage
// return inside a brush is blank, one inside a value is text.
TEST_F(Numbering, OnlyLineEndingCarriageReturnsGo) {
  const RunResult r = number(with_crlf(world_with_brush(3)) + "{\r\n\r\n\"classname\" \"a\rb\"\r\n}\r");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("a.q1n"), "// entity 0\n{\n  \"classname\" \"worldspawn\"\n  // brush 1\n  {\n    " +
                                   std::string(plane) + "\n    " + plane + "\n    " + plane +
                                   "\n  }\n}\n// entity 1\n  {\n    \"classname\" \"a\rb\"\n  }\n");
}

TEST_F(Numbering, OutputNameFollowsModeAndGame) {
  dir.write("q1.ent", "light *\n");
  dir.write("q2.ent", "light *\n");
  ASSERT_EQ(mkdir(dir.file("maps").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.file("dir.d").c_str(), 0755), 0);
  struct Row {
    std::vector<std::string> args;
    std::string source;
    std::string output;
  } rows[] = {
      {{}, "maps/test2.map", "maps/test2.1q3"},
      {{"-q2"}, "maps/test2.map", "maps/test2.2q3"},
      {{"-enum"}, "maps/test2.map", "maps/test2.q1n"},
      {{"-q2", "-enum"}, "maps/test2.map", "maps/test2.q2n"},
      {{"-enum"}, "maps/noext", "maps/noext.q1n"},
      {{"-enum"}, "dir.d/name", "dir.d/name.q1n"},  // a dot in a folder name is no extension
      {{"-enum", "-d", "maps/chosen.out"}, "maps/test2.map", "maps/chosen.out"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source + " -> " + row.output);
    dir.write(row.source, map_with(""));
    std::vector<std::string> args{"-s", row.source};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult r = run(args);
    EXPECT_EQ(r.status, 0) << r.console;
    EXPECT_TRUE(dir.exists(row.output));
    std::remove(dir.file(row.output).c_str());
    std::remove(dir.file(row.source).c_str());
  }
}

// The failures that come before the files are open: the message, the wait
// for Enter where there is one, and no output file.
TEST_F(Numbering, EarlyFailures) {
  dir.write("a.map", map_with(""));
  const std::string long_name(252, 'n');  // 252 + ".q1n" > 255
  dir.write(long_name, map_with(""));
  struct Row {
    std::vector<std::string> args;
    std::string console;
  } rows[] = {
      {{}, "at least one required argument missing\nPress ENTER..."},
      {{"-s"}, "paired argument has no value\nPress ENTER..."},
      {{"-s", "a.map", "-zz"}, "argument not recognized\nPress ENTER..."},
      {{"-s", "a.map", "-s", "a.map"}, "duplicate argument\nPress ENTER..."},
      {{"-s", "a.map", "-enum", "-enum"}, "duplicate argument\nPress ENTER..."},
      {{"a.map"}, "argument not recognized\nPress ENTER..."},
      {{"-s", "a\tb.map"}, "arg = 'a\tb.map'\ninvalid characters in a value\nPress ENTER..."},
      {{"-s", "missing.map", "-enum"}, "Error when opening missing.map\nPress ENTER..."},
      {{"-s", "a.map", "-enum", "-d", "no/such/dir/a.out"},
       "Error when creating no/such/dir/a.out\nPress ENTER..."},
      {{"-s", "a.map", "-enum", "-d", "."}, "Error when creating .\nPress ENTER..."},
      {{"-s", long_name, "-enum"},
       "Output file name too long: more than 255 characters; name it with -d\n"},
      {{"-s", "a.map", "-enum", "-d", "a.map"},
       "Output file a.map is the source map itself; name another with -d\n"},
      {{"-s", "a.map", "-enum", "-d", "./a.map"},
       "Output file ./a.map is the source map itself; name another with -d\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.console);
    const RunResult r = run(row.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.console, row.console);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.map", long_name}));
  }
  EXPECT_EQ(dir.read("a.map"), map_with(""));
}

TEST_F(Numbering, OutputThroughALinkToTheSourceIsRefused) {
  dir.write("a.map", map_with(""));
  ASSERT_EQ(symlink("a.map", dir.file("a.q1n").c_str()), 0);
  const RunResult r = run({"-s", "a.map", "-enum"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, "Output file a.q1n is the source map itself; name another with -d\n");
  EXPECT_EQ(dir.read("a.map"), map_with(""));
}

// Standard input from a pipe is no terminal: the three early failures show
// their prompt and end without waiting for the character.
TEST_F(Numbering, EnterWaitIsSkippedWithoutATerminal) {
  int pipe_fd[2];
  ASSERT_EQ(pipe(pipe_fd), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fd[0], 0);
    close(pipe_fd[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    execl(KORVEX_BIN, KORVEX_BIN, "-s", "missing.map", "-enum", nullptr);
    _exit(127);
  }
  close(pipe_fd[0]);
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 2000 && ended == 0; ++i) {
    ended = waitpid(pid, &status, WNOHANG);
    if (ended == 0) usleep(5 * 1000);
  }
  close(pipe_fd[1]);  // never written
  if (ended == 0) kill(pid, SIGKILL);
  ASSERT_EQ(ended, pid) << "the run waits on a pipe";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

// The failures after the files are open: message, the block in the log,
// the output removed, exit status 1, and no wait.
TEST_F(Numbering, ReadFailuresEndTheRunAndLogTheBlock) {
  const std::string planes33 = world_with_brush(33);
  struct Row {
    std::string name;
    std::string map;
    std::string console;
    std::string log;
  } rows[] = {
      {"no world block", "\"classname\" \"worldspawn\"\n{\n}\n",
       "No 'worldspawn' section in a.map\n", ""},
      {"carriage return line before the world",
       "\r\r\n{\n{\n" + std::string(plane) + "\n}\n}\n", "No 'worldspawn' section in a.map\n", ""},
      {"empty file", "", "No 'worldspawn' section in a.map\n", ""},
      {"world without a brush", "{\n\"classname\" \"worldspawn\"\n}\n{\n}\n", "No brush found\n", ""},
      {"file ends in a world brush", "{\n{\n" + std::string(plane) + "\n// the end\n",
       "Brush #0 load error: end of file\n",
       record(1, plane) + record(2, "// the end") + record(3, rule)},
      {"file ends in the world", "{\n{\n}\n\"wad\" \"x\"\n", "Brush #1 load error: end of file\n",
       record(1, "\"wad\" \"x\"") + record(2, rule)},
      {"33 plane lines", planes33, "Brush #0 load error: too many lines\n", ""},
      {"file ends in an entity", map_with("{\n\"classname\" \"light\"\n  \n"),
       "1 brushes\nEnt #1 load error (1): end of file\n",
       record(1, "\"classname\" \"light\"") + record(2, "  ") + record(3, rule)},
      {"256 entity lines", map_with(entity_with_lines(256)),
       "1 brushes\nEnt #1 load error (2): too many lines\n", ""},
      {"32 brushes", map_with(entity_with_brushes(32)),
       "1 brushes\nEnt #1 load error (10): too many brushes in an entity\n", ""},
      {"brush opened inside a brush", map_with("{\n\"classname\" \"a\"\n{\n{\n}\n}\n}\n"),
       "1 brushes\nEnt #1 load error (9): invalid brush definition in entity\n",
       record(1, "\"classname\" \"a\"") + record(2, "{") + record(3, "{") + record(4, rule)},
      {"classname without a value", map_with("{\n\"classname\"\n}\n"),
       "1 brushes\nEnt #1 load error (6): token extraction error\n",
       record(1, "\"classname\"") + record(2, rule)},
      {"origin without a value", map_with("{\n  \"origin\"   \n}\n"),
       "1 brushes\nEnt #1 load error (6): token extraction error\n", ""},
      {"64-character word", map_with("{\n" + std::string(64, 'w') + "\n}\n"),
       "1 brushes\nEnt #1 load error (6): token extraction error\n", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RunResult r = number(row.map);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.console, "Processing 'a.map'\n" + row.console);
    if (!row.log.empty()) {
      EXPECT_EQ(dir.read("korvex.log").value_or(""), row.log);
    }
    EXPECT_FALSE(dir.exists("a.q1n"));
    for (const std::string& name : dir.entries()) EXPECT_EQ(name.find(".korvex-"), std::string::npos);
  }
}

// The limits at their edges: one below passes, one above fails (above).
TEST_F(Numbering, BlocksAtTheLimitsAreAccepted) {
  struct Row {
    std::string name;
    std::string map;
    std::string console;
  } rows[] = {
      {"32 plane lines", world_with_brush(32), "1 brushes\nWarning: no entity\n"},
      {"255 entity lines", map_with(entity_with_lines(255)), "1 brushes\n1 entities numbered\n"},
      {"31 brushes", map_with(entity_with_brushes(31)), "1 brushes\n1 entities numbered\n"},
      {"63-character word", map_with("{\n" + std::string(63, 'w') + "\n}\n"),
       "1 brushes\n1 entities numbered\n"},
      {"a brush of no plane line", "{\n{\n}\n}\n", "1 brushes\nWarning: no entity\n"},
      {"empty entity and one-line entity", map_with("{\n}\n{\n\"classname\" \"x\"\n}\n"),
       "1 brushes\n2 entities numbered\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RunResult r = number(row.map);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.console, "Processing 'a.map'\n" + row.console);
    EXPECT_TRUE(dir.exists("a.q1n"));
  }
}

// Blank and comment lines count toward no limit: 32 plane lines and 255
// entity lines, each followed by a blank and a comment line, still pass.
TEST_F(Numbering, BlankAndCommentLinesCountTowardNoLimit) {
  std::string map = "  \n// header\n{\n\t\n\"classname\" \"worldspawn\"\n{\n";
  for (int i = 0; i < 32; ++i) map += std::string(plane) + "\n \t \n   // note\n";
  map += "}\n}\n// between\n}\n{\n// first\n";
  for (int i = 0; i < 255; ++i) map += "\"k\" \"v\"\n\n//c\n";
  map += "}\n";
  const RunResult r = number(map);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "Processing 'a.map'\n1 brushes\n1 entities numbered\n");
  const std::string out = *dir.read("a.q1n");
  EXPECT_EQ(out.find("//c"), std::string::npos);
  EXPECT_EQ(out.find("note"), std::string::npos);
}

// A physical line longer than 511 characters is read in pieces, each a
// line of its own (so each piece's first word must fit a word).
TEST_F(Numbering, LongLinesAreReadInPieces) {
  std::string key = "\"wad\" \"";
  for (int i = 0; i < 200; ++i) key += "ab ";
  key += "\"";
  std::string exact;  // exactly 511 characters: the newline comes as a blank piece
  for (int i = 0; i < 170; ++i) exact += "ab ";
  exact += "c";
  const RunResult r = number(map_with("{\n" + key + "\n" + exact + "\n}\n"));
  EXPECT_EQ(r.status, 0);
  const std::string expected = "// entity 1\n  {\n    " + key.substr(0, 511) + "\n    " + key.substr(511) +
                               "\n    " + exact + "\n  }\n";
  const std::string out = *dir.read("a.q1n");
  EXPECT_EQ(out.substr(out.size() - expected.size()), expected);
}

TEST_F(Numbering, MapEndingAfterTheWorldWarnsAndKeepsTheOutput) {
  const RunResult r = number(world_with_brush(3));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "Processing 'a.map'\n1 brushes\nWarning: no entity\n");
  const std::string out = *dir.read("a.q1n");
  EXPECT_EQ(out.substr(out.size() - 6), "  }\n}\n");
}

// Structure only: text after a brace is ignored for the structure but kept
// where the brace line itself is stored; stray lines between entities and
// the world's key lines are dropped.
TEST_F(Numbering, StructureLinesAndDroppedText) {
  const RunResult r = number(
      "{ world\n\"classname\" \"not_the_world\"\n\"wad\" \"x\"\n  {  brush\n" + std::string(plane) +
      "\n} end\n} world end\nstray line\n}\n\t{ entity\n\"classname\" \"a\"\n{ b1\n" + plane +
      "\n}  e1\n}\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("a.q1n"), "// entity 0\n{\n  \"classname\" \"worldspawn\"\n  // brush 1\n  {\n    " +
                                   std::string(plane) +
                                   "\n  }\n}\n// entity 1\n  {\n    \"classname\" \"a\"\n    { b1\n    " +
                                   plane + "\n    }  e1\n  }\n");
}

TEST_F(Numbering, OldLogIsRemovedAtStart) {
  dir.write("korvex.log", "old record\n");
  const RunResult r = number(map_with(""));
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(dir.exists("korvex.log"));
}

// Numbering mode does not look at the conversion options or the table.
TEST_F(Numbering, ConversionOptionsAreIgnored) {
  dir.write("a.map", map_with(""));
  const RunResult r = run({"-s", "a.map", "-enum", "-l", "abc", "-g", "x", "-e", "none.ent"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "Processing 'a.map'\n1 brushes\nWarning: no entity\n");
}

}  // namespace
