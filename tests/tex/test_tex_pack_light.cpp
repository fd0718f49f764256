// What korvex-tex reads of a map's light: the world's sun and dome keys
// and its "_surface" templates, the same from a source map and from its
// converted copy; nothing for Quake 2.
#include <gtest/gtest.h>

#include <string>

#include "map_light.h"
#include "light_keys.h"
#include "map_scan.h"

using namespace texpack;

namespace {

MapLight light_of(const std::string& text, bool converted) {
  MapScan scan;
  std::string error;
  EXPECT_EQ(scan_map(text, converted, false, scan, error), ScanStatus::ok) << error;
  return map_light_of(scan);
}

TEST(TexPackLight, SourceAndConvertedMapsGiveOneLight) {
  const std::string world = "\"_sunlight\" \"300\"\n\"_sun_mangle\" \"0 -65 0\"\n\"_sunlight2\" \"300\"\n";
  const std::string lava = "\"origin\" \"0 0 0\"\n\"_surface\" \"*LAVA1\"\n\"wait\" \"3\"\n\"_color\" \"255 128 0\"\n";
  const std::string source = "{\n\"classname\" \"worldspawn\"\n" + world +
                             "{\n( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) *lava1 0 0 0 1 1\n}\n}\n"
                             "{\n\"classname\" \"light\"\n" + lava + "}\n";
  const std::string converted = "// Quake map 'x.map' converted to Q3A format\n{\n\"classname\" \"worldspawn\"\n" + world +
                                "{\n( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) q1/#lava1 0 0 0 1 1 0 0 0\n}\n}\n"
                                "{\n\"classname\" \"info_null\"\n" + lava + "}\n";
  for (const MapLight& light : {light_of(source, false), light_of(converted, true)}) {
    EXPECT_EQ(light.sky, (std::vector<std::string>{"q3map_sun 1 1 1 77.344 180 65", "q3map_skyLight 117.437 3 0 90 0",
                                                   "q3map_lightRGB 1 1 1"}));
    ASSERT_EQ(light.surfaces.count("q1/#lava1"), 1u);
    const ShaderLight lit = shader_light_of(light, "q1/#LAVA1");
    EXPECT_EQ(lit.surface, 4.48e-4 * kmap::quake_value_scale * 300 * 50 * 50);  // half its reach of 100 units
    EXPECT_EQ(lit.surface_rgb, "1 0.502 0");
    EXPECT_FALSE(shader_light_of(light, "q1/wall").emits());
  }
}

TEST(TexPackLight, Quake2MapsKeepTheirOwnLight) {
  const std::string map = "{\n\"classname\" \"worldspawn\"\n\"_sunlight\" \"300\"\n"
                          "{\n( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) q2/e1u1/sky1 0 0 0 1 1 0 0 0\n}\n}\n";
  const MapLight light = light_of(map, true);
  EXPECT_TRUE(light.sky.empty());
  EXPECT_TRUE(light.surfaces.empty());
}

}  // namespace
