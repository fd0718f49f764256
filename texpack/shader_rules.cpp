#include "shader_rules.h"

#include <algorithm>

#include "light_keys.h"

namespace texpack {
namespace {

// Quake's liquid warp: 8 texels of a 64-texel texture, one cycle in 2*pi seconds.
constexpr const char* turbulence = "tcMod turb 0 0.125 0 0.159";
// A sky of one image (Quake 2's) drifts slowly; Quake's layers follow.
constexpr const char* sky_scroll = "tcMod scroll 0.03 0.03";
// Quake draws its 128-texel sky layers about 8 times smaller than a Q3
// cloud layer at `skyparms - 512 -` (a layer spans some 45 degrees of sky
// above the viewer there, some 5 here), and moves them 8 and 16 texels a
// second: the front layer twice as fast as the back one.
constexpr const char* quake_sky_scale = "tcMod scale 8 8";
constexpr const char* quake_sky_back_scroll = "tcMod scroll 0.0625 0.0625";
constexpr const char* quake_sky_front_scroll = "tcMod scroll 0.125 0.125";
// Quake 2 skies, and its liquids without a light value of their own.
constexpr const char* sky_sun = "q3map_sun 1 0.95 0.9 100 45 60";
constexpr int sky_surface_light = 100;
constexpr int lava_light = 600;
constexpr int slime_light = 200;

std::string liquid_parm(Liquid liquid) {
  switch (liquid) {
    case Liquid::water: return "surfaceparm water";
    case Liquid::slime: return "surfaceparm slime";
    case Liquid::lava: return "surfaceparm lava";
    case Liquid::teleport:
    case Liquid::none: break;
  }
  return "";
}

std::string image_line(const std::vector<std::string>& frames, int frame_rate) {
  if (frames.size() == 1) return "map " + frames[0];
  std::string line = "animMap " + std::to_string(frame_rate);
  for (const std::string& frame : frames) line += " " + frame;
  return line;
}

bool is_quake(const std::string& pack_name) { return pack_name.starts_with("q1/"); }

Shader sky_shader(Shader shader, const std::string& pack_name, const Surface& surface, const ShaderImages& images,
                  const ShaderLight& light) {
  const bool layered = !images.sky_back.empty();
  shader.header = {"qer_editorimage " + (layered ? images.sky_back : images.frames[0]), "surfaceparm sky",
                   "surfaceparm noimpact", "surfaceparm nolightmap"};
  if (is_quake(pack_name)) {
    shader.header.insert(shader.header.end(), light.sky.begin(), light.sky.end());
  } else {
    shader.header.emplace_back(sky_sun);
    shader.header.push_back("q3map_surfacelight " +
                            std::to_string(surface.light > 0 ? surface.light : sky_surface_light));
  }
  shader.header.emplace_back("skyparms - 512 -");
  if (layered) {
    shader.stages.push_back({{"map " + images.sky_back, quake_sky_scale, quake_sky_back_scroll}});
    shader.stages.push_back({{"map " + images.sky_front, "blendFunc blend", quake_sky_scale, quake_sky_front_scroll}});
  } else {
    shader.stages.push_back({{"map " + images.frames[0], sky_scroll}});
  }
  return shader;
}

}  // namespace

bool is_overbright(const std::string& pack_name, const Surface& surface, LightRange range) {
  return range == LightRange::quake && is_quake(pack_name) && !surface.unlit() && !surface.nodraw;
}

std::vector<ShaderKind> shader_kinds(const std::string& pack_name, const Surface& surface, const ShaderLight& light,
                                     LightRange range) {
  std::vector<ShaderKind> kinds;
  if (surface.liquid != Liquid::none) kinds.push_back(ShaderKind::liquid);
  if (surface.sky) kinds.push_back(ShaderKind::sky);
  if (!surface.frames.empty()) kinds.push_back(ShaderKind::animated);
  if (surface.fence) kinds.push_back(ShaderKind::fence);
  if (surface.glow) kinds.push_back(ShaderKind::fullbright);
  if (surface.alpha < 1.0f || (surface.warp && surface.liquid == Liquid::none) || surface.flowing ||
      surface.nodraw || surface.slick || (surface.light > 0 && !surface.sky && surface.liquid == Liquid::none))
    kinds.push_back(ShaderKind::surface);
  if (light.emits()) kinds.push_back(ShaderKind::light);
  if (is_overbright(pack_name, surface, range)) kinds.push_back(ShaderKind::overbright);
  return kinds;
}

Shader make_shader(const std::string& pack_name, const Surface& surface, const ShaderImages& images,
                   const ShaderLight& map_light, LightRange range) {
  Shader shader;
  shader.name = "textures/" + pack_name;
  if (surface.sky) return sky_shader(shader, pack_name, surface, images, map_light);

  std::vector<std::string>& header = shader.header;
  header.push_back("qer_editorimage " + images.frames[0]);
  if (surface.alpha < 1.0f) header.push_back("qer_trans " + kmap::fixed_number(surface.alpha));
  if (surface.nodraw) header.push_back("surfaceparm nodraw");
  if (surface.liquid != Liquid::none) {
    header.push_back("surfaceparm nonsolid");
    if (surface.liquid != Liquid::teleport) header.push_back(liquid_parm(surface.liquid));
  }
  if (surface.liquid != Liquid::none || surface.fence || surface.alpha < 1.0f) header.push_back("surfaceparm trans");
  if (surface.fence) header.push_back("surfaceparm alphashadow");
  if (surface.slick) header.push_back("surfaceparm slick");
  if (surface.unlit()) header.push_back("surfaceparm nolightmap");
  const bool overbright = is_overbright(pack_name, surface, range);
  if (overbright) header.push_back("q3map_lightmapBrightness " + kmap::short_number(overbright_lightmap_scale));
  if (is_quake(pack_name)) {
    // Quake's own liquids give no light; a "_surface" template makes any texture give some.
    if (map_light.emits()) {
      header.push_back("q3map_surfacelight " + kmap::short_number(map_light.surface));
      header.push_back("q3map_lightRGB " + map_light.surface_rgb);
    }
  } else {
    int light = static_cast<int>(surface.light);
    if (light == 0 && !surface.nodraw && surface.liquid == Liquid::lava) light = lava_light;
    if (light == 0 && !surface.nodraw && surface.liquid == Liquid::slime) light = slime_light;
    if (light > 0) header.push_back("q3map_surfacelight " + std::to_string(light));
  }
  // Liquids are seen from inside too, fences from both sides.
  if (surface.liquid != Liquid::none || surface.fence) header.push_back("cull none");

  const std::vector<std::string> still{images.frames[0]};
  const std::vector<std::string>& frames = surface.frames.empty() ? still : images.frames;
  ShaderStage base{{image_line(frames, surface.frame_rate)}};
  if (surface.fence) {
    base.lines.push_back("alphaFunc GE128");
    base.lines.push_back("depthWrite");
  }
  if (surface.liquid != Liquid::none || surface.warp) base.lines.push_back(turbulence);
  if (surface.flowing) base.lines.push_back("tcMod scroll -0.25 0");
  if (surface.alpha < 1.0f) {
    base.lines.push_back("blendFunc blend");
    base.lines.push_back("alphaGen const " + kmap::fixed_number(surface.alpha));
  }
  base.lines.push_back("rgbGen identity");
  shader.stages.push_back(base);
  if (surface.unlit()) return shader;

  // dst * src + src * dst: twice the lit texture, for the half stored.
  ShaderStage lightmap{{"map $lightmap",
                        overbright ? "blendFunc GL_DST_COLOR GL_SRC_COLOR" : "blendFunc GL_DST_COLOR GL_ZERO",
                        "rgbGen identity"}};
  if (surface.fence) lightmap.lines.push_back("depthFunc equal");
  shader.stages.push_back(lightmap);
  if (surface.glow && !images.glow_frames.empty()) {
    const std::vector<std::string> glow_still{images.glow_frames[0]};
    ShaderStage glow{{image_line(surface.frames.empty() ? glow_still : images.glow_frames, surface.frame_rate),
                      "blendFunc GL_ONE GL_ONE", "rgbGen identity"}};
    if (surface.fence) glow.lines.push_back("depthFunc equal");
    shader.stages.push_back(glow);
  }
  return shader;
}

void make_nonsolid(Shader& shader, kmap::Solidity solidity) {
  if (solidity == kmap::Solidity::solid) return;
  std::vector<std::string> wanted{"surfaceparm nonsolid"};
  if (solidity == kmap::Solidity::nonsolid) wanted.push_back("surfaceparm trans");
  // After the editor's lines, before the rest: where a reader looks first.
  auto at = shader.header.begin();
  while (at != shader.header.end() && at->starts_with("qer_")) ++at;
  for (const std::string& line : wanted)
    if (std::find(shader.header.begin(), shader.header.end(), line) == shader.header.end())
      at = shader.header.insert(at, line) + 1;
}

Shader fallback_nonsolid_shader(kmap::Solidity solidity) {
  Shader shader;
  shader.name = "textures/" + std::string(solidity == kmap::Solidity::nonsolid_opaque ? kmap::fallback_nonsolid_opaque
                                                                                     : kmap::fallback_nonsolid);
  shader.header = {"qer_editorimage textures/common/nodraw.tga"};
  make_nonsolid(shader, solidity == kmap::Solidity::solid ? kmap::Solidity::nonsolid : solidity);
  shader.stages.push_back({{"map $whiteimage", "rgbGen identity"}});
  shader.stages.push_back({{"map $lightmap", "blendFunc GL_DST_COLOR GL_ZERO", "rgbGen identity"}});
  return shader;
}

Image fog_image(const kmap::FogVolume& fog) {
  constexpr int side = 8;
  Image image{side, side, 3, {}};
  for (int i = 0; i < side * side; ++i) image.pixels.insert(image.pixels.end(), fog.colour.begin(), fog.colour.end());
  return image;
}

Shader fog_shader(const kmap::FogVolume& fog) {
  Shader shader;
  shader.name = "textures/" + kmap::fog_texture_name(fog);
  std::string colour;
  for (const uint8_t channel : fog.colour) colour += kmap::short_number(channel / 255.0, 3) + " ";
  shader.header = {"qer_editorimage " + shader.name + ".png", "surfaceparm fog", "surfaceparm nonsolid",
                   "surfaceparm trans", "surfaceparm nolightmap",
                   "fogparms ( " + colour + ") " + std::to_string(fog.distance)};
  return shader;
}

}  // namespace texpack
