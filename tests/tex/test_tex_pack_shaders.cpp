// Shaders by kind, through the whole pack plan on synthetic textures: the
// keywords each kind needs, those it must not have, and the images it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "pack_plan.h"
#include "test_tex_pack_support.h"

using namespace texpack;

namespace {

uint8_t dull(int x, int y) { return static_cast<uint8_t>(16 + (x + y) % 64); }
uint8_t with_fullbright(int x, int y) { return x == y ? 230 : dull(x, y); }

struct Sources {
  std::deque<SourceTexture> textures;
  Palette palette = ramp_palette();

  SourceTexture& add(std::string name, uint8_t (*pixel)(int, int) = dull, int width = 16, int height = 16) {
    textures.push_back(make_texture(std::move(name), width, height, pixel));
    return textures.back();
  }
  SourceTexture& add_wal(std::string name, uint32_t flags, uint32_t contents = 0, uint32_t value = 0,
                         std::string next = "") {
    SourceTexture& texture = add(std::move(name));
    texture.wal = WalInfo{flags, contents, value, std::move(next)};
    return texture;
  }
  TextureLookup lookup() const {
    return [this](std::string_view name) -> const SourceTexture* {
      for (const SourceTexture& texture : textures)
        if (lower(texture.name) == lower(name)) return &texture;
      return nullptr;
    };
  }
  PackPlan plan(const std::vector<std::string>& names, Game game) const {
    std::vector<WantedTexture> wanted;
    for (const std::string& name : names) {
      PackName pack_name;
      EXPECT_EQ(classify_source_name(name, game, pack_name), NameClass::PACKED);
      wanted.push_back({pack_name, 1});
    }
    PackPlan result;
    std::string error;
    EXPECT_EQ(plan_pack(wanted, lookup(), &palette, "test", nullptr, result, error), PlanStatus::OK) << error;
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

// The shader named `name` in the plan's script, or "".
std::string shader_of(const PackPlan& plan, const std::string& name) {
  const std::string script = file_text(plan, "scripts/test.shader");
  const size_t start = script.find(name + "\n{\n");
  if (start == std::string::npos) return "";
  return script.substr(start, script.find("\n}\n", start) + 3 - start);
}

struct KindCase {
  const char* label;
  std::string name;
  std::vector<std::string> present;
  std::vector<std::string> absent;
  std::vector<std::string> images;
};

TEST(TexPackShaders, QuakeKindsByName) {
  Sources sources;
  for (const char* name : {"*water0", "*LAVA1", "*slime0", "*teleport", "{fence", "wall", "+1slip"}) sources.add(name);
  sources.add("sky4", dull, 32, 16);
  sources.add("light1", with_fullbright);
  for (const char* name : {"+0slip", "+2slip", "+aslip", "+bslip", "+0lone"}) sources.add(name);
  sources.add("{glass", with_fullbright);
  sources.add("*glowwater", with_fullbright);

  const std::string turb = "tcMod turb";
  const std::string lightmap = "map $lightmap";
  const KindCase cases[] = {
      {"water", "*water0",
       {"surfaceparm nonsolid", "surfaceparm water", "surfaceparm trans", "surfaceparm nolightmap", turb, "cull none",
        "map textures/q1/#water0.png"},
       {lightmap, "q3map_surfacelight", "surfaceparm lava"},
       {"textures/q1/#water0.png"}},
      {"lava gives light", "*LAVA1",
       {"surfaceparm lava", "surfaceparm nonsolid", "q3map_surfacelight", turb},
       {"surfaceparm water", lightmap},
       {"textures/q1/#lava1.png"}},
      {"slime gives light", "*slime0", {"surfaceparm slime", "q3map_surfacelight", turb}, {"surfaceparm water"}, {}},
      {"teleport: turbulent, not a liquid to swim in", "*teleport",
       {"surfaceparm nonsolid", turb},
       {"surfaceparm water", "surfaceparm lava", "surfaceparm slime"},
       {}},
      {"sky: two scrolling layers", "sky4",
       {"surfaceparm sky", "surfaceparm noimpact", "surfaceparm nolightmap", "skyparms - 512 -", "q3map_sun",
        "q3map_surfacelight", "map textures/q1/sky4_back.png", "map textures/q1/sky4_front.png", "blendFunc blend",
        "tcMod scroll"},
       {lightmap},
       {"textures/q1/sky4_back.png", "textures/q1/sky4_front.png"}},
      {"fence", "{fence",
       {"alphaFunc GE128", "cull none", "surfaceparm trans", "surfaceparm alphashadow", "depthFunc equal", lightmap},
       {"surfaceparm nonsolid", "_glow"},
       {"textures/q1/{fence.png"}},
      {"fullbright", "light1",
       {"map textures/q1/light1.png", lightmap, "blendFunc GL_DST_COLOR GL_ZERO",
        "map textures/q1/light1_glow.png", "blendFunc GL_ONE GL_ONE"},
       {"surfaceparm", "alphaFunc"},
       {"textures/q1/light1.png", "textures/q1/light1_glow.png"}},
      {"fullbright fence glows where the fence is drawn", "{glass",
       {"alphaFunc GE128", "map textures/q1/{glass_glow.png", "blendFunc GL_ONE GL_ONE"},
       {},
       {"textures/q1/{glass.png", "textures/q1/{glass_glow.png"}},
      {"a liquid is unlit already: no glow", "*glowwater", {turb}, {"_glow", lightmap}, {"textures/q1/#glowwater.png"}},
      {"animation from any frame the map uses", "+1slip",
       {"animMap 5 textures/q1/+0slip.png textures/q1/+1slip.png textures/q1/+2slip.png", lightmap},
       {"map textures/q1/+1slip.png"},
       {"textures/q1/+0slip.png", "textures/q1/+1slip.png", "textures/q1/+2slip.png"}},
      {"alternate frames are an animation of their own", "+aslip",
       {"animMap 5 textures/q1/+aslip.png textures/q1/+bslip.png\n"},
       {"+0slip"},
       {"textures/q1/+aslip.png", "textures/q1/+bslip.png"}},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.label);
    const PackPlan plan = sources.plan({c.name}, Game::QUAKE);
    const std::string shader = shader_of(plan, "textures/" + quake_pack_name(c.name));
    ASSERT_FALSE(shader.empty()) << file_text(plan, "scripts/test.shader");
    for (const std::string& word : c.present) EXPECT_NE(shader.find(word), std::string::npos) << word << "\n" << shader;
    for (const std::string& word : c.absent) EXPECT_EQ(shader.find(word), std::string::npos) << word << "\n" << shader;
    const std::vector<std::string> written = paths(plan);
    for (const std::string& image : c.images)
      EXPECT_NE(std::find(written.begin(), written.end(), image), written.end()) << image;
    EXPECT_EQ(file_text(plan, "scripts/shaderlist.txt"), "test\n");
  }
}

TEST(TexPackShaders, GlowStageComesAfterTheLightmap) {
  Sources sources;
  sources.add("light1", with_fullbright);
  const std::string shader = shader_of(sources.plan({"light1"}, Game::QUAKE), "textures/q1/light1");
  const size_t base = shader.find("map textures/q1/light1.png");
  const size_t lightmap = shader.find("map $lightmap");
  const size_t glow = shader.find("map textures/q1/light1_glow.png");
  EXPECT_LT(base, lightmap);
  EXPECT_LT(lightmap, glow);
  EXPECT_NE(glow, std::string::npos);
}

TEST(TexPackShaders, PlainTexturesGetNoShader) {
  Sources sources;
  sources.add("wall");
  sources.add("+0lone");  // a lone frame does not animate
  SourceTexture& half_life = sources.add("hlwall", with_fullbright);  // own palette: no fullbright range
  half_life.own_palette = std::make_shared<Palette>(ramp_palette());
  sources.add_wal("e1u1/plain", 0);
  sources.add("e1u1/bright", with_fullbright).wal = WalInfo{};  // Quake 2 has no fullbright range
  const PackPlan quake = sources.plan({"wall", "+0lone", "hlwall"}, Game::QUAKE);
  const PackPlan quake2 = sources.plan({"e1u1/plain", "e1u1/bright"}, Game::QUAKE2);
  EXPECT_EQ(paths(quake), (std::vector<std::string>{"textures/q1/+0lone.png", "textures/q1/hlwall.png",
                                                    "textures/q1/wall.png"}));
  EXPECT_EQ(paths(quake2), (std::vector<std::string>{"textures/q2/e1u1/bright.png", "textures/q2/e1u1/plain.png"}));
  EXPECT_EQ(quake.shaders + quake2.shaders, 0);
}

TEST(TexPackShaders, Quake2ByWalHeader) {
  Sources sources;
  sources.add_wal("w/trans33", WAL_TRANS33);
  sources.add_wal("w/trans66", WAL_TRANS66);
  sources.add_wal("w/warp", WAL_WARP);
  sources.add_wal("w/flow", WAL_FLOWING);
  sources.add_wal("w/light", WAL_LIGHT, 0, 700);
  sources.add_wal("w/nodraw", WAL_NODRAW);
  sources.add_wal("w/water", WAL_WARP | WAL_TRANS33, WAL_WATER);
  sources.add_wal("w/lava", WAL_LIGHT | WAL_WARP, WAL_LAVA, 700);
  sources.add_wal("w/slime", 0, WAL_SLIME);
  sources.add_wal("w/sky", WAL_SKY);
  sources.add_wal("w/+0anim", 0, 0, 0, "w/+1anim");
  sources.add_wal("w/+1anim", 0, 0, 0, "w/+0anim");
  const KindCase cases[] = {
      {"trans33", "w/trans33",
       {"blendFunc blend", "alphaGen const 0.33", "surfaceparm trans", "surfaceparm nolightmap"},
       {"$lightmap"}, {}},
      {"trans66", "w/trans66", {"alphaGen const 0.66", "surfaceparm trans"}, {}, {}},
      {"warp", "w/warp", {"tcMod turb"}, {"surfaceparm water", "$lightmap"}, {}},
      {"flowing", "w/flow", {"tcMod scroll -0.25 0", "$lightmap"}, {"tcMod turb"}, {}},
      {"light value", "w/light", {"q3map_surfacelight 700", "$lightmap"}, {"surfaceparm"}, {}},
      {"nodraw", "w/nodraw", {"surfaceparm nodraw"}, {}, {}},
      {"water", "w/water",
       {"surfaceparm water", "surfaceparm nonsolid", "surfaceparm trans", "tcMod turb", "alphaGen const 0.33"},
       {"surfaceparm lava"}, {}},
      {"lava keeps its own light value", "w/lava", {"surfaceparm lava", "q3map_surfacelight 700"}, {}, {}},
      {"slime", "w/slime", {"surfaceparm slime", "tcMod turb"}, {}, {}},
      {"sky", "w/sky",
       {"surfaceparm sky", "surfaceparm noimpact", "skyparms - 512 -", "map textures/q2/w/sky.png", "q3map_sun"},
       {"_back"}, {"textures/q2/w/sky.png"}},
      {"frame chain, from the frame the map uses", "w/+1anim",
       {"animMap 2 textures/q2/w/+1anim.png textures/q2/w/+0anim.png"},
       {}, {"textures/q2/w/+0anim.png", "textures/q2/w/+1anim.png"}},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.label);
    const PackPlan plan = sources.plan({c.name}, Game::QUAKE2);
    const std::string shader = shader_of(plan, "textures/q2/" + c.name);
    ASSERT_FALSE(shader.empty()) << file_text(plan, "scripts/test.shader");
    for (const std::string& word : c.present) EXPECT_NE(shader.find(word), std::string::npos) << word << "\n" << shader;
    for (const std::string& word : c.absent) EXPECT_EQ(shader.find(word), std::string::npos) << word << "\n" << shader;
    const std::vector<std::string> written = paths(plan);
    for (const std::string& image : c.images)
      EXPECT_NE(std::find(written.begin(), written.end(), image), written.end()) << image;
  }
}

TEST(TexPackShaders, CountsByKindAndMissingNames) {
  Sources sources;
  sources.add("{glass", with_fullbright);
  sources.add("*water0");
  std::vector<WantedTexture> wanted;
  for (const char* name : {"{glass", "*water0", "nowhere"}) {
    PackName pack_name;
    (void)classify_source_name(name, Game::QUAKE, pack_name);
    wanted.push_back({pack_name, 3});
  }
  PackPlan plan;
  std::string error;
  ASSERT_EQ(plan_pack(wanted, sources.lookup(), &sources.palette, "test", nullptr, plan, error), PlanStatus::OK);
  EXPECT_EQ(plan.shaders, 2);
  EXPECT_EQ(plan.shaders_by_kind[static_cast<size_t>(ShaderKind::FENCE)], 1);
  EXPECT_EQ(plan.shaders_by_kind[static_cast<size_t>(ShaderKind::FULLBRIGHT)], 1);
  EXPECT_EQ(plan.shaders_by_kind[static_cast<size_t>(ShaderKind::LIQUID)], 1);
  EXPECT_EQ(plan.shaders_by_kind[static_cast<size_t>(ShaderKind::SKY)], 0);
  ASSERT_EQ(plan.missing.size(), 1u);
  EXPECT_EQ(plan.missing[0].pack_name, "q1/nowhere");
  EXPECT_EQ(plan.missing[0].faces, 3);
  EXPECT_EQ(plan.textures_found, 2);
  EXPECT_EQ(plan.found_per_origin.at("synthetic"), 2);
  EXPECT_EQ(plan.palette_used, &sources.palette);
}

TEST(TexPackShaders, FailuresBeforeAnythingIsEncoded) {
  Sources sources;
  sources.add("wall");
  SourceTexture& half_life = sources.add("hlwall");
  half_life.own_palette = std::make_shared<Palette>(ramp_palette());
  sources.add_wal(std::string(60, 'n'), 0);
  const auto plan_with = [&](const char* name, Game game, const Palette* palette, std::string& error) {
    PackName pack_name;
    (void)classify_source_name(name, game, pack_name);
    PackPlan plan;
    plan.shaders = -1;
    const PlanStatus status = plan_pack({{pack_name, 1}}, sources.lookup(), palette, "test", nullptr, plan, error);
    if (status != PlanStatus::OK) {
      EXPECT_EQ(plan.shaders, -1);  // untouched on failure
    }
    return status;
  };
  std::string error;
  EXPECT_EQ(plan_with("wall", Game::QUAKE, nullptr, error), PlanStatus::NO_PALETTE);
  EXPECT_NE(error.find("no palette found: give the game folder or palette.lmp/colormap.pcx"), std::string::npos);
  EXPECT_EQ(plan_with("hlwall", Game::QUAKE, nullptr, error), PlanStatus::OK);  // its own colours
  EXPECT_EQ(plan_with(std::string(60, 'n').c_str(), Game::QUAKE2, &sources.palette, error), PlanStatus::BAD_NAME);
  EXPECT_NE(error.find("at most 63"), std::string::npos);
}

TEST(TexPackShaders, PackPathsAreChecked) {
  const struct {
    std::string path;
    bool ok;
  } cases[] = {
      {"textures/q1/#water0.png", true}, {"textures/q1/{fence.png", true},
      {std::string(63, 'a'), true},      {std::string(64, 'a'), false},
      {"textures/q2/../x.png", false},   {"textures//x.png", false},
      {"textures/a b.png", false},       {"textures/a\\b.png", false},
      {"textures/a:b.png", false},       {"textures/\x7f.png", false},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(check_pack_path(c.path, error), c.ok) << c.path;
    EXPECT_EQ(error.empty(), c.ok) << c.path;
  }
}

}  // namespace
