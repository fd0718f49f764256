// The output map is never lost or left half written: a temporary file beside
// the destination replaces it only when the run completes; devices and pipes
// are written straight and never removed; write errors fail the run. Runs
// in-process on real files in a temporary folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "korvex_runner.h"

namespace {

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

constexpr const char* good_map_q1n = R"(// entity 0
{
  "classname" "worldspawn"
  // brush 1
  {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
  }
}
// entity 1
  {
    "classname" "info_null"
    "origin" "1 2 3"
  }
)";

// Fails after the output is open: the file ends inside an entity.
constexpr const char* failing_map = "{\n{\n}\n}\n{\n\"classname\" \"a\"\n";

class Output : public ::testing::Test {
 protected:
  KorvexRun number(std::string_view map, const std::string& destination) {
    dir.write("a.map", map);
    return run_korvex_in(dir, {"-s", "a.map", "-enum", "-d", destination});
  }
  bool no_temporary_files() {
    for (const std::string& name : dir.entries())
      if (name.starts_with(".korvex-")) return false;
    return true;
  }
  TempDir dir;
};

TEST_F(Output, FailedRunLeavesAnExistingDestinationUntouched) {
  dir.write("out.map", "the only copy\n");
  const KorvexRun r = number(failing_map, "out.map");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, "Processing 'a.map'\n1 brushes\nEnt #1 load error (1): end of file\n");
  EXPECT_EQ(dir.read("out.map"), "the only copy\n");
  EXPECT_TRUE(no_temporary_files());
}

TEST_F(Output, CompletedRunReplacesTheDestinationAndKeepsItsMode) {
  dir.write("out.map", "old\n");
  ASSERT_EQ(chmod(dir.file("out.map").c_str(), 0604), 0);
  const KorvexRun r = number(good_map, "out.map");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("out.map"), good_map_q1n);
  struct stat st;
  ASSERT_EQ(stat(dir.file("out.map").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604U);
  EXPECT_TRUE(no_temporary_files());

  const mode_t old_mask = umask(027);
  const KorvexRun fresh = number(good_map, "new.map");
  umask(old_mask);
  EXPECT_EQ(fresh.status, 0);
  ASSERT_EQ(stat(dir.file("new.map").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640U);
}

// A link keeps pointing at the map, which is replaced where it lives.
TEST_F(Output, DestinationThroughALinkReplacesTheLinkedFile) {
  ASSERT_EQ(mkdir(dir.file("maps").c_str(), 0755), 0);
  dir.write("maps/out.map", "old\n");
  ASSERT_EQ(symlink("maps/out.map", dir.file("link.map").c_str()), 0);
  const KorvexRun r = number(good_map, "link.map");
  EXPECT_EQ(r.status, 0);
  struct stat st;
  ASSERT_EQ(lstat(dir.file("link.map").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(dir.read("maps/out.map"), good_map_q1n);
}

// Every link stays a link: the map lands in the file at the end of the chain,
// made when missing (a relative target counts from the link's own folder); a
// device behind a link is written straight; a link to a folder, into a
// missing folder or round in a loop is refused.
TEST_F(Output, LinksAreFollowedAndNeverReplaced) {
  ASSERT_EQ(mkdir(dir.file("maps").c_str(), 0755), 0);
  const std::pair<const char*, const char*> links[] = {
      {"fresh.map", "maps/fresh.map"}, {"chain.map", "hop.map"},       {"hop.map", "maps/end.map"},
      {"maps/up.map", "../top.map"},   {"folder.map", "maps"},          {"lost.map", "missing/out.map"},
      {"null.map", "/dev/null"},       {"loop.map", "loop.map"},
  };
  for (const auto& [link, target] : links) ASSERT_EQ(symlink(target, dir.file(link).c_str()), 0) << link;
  const struct {
    const char* destination;
    int status;
    const char* lands_in;  // "": no map written in the folder
  } cases[] = {
      {"fresh.map", 0, "maps/fresh.map"}, {"chain.map", 0, "maps/end.map"}, {"maps/up.map", 0, "top.map"},
      {"folder.map", 1, ""},              {"lost.map", 1, ""},              {"null.map", 0, ""},
      {"loop.map", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination);
    EXPECT_EQ(number(good_map, c.destination).status, c.status);
    if (*c.lands_in != '\0') {
      EXPECT_EQ(dir.read(c.lands_in), good_map_q1n);
    }
  }
  for (const auto& [link, target] : links) {
    struct stat st;
    ASSERT_EQ(lstat(dir.file(link).c_str(), &st), 0) << link;
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_FALSE(dir.exists("missing"));
  EXPECT_TRUE(no_temporary_files());
}

TEST_F(Output, DevicesAreWrittenStraightAndNeverRemoved) {
  struct stat before;
  ASSERT_EQ(stat("/dev/null", &before), 0);
  EXPECT_EQ(number(good_map, "/dev/null").status, 0);
  EXPECT_EQ(number(failing_map, "/dev/null").status, 1);
  struct stat after;
  ASSERT_EQ(stat("/dev/null", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
}

TEST_F(Output, WriteErrorFailsTheRun) {
  const KorvexRun r = number(good_map, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, "Processing 'a.map'\n1 brushes\nError when writing /dev/full\n");
}

// A write error in the middle of a long map ends the run there.
TEST_F(Output, WriteErrorStopsTheRunEarly) {
  std::string map = "{\n{\n}\n}\n";
  for (int i = 0; i < 20000; ++i) map += "{\n\"classname\" \"info_null\"\n\"origin\" \"1 2 3\"\n}\n";
  const KorvexRun r = number(map, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, "Processing 'a.map'\n1 brushes\nError when writing /dev/full\n");
}

TEST_F(Output, NamedPipeIsWrittenStraightAndKept) {
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = read_file(dir.file("pipe")).value_or(""); });
  const KorvexRun r = number(good_map, "pipe");
  reader.join();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(received, good_map_q1n);

  std::thread drain([&] { read_file(dir.file("pipe")); });
  EXPECT_EQ(number(failing_map, "pipe").status, 1);
  drain.join();
  struct stat st;
  ASSERT_EQ(stat(dir.file("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
