// The map's own compiled level among the sources: by name, in folders, in PAKs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "original_level.h"
#include "temp_dir.h"
#include "test_tex_sources_bytes.h"

namespace {

using texbytes::archive;
using texbytes::Bytes;

std::string text_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(OriginalLevel, FoundByTheMapsNameInTheSourcesOrder) {
  TempDir dir;
  dir.write("given/Yard.BSP", "given");
  dir.write("game/id1/maps/yard.bsp", "in a folder");
  dir.write("game/id1/maps/yard2.bsp", "another map");
  dir.write("game/id1/pak0.pak", text_of(archive("PACK", {{"maps/hall.bsp", Bytes{'p', 'a', 'k'}}})));
  dir.write("game/id1/pak1.pak", "not a pak");
  struct Case {
    const char* what;
    std::vector<std::string> sources;
    std::string map;
    std::string origin_end;  // "" : none found
    std::string bytes;
  };
  const Case cases[] = {
      {"a file given by name, any case", {dir.file("given/Yard.BSP")}, "yard", "given/Yard.BSP", "given"},
      {"the first source that holds it", {dir.file("game"), dir.file("given/Yard.BSP")}, "YARD", "maps/yard.bsp",
       "in a folder"},
      {"a PAK member, a damaged PAK passed over", {dir.file("game")}, "hall", "pak0.pak:maps/hall.bsp", "pak"},
      {"a PAK given by name", {dir.file("game/id1/pak0.pak")}, "hall", "pak0.pak:maps/hall.bsp", "pak"},
      {"another map's level is not taken", {dir.file("given/Yard.BSP")}, "hall", "", ""},
      {"a missing source", {dir.file("nothing here")}, "yard", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    play::OriginalLevel level{"untouched", {}};
    const bool found = play::OriginalLevels(c.sources).find(c.map, level);
    ASSERT_EQ(found, !c.origin_end.empty());
    if (!found) {
      EXPECT_EQ(level.origin, "untouched");
      continue;
    }
    EXPECT_TRUE(level.origin.ends_with(c.origin_end)) << level.origin;
    EXPECT_EQ(std::string(level.bytes.begin(), level.bytes.end()), c.bytes);
  }
}

}  // namespace
