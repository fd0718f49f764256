// The built korvex-play where a process matters: stopped by a signal while
// its compiler runs, and on a real map with the real compiler, where
// ../shared/tools/q3map2 is present.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "light_keys.h"
#include "light_match.h"
#include "lightmap_luxels.h"
#include "test_tex_pack_support.h"

namespace {
namespace fs = std::filesystem;

std::string read_file(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), {});
}

// Starts korvex-play with `args` in `folder`, TMPDIR set to `temporary`,
// standard output and error into files there.
pid_t start_play(const std::vector<std::string>& args, const TempDir& dir, const std::string& temporary) {
  std::vector<std::string> words = {KORVEX_PLAY_BIN};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string out = dir.file("stdout"), err = dir.file("stderr");
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out_fd, STDOUT_FILENO);
  dup2(err_fd, STDERR_FILENO);
  setenv("TMPDIR", temporary.c_str(), 1);
  execv(argv[0], argv.data());
  _exit(127);
}

// True once `path` holds `text`, within ten seconds.
bool wait_for(const std::string& path, const std::string& text) {
  for (int i = 0; i < 200; ++i) {
    if (read_file(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

const char* small_map =
    "{\n\"classname\" \"worldspawn\"\n{\n"
    "( -64 0 0 ) ( -64 1 0 ) ( -64 0 1 ) wall 0 0 0 1 1\n( 64 0 0 ) ( 64 0 1 ) ( 64 1 0 ) wall 0 0 0 1 1\n"
    "( 0 -64 0 ) ( 0 -64 1 ) ( 1 -64 0 ) wall 0 0 0 1 1\n( 0 64 0 ) ( 1 64 0 ) ( 0 64 1 ) wall 0 0 0 1 1\n"
    "( 0 0 -64 ) ( 1 0 -64 ) ( 0 1 -64 ) wall 0 0 0 1 1\n( 0 0 64 ) ( 0 1 64 ) ( 1 0 64 ) wall 0 0 0 1 1\n"
    "}\n}\n";

TEST(PlayProcess, ASignalStopsTheCompilerAndLeavesNothing) {
  for (const int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    dir.write("m.map", small_map);
    dir.write("old.pk3", "the pack before");
    // A compiler that takes its time over the first stage.
    dir.write("bin/q3map2", "#!/bin/sh\nexec sleep 30\n");
    fs::permissions(dir.file("bin/q3map2"), fs::perms::owner_all);
    fs::create_directories(dir.file("tmp"));
    const pid_t pid = start_play({dir.file("m.map"), "-o", dir.file("old.pk3"), "--compiler", dir.file("bin/q3map2")},
                                 dir, dir.file("tmp"));
    ASSERT_TRUE(wait_for(dir.file("stderr"), "m: compiling, bsp")) << read_file(dir.file("stderr"));
    EXPECT_FALSE(fs::is_empty(dir.file("tmp"))) << "the work folder is there while the compiler runs";
    const auto sent = std::chrono::steady_clock::now();
    kill(pid, sig);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(5)) << "the compiler was not waited out";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    EXPECT_NE(read_file(dir.file("stderr")).find("korvex-play: interrupted; nothing written"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir.file("tmp"))) << "the work folder is gone";
    EXPECT_EQ(read_file(dir.file("old.pk3")), "the pack before");
  }
}

TEST(PlayProcess, ExitStatusOfABadCommandLine) {
  TempDir dir;
  fs::create_directories(dir.file("tmp"));
  const pid_t pid = start_play({"--strict", "--strict"}, dir, dir.file("tmp"));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
  EXPECT_EQ(read_file(dir.file("stderr")), "korvex-play: option --strict given twice\nTry 'korvex-play --help'.\n");
}

// The real compiler and a corpus map with the compiled map its textures
// come from, from ../shared; nothing where one of them is absent.
struct RealCompile {
  std::string shared, compiler, source, bsp;
};
std::optional<RealCompile> real_compile() {
  RealCompile r;
  r.shared = shared_dir();
  r.compiler = r.shared + "/tools/q3map2";
  r.source = r.shared + "/corpus/q1/jjelliott__progs_dump__mapsrc__pd_counter.map";
  r.bsp = r.shared + "/textures/q1/bsp/pd_counter.bsp";
  if (r.shared.empty() || access(r.compiler.c_str(), X_OK) != 0 || !fs::is_regular_file(r.source) ||
      !fs::is_regular_file(r.bsp))
    return std::nullopt;
  return r;
}

// A corpus map with the compiled map its textures come from, through the
// real compiler, into a pack the game loads.
TEST(PlayProcess, CorpusMapCompiledByTheRealCompiler) {
  const std::optional<RealCompile> real = real_compile();
  if (!real) GTEST_SKIP() << "no Q3 compiler or corpus map in ../shared";
  const std::string &shared = real->shared, &compiler = real->compiler, &source = real->source, &bsp = real->bsp;
  TempDir dir;
  fs::create_directories(dir.file("tmp"));
  // The map by a short name, read where it lies.
  fs::create_symlink(source, dir.file("pd_counter.map"));
  const pid_t pid = start_play({dir.file("pd_counter.map"), bsp, shared + "/textures/q1/palette.lmp", "--compiler",
                                compiler, "--fast", "--report", dir.file("r.json")},
                               dir, dir.file("tmp"));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << read_file(dir.file("stderr"));
  const ZipMembers pack = read_zip(dir.file("pd_counter.pk3"));
  for (const char* member : {"maps/pd_counter.bsp", "scripts/pd_counter.arena", "levelshots/pd_counter.tga",
                             "scripts/pd_counter.shader", "textures/q1/wall14_5.png"})
    EXPECT_EQ(pack.count(member), 1u) << member;
  const std::vector<uint8_t>& compiled = pack.at("maps/pd_counter.bsp");
  EXPECT_EQ(std::string(compiled.begin(), compiled.begin() + 4), "IBSP");
  EXPECT_NE(read_file(dir.file("stdout")).find(", 0 missing,"), std::string::npos) << read_file(dir.file("stdout"));
  EXPECT_TRUE(fs::is_empty(dir.file("tmp")));

  // The game loads it, where the game is installed.
  const std::string validate = shared + "/tools/validate.sh";
  if (access("/usr/lib/ioquake3/ioq3ded", X_OK) != 0 || access(validate.c_str(), X_OK) != 0) return;
  const std::string command = "TMPDIR=" + dir.file("tmp") + " " + validate + " -q " + dir.file("pd_counter.pk3") +
                              " > " + dir.file("validate") + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << read_file(dir.file("validate"));
  EXPECT_NE(read_file(dir.file("validate")).find("VALIDATE ok pd_counter"), std::string::npos)
      << read_file(dir.file("validate"));
}

// A level its author lit twice as bright as its light keys say: the light
// stage runs again, and the pack's level then has the original's light.
TEST(PlayProcess, LightMatchedToTheAuthorsOwnLevel) {
  const std::optional<RealCompile> real = real_compile();
  if (!real) GTEST_SKIP() << "no Q3 compiler or corpus map in ../shared";
  const std::string source = real->shared + "/corpus/q1/jjelliott__progs_dump__mapsrc__pd_rotate.map";
  const std::string original = real->shared + "/textures/q1/bsp/pd_rotate.bsp";
  if (!fs::is_regular_file(source) || !fs::is_regular_file(original)) GTEST_SKIP() << "no pd_rotate in ../shared";
  // The light as the game shows it: doubled where the pack's shader stores it at half.
  const auto level_light = [](const std::vector<uint8_t>& bytes, bool quake, const std::string& script = "") {
    const play::ShownLight shown = [&script](std::string_view shader) {
      const size_t at = script.find(std::string(shader) + "\n{\n");
      const size_t end = script.find("\n}\n", at);
      return at != std::string::npos && script.substr(at, end - at).find("q3map_lightmapBrightness 0.5") !=
                                            std::string::npos
                 ? 2.0f
                 : 1.0f;
    };
    std::vector<play::Luxel> luxels;
    const play::LuxelStatus status =
        quake ? play::read_quake_luxels(bytes, luxels) : play::read_q3_luxels(bytes, luxels, shown);
    EXPECT_EQ(status, play::LuxelStatus::ok);
    return luxels;
  };
  const std::string original_bytes = read_file(original);
  const std::vector<play::Luxel> original_light =
      level_light(std::vector<uint8_t>(original_bytes.begin(), original_bytes.end()), true);

  for (const bool matching : {true, false}) {
    SCOPED_TRACE(matching ? "matched" : "--no-light-match");
    TempDir dir;
    fs::create_directories(dir.file("tmp"));
    fs::create_symlink(source, dir.file("pd_rotate.map"));
    std::vector<std::string> words = {dir.file("pd_rotate.map"), original, real->shared + "/textures/q1/palette.lmp",
                                      "--compiler", real->compiler, "--fast", "--report", dir.file("r.json")};
    if (!matching) words.push_back("--no-light-match");
    const pid_t pid = start_play(words, dir, dir.file("tmp"));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read_file(dir.file("stderr"));
    const ZipMembers pack = read_zip(dir.file("pd_rotate.pk3"));
    const std::vector<uint8_t>& script = pack.at("scripts/pd_rotate.shader");
    const std::optional<play::LightMatch> after = play::match_light_level(
        original_light, level_light(pack.at("maps/pd_rotate.bsp"), false, std::string(script.begin(), script.end())),
        kmap::quake_byte_ratio);
    ASSERT_TRUE(after);
    const std::string summary = read_file(dir.file("stdout"));
    if (matching) {
      EXPECT_NEAR(after->factor, 1, 0.05);
      EXPECT_NE(summary.find("  light: matched to " + original), std::string::npos) << summary;
    } else {
      EXPECT_GT(after->factor, 1.4);  // the author's compile is much brighter than its keys
      EXPECT_EQ(summary.find("  light:"), std::string::npos) << summary;
    }
  }
}

// The commands printed without a compiler do what the run would have done.
TEST(PlayProcess, PrintedCommandsCompileTheMap) {
  const std::optional<RealCompile> real = real_compile();
  if (!real) GTEST_SKIP() << "no Q3 compiler or corpus map in ../shared";
  const std::string &shared = real->shared, &compiler = real->compiler, &source = real->source, &bsp = real->bsp;
  if (std::system("command -v zip >/dev/null && command -v unzip >/dev/null") != 0) GTEST_SKIP() << "no zip, unzip";
  TempDir dir;
  fs::create_directories(dir.file("tmp"));
  fs::create_symlink(source, dir.file("pd_counter.map"));
  const pid_t pid =
      start_play({dir.file("pd_counter.map"), bsp, shared + "/textures/q1/palette.lmp", "--no-compile", "--fast"}, dir,
                 dir.file("tmp"));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read_file(dir.file("stderr"));
  const std::string out = read_file(dir.file("stdout"));
  const size_t from = out.find("by hand:\n");
  ASSERT_NE(from, std::string::npos) << out;
  std::string script = "set -e\n";
  for (const std::string& line : split(out.substr(from + 9), '\n'))
    script += (line.starts_with("  q3map2 ") ? compiler + line.substr(8) : line.substr(2)) + " > /dev/null\n";
  dir.write("compile.sh", script);
  EXPECT_EQ(std::system(("sh " + dir.file("compile.sh") + " 2>" + dir.file("compile.err")).c_str()), 0)
      << script << read_file(dir.file("compile.err"));
  const ZipMembers pack = read_zip(dir.file("pd_counter.pk3"));
  for (const char* member : {"maps/pd_counter.bsp", "maps/pd_counter.map", "levelshots/pd_counter.tga",
                             "scripts/pd_counter.arena", "textures/q1/wall14_5.png"})
    EXPECT_EQ(pack.count(member), 1u) << member;
}

}  // namespace
