#include <gtest/gtest.h>

#include <ftw.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "kit.h"

namespace {

constexpr int stale = 99;  // a status no routine here sets

class Files : public ::testing::Test {
 protected:
  std::string dir;

  void SetUp() override {
    char tmpl[] = "/tmp/korvex_files_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    chmod(dir.c_str(), 0700);
    nftw(dir.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 8,
         FTW_DEPTH | FTW_PHYS);
  }
  std::string path(const char* name) const { return dir + "/" + name; }
  std::string write(const char* name, const std::string& text) const {
    const std::string p = path(name);
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return p;
  }
};

// Permission bits do not stop root: run the check in a child that drops to
// an unprivileged user. 255 means the drop itself failed.
template <typename F>
int unprivileged(F check) {
  if (geteuid() != 0) return check();
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    _exit(check());
  }
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 254;
}

// A call's result paired with the status it left, so both compare at once.
std::pair<int, int> rs(int result) { return {result, kit_get_lasterr()}; }
std::pair<int, int> want(int result, int status) { return {result, status}; }

// The status of a call that must fail, or 200 when it succeeded.
int failure_status(int result) { return result == 0 ? kit_get_lasterr() : 200; }

TEST_F(Files, ExistsRenameDelete) {
  const std::string a = write("a.txt", "x"), b = path("b.txt");
  kit_set_lasterr(stale);
  EXPECT_EQ(rs(kit_file_exists(a.c_str())), want(1, 0));
  EXPECT_EQ(rs(kit_file_exists(path("none").c_str())), want(0, 3));
  EXPECT_EQ(rs(kit_file_exists("")), want(0, 1));
  EXPECT_EQ(rs(kit_file_exists(nullptr)), want(0, 1));
  EXPECT_EQ(rs(kit_rename(a.c_str(), b.c_str())), want(1, 0));
  EXPECT_EQ(access(b.c_str(), F_OK), 0);
  EXPECT_EQ(access(a.c_str(), F_OK), -1);
  EXPECT_EQ(rs(kit_rename(a.c_str(), b.c_str())), want(0, 1000));
  kit_set_lasterr(stale);
  EXPECT_EQ(rs(kit_delete(b.c_str())), want(1, 0));
  EXPECT_EQ(access(b.c_str(), F_OK), -1);
  EXPECT_EQ(rs(kit_delete(b.c_str())), want(0, 1000));
  EXPECT_STREQ(kit_errmsg(kit_get_lasterr()), "unknown error");
  EXPECT_EQ(rs(kit_delete(nullptr)), want(0, 1000));  // as the system reports a bad address
  EXPECT_EQ(rs(kit_rename(nullptr, b.c_str())), want(0, 1000));
}

TEST_F(Files, PermissionDenied) {
  const std::string f = write("secret", "x");
  ASSERT_EQ(chmod(f.c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);  // traversable, not writable
  const std::string to = path("moved");
  const int open_st = unprivileged([&] { return failure_status(kit_file_exists(f.c_str())); });
  if (open_st == 255) GTEST_SKIP() << "cannot drop root privileges to uid 65534";
  EXPECT_EQ(open_st, 3);
  EXPECT_EQ(unprivileged([&] { return failure_status(kit_delete(f.c_str())); }), 27);
  EXPECT_EQ(unprivileged([&] { return failure_status(kit_rename(f.c_str(), to.c_str())); }), 27);
}

// The test makes a read-only file system of its own where it may: a tmpfs
// remounted read-only in a private mount namespace of a child process.
TEST_F(Files, DeleteOnReadOnlyFileSystemGivesReadOnlyStatus) {
  constexpr int cannot_arrange = 77;
  const std::string victim = write("victim", "x");
  const pid_t pid = fork();
  if (pid == 0) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
      _exit(cannot_arrange);
    std::FILE* f = std::fopen(victim.c_str(), "w");
    if (f == nullptr || std::fclose(f) != 0) _exit(cannot_arrange);
    if (mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) _exit(cannot_arrange);
    kit_set_lasterr(stale);
    const int result = kit_delete(victim.c_str());
    _exit(result == 0 && kit_get_lasterr() == KIT_READ_ONLY && access(victim.c_str(), F_OK) == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == cannot_arrange) GTEST_SKIP() << "no private read-only mount can be made here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "kit_delete on a read-only file system";
}

TEST_F(Files, ReadLineSequence) {
  struct call {
    int result, status;
    const char* buf;
  };
  const call calls[] = {{3, 0, "abc"},    {0, 11, ""},     {-1, 22, "abcde"}, {3, 0, "fgh"},
                        {-1, 22, "abcde"}, {0, 11, ""},     {2, 0, "x\r"},     {0, 23, "xyz"},
                        {0, 23, ""}};
  std::FILE* f = std::fopen(write("lines", "abc\n\nabcdefgh\nabcde\nx\r\nxyz").c_str(), "r");
  ASSERT_NE(f, nullptr);
  for (const auto& c : calls) {
    SCOPED_TRACE("call " + std::to_string(&c - calls));
    std::array<char, 8> buf;
    buf.fill('#');
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_read_line(buf.data(), 5, f)), want(c.result, c.status));
    EXPECT_STREQ(buf.data(), c.buf);
    EXPECT_EQ(buf[6], '#');  // limit + 1 bytes at most
  }
  std::fclose(f);
}

TEST_F(Files, ReadLineLimits) {
  const std::string text = std::string(511, 'a') + "\n" + std::string(512, 'b') + "\nc\n";
  std::FILE* f = std::fopen(write("long", text).c_str(), "r");
  char buf[514];
  buf[513] = '#';
  EXPECT_EQ(rs(kit_read_line(buf, 512, f)), want(511, 0));
  EXPECT_EQ(rs(kit_read_line(buf, 512, f)), want(-1, 22));
  EXPECT_EQ(std::strlen(buf), 512u);
  EXPECT_EQ(buf[513], '#');
  EXPECT_EQ(rs(kit_read_line(buf, 512, f)), want(0, 11));  // the newline behind the b's
  EXPECT_EQ(rs(kit_read_line(buf, 1, f)), want(-1, 22));   // limit 1 holds no line at all
  EXPECT_STREQ(buf, "c");
  for (int bad : {0, 513}) EXPECT_EQ(rs(kit_read_line(buf, bad, f)), want(0, 1));
  EXPECT_EQ(rs(kit_read_line(nullptr, 5, f)), want(0, 1));
  std::fclose(f);
  // A stream open for writing only fails to read: a read error, not the end.
  f = std::fopen(path("w").c_str(), "w");
  std::strcpy(buf, "zzz");
  EXPECT_EQ(rs(kit_read_line(buf, 5, f)), want(0, 5));
  EXPECT_STREQ(buf, "");
  std::fclose(f);
}

TEST_F(Files, ReadDataLineSequence) {
  struct call {
    int result, status, count;
    const char* buf;
  };
  const call calls[] = {{0, 11, 0, ""}, {1, 0, 1, "c"},   {1, 0, 0, ""},     {0, 22, 5, "abcde"},
                        {1, 0, 0, ""},  {1, 0, 3, "a#b"}, {1, 0, 3, "ab\r"}, {0, 23, 4, "last"}};
  std::FILE* f = std::fopen(write("data", "#c\n\nabcde\na#b\nab\r\nlast").c_str(), "r");
  ASSERT_NE(f, nullptr);
  for (const auto& c : calls) {
    SCOPED_TRACE("call " + std::to_string(&c - calls));
    char buf[8] = "#######";
    int count = -5;
    EXPECT_EQ(rs(kit_read_data_line(buf, "#", 5, &count, f)), want(c.result, c.status));
    EXPECT_EQ(count, c.count);
    EXPECT_STREQ(buf, c.buf);
    EXPECT_EQ(buf[6], '#');
  }
  std::fclose(f);
  f = std::fopen(write("nocomment", "#x\n").c_str(), "r");
  char buf[8];
  int count = 77;
  EXPECT_EQ(kit_read_data_line(buf, nullptr, 5, &count, f), 1);
  EXPECT_STREQ(buf, "#x");
  count = 77;
  for (int bad : {0, 513}) EXPECT_EQ(rs(kit_read_data_line(buf, "#", bad, &count, f)), want(0, 1));
  EXPECT_EQ(count, 77);  // refused before anything is written
  EXPECT_EQ(rs(kit_read_data_line(buf, "#", 5, nullptr, f)), want(0, 1));
  std::fclose(f);
}

TEST_F(Files, CountLines) {
  struct row {
    const char* name;
    std::string text;
    const char* comments;
    int count;
  };
  const row rows[] = {{"empty", "", "#", 0},
                      {"comments", "a\n#b\nc", "#", 2},
                      {"all", "a\n#b\nc", nullptr, 3},
                      {"600", std::string(600, 'x') + "\n", nullptr, 2},
                      {"510", std::string(510, 'x') + "\n", nullptr, 1},
                      {"511", std::string(511, 'x') + "\n", nullptr, 2}};  // newline read alone
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_count_lines(write(r.name, r.text).c_str(), r.comments)), want(r.count, 0));
  }
  EXPECT_EQ(rs(kit_count_lines(path("none").c_str(), nullptr)), want(0, 3));
  EXPECT_EQ(rs(kit_count_lines("", nullptr)), want(0, 1));
}

TEST(Paths, FixSlashes) {
  char p[600] = "a\\b\\c";
  EXPECT_EQ(rs(kit_fix_slashes(p)), want(1, 0));
  EXPECT_STREQ(p, "a/b/c");
  kit_set_lasterr(stale);
  EXPECT_EQ(rs(kit_fix_slashes(p)), want(0, 0));
  std::strcpy(p, ("\\" + std::string(510, 'x')).c_str());
  EXPECT_EQ(rs(kit_fix_slashes(p)), want(1, 0));  // 511 characters are still whole
  std::strcpy(p, ("\\" + std::string(520, 'x')).c_str());
  EXPECT_EQ(rs(kit_fix_slashes(p)), want(0, 7));
  EXPECT_EQ(std::strlen(p), 511u);
  EXPECT_EQ(p[0], '/');
  EXPECT_EQ(rs(kit_fix_slashes(nullptr)), want(0, 1));
}

TEST(Paths, SplitPath) {
  const std::string d255 = std::string(254, 'd') + "/";  // last '/' at index 254
  const std::string d256 = std::string(255, 'd') + "/";  // at 255: the longest directory
  const std::string d257 = std::string(256, 'd') + "/";
  const std::string n255(255, 'n'), n256(256, 'n');
  struct row {
    std::string path, dir, name;
    int status;
  };
  const row rows[] = {{"maps/base/e1m1.map", "maps/base/", "e1m1.map", 0},
                      {"e1m1.map", "", "e1m1.map", 0}, {"maps/", "maps/", "", 0},
                      {"/e1m1.map", "/", "e1m1.map", 0}, {"", "", "", 0},
                      {d256 + "x", d256, "x", 0},      {d257 + "x", "", "", 7},
                      {n255, "", n255, 0},             {n256, "", "", 7},
                      {d255 + n255, d255, n255, 0},    {d255 + n256, "", "", 7}};
  for (const auto& r : rows) {
    SCOPED_TRACE("path of " + std::to_string(r.path.size()) + ": " + r.path.substr(0, 20));
    std::array<char, kit_dir_max + 1 + 4> dir;
    std::array<char, kit_name_max + 1 + 4> name;
    dir.fill('#');
    name.fill('#');
    std::strcpy(dir.data(), "old");
    std::strcpy(name.data(), "old");
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_split_path(r.path.c_str(), dir.data(), name.data())),
              want(r.status == 0, r.status));
    EXPECT_EQ(dir.data(), r.dir);
    EXPECT_EQ(name.data(), r.name);
    EXPECT_EQ(dir[kit_dir_max + 1], '#');
    EXPECT_EQ(name[kit_name_max + 1], '#');
  }
  char buf[300] = "old";
  EXPECT_EQ(kit_get_dir("a/b/c", buf), 1);
  EXPECT_STREQ(buf, "a/b/");
  EXPECT_EQ(kit_get_filename("a/b/c", buf), 1);
  EXPECT_STREQ(buf, "c");
  EXPECT_EQ(rs(kit_get_filename(n256.c_str(), buf)), want(0, 7));
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(rs(kit_split_path(nullptr, buf, nullptr)), want(0, 1));
}

TEST(Paths, SetExt) {
  struct row {
    const char *path, *ext, *result;
    int status;
  };
  const row rows[] = {{"file.map", "txt", "file.txt", 0},  {"file", "txt", "file.txt", 0},
                      {"a.b.c", "txt", "a.b.txt", 0},      {".profile", "txt", ".profile.txt", 0},
                      {"dir.d/file", "txt", "dir.txt", 0}, {"file.", "txt", "file.txt", 0},
                      {"", "txt", "", 1},                  {"file", "", "file", 1},
                      {"file", nullptr, "file", 1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.path);
    char p[64];
    std::strcpy(p, r.path);
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_set_ext(p, r.ext)), want(r.status == 0, r.status));
    EXPECT_STREQ(p, r.result);
  }
}

TEST(Paths, ChecksAndPredicatesSetNoStatus) {
  struct row {
    std::string path;
    int len_ok;
  };
  const row rows[] = {{std::string(255, 'a'), 1},        {std::string(256, 'a'), 0},
                      {"a/" + std::string(254, 'b'), 1}, {"a/" + std::string(255, 'b'), 0},
                      {std::string(255, 'd') + "/x", 1}, {std::string(256, 'd') + "/x", 0},
                      {std::string(600, 'a'), 0}};
  kit_set_lasterr(stale);
  for (const auto& r : rows) {
    SCOPED_TRACE("length " + std::to_string(r.path.size()));
    EXPECT_EQ(kit_check_path_len(r.path.c_str()), r.len_ok);
    EXPECT_EQ(kit_check_path_chars(r.path.c_str()), 1);
  }
  EXPECT_EQ(kit_check_path_chars("a b\\c/d:*?"), 1);
  EXPECT_EQ(kit_is_sep('/'), 1);
  EXPECT_EQ(kit_is_sep('\\'), 0);
  EXPECT_EQ(kit_is_name_char('/'), 0);
  for (int c : {int{' '}, int{'\\'}, 0, int{'a'}}) EXPECT_EQ(kit_is_name_char(c), 1) << c;
  EXPECT_EQ(kit_in_set('#', ";#"), 1);
  EXPECT_EQ(kit_in_set('x', ";#"), 0);
  EXPECT_EQ(kit_in_set(0, ";#"), 0);
  EXPECT_EQ(kit_in_set(-23, "\xE9"), 1);  // set characters are taken as signed
  EXPECT_EQ(kit_in_set(0xE9, "\xE9"), 0);
  EXPECT_EQ(kit_get_lasterr(), stale);
}

}  // namespace
