// The debug/log module. Its state is process-wide and the record count only
// grows, so every test that touches the state runs in a child process of its
// own, inside a fresh temporary folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "debug.h"
#include "kit.h"

namespace {

// Whole content of a file, or a marker no record can look like.
std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

// One plain record: its number right-aligned in five columns, a blank, the text.
std::string record(int num, const std::string& text) {
  const std::string digits = std::to_string(num);
  return std::string(5 - digits.size(), ' ') + digits + " " + text + "\n";
}

// Runs body in a fresh folder; the failures it adds go to the error stream.
template <class Body>
int child(const Body& body) {
  const testing::TestResult& result = *testing::UnitTest::GetInstance()->current_test_info()->result();
  const int before = result.total_part_count();
  char dir[] = "/tmp/korvex_debug_XXXXXX";
  if (mkdtemp(dir) == nullptr || chdir(dir) != 0) return 2;
  body();
  for (int i = before; i < result.total_part_count(); ++i) std::cerr << result.GetTestPartResult(i);
  std::filesystem::remove_all(dir);
  return result.total_part_count() > before;
}
template <class Body>
void in_child(const Body& body) {
  EXPECT_EXIT(std::exit(child(body)), testing::ExitedWithCode(0), "");
}

TEST(DebugLog, GatesOfTheWritersAndOneNumbering) {
  in_child([] {
    std::ofstream("default.log") << "old\n";  // records are appended
    kit_set_lasterr(999);
    kit_logputs("off"); kit_logprintf("off"); kit_logtrace("off");  // all off at first
    kit_setlog(-1); kit_settrace(3); kit_logputs("off"); kit_logtrace("off");  // both ignored
    kit_settrace(1); kit_logtrace("t1"); kit_logtrace2("off"); kit_logputs("off");
    kit_settrace(2); kit_settrace(3); kit_settrace(-1); kit_logtrace("t2"); kit_logtrace2("u");
    kit_setlog(5); kit_settrace(0); kit_logtrace("off"); kit_logtrace2("off");
    kit_logputs("p"); kit_logputs(nullptr); kit_logprintf("q%d", 5); kit_logputs("a\nb");
    std::string long_text;
    for (int i = 0; i < 3000; ++i) long_text += static_cast<char>('a' + i % 26);
    kit_logprintf("%s", long_text.c_str());
    EXPECT_EQ(kit_get_lasterr(), 999);  // the switches and writers set no status
    kit_set_logname("missing_dir/x"); kit_logputs("lost");  // not opened: costs no number
    kit_set_logname(nullptr); kit_logputs("next"); kit_setlog(0); kit_logprintf("off");
    EXPECT_EQ(read_file("default.log"), "old\n    1 >  t1\n    2 >  t2\n    3 >> u\n    4 p\n    5 q5\n"
                                        "    6 a\nb\n    7 " + long_text.substr(0, 2047) + "\n    8 next\n");
  });
}

TEST(DebugLog, LimitIsClampedFixedOnceAndCountsEarlierRecords) {
  const struct { const char* label; int before; std::vector<int> limits; int records; } rows[] = {
      {"default", 0, {}, 50001}, {"3", 0, {3}, 4}, {"0 clamped to 1", 0, {0}, 2},
      {"second call ignored", 0, {3, 10}, 4}, {"clamped first call fixes it", 0, {0, 5}, 2},
      {"100000 clamped to 50000", 0, {100000, 3}, 50001}, {"earlier records count", 5, {3}, 5},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    in_child([&r] {
      kit_setlog(1); kit_settrace(1);
      for (int i = 0; i < r.before; ++i) kit_logputs("r");
      for (int limit : r.limits) kit_set_loglimit(limit);
      for (int i = r.before; i <= r.records; ++i) kit_logputs("r");
      kit_logtrace("r");  // past the limit a trace is dropped too
      std::string want;
      for (int n = 1; n <= r.records; ++n) want += record(n, "r");
      const std::string got = read_file("default.log");
      EXPECT_TRUE(got == want) << "ends with: " << got.substr(got.size() > 40 ? got.size() - 40 : 0);
    });
  }
}

TEST(DebugLog, LogNamesKeepTheNumbering) {
  in_child([] {
    const std::string n256 = std::string(200, 'd') + "/" + std::string(55, 'n'), n257(257, 'n');
    std::filesystem::create_directory(std::string(200, 'd'));  // no file name part over 255
    const struct { const char* name; std::string file; } rows[] = {
        {"run.txt", "run.log"}, {"a.b.c", "a.b.log"}, {".hidden", ".hidden.log"},
        {"logs.old/run", "logs.log"}, {n257.c_str(), "logs.log"}, {nullptr, "default.log"},
        {"run", "run.log"}, {"", "default.log"}, {n256.c_str(), n256 + ".log"},
    };
    kit_setlog(1);
    for (int n = 1; const auto& r : rows) {
      SCOPED_TRACE(r.file);
      kit_set_logname(r.name); kit_logputs("x");
      EXPECT_TRUE(read_file(r.file).ends_with(record(n++, "x"))) << read_file(r.file);
    }
  });
}

TEST(DebugBreakpoint, PrintsItsPromptAndReadsOneCharacter) {
  in_child([] {
    std::ofstream("keys") << "abcdefg";
    ASSERT_NE(std::freopen("keys", "r", stdin), nullptr);
    const struct { int (*call)(); const char* prompt; } rows[] = {
        {[] { return kit_brkpt(0); }, "Breakpoint 0, press ENTER..."},
        {[] { return kit_brkpt(1000); }, "Breakpoint 1000, press ENTER..."},
        {[] { return kit_brkpt(-1); }, "Breakpoint, press ENTER..."},
        {[] { return kit_brkpt(1001); }, "Breakpoint, press ENTER..."},
        {[] { return kit_brkpts("after load"); }, "Breakpoint 'after load'. Press ENTER..."},
        {[] { return kit_brkpts(nullptr); }, "Breakpoint (no message). Press ENTER..."},
        {[] { return kit_brkpts(""); }, "Breakpoint (no message). Press ENTER..."},
    };
    for (int key = 'a'; const auto& r : rows) {  // each call takes the next character, no more
      SCOPED_TRACE(testing::Message() << "row " << &r - rows);
      testing::internal::CaptureStdout();
      EXPECT_EQ(r.call(), key++);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), r.prompt);
    }
  });
}

// The printout keeps no state, so it runs in the test process itself.
TEST(DebugFlist, PrintsEveryFieldOnItsLine) {
  kit_flist other{}, a{0xffff00a5u, 12, -3, 2, 7, "maps/e1", &other, nullptr};
  kit_flist b{0x10, 12, -3, 2, 7, "", nullptr, &other};
  const auto printout = [](std::string flag, std::string dir, std::string info, std::string next) {
    return "flag                = " + flag + "\nbase directory      = " + dir + "\n"
           "directory length    = 7\ninfo array          = " + info + "\n"
           "directory count     = 2\nmatching file count = -3\ntotal item count    = 12\n"
           "link to next        = " + next + "\n\n";
  };
  const auto shown = [](const kit_flist* list) {
    testing::internal::CaptureStdout();
    kit_show_flist(list);
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(shown(nullptr), "flist is NULL\n");
  EXPECT_EQ(shown(&a), printout("ffff00a5", "maps/e1", "valid", "NULL"));
  EXPECT_EQ(shown(&b), printout("10", "[current]", "NULL", "valid"));
}

}  // namespace
