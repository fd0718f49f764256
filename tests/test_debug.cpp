// Tests of the debug/log module. Its state is process-wide and the record
// count only grows, so every test that touches the state runs in a child
// process of its own, inside a fresh temporary folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "debug.h"
#include "kit.h"

namespace {

namespace fs = std::filesystem;

fs::path child_dir;

void leave_child_dir() {
  if (child_dir.empty()) return;
  std::error_code ec;
  fs::current_path("/", ec);
  fs::remove_all(child_dir, ec);
}

// Ends the child with a message the parent shows next to the failed test.
[[noreturn]] void fail(const std::string& what, const std::string& got,
                       const std::string& want) {
  std::fprintf(stderr, "%s\n  got:  [%s]\n  want: [%s]\n", what.c_str(), got.c_str(),
               want.c_str());
  leave_child_dir();
  std::exit(1);
}

void check_eq(const std::string& got, const std::string& want, const std::string& what) {
  if (got != want) fail(what, got, want);
}

void check_int(long got, long want, const std::string& what) {
  if (got != want) fail(what, std::to_string(got), std::to_string(want));
}

// Whole content of a file, or a marker no record can look like.
std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Runs body in a forked child inside a fresh folder; the child exits 0 when
// every check held.
template <class Body>
void run_in_child(const Body& body) {
  EXPECT_EXIT(
      {
        char tmpl[] = "/tmp/korvex_debug_XXXXXX";
        if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0) {
          std::fprintf(stderr, "no temporary folder\n");
          std::exit(2);
        }
        child_dir = tmpl;
        body();
        leave_child_dir();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// The last records only: enough to tell the count and the numbering apart
// without printing fifty thousand lines on a failure.
std::string tail(const std::string& text) {
  return text.size() <= 60 ? text : "..." + text.substr(text.size() - 60);
}

std::string record(int num, const char* mark, const std::string& text) {
  char head[32];
  std::snprintf(head, sizeof head, "%5d %s", num, mark);
  return head + text + "\n";
}

TEST(DebugLog, PlainWritersObeyTheSwitchAndNumberFromOne) {
  run_in_child([] {
    // The writers and switches must not touch the last status; 1 is left
    // by this call (naming the log does touch it, through the library).
    char empty[1] = "";
    kit_strip_ext(empty);
    check_int(kit_get_lasterr(), KIT_BAD_ARG, "status before");

    write_file("default.log", "old\n");
    kit_logputs("off");
    kit_logprintf("%s", "off");
    check_eq(read_file("default.log"), "old\n", "logging starts off");

    kit_setlog(1);
    kit_logputs("one");
    kit_logprintf("%d-%s", 7, "x");
    kit_setlog(-1);  // ignored: still on
    kit_logputs("a\nb");
    kit_logputs(nullptr);  // dropped without a number
    kit_setlog(0);
    kit_setlog(-1);  // ignored: still off
    kit_logputs("off again");
    kit_logprintf("off again");
    kit_setlog(5);
    static const char rule[] = "-----";
    kit_logprintf(rule);
    check_eq(read_file("default.log"),
             "old\n    1 one\n    2 7-x\n    3 a\nb\n    4 -----\n", "records");
    check_int(kit_get_lasterr(), KIT_BAD_ARG, "status after");

    // A file that cannot be opened drops the record and costs no number.
    kit_set_logname("missing_dir/x");
    kit_logputs("lost");
    kit_set_logname("next");
    kit_logputs("five");
    check_eq(read_file("next.log"), "    5 five\n", "after an unopenable file");
  });
}

TEST(DebugLog, TraceLevelsGateTheirWritersAndShareTheNumbering) {
  run_in_child([] {
    kit_settrace(3);
    kit_settrace(-1);  // both ignored: level stays 0
    kit_logtrace("no");
    kit_settrace(1);
    kit_logtrace("t1");
    kit_logtrace2("no");
    kit_logputs("no");  // logging is still off
    kit_settrace(2);
    kit_settrace(3);
    kit_settrace(-1);  // both ignored: level stays 2
    kit_logtrace("t2");
    kit_logtrace2("u");
    kit_setlog(1);
    kit_logputs("p");
    kit_settrace(0);
    kit_logtrace("no");
    kit_logtrace2("no");
    kit_logprintf("q%d", 5);
    check_eq(read_file("default.log"),
             "    1 >  t1\n    2 >  t2\n    3 >> u\n    4 p\n    5 q5\n", "records");
  });
}

TEST(DebugLog, FormattedTextIsCutTo2047Characters) {
  run_in_child([] {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += static_cast<char>('a' + i % 26);
    kit_setlog(1);
    kit_logprintf("%s", text.c_str());
    kit_logprintf("%s", "next");
    check_eq(read_file("default.log"),
             record(1, "", text.substr(0, 2047)) + record(2, "", "next"), "records");
  });
}

struct limit_case {
  const char* what;
  int before;      // records written before the first limit call
  int limits[2];   // arguments of kit_set_loglimit
  int nlimits;
  int expected;    // records in the file at the end
};

const limit_case limit_cases[] = {
    {"default limit", 0, {}, 0, 50001},
    {"limit 3", 0, {3}, 1, 4},
    {"limit 0 is clamped to 1", 0, {0}, 1, 2},
    {"negative limit is clamped to 1", 0, {-7}, 1, 2},
    {"limit 1", 0, {1}, 1, 2},
    {"second call changes nothing", 0, {3, 10}, 2, 4},
    {"clamped first call still counts", 0, {0, 5}, 2, 2},
    {"limit above the top is clamped and fixed", 0, {100000, 3}, 2, 50001},
    {"earlier records count against it", 5, {3}, 1, 5},
};

class LogLimit : public ::testing::TestWithParam<limit_case> {};

TEST_P(LogLimit, WritesAtMostLimitPlusOneRecords) {
  const limit_case c = GetParam();
  run_in_child([&c] {
    kit_setlog(1);
    for (int i = 0; i < c.before; ++i) kit_logputs("r");
    for (int i = 0; i < c.nlimits; ++i) kit_set_loglimit(c.limits[i]);
    for (int i = c.before; i < c.expected + 2; ++i) kit_logputs("r");
    kit_logtrace("r");  // traces obey the limit too
    std::string want;
    for (int n = 1; n <= c.expected; ++n) want += record(n, "", "r");
    check_eq(tail(read_file("default.log")), tail(want), c.what);
  });
}

INSTANTIATE_TEST_SUITE_P(DebugLog, LogLimit, ::testing::ValuesIn(limit_cases));

struct name_case {
  std::string before;   // name set (and written to) first; empty: none
  bool null_name;       // pass a null pointer instead of name
  std::string name;
  std::string file;     // file that receives the record
  std::string content;  // its content afterwards
};

// 256 characters without a dot; the folder keeps each part within the
// file system's limit on one name.
const std::string long_dir(200, 'd');
const std::string n256 = long_dir + "/" + std::string(55, 'n');

const name_case name_cases[] = {
    {"", false, "run.txt", "run.log", "    1 x\n"},
    {"", false, "run", "run.log", "    1 x\n"},
    {"", false, "a.b.c", "a.b.log", "    1 x\n"},
    {"", false, ".hidden", ".hidden.log", "    1 x\n"},
    {"", false, "logs.old/run", "logs.log", "    1 x\n"},
    {"prev", true, "", "default.log", "    2 x\n"},
    {"prev", false, "", "default.log", "    2 x\n"},
    {"prev", false, std::string(257, 'n'), "prev.log", "    1 first\n    2 x\n"},
    {"", false, n256, n256 + ".log", "    1 x\n"},
};

class LogName : public ::testing::TestWithParam<name_case> {};

TEST_P(LogName, NamesTheFileAndKeepsTheNumbering) {
  const name_case c = GetParam();
  run_in_child([&c] {
    const fs::path dir = fs::path(c.file).parent_path();
    if (!dir.empty()) fs::create_directories(dir);
    kit_setlog(1);
    if (!c.before.empty()) {
      kit_set_logname(c.before.c_str());
      kit_logputs("first");
    }
    kit_set_logname(c.null_name ? nullptr : c.name.c_str());
    kit_logputs("x");
    check_eq(read_file(c.file), c.content, "log of '" + c.file + "'");
  });
}

INSTANTIATE_TEST_SUITE_P(DebugLog, LogName, ::testing::ValuesIn(name_cases));

struct prompt_case {
  int number;           // kit_brkpt argument, used when use_message is 0
  int use_message;
  const char* message;  // kit_brkpts argument
  const char* prompt;
};

const prompt_case prompt_cases[] = {
    {0, 0, nullptr, "Breakpoint 0, press ENTER..."},
    {1000, 0, nullptr, "Breakpoint 1000, press ENTER..."},
    {-1, 0, nullptr, "Breakpoint, press ENTER..."},
    {1001, 0, nullptr, "Breakpoint, press ENTER..."},
    {0, 1, "after load", "Breakpoint 'after load'. Press ENTER..."},
    {0, 1, nullptr, "Breakpoint (no message). Press ENTER..."},
    {0, 1, "", "Breakpoint (no message). Press ENTER..."},
};

TEST(DebugBreakpoint, PrintsItsPromptAndReadsOneCharacter) {
  run_in_child([] {
    write_file("keys", "q\n");
    for (const prompt_case& c : prompt_cases) {
      if (std::freopen("keys", "r", stdin) == nullptr) fail("stdin", "", "keys");
      ::testing::internal::CaptureStdout();
      const int key = c.use_message ? kit_brkpts(c.message) : kit_brkpt(c.number);
      check_eq(::testing::internal::GetCapturedStdout(), c.prompt, "prompt");
      check_int(key, 'q', std::string("key of ") + c.prompt);
      check_int(std::getchar(), '\n', std::string("rest of input after ") + c.prompt);
    }
  });
}

struct flist_case {
  const char* what;
  bool null_list;
  uint32_t flag;
  const char* base_dir;
  bool info, next;
  const char* printout;
};

const flist_case flist_cases[] = {
    {"null descriptor", true, 0, "", false, false, "flist is NULL\n"},
    {"filled descriptor", false, 0xffff00a5u, "maps/e1", true, true,
     "flag                = ffff00a5\n"
     "base directory      = maps/e1\n"
     "directory length    = 7\n"
     "info array          = valid\n"
     "directory count     = 2\n"
     "matching file count = -3\n"
     "total item count    = 12\n"
     "link to next        = valid\n"
     "\n"},
    {"current directory, info only", false, 0, "", true, false,
     "flag                = 0\n"
     "base directory      = [current]\n"
     "directory length    = 7\n"
     "info array          = valid\n"
     "directory count     = 2\n"
     "matching file count = -3\n"
     "total item count    = 12\n"
     "link to next        = NULL\n"
     "\n"},
    {"next only", false, 0x10, "/", false, true,
     "flag                = 10\n"
     "base directory      = /\n"
     "directory length    = 7\n"
     "info array          = NULL\n"
     "directory count     = 2\n"
     "matching file count = -3\n"
     "total item count    = 12\n"
     "link to next        = valid\n"
     "\n"},
};

// The printout keeps no state, so it runs in the test process itself.
TEST(DebugFlist, PrintsEveryFieldOnItsLine) {
  for (const flist_case& c : flist_cases) {
    kit_flist list{};
    kit_flist other{};
    list.flag = c.flag;
    list.total_count = 12;
    list.match_count = -3;
    list.dir_count = 2;
    list.dir_length = 7;
    std::snprintf(list.base_dir, sizeof list.base_dir, "%s", c.base_dir);
    list.info = c.info ? &other : nullptr;
    list.next = c.next ? &other : nullptr;
    ::testing::internal::CaptureStdout();
    kit_show_flist(c.null_list ? nullptr : &list);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.printout) << c.what;
  }
}

}  // namespace
