// Replays every input the fuzz targets keep: the seeds they start from and
// the inputs of every fault they found, which stay fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_targets.h"

namespace fs = std::filesystem;

namespace {

struct Target {
  const char* name;
  int (*run)(const uint8_t*, size_t);
};

const Target targets[] = {
    {"convert", fuzz_convert}, {"table", fuzz_table}, {"numbers", fuzz_numbers},
    {"args", fuzz_args},       {"params", fuzz_params}, {"scan", fuzz_scan},
    {"texsources", fuzz_texsources}, {"faces", fuzz_faces},
    {"playable", fuzz_playable}, {"levels", fuzz_levels},
};

void PrintTo(const Target& target, std::ostream* os) { *os << target.name; }

class FuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, ReplayWithoutFault) {
  const fs::path base = fs::path(KORVEX_SOURCE_DIR) / "fuzz";
  int replayed = 0;
  for (const char* kind : {"seeds", "regressions"}) {
    const fs::path folder = base / kind / GetParam().name;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      SCOPED_TRACE(entry.path().string());
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      // A target fails by aborting (a failed check, a sanitizer report);
      // its return value carries nothing.
      (void)GetParam().run(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, ::testing::ValuesIn(targets),
                         [](const auto& test) { return std::string(test.param.name); });

// The bundled example under every combination of options the whole-program
// target can choose.
TEST(FuzzConvert, ExampleUnderEveryOptionByte) {
  std::ifstream in(fs::path(KORVEX_SOURCE_DIR) / "examples" / "test.map", std::ios::binary);
  std::vector<uint8_t> bytes{0};
  bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  for (int options = 0; options < 256; ++options) {
    bytes[0] = static_cast<uint8_t>(options);
    (void)fuzz_convert(bytes.data(), bytes.size());
  }
}

}  // namespace
