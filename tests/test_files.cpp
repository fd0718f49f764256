#include <gtest/gtest.h>

#include <ftw.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "kit.h"

namespace {

constexpr int stale = 99;  // a status no routine here sets

// A call's result paired with the status it left, so both compare at once.
std::pair<int, int> rs(int result) { return {result, kit_get_lasterr()}; }
std::pair<int, int> want(int result, int status) { return {result, status}; }

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
    std::FILE* f = std::fopen(path(name).c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path(name);
  }
};

// Runs check in a child process and gives its exit code. Permission bits do not stop root, so
// the child drops to an unprivileged user first when asked; 255 means it could not.
template <typename F>
int in_child(bool drop_root, F check) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (drop_root && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
    _exit(check());
  }
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 254;
}

// The status of a call that must fail, or 200 when it succeeded.
int failure_status(int result) { return result == 0 ? kit_get_lasterr() : 200; }

TEST_F(Files, ExistsRenameDelete) {
  const std::string a = write("a.txt", "x"), b = path("b.txt");
  kit_set_lasterr(stale);
  EXPECT_EQ(rs(kit_file_exists(a.c_str())), want(1, 0));
  EXPECT_EQ(rs(kit_file_exists(b.c_str())), want(0, 3));
  EXPECT_EQ(rs(kit_file_exists("")), want(0, 1));
  EXPECT_EQ(rs(kit_rename(a.c_str(), b.c_str())), want(1, 0));
  EXPECT_EQ(rs(kit_rename(a.c_str(), b.c_str())), want(0, 1000));  // a is gone
  kit_set_lasterr(stale);
  EXPECT_EQ(rs(kit_delete(b.c_str())), want(1, 0));
  EXPECT_EQ(rs(kit_delete(b.c_str())), want(0, 1000));  // b is gone
  EXPECT_STREQ(kit_errmsg(kit_get_lasterr()), "unknown error");
  EXPECT_EQ(rs(kit_delete(nullptr)), want(0, 1000));  // as the system reports a bad address
}

TEST_F(Files, PermissionDenied) {
  const std::string f = write("secret", "x"), to = path("moved");
  ASSERT_EQ(chmod(f.c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);  // traversable, not writable
  const bool root = geteuid() == 0;
  const int open_st = in_child(root, [&] { return failure_status(kit_file_exists(f.c_str())); });
  if (open_st == 255) GTEST_SKIP() << "cannot drop root privileges to uid 65534";
  EXPECT_EQ(open_st, 3);
  EXPECT_EQ(in_child(root, [&] { return failure_status(kit_delete(f.c_str())); }), 27);
  EXPECT_EQ(in_child(root, [&] { return failure_status(kit_rename(f.c_str(), to.c_str())); }), 27);
}

// The test makes a read-only file system of its own where it may: a tmpfs remounted
// read-only in a private mount namespace of a child process.
TEST_F(Files, DeleteOnReadOnlyFileSystemGivesReadOnlyStatus) {
  constexpr int cannot_arrange = 77;
  const std::string victim = path("victim");
  const int st = in_child(false, [&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
      return cannot_arrange;
    std::FILE* f = std::fopen(victim.c_str(), "w");
    if (f == nullptr || std::fclose(f) != 0) return cannot_arrange;
    if (mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) return cannot_arrange;
    kit_set_lasterr(stale);
    return failure_status(kit_delete(victim.c_str())) == KIT_READ_ONLY && access(victim.c_str(), F_OK) == 0 ? 0 : 1;
  });
  if (st == cannot_arrange) GTEST_SKIP() << "no private read-only mount can be made here";
  EXPECT_EQ(st, 0) << "kit_delete on a read-only file system";
}

// Both line readers take turns on one stream: each must stop exactly where its contract says.
TEST_F(Files, LineReaders) {
  struct call {
    bool data;  // kit_read_data_line (comment set "#"), else kit_read_line
    int limit, result, status, count;
    std::string buf;
  };
  const std::string a511(511, 'a'), b512(512, 'b');
  const call calls[] = {
      {0, 5, 3, 0, 0, "abc"},  {0, 5, 0, 11, 0, ""},  {0, 5, -1, 22, 0, "abcde"},  {0, 5, 3, 0, 0, "fgh"},
      {0, 5, -1, 22, 0, "abcde"},  {0, 5, 0, 11, 0, ""},  {0, 5, 2, 0, 0, "x\r"},  {0, 512, 511, 0, 0, a511},
      {0, 512, -1, 22, 0, b512},  {0, 512, 0, 11, 0, ""},  {0, 1, -1, 22, 0, "c"},  {0, 5, 0, 11, 0, ""},
      {1, 5, 0, 11, 0, ""},  {1, 5, 1, 0, 1, "c"},  {1, 5, 1, 0, 0, ""},  {1, 5, 0, 22, 5, "abcde"},
      {1, 5, 1, 0, 0, ""},  {1, 5, 1, 0, 3, "a#b"},  {1, 5, 1, 0, 3, "ab\r"},  {1, 5, 0, 23, 2, "xy"}};
  std::FILE* f = std::fopen(write("lines", "abc\n\nabcdefgh\nabcde\nx\r\n" + a511 + "\n" + b512 +
                                               "\nc\n#c\n\nabcde\na#b\nab\r\nxy").c_str(), "r");
  ASSERT_NE(f, nullptr);
  char buf[520];
  int count = -5;
  for (const auto& c : calls) {
    SCOPED_TRACE("call " + std::to_string(&c - calls));
    std::memset(buf, '#', sizeof buf);
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(c.data ? kit_read_data_line(buf, "#", c.limit, &count, f) : kit_read_line(buf, c.limit, f)),
              want(c.result, c.status));
    EXPECT_EQ(buf, c.buf);
    EXPECT_EQ(buf[c.limit + 1], '#');  // limit + 1 bytes at most
    if (c.data) EXPECT_EQ(count, c.count);
  }
  EXPECT_EQ(rs(kit_read_line(buf, 5, f)), want(0, 23));  // the end again
  EXPECT_STREQ(buf, "");
  for (int bad : {0, 513}) {
    count = 77;
    EXPECT_EQ(rs(kit_read_line(buf, bad, f)), want(0, 1));
    EXPECT_EQ(rs(kit_read_data_line(buf, "#", bad, &count, f)), want(0, 1));
    EXPECT_EQ(count, 77);  // refused before anything is written
  }
  std::fclose(f);
  f = std::fopen(path("w").c_str(), "w");  // open for writing only: a read error, not the end
  std::strcpy(buf, "zzz");
  EXPECT_EQ(rs(kit_read_line(buf, 5, f)), want(0, 5));
  EXPECT_STREQ(buf, "");
  std::fclose(f);
}

TEST_F(Files, CountLines) {
  const std::pair<std::string, int> rows[] = {{"", 0},  {"a\n#b\nc", 2},  {std::string(600, 'x') + "\n", 2},
                                              {std::string(510, 'x') + "\n", 1},
                                              {std::string(511, 'x') + "\n", 2}};  // newline read alone
  for (const auto& [text, n] : rows) {
    SCOPED_TRACE("text of " + std::to_string(text.size()));
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_count_lines(write("count", text).c_str(), "#")), want(n, 0));
  }
  EXPECT_EQ(rs(kit_count_lines(write("all", "a\n#b\nc").c_str(), nullptr)), want(3, 0));
  EXPECT_EQ(rs(kit_count_lines(path("none").c_str(), nullptr)), want(0, 3));
  EXPECT_EQ(rs(kit_count_lines("", nullptr)), want(0, 1));
}

TEST(Paths, SplitAndCheckLength) {
  const std::string d255 = std::string(254, 'd') + "/", d256 = std::string(255, 'd') + "/";
  const std::string d257 = std::string(256, 'd') + "/", n254(254, 'n'), n255(255, 'n'), n256(256, 'n');
  struct row {
    std::string path, dir, name;
    int status, len_ok;  // len_ok: kit_check_path_len
  };
  const row rows[] = {{"maps/base/e1m1.map", "maps/base/", "e1m1.map", 0, 1},  {"e1m1.map", "", "e1m1.map", 0, 1},
                      {"maps/", "maps/", "", 0, 1},  {"/e1m1.map", "/", "e1m1.map", 0, 1},
                      {d256 + "x", d256, "x", 0, 1},  {d257 + "x", "", "", 7, 0},  {n255, "", n255, 0, 1},
                      {n256, "", "", 7, 0},  {"a/" + n254, "a/", n254, 0, 1},  {"a/" + n255, "a/", n255, 0, 0},
                      {d255 + n256, "", "", 7, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE("path of " + std::to_string(r.path.size()) + ": " + r.path.substr(0, 20));
    char dir[kit_dir_max + 2], name[kit_name_max + 2];
    dir[kit_dir_max + 1] = name[kit_name_max + 1] = '#';
    std::strcpy(dir, "old");
    std::strcpy(name, "old");
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_split_path(r.path.c_str(), dir, name)), want(r.status == 0, r.status));
    EXPECT_EQ(std::pair(std::string(dir), std::string(name)), std::pair(r.dir, r.name));
    EXPECT_EQ(std::pair(dir[kit_dir_max + 1], name[kit_name_max + 1]), std::pair('#', '#'));
    EXPECT_EQ(kit_check_path_len(r.path.c_str()), r.len_ok);
  }
  char buf[300] = "old";
  EXPECT_EQ(rs(kit_split_path(nullptr, buf, nullptr)), want(0, 1));
  EXPECT_EQ(kit_get_dir("a/b/c", buf), 1);
  EXPECT_STREQ(buf, "a/b/");
  EXPECT_EQ(kit_get_filename("a/b/c", buf), 1);
  EXPECT_STREQ(buf, "c");
}

TEST(Paths, FixSlashesAndSetExt) {
  const std::string x510(510, 'x');
  struct row {
    std::string path;
    const char* ext;  // null: kit_fix_slashes
    std::string after;
    int result, status;
  };
  const row rows[] = {{"a\\b\\c", nullptr, "a/b/c", 1, 0},  {"a/b", nullptr, "a/b", 0, 0},
                      {"\\" + x510, nullptr, "/" + x510, 1, 0},  // 511 characters are still whole
                      {"\\" + x510 + "0123456789", nullptr, "/" + x510, 0, 7},
                      {"file.map", "txt", "file.txt", 1, 0},  {"file", "txt", "file.txt", 1, 0},
                      {"a.b.c", "txt", "a.b.txt", 1, 0},  {".profile", "txt", ".profile.txt", 1, 0},
                      {"dir.d/file", "txt", "dir.txt", 1, 0},  {"", "txt", "", 0, 1},  {"file", "", "file", 0, 1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.path.substr(0, 20) + (r.ext ? " ext" : " slashes"));
    char p[600];
    std::strcpy(p, r.path.c_str());
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(r.ext ? kit_set_ext(p, r.ext) : kit_fix_slashes(p)), want(r.result, r.status));
    EXPECT_EQ(p, r.after);
  }
}

TEST(Paths, PredicatesSetNoStatus) {
  kit_set_lasterr(stale);
  EXPECT_EQ(kit_check_path_chars("a b\\c/d:*?"), 1);
  EXPECT_EQ(std::pair(kit_is_sep('/'), kit_is_sep('\\')), std::pair(1, 0));
  EXPECT_EQ(kit_is_name_char('/'), 0);
  for (int c : {int{' '}, int{'\\'}, 0}) EXPECT_EQ(kit_is_name_char(c), 1) << c;
  // The set's zero never matches; its characters are taken as signed.
  for (int c : {int{'x'}, 0, 0xE9}) EXPECT_EQ(kit_in_set(c, ";#\xE9"), 0) << c;
  for (int c : {int{'#'}, -23}) EXPECT_EQ(kit_in_set(c, ";#\xE9"), 1) << c;
  EXPECT_EQ(kit_get_lasterr(), stale);
}

}  // namespace
