#include <gtest/gtest.h>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

#include "kit.h"

namespace {

constexpr int stale = 99;  // a status no routine here sets: success must clear it

// A call's result paired with the status it left, so both compare at once.
std::pair<int, int> rs(int result) { return {result, kit_get_lasterr()}; }

// The status of a call that must fail, or 200 when it succeeded.
int failure_status(int result) { return result == 0 ? kit_get_lasterr() : 200; }

// Runs check in a child process and gives its exit code. Permission bits do not stop root, so
// the child can drop to an unprivileged user first; 255 means it could not.
template <typename F>
int in_child(bool drop_root, F check) {
  const auto drop = [] { return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0; };
  const pid_t pid = fork();
  if (pid == 0) _exit(drop_root && !drop() ? 255 : check());
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 254;
}

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
    std::filesystem::remove_all(dir);
  }
  std::string write(const char* name, const std::string& text) const {  // gives the file's path
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
    return dir + "/" + name;
  }
};

TEST_F(Files, ExistsRenameDeleteAndPermission) {
  const std::string a = write("a", "x"), b = dir + "/b", f = write("secret", "x");
  kit_set_lasterr(stale);
  EXPECT_EQ(rs(kit_file_exists(a.c_str())), std::pair(1, 0));
  EXPECT_EQ(rs(kit_file_exists(b.c_str())), std::pair(0, 3));
  EXPECT_EQ(rs(kit_rename(a.c_str(), b.c_str())), std::pair(1, 0));
  EXPECT_EQ(rs(kit_rename(a.c_str(), b.c_str())), std::pair(0, 1000));  // a is gone
  EXPECT_EQ(rs(kit_delete(b.c_str())), std::pair(1, 0));
  EXPECT_EQ(rs(kit_delete(b.c_str())), std::pair(0, 1000));  // b is gone
  ASSERT_EQ(chmod(f.c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);  // traversable, not writable
  const bool root = geteuid() == 0;
  const int open_st = in_child(root, [&] { return failure_status(kit_file_exists(f.c_str())); });
  if (open_st == 255) GTEST_SKIP() << "cannot drop root privileges to uid 65534";
  EXPECT_EQ(open_st, 3);
  EXPECT_EQ(in_child(root, [&] { return failure_status(kit_delete(f.c_str())); }), 27);
  EXPECT_EQ(in_child(root, [&] { return failure_status(kit_rename(f.c_str(), (dir + "/c").c_str())); }), 27);
}

// The test makes a read-only file system of its own where it may: a tmpfs remounted
// read-only in a private mount namespace of a child process.
TEST_F(Files, DeleteOnReadOnlyFileSystemGivesReadOnlyStatus) {
  constexpr int cannot_arrange = 77;
  const std::string victim = dir + "/victim";
  const int st = in_child(false, [&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
      return cannot_arrange;
    if (!std::ofstream(victim)) return cannot_arrange;
    if (mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) return cannot_arrange;
    kit_set_lasterr(stale);
    const int status = failure_status(kit_delete(victim.c_str()));
    return status == KIT_READ_ONLY && access(victim.c_str(), F_OK) == 0 ? 0 : 1;
  });
  if (st == cannot_arrange) GTEST_SKIP() << "no private read-only mount can be made here";
  EXPECT_EQ(st, 0) << "kit_delete on a read-only file system";
}

// Both line readers take turns on one stream: each must stop exactly where its contract says.
// The comment set holds \xE9, a character above 127: it must match as a signed character.
TEST_F(Files, LineReadersAndCount) {
  const std::string a511(511, 'a'), b512(512, 'b'), untouched(520, '#');
  struct call {
    bool data;                         // kit_read_data_line (comments: "#", \xE9), else kit_read_line
    int limit, result, status, count;  // count -5: none may be stored
    std::string buf;
  } const calls[] = {
      {0, 5, 3, 0, -5, "abc"}, {0, 5, 0, 11, -5, ""}, {0, 5, -1, 22, -5, "abcde"}, {0, 5, 3, 0, -5, "fgh"},
      {0, 5, -1, 22, -5, "abcde"}, {0, 5, 0, 11, -5, ""}, {0, 5, 2, 0, -5, "x\r"},
      {0, 0, 0, 1, -5, untouched}, {0, 513, 0, 1, -5, untouched}, {1, 0, 0, 1, -5, untouched},
      {1, 513, 0, 1, -5, untouched}, {0, 512, 511, 0, -5, a511}, {0, 512, -1, 22, -5, b512},
      {0, 512, 0, 11, -5, ""}, {0, 1, -1, 22, -5, "c"}, {0, 5, 0, 11, -5, ""}, {1, 5, 0, 11, 0, ""},
      {1, 5, 1, 0, 1, "c"}, {1, 5, 1, 0, 0, ""}, {1, 5, 0, 22, 5, "abcde"}, {1, 5, 1, 0, 0, ""},
      {1, 5, 1, 0, 3, "a#b"}, {1, 5, 1, 0, 3, "ab\r"}, {1, 5, 0, 11, 0, ""}, {1, 5, 1, 0, 1, "z"},
      {1, 5, 0, 23, 2, "xy"}, {0, 5, 0, 23, -5, ""}};
  const std::string path = write("lines", "abc\n\nabcdefgh\nabcde\nx\r\n" + a511 + "\n" + b512 +
                                              "\nc\n#c\n\nabcde\na#b\nab\r\n\xE9z\nxy");
  std::FILE* f = std::fopen(path.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string buf;
  for (const auto& c : calls) {
    buf.assign(520, '#');
    int count = -5;
    kit_set_lasterr(stale);
    const int got = c.data ? kit_read_data_line(buf.data(), "#\xE9", c.limit, &count, f)
                           : kit_read_line(buf.data(), c.limit, f);
    // At most limit + 1 bytes are written.
    EXPECT_EQ(std::tuple(got, kit_get_lasterr(), std::string(buf.c_str()), count, buf[c.limit + 1]),
              std::tuple(c.result, c.status, c.buf, c.count, '#')) << "call " << &c - calls;
  }
  std::fclose(f);
  // 511-character pieces: the a's and the b's take two each; two lines are comments.
  EXPECT_EQ(rs(kit_count_lines(path.c_str(), "#\xE9")), std::pair(15, 0));
  EXPECT_EQ(rs(kit_count_lines(path.c_str(), nullptr)), std::pair(17, 0));
  EXPECT_EQ(rs(kit_count_lines(write("empty", "").c_str(), "#")), std::pair(0, 0));
  EXPECT_EQ(rs(kit_count_lines((dir + "/none").c_str(), "#")), std::pair(0, 3));
  f = std::fopen((dir + "/empty").c_str(), "w");  // open for writing only: a read error, not the end
  EXPECT_EQ(rs(kit_read_line(buf.data(), 5, f)), std::pair(0, 5));
  EXPECT_STREQ(buf.c_str(), "");
  std::fclose(f);
}

TEST(Paths, SplitAndCheckLength) {
  const std::string d255 = std::string(254, 'd') + "/", d256 = std::string(255, 'd') + "/";
  const std::string d257 = std::string(256, 'd') + "/", n254(254, 'n'), n255(255, 'n'), n256(256, 'n');
  struct row {
    std::string path, dir, name;
    int status, len_ok;  // len_ok: kit_check_path_len
  } const rows[] = {
      {"maps/base/e1m1.map", "maps/base/", "e1m1.map", 0, 1}, {"e1m1.map", "", "e1m1.map", 0, 1},
      {"maps/", "maps/", "", 0, 1}, {"/e1m1.map", "/", "e1m1.map", 0, 1}, {d256 + "x", d256, "x", 0, 1},
      {d257 + "x", "", "", 7, 0}, {n255, "", n255, 0, 1}, {n256, "", "", 7, 0}, {d255 + n256, "", "", 7, 0},
      {"a/" + n254, "a/", n254, 0, 1}, {"a/" + n255, "a/", n255, 0, 0}};
  for (const auto& r : rows) {
    std::string dir(kit_dir_max + 2, '#'), name(kit_name_max + 2, '#');  // one guard byte behind each
    kit_set_lasterr(stale);
    const int got = kit_split_path(r.path.c_str(), dir.data(), name.data());
    EXPECT_EQ(std::tuple(got, kit_get_lasterr(), std::string(dir.c_str()), std::string(name.c_str())),
              std::tuple(r.status == 0, r.status, r.dir, r.name)) << "path of " << r.path.size();
    EXPECT_EQ(std::pair(dir[kit_dir_max + 1], name[kit_name_max + 1]), std::pair('#', '#')) << r.path.size();
    EXPECT_EQ(kit_check_path_len(r.path.c_str()), r.len_ok) << r.path.size();
  }
  char d[kit_dir_max + 1], n[kit_name_max + 1];
  EXPECT_EQ(kit_get_dir("a/b/c", d) + kit_get_filename("a/b/c", n), 2);
  EXPECT_EQ(std::string(d) + "|" + n, "a/b/|c");
}

TEST(Paths, FixSlashesAndSetExt) {
  const std::string x510(510, 'x');
  struct row {
    std::string path, after;
    const char* ext;  // null: kit_fix_slashes
    int result, status;
  } const rows[] = {  // 511 characters are still whole, 512 are cut to 511
      {"a\\b\\c", "a/b/c", nullptr, 1, 0}, {"a/b", "a/b", nullptr, 0, 0},
      {"\\" + x510, "/" + x510, nullptr, 1, 0}, {"\\" + x510 + "y", "/" + x510, nullptr, 0, 7},
      {"file.map", "file.txt", "txt", 1, 0}, {"file", "file.txt", "txt", 1, 0},
      {"a.b.c", "a.b.txt", "txt", 1, 0}, {".profile", ".profile.txt", "txt", 1, 0},
      {"dir.d/file", "dir.txt", "txt", 1, 0}, {"", "", "txt", 0, 1}, {"file", "file", "", 0, 1}};
  for (const auto& r : rows) {
    std::string p = r.path;
    p.resize(600);
    kit_set_lasterr(stale);
    const int got = r.ext ? kit_set_ext(p.data(), r.ext) : kit_fix_slashes(p.data());
    EXPECT_EQ(std::tuple(got, kit_get_lasterr(), std::string(p.c_str())),
              std::tuple(r.result, r.status, r.after)) << r.path.substr(0, 20);
  }
}

}  // namespace
