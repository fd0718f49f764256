// Where a table named without a folder is found: the working folder, then
// the installed tables beside the program, then the configured install
// folder, then the source tree's tables/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "table_search.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

// A table under the share/korvex folder beside this test program, as an
// installation puts it; removed at the end.
class InstalledTable {
 public:
  explicit InstalledTable(const std::string& name) {
    const fs::path program = fs::read_symlink("/proc/self/exe");
    folder_ = program.parent_path().parent_path() / "share" / "korvex";
    fs::create_directories(folder_);
    path_ = folder_ / name;
    std::ofstream(path_) << "x *\n";
  }
  ~InstalledTable() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  std::string path() const { return path_.lexically_normal().string(); }

 private:
  fs::path folder_, path_;
};

TEST(TableSearch, WorkingFolderThenInstalledThenSourceTree) {
  const std::string name = "search-" + std::to_string(getpid()) + ".ent";
  const InstalledTable installed(name);
  const auto nowhere = [](const std::string&) { return false; };
  const auto here = [](const std::string&) { return true; };
  const struct {
    std::string asked;
    bool in_working_folder;
    std::string found;
  } cases[] = {
      {"tables/" + name, true, "tables/" + name},  // a name with a folder is taken as it is
      {name, true, name},                          // the working folder first
      {name, false, installed.path()},             // then beside the program
      {"q1.ent", false, fs::path(source_file("tables/q1.ent")).lexically_normal().string()},  // the source tree
      {"no-such-table.ent", false, "no-such-table.ent"},  // nowhere: the name, which fails where opened
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    EXPECT_EQ(kmap::find_table(c.asked, c.in_working_folder ? std::function<bool(const std::string&)>(here)
                                                             : std::function<bool(const std::string&)>(nowhere)),
              c.found);
  }
  const std::vector<std::string> folders = kmap::table_folders();
  ASSERT_GE(folders.size(), 2u);
  EXPECT_EQ(folders.front(), fs::path(installed.path()).parent_path().string());
  EXPECT_EQ(folders.back(), fs::path(source_file("tables")).lexically_normal().string());
}

}  // namespace
