// The kept name of a source texture and what a kept name stands for: one
// rule for the converter and the pack writer, and a round trip over every
// texture name of the real maps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "face.h"
#include "texture_names.h"

using namespace kmap;

namespace {

TEST(TextureNames, KeptNamesAndWhatTheyStandFor) {
  const struct {
    std::string_view source;
    Game game;
    std::string_view kept;
    std::string_view name, alt;  // what the kept name stands for
  } cases[] = {
      {"*WATER0", Game::quake, "q1/#water0", "*water0", "#water0"},
      {"a*b", Game::quake, "q1/a#b", "a*b", "a#b"},
      {"{Fence", Game::quake, "q1/{fence", "{fence", ""},
      {"+0slipbotsd", Game::quake, "q1/+0slipbotsd", "+0slipbotsd", ""},
      {"e1u1/Floor1_3", Game::quake2, "q2/e1u1/floor1_3", "e1u1/floor1_3", ""},
      {"e1u1/*water", Game::quake2, "q2/e1u1/#water", "e1u1/*water", "e1u1/#water"},
      {"city4_2", Game::unknown, "q1/city4_2", "city4_2", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kept_texture_name(c.source, c.game), c.kept) << c.source;
    KeptName read;
    ASSERT_TRUE(read_kept_name(c.kept, read)) << c.kept;
    EXPECT_EQ(read.game, c.game == Game::quake2 ? Game::quake2 : Game::quake);
    EXPECT_EQ(read.name, c.name);
    EXPECT_EQ(read.alt, c.alt);
  }
  KeptName untouched{Game::quake2, "x", "y"};
  for (std::string_view stock : {"base_floor/concrete", "q3/x", "q1", "common/clip", ""}) {
    EXPECT_FALSE(read_kept_name(stock, untouched)) << stock;
    EXPECT_EQ(untouched.name, "x");
  }
  KeptName upper;
  ASSERT_TRUE(read_kept_name("Q2/E1U1/X", upper));
  EXPECT_EQ(upper.name, "E1U1/X");
}

// Every texture name of the real maps is kept under a name that stands for
// it again, letter case aside.
TEST(TextureNames, EveryCorpusNameRoundTrips) {
  namespace fs = std::filesystem;
  const fs::path corpus = fs::path(KORVEX_SOURCE_DIR) / ".." / "shared" / "corpus";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus beside the project";
  std::set<std::pair<std::string, Game>> names;
  for (const auto& [folder, game] : {std::pair{"q1", Game::quake}, std::pair{"q2", Game::quake2}}) {
    for (const auto& entry : fs::directory_iterator(corpus / folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      Face face;
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[line.find_first_not_of(" \t")] != '(') continue;
        if (read_face(line, &face, false) && !face.texture.text.empty())
          names.emplace(std::string(face.texture.text), game);
      }
    }
  }
  ASSERT_GT(names.size(), 500u);
  for (const auto& [name, game] : names) {
    KeptName read;
    ASSERT_TRUE(read_kept_name(kept_texture_name(name, game), read)) << name;
    EXPECT_EQ(read.game, game) << name;
    const bool found = ascii_lower(read.name) == ascii_lower(name) || ascii_lower(read.alt) == ascii_lower(name);
    EXPECT_TRUE(found) << name << " -> " << read.name;
  }
  RecordProperty("texture_names", std::to_string(names.size()));
}

}  // namespace
