// Shaders by kind, through the whole pack plan on synthetic textures: the
// keywords each kind needs, those it must not have, and the images it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <iterator>

#include "pack_plan.h"
#include "shader_rules.h"
#include "test_tex_pack_support.h"

using namespace texpack;

namespace {

uint8_t dull(int x, int y) { return static_cast<uint8_t>(16 + (x + y) % 64); }
uint8_t with_fullbright(int x, int y) { return x == y ? 230 : dull(x, y); }

struct Sources {
  std::deque<SourceTexture> textures;
  Palette palette = ramp_palette();
  MapLight light;
  LightRange range = LightRange::q3;

  SourceTexture& add(std::string name, uint8_t (*pixel)(int, int) = dull, int width = 16) {
    return textures.emplace_back(make_texture(std::move(name), width, 16, pixel));
  }
  void add_wal(std::string name, uint32_t flags, uint32_t contents = 0, uint32_t value = 0, std::string next = "") {
    add(std::move(name)).wal = WalInfo{flags, contents, value, std::move(next)};
  }
  TextureLookup lookup() const {
    return [this](std::string_view name) -> const SourceTexture* {
      for (const SourceTexture& texture : textures)
        if (lower(texture.name) == lower(name)) return &texture;
      return nullptr;
    };
  }
  PlanStatus plan(const std::vector<std::string>& names, Game game, PackPlan& out, std::string& error,
                  const Palette* game_palette) const {
    std::vector<WantedTexture> wanted;
    for (const std::string& name : names) {
      wanted.push_back({{}, 3});
      (void)classify_source_name(name, game, wanted.back().name);
    }
    return plan_pack(wanted, {}, lookup(), game_palette, "test", range, light, nullptr, out, error);
  }
  PackPlan plan(const std::vector<std::string>& names, Game game) const {
    PackPlan result;
    std::string error;
    EXPECT_EQ(plan(names, game, result, error, &palette), PlanStatus::ok) << error;
    return result;
  }
};

std::string file_text(const PackPlan& plan, const std::string& path) {
  for (const PackFile& file : plan.files)
    if (file.path == path) return std::string(file.bytes.begin(), file.bytes.end());
  return "";
}

std::vector<std::string> paths(const PackPlan& plan) {
  std::vector<std::string> out;
  for (const PackFile& file : plan.files) out.push_back(file.path);
  return out;
}

struct KindCase {
  const char* label;
  Game game;
  std::string name;
  std::vector<std::string> present;  // in the shader, in this order
  std::vector<std::string> absent;
  std::vector<std::string> images;   // besides the texture's own, for a plain still one
};

TEST(TexPackShaders, EachKindHasItsKeywordsAndImages) {
  Sources s;
  for (const char* name : {"*water0", "*LAVA1", "*slime0", "*teleport", "{fence", "+0slip", "+1slip", "+2slip",
                           "+aslip", "+bslip"})
    s.add(name);
  s.add("sky4", dull, 32);
  s.add("light1", with_fullbright);
  s.add("{glass", with_fullbright);
  s.add("*glowwater", with_fullbright);
  s.add("*waterskip");
  s.add("*LAVASKIP");
  s.add_wal("w/trans33", WAL_TRANS33);
  s.add_wal("w/trans66", WAL_TRANS66);
  s.add_wal("w/warp", WAL_WARP);
  s.add_wal("w/flow", WAL_FLOWING);
  s.add_wal("w/light", WAL_LIGHT, 0, 700);
  s.add_wal("w/nodraw", WAL_NODRAW);
  s.add_wal("w/water", WAL_WARP | WAL_TRANS33, WAL_WATER);
  s.add_wal("w/lava", WAL_LIGHT | WAL_WARP, WAL_LAVA, 700);
  s.add_wal("w/sky", WAL_SKY);
  s.add_wal("w/+0anim", 0, 0, 0, "w/+1anim");
  s.add_wal("w/+1anim", 0, 0, 0, "w/+0anim");

  const std::string turb = "tcMod turb", lightmap = "map $lightmap", nolightmap = "surfaceparm nolightmap";
  const Game q1 = Game::quake, q2 = Game::quake2;
  const KindCase cases[] = {
      {"water", q1, "*water0",
       {"surfaceparm nonsolid", "surfaceparm water", "surfaceparm trans", nolightmap, "cull none",
        "map textures/q1/#water0.png", turb},
       {lightmap, "q3map_surfacelight"}, {"textures/q1/#water0.png"}},
      {"Quake lava gives no light of its own", q1, "*LAVA1", {"surfaceparm lava", turb},
       {"surfaceparm water", "q3map_surfacelight"}, {"textures/q1/#lava1.png"}},
      {"nor does its slime", q1, "*slime0", {"surfaceparm slime", turb}, {"surfaceparm water", "q3map_surfacelight"}, {}},
      {"teleport: turbulent, nothing to swim in", q1, "*teleport", {"surfaceparm nonsolid", turb},
       {"surfaceparm water", "surfaceparm lava", "surfaceparm slime"}, {}},
      {"sky: two scrolling layers, no light unless the map asks", q1, "sky4",
       {"surfaceparm sky", "surfaceparm noimpact", nolightmap, "skyparms - 512 -",
        "map textures/q1/sky4_back.png", "tcMod scale 8 8", "tcMod scroll 0.0625 0.0625",
        "map textures/q1/sky4_front.png", "blendFunc blend", "tcMod scale 8 8", "tcMod scroll 0.125 0.125"},
       {lightmap, "q3map_sun", "q3map_surfacelight"}, {"textures/q1/sky4_back.png", "textures/q1/sky4_front.png"}},
      {"fence", q1, "{fence",
       {"surfaceparm trans", "surfaceparm alphashadow", "cull none", "alphaFunc GE128", lightmap, "depthFunc equal"},
       {"surfaceparm nonsolid", "_glow"}, {"textures/q1/{fence.png"}},
      {"fullbright: base, lightmap, glow", q1, "light1",
       {"map textures/q1/light1.png", lightmap, "blendFunc GL_DST_COLOR GL_ZERO", "map textures/q1/light1_glow.png",
        "blendFunc GL_ONE GL_ONE"},
       {"surfaceparm", "alphaFunc"}, {"textures/q1/light1.png", "textures/q1/light1_glow.png"}},
      {"fullbright fence glows where the fence is", q1, "{glass",
       {"alphaFunc GE128", lightmap, "map textures/q1/{glass_glow.png", "depthFunc equal"}, {},
       {"textures/q1/{glass_glow.png"}},
      {"a skip liquid: its volume, not drawn", q1, "*waterskip",
       {"surfaceparm nodraw", "surfaceparm nonsolid", "surfaceparm water", "surfaceparm trans"}, {}, {}},
      {"a skip lava gives no light", q1, "*LAVASKIP", {"surfaceparm nodraw", "surfaceparm lava"},
       {"q3map_surfacelight"}, {}},
      {"liquids are unlit: no glow", q1, "*glowwater", {turb}, {"_glow", lightmap}, {}},
      {"animation from any frame the map uses", q1, "+1slip",
       {"animMap 5 textures/q1/+0slip.png textures/q1/+1slip.png textures/q1/+2slip.png\n", lightmap}, {},
       {"textures/q1/+0slip.png", "textures/q1/+2slip.png"}},
      {"alternate frames animate on their own", q1, "+aslip",
       {"animMap 5 textures/q1/+aslip.png textures/q1/+bslip.png\n"}, {"+0slip"}, {"textures/q1/+bslip.png"}},
      {"trans33", q2, "w/trans33",
       {"surfaceparm trans", nolightmap, "blendFunc blend", "alphaGen const 0.33"}, {lightmap}, {}},
      {"trans66", q2, "w/trans66", {"surfaceparm trans", "alphaGen const 0.66"}, {}, {}},
      {"warp", q2, "w/warp", {nolightmap, turb}, {"surfaceparm water", lightmap}, {}},
      {"flowing", q2, "w/flow", {"tcMod scroll -0.25 0", lightmap}, {turb}, {}},
      {"light value", q2, "w/light", {"q3map_surfacelight 700", lightmap}, {"surfaceparm"}, {}},
      {"nodraw", q2, "w/nodraw", {"surfaceparm nodraw"}, {}, {}},
      {"water", q2, "w/water",
       {"surfaceparm nonsolid", "surfaceparm water", "surfaceparm trans", turb, "alphaGen const 0.33"}, {}, {}},
      {"lava keeps its light value", q2, "w/lava", {"surfaceparm lava", "q3map_surfacelight 700"}, {}, {}},
      {"sky of one image", q2, "w/sky",
       {"surfaceparm sky", "surfaceparm noimpact", "q3map_sun", "skyparms - 512 -", "map textures/q2/w/sky.png"},
       {"_back", "tcMod scale"}, {"textures/q2/w/sky.png"}},
      {"frame chain from the frame used", q2, "w/+1anim",
       {"animMap 2 textures/q2/w/+1anim.png textures/q2/w/+0anim.png\n"}, {}, {"textures/q2/w/+0anim.png"}},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.label);
    const PackPlan plan = s.plan({c.name}, c.game);
    const std::string name = "textures/" + pack_name_of(c.name, c.game);
    const std::string script = file_text(plan, "scripts/test.shader");
    ASSERT_TRUE(script.starts_with(name + "\n{\n")) << script;
    size_t at = 0;
    for (const std::string& word : c.present) {
      at = script.find(word, at);
      ASSERT_NE(at, std::string::npos) << word << " (in order)\n" << script;
    }
    for (const std::string& word : c.absent) EXPECT_EQ(script.find(word), std::string::npos) << word << "\n" << script;
    const std::vector<std::string> written = paths(plan);
    for (const std::string& image : c.images)
      EXPECT_NE(std::find(written.begin(), written.end(), image), written.end()) << image;
    EXPECT_EQ(file_text(plan, "scripts/shaderlist.txt"), "test\n");
  }
}

TEST(TexPackShaders, TheMapsLightKeysLightQuakeSkiesAndSurfaces) {
  Sources s;
  s.add("sky4", dull, 32);
  s.add("wall");
  s.add("*lava1");
  s.add_wal("w/sky", WAL_SKY);
  s.light.sky = {"q3map_sun 1 1 1 75 180 65", "q3map_skyLight 104.584 5 0 90 0"};
  s.light.surfaces["q1/wall"] = kmap::SurfaceLight{"wall", 84, {1, 0.5, 0}};
  s.light.surfaces["q1/#lava1"] = kmap::SurfaceLight{"*lava1", 120.5, {1, 1, 1}};
  const PackPlan q1 = s.plan({"sky4", "wall", "*lava1"}, Game::quake);
  const std::string script = file_text(q1, "scripts/test.shader");
  for (const char* shader :
       {"textures/q1/sky4\n{\n\tqer_editorimage textures/q1/sky4_back.png\n\tsurfaceparm sky\n\tsurfaceparm noimpact\n"
        "\tsurfaceparm nolightmap\n\tq3map_sun 1 1 1 75 180 65\n\tq3map_skyLight 104.584 5 0 90 0\n\tskyparms - 512 -\n",
        "textures/q1/wall\n{\n\tqer_editorimage textures/q1/wall.png\n\tq3map_surfacelight 84\n\tq3map_lightRGB 1 0.5 0\n",
        "surfaceparm lava\n\tsurfaceparm trans\n\tsurfaceparm nolightmap\n\tq3map_surfacelight 120.5\n"})
    EXPECT_NE(script.find(shader), std::string::npos) << shader << "\nin\n" << script;
  EXPECT_EQ(q1.shaders_by_kind[static_cast<size_t>(ShaderKind::light)], 2);
  // A Quake 2 sky keeps its own light.
  const std::string q2 = file_text(s.plan({"w/sky"}, Game::quake2), "scripts/test.shader");
  EXPECT_NE(q2.find("q3map_sun 1 0.95 0.9 100 45 60"), std::string::npos) << q2;
  EXPECT_EQ(q2.find("q3map_skyLight"), std::string::npos) << q2;
}

TEST(TexPackShaders, PlainTexturesGetNoShader) {
  Sources s;
  s.add("wall");
  s.add("+0lone");  // a lone frame does not animate
  s.add("hlwall", with_fullbright).own_palette = std::make_shared<Palette>(ramp_palette());  // Half-Life: no fullbright range
  s.add_wal("e1u1/plain", 0);
  s.add("e1u1/bright", with_fullbright).wal = WalInfo{};  // Quake 2: no fullbright range
  const PackPlan q1 = s.plan({"wall", "+0lone", "hlwall"}, Game::quake);
  const PackPlan q2 = s.plan({"e1u1/plain", "e1u1/bright"}, Game::quake2);
  EXPECT_EQ(paths(q1), (std::vector<std::string>{"textures/q1/+0lone.png", "textures/q1/hlwall.png", "textures/q1/wall.png"}));
  EXPECT_EQ(paths(q2), (std::vector<std::string>{"textures/q2/e1u1/bright.png", "textures/q2/e1u1/plain.png"}));
  EXPECT_EQ(q1.shaders + q2.shaders, 0);
}

// In Quake's light range every lit Quake texture draws its lightmap, stored
// at half, doubled; what Quake draws unlit, and Quake 2, stay as they are.
TEST(TexPackShaders, QuakeRangeDoublesTheLightOfLitQuakeTextures) {
  Sources s;
  s.range = LightRange::quake;
  s.add("wall");
  s.add("{fence");
  s.add("light1", with_fullbright);
  s.add("+0slip");
  s.add("+1slip");
  s.add("*water0");
  s.add("*waterskip");
  s.add("sky4", dull, 32);
  s.add_wal("e1u1/plain", 0);
  s.add_wal("e1u1/flow", WAL_FLOWING);
  const std::string doubled = "\t\tmap $lightmap\n\t\tblendFunc GL_DST_COLOR GL_SRC_COLOR\n";
  const struct {
    std::string name;
    Game game;
    bool overbright;
  } cases[] = {
      {"wall", Game::quake, true},        {"{fence", Game::quake, true},    {"light1", Game::quake, true},
      {"+0slip", Game::quake, true},      {"*water0", Game::quake, false},  {"*waterskip", Game::quake, false},
      {"sky4", Game::quake, false},       {"e1u1/plain", Game::quake2, false}, {"e1u1/flow", Game::quake2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PackPlan plan = s.plan({c.name}, c.game);
    const std::string script = file_text(plan, "scripts/test.shader");
    const std::string name = "textures/" + pack_name_of(c.name, c.game);
    EXPECT_EQ(script.find("\tq3map_lightmapBrightness 0.5\n") != std::string::npos, c.overbright) << script;
    EXPECT_EQ(script.find(doubled) != std::string::npos, c.overbright) << script;
    EXPECT_EQ(plan.overbright_shaders.contains(name), c.overbright);
    EXPECT_EQ(plan.overbright_shaders.size(), c.overbright ? 1u : 0u);
    EXPECT_EQ(plan.shaders_by_kind[static_cast<size_t>(ShaderKind::overbright)], c.overbright ? 1 : 0);
  }
  // A plain texture's whole shader: the texture, then its light doubled.
  EXPECT_EQ(file_text(s.plan({"wall"}, Game::quake), "scripts/test.shader"),
            "textures/q1/wall\n{\n\tqer_editorimage textures/q1/wall.png\n\tq3map_lightmapBrightness 0.5\n"
            "\t{\n\t\tmap textures/q1/wall.png\n\t\trgbGen identity\n\t}\n"
            "\t{\n" + doubled + "\t\trgbGen identity\n\t}\n}\n");
}

TEST(TexPackShaders, CountsMissingNamesAndFailures) {
  Sources s;
  s.add("{glass", with_fullbright);
  s.add("*water0");
  s.add("hlwall").own_palette = std::make_shared<Palette>(ramp_palette());
  s.add_wal(std::string(60, 'n'), 0);
  const PackPlan plan = s.plan({"{glass", "*water0", "nowhere"}, Game::quake);
  EXPECT_EQ(plan.shaders, 2);
  const auto count = [&](ShaderKind kind) { return plan.shaders_by_kind[static_cast<size_t>(kind)]; };
  EXPECT_EQ(count(ShaderKind::fence) + count(ShaderKind::fullbright) + count(ShaderKind::liquid), 3);
  EXPECT_EQ(count(ShaderKind::sky) + count(ShaderKind::surface) + count(ShaderKind::animated), 0);
  ASSERT_EQ(plan.missing.size(), 1u);
  EXPECT_EQ(plan.missing[0].pack_name, "q1/nowhere");
  EXPECT_EQ(plan.missing[0].faces, 3);
  EXPECT_EQ(plan.textures_found, 2);
  EXPECT_EQ(plan.found_per_origin.at("synthetic"), 2);
  EXPECT_EQ(plan.palette_used, &s.palette);

  const struct {
    std::string name;
    Game game;
    const Palette* palette;
    PlanStatus status;
    std::string error;
  } cases[] = {
      {"*water0", Game::quake, nullptr, PlanStatus::no_palette,
       "no palette found: give the game folder or palette.lmp/colormap.pcx"},
      {"hlwall", Game::quake, nullptr, PlanStatus::ok, ""},  // its own colours
      {std::string(60, 'n'), Game::quake2, &s.palette, PlanStatus::bad_name, "Q3 reads paths of at most 63"},
  };
  for (const auto& c : cases) {
    PackPlan untouched;
    untouched.shaders = -1;
    std::string error;
    EXPECT_EQ(s.plan({c.name}, c.game, untouched, error, c.palette), c.status) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    if (c.status != PlanStatus::ok) {
      EXPECT_EQ(untouched.shaders, -1);
    }
  }
}

TEST(TexPackShaders, PackPathsAreChecked) {
  const std::pair<std::string, bool> cases[] = {
      {"textures/q1/#water0.png", true}, {"textures/q1/{fence.png", true}, {std::string(63, 'a'), true},
      {std::string(64, 'a'), false},     {"textures/q2/../x.png", false},  {"textures//x.png", false},
      {"textures/a b.png", false},       {"textures/a\\b.png", false},     {"textures/a:b.png", false},
  };
  for (const auto& [path, ok] : cases) {
    std::string error;
    EXPECT_EQ(check_pack_path(path, error), ok) << path;
    EXPECT_EQ(error.empty(), ok) << path;
  }
}

// Faces that must not block: the converted names' shaders let players
// through, draw the kept name's images (shared with its solid faces), and
// keep the texture's own kind; a missing texture still gets its shader.
TEST(TexPackShaders, NonsolidNamesGetAShaderThatLetsThrough) {
  Sources s;
  s.add("wall");
  s.add("{fence");
  std::vector<WantedTexture> wanted;
  for (const char* name : {"q1/wall", "q1/nonsolid/wall", "q1/nonsolid_opaque/{fence", "q1/nonsolid/gone"}) {
    wanted.push_back({{}, 2});
    ASSERT_EQ(classify_converted_name(name, wanted.back().name), NameClass::packed) << name;
  }
  PackPlan plan;
  std::string error;
  ASSERT_EQ(plan_pack(wanted, {}, s.lookup(), &s.palette, "test", s.range, s.light, nullptr, plan, error), PlanStatus::ok) << error;
  EXPECT_EQ(paths(plan), (std::vector<std::string>{"textures/q1/wall.png", "textures/q1/{fence.png",
                                                   "scripts/test.shader", "scripts/shaderlist.txt"}));
  EXPECT_EQ(plan.shaders, 3);
  EXPECT_EQ(plan.shaders_by_kind[static_cast<size_t>(ShaderKind::nonsolid)], 3);
  const std::string script = file_text(plan, "scripts/test.shader");
  EXPECT_NE(script.find("textures/q1/nonsolid/wall\n{\n"
                        "\tqer_editorimage textures/q1/wall.png\n"
                        "\tsurfaceparm nonsolid\n"
                        "\tsurfaceparm trans\n"
                        "\t{\n\t\tmap textures/q1/wall.png\n"),
            std::string::npos)
      << script;
  // The fence's own keywords stay; sight passes through it anyway.
  EXPECT_NE(script.find("textures/q1/nonsolid_opaque/{fence\n{\n"
                        "\tqer_editorimage textures/q1/{fence.png\n"
                        "\tsurfaceparm nonsolid\n"
                        "\tsurfaceparm trans\n"
                        "\tsurfaceparm alphashadow\n"),
            std::string::npos)
      << script;
  EXPECT_NE(script.find("textures/q1/nonsolid/gone\n{\n"
                        "\tqer_editorimage textures/q1/gone.png\n"
                        "\tsurfaceparm nonsolid\n"),
            std::string::npos)
      << script;
  EXPECT_EQ(script.find("textures/q1/wall\n"), std::string::npos) << "a plain solid wall needs no shader";
  EXPECT_EQ(plan.missing.size(), 1u);
}

TEST(TexPackShaders, TheShippedFallbackIsTheOneThePackWriterKnows) {
  std::ifstream in(source_file("tables/korvex.shader"));
  ASSERT_TRUE(in);
  const std::string shipped((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string without_comments;
  for (size_t start = 0; start < shipped.size();) {
    const size_t end = shipped.find('\n', start);
    const std::string line = shipped.substr(start, end - start);
    if (!line.starts_with("//")) without_comments += line + "\n";
    start = end == std::string::npos ? shipped.size() : end + 1;
  }
  EXPECT_EQ(without_comments, shader_text(fallback_nonsolid_shader(kmap::Solidity::nonsolid)) + "\n" +
                                  shader_text(fallback_nonsolid_shader(kmap::Solidity::nonsolid_opaque)));
}

}  // namespace
