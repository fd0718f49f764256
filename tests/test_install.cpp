// Installation into a temporary prefix, and the manual pages rendered with
// every warning on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "process.h"
#include "temp_dir.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

bool executable(const fs::path& p) { return fs::is_regular_file(p) && access(p.c_str(), X_OK) == 0; }

TEST(Install, PutsProgramsTablesManualAndReadmeUnderThePrefix) {
  TempDir prefix;
  const ProcessResult install =
      run_shell(std::string(CMAKE_COMMAND) + " --install " + shell_quoted(KORVEX_BUILD_DIR) + " --prefix " + shell_quoted(prefix.path()));
  ASSERT_EQ(install.status, 0) << install.out;
  const fs::path root = prefix.path();
  EXPECT_TRUE(executable(root / "bin/korvex"));
  EXPECT_TRUE(executable(root / "bin/korvex-batch"));
  EXPECT_TRUE(executable(root / "bin/korvex-tex"));
  EXPECT_TRUE(executable(root / "bin/korvex-play"));
  for (const char* page : {"share/man/man1/korvex.1", "share/man/man1/korvex-batch.1", "share/man/man1/korvex-tex.1",
                           "share/man/man1/korvex-play.1", "share/doc/korvex/README.md"})
    EXPECT_TRUE(fs::is_regular_file(root / page)) << page;
  // Every table of the source tree, whichever are added later.
  int tables = 0;
  for (const auto& e : fs::directory_iterator(source_file("tables"))) {
    const std::string ext = e.path().extension().string();
    if (ext != ".ent" && ext != ".tex" && ext != ".rules" && ext != ".shader") continue;
    ++tables;
    EXPECT_EQ(read_file((root / "share/korvex" / e.path().filename()).string()), read_file(e.path().string()))
        << e.path().filename();
  }
  EXPECT_GE(tables, 2);

  // The installed batch program converts with no korvex to be found.
  prefix.write("m.map", "{\n\"classname\" \"worldspawn\"\n{\n( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) r 0 0 0 1 1\n}\n}\n");
  const ProcessResult batch = run_shell("cd " + shell_quoted(prefix.path()) + " && env -u KORVEX_BIN PATH=/nonexistent " +
                                    shell_quoted((root / "bin/korvex-batch").string()) + " -enum m.map");
  EXPECT_EQ(batch.status, 0) << batch.out;
  EXPECT_TRUE(prefix.exists("m.q1n")) << batch.out;
}

struct Page {
  const char* file;
  std::vector<const char*> must_show;  // options, exit statuses and files the page describes
};

TEST(Install, ManualPagesRenderWithoutWarningsAndDescribeEveryOption) {
  const Page pages[] = {
      {"converter/korvex.1",
       {"-s path", "-d path", "-e path", "-t path", "-l factor", "-g factor", "-q2", "-enum", "-x", "-k", "-q3",
        "--help", "-help", "--version", "EXIT STATUS", "korvex.log", ".korvex-XXXXXX", "q1.tex", "q2.ent",
        "EXAMPLES", "korvex-batch(1)", "korvex-tex(1)", "korvex-play(1)", "-q1", "-r path", "-wal path", "-nodetail",
        "-lights", "--report file.json", "compile_switches", "ENTITY RULES", "q1.rules", "korvex.shader"}},
      {"batch/korvex-batch.1",
       {"-o OUTDIR", "-j N", "--report FILE.json", "--csv FILE.csv", "-q1", "--help", "--version", "130", "EXAMPLES",
        ".korvex-XXXXXX", "-lights", "korvex(1)", "korvex-tex(1)", "korvex-play(1)"}},
      {"texpack/korvex-tex.1",
       {"-o FILE.pk3", "-o DIR/", "-q2", "--strict", "--report FILE.json", "--help", "--version", "EXIT STATUS",
        "EXAMPLES", "korvex(1)", "korvex-batch(1)", "korvex-play(1)"}},
      {"play/korvex-play.1",
       {"-o FILE.pk3", "-q1", "-q2", "--compiler PATH", "--no-compile", "--fast", "--game-path DIR",
        "--game-data NAME", "--strict", "--report FILE.json", "--keep-work", "--help", "--version", "EXIT STATUS",
        "130", "143", "q3map2", "netradiant-custom", "scripts/NAME.arena", "levelshots/NAME.tga", "EXAMPLES",
        "korvex(1)", "korvex-batch(1)", "korvex-tex(1)"}},
  };
  for (const Page& page : pages) {
    const std::string path = shell_quoted(source_file(page.file));
    const ProcessResult lint = run_shell("groff -man -ww -Tutf8 -z " + path);
    ASSERT_NE(lint.status, 127) << "groff is missing: run tools/deps.sh";
    EXPECT_EQ(lint.status, 0) << page.file;
    EXPECT_EQ(lint.out, "") << page.file << " has warnings";
    // Plain text: no overstriking, no hyphenation of option names.
    const ProcessResult text = run_shell("groff -man -Tutf8 -P-cbou " + path);
    for (const char* word : page.must_show)
      EXPECT_NE(text.out.find(word), std::string::npos) << page.file << " does not show " << word;
  }
}

}  // namespace
