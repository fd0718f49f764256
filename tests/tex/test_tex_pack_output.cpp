// Where a pack may go: only a regular file (or nothing) is ever replaced; a
// link stays a link and its target takes the pack; a device or a pipe gets
// the archive's bytes straight; a folder is filled only when empty and is
// kept. Every failure names its reason and leaves no temporary behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "pack_output.h"
#include "test_tex_pack_support.h"

namespace {

using texpack::OutputStatus;

std::vector<uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

const std::vector<texpack::PackFile> pack_files = {
    {"scripts/m.shader", bytes_of("textures/q1/wall\n{\n}\n"), true},
    {"textures/q1/wall.png", bytes_of("\x89PNG not really"), false},
};

ZipMembers expected_members() {
  ZipMembers members;
  for (const texpack::PackFile& file : pack_files) members[file.path] = file.bytes;
  return members;
}

std::string read_bytes(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), {});
}

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

mode_t mode_of(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

bool no_temporaries(const TempDir& dir) {
  std::error_code code;
  for (auto it = std::filesystem::recursive_directory_iterator(dir.file(""), code);
       !code && it != std::filesystem::recursive_directory_iterator(); it.increment(code))
    if (it->path().filename().string().starts_with(".")) return false;
  return !code;
}

bool full_device_writable() { return access("/dev/full", W_OK) == 0; }

// The links and files every case starts from.
void lay_out(const TempDir& dir) {
  dir.write("old.pk3", "old pack");
  chmod(dir.file("old.pk3").c_str(), 0640);
  dir.write("packs/linked.pk3", "linked pack");
  dir.write("full/readme.txt", "keep");
  std::filesystem::create_directories(dir.file("empty"));
  chmod(dir.file("empty").c_str(), 0750);
  std::filesystem::create_directories(dir.file("empty2"));
  mkfifo(dir.file("pipe").c_str(), 0600);
  for (const auto& [link, target] : {std::pair{"link.pk3", "packs/linked.pk3"}, {"dangling.pk3", "packs/fresh.pk3"},
                                     {"packs/up.pk3", "../top.pk3"}, {"folder.pk3", "packs"}, {"loop", "loop"},
                                     {"emptylink", "empty2"}, {"newlink", "made"}})
    symlink(target, dir.file(link).c_str());
}

TEST(TexPackOutput, ZipGoesOnlyWhereAFileMay) {
  TempDir dir;
  lay_out(dir);
  const struct {
    std::string destination;  // relative to the folder, or absolute
    OutputStatus status;
    std::string lands_in;  // the file holding the pack afterwards; "" for none
    std::string message;   // part of the error
  } cases[] = {
      {"new.pk3", OutputStatus::ok, "new.pk3", ""},
      {"old.pk3", OutputStatus::ok, "old.pk3", ""},
      {"link.pk3", OutputStatus::ok, "packs/linked.pk3", ""},
      {"dangling.pk3", OutputStatus::ok, "packs/fresh.pk3", ""},
      {"packs/up.pk3", OutputStatus::ok, "top.pk3", ""},
      {"/dev/null", OutputStatus::ok, "", ""},
      {"packs", OutputStatus::wrong_kind, "", "packs: is a folder; name a .pk3 file, or end the name with /"},
      {"folder.pk3", OutputStatus::wrong_kind, "", "folder.pk3: is a folder"},
      {"loop", OutputStatus::create_failed, "", "loop: cannot follow the link: Too many levels of symbolic links"},
      {"missing/x.pk3", OutputStatus::create_failed, "", "cannot create a temporary file beside it: No such file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination);
    const std::string path = c.destination.starts_with("/") ? c.destination : dir.file(c.destination);
    std::string error;
    EXPECT_EQ(texpack::write_zip_pack(path, pack_files, error), c.status);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    if (!c.lands_in.empty()) {
      EXPECT_EQ(read_zip(dir.file(c.lands_in)), expected_members());
    }
  }
  EXPECT_EQ(mode_of(dir.file("old.pk3")) & 07777, 0640u);
  for (const char* link : {"link.pk3", "dangling.pk3", "packs/up.pk3", "folder.pk3", "loop"})
    EXPECT_TRUE(is_link(dir.file(link))) << link;
  EXPECT_TRUE(S_ISCHR(mode_of("/dev/null")));
  EXPECT_TRUE(no_temporaries(dir));
}

TEST(TexPackOutput, ZipToAFullDeviceFailsWithTheReason) {
  if (!full_device_writable()) GTEST_SKIP() << "/dev/full cannot be opened for writing here";
  std::string error;
  EXPECT_EQ(texpack::write_zip_pack("/dev/full", pack_files, error), OutputStatus::write_failed);
  EXPECT_EQ(error, "/dev/full: cannot write the pack: No space left on device");
  EXPECT_TRUE(S_ISCHR(mode_of("/dev/full")));
}

TEST(TexPackOutput, ZipToANamedPipeIsWrittenStraight) {
  TempDir dir;
  lay_out(dir);
  std::string received;
  std::thread reader([&] { received = read_bytes(dir.file("pipe")); });
  std::string error;
  EXPECT_EQ(texpack::write_zip_pack(dir.file("pipe"), pack_files, error), OutputStatus::ok) << error;
  reader.join();
  EXPECT_TRUE(S_ISFIFO(mode_of(dir.file("pipe"))));
  dir.write("received.pk3", received);
  EXPECT_EQ(read_zip(dir.file("received.pk3")), expected_members());
}

TEST(TexPackOutput, FolderGoesOnlyWhereNothingOrAnEmptyFolderIs) {
  TempDir dir;
  lay_out(dir);
  struct stat empty_before;
  ASSERT_EQ(stat(dir.file("empty").c_str(), &empty_before), 0);
  const struct {
    std::string destination;
    OutputStatus status;
    std::string lands_in;  // the folder holding the pack afterwards; "" for none
    std::string message;
  } cases[] = {
      {"new", OutputStatus::ok, "new", ""},
      {"empty", OutputStatus::ok, "empty", ""},
      {"emptylink", OutputStatus::ok, "empty2", ""},
      {"newlink", OutputStatus::ok, "made", ""},
      {"full", OutputStatus::not_empty, "", "full: exists and is not an empty folder"},
      {"old.pk3", OutputStatus::wrong_kind, "", "old.pk3: exists and is not a folder"},
      {"pipe", OutputStatus::wrong_kind, "", "pipe: exists and is not a folder"},
      {"/dev/null", OutputStatus::wrong_kind, "", "/dev/null: exists and is not a folder"},
      {"loop", OutputStatus::create_failed, "", "Too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination);
    const std::string path = c.destination.starts_with("/") ? c.destination : dir.file(c.destination);
    std::string error;
    EXPECT_EQ(texpack::write_folder_pack(path, pack_files, error), c.status);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    if (!c.lands_in.empty()) {
      for (const texpack::PackFile& file : pack_files)
        EXPECT_EQ(bytes_of(read_bytes(dir.file(c.lands_in + "/" + file.path))), file.bytes) << file.path;
    }
  }
  struct stat st;
  ASSERT_EQ(stat(dir.file("empty").c_str(), &st), 0);
  EXPECT_EQ(st.st_ino, empty_before.st_ino);
  EXPECT_EQ(st.st_mode & 07777, 0750u);
  EXPECT_EQ(read_bytes(dir.file("full/readme.txt")), "keep");
  EXPECT_EQ(read_bytes(dir.file("old.pk3")), "old pack");
  for (const char* link : {"emptylink", "newlink", "loop"}) EXPECT_TRUE(is_link(dir.file(link))) << link;
  EXPECT_TRUE(no_temporaries(dir));
}

// A whole run that cannot write its pack says why and never claims it did.
TEST(TexPackOutput, RunReportsAWriteErrorAsAFailure) {
  if (!full_device_writable()) GTEST_SKIP() << "/dev/full cannot be opened for writing here";
  TempDir dir;
  dir.write("game/first.wad", wad2_bytes({make_texture("wall", 16, 16, [](int x, int y) {
                                return static_cast<uint8_t>(16 + (x + y) % 64);
                              })}));
  const texpack::Palette palette = ramp_palette();
  dir.write("game/gfx/palette.lmp", std::string(palette.rgb.begin(), palette.rgb.end()));
  dir.write("m.map", map_text({"wall 0 0 0 1 1"}));
  const TexRun run = run_tex({dir.file("m.map"), dir.file("game"), "-o", "/dev/full"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "korvex-tex: /dev/full: cannot write the pack: No space left on device\n");
  EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;
}

}  // namespace
