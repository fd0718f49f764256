#include "pack_plan.h"

#include <algorithm>
#include <set>

#include "images.h"
#include "png_encode.h"

namespace texpack {
namespace {

// An image still to be encoded.
struct ImageJob {
  const SourceTexture* texture = nullptr;
  enum Treatment { PLAIN, FENCE, GLOW, SKY_BACK, SKY_FRONT } treatment = PLAIN;
};

struct Found {
  const WantedTexture* wanted = nullptr;
  const SourceTexture* texture = nullptr;
  Surface surface;
};

const Palette* palette_of(const SourceTexture& texture, const Palette* game_palette) {
  return texture.own_palette ? texture.own_palette.get() : game_palette;
}

bool is_quake_sky(const Found& found) {
  return found.surface.sky && !found.texture->wal && found.texture->own_palette == nullptr &&
         found.texture->width >= 2;
}

std::string image_path(const std::string& pack_name, std::string_view suffix = "") {
  return "textures/" + pack_name + std::string(suffix) + ".png";
}

Image render(const ImageJob& job, const Palette& palette) {
  switch (job.treatment) {
    case ImageJob::FENCE: return image_with_transparent(*job.texture, palette, fence_transparent_index);
    case ImageJob::GLOW: return glow_image(*job.texture, palette);
    case ImageJob::SKY_BACK: return sky_layers(*job.texture, palette).back;
    case ImageJob::SKY_FRONT: return sky_layers(*job.texture, palette).front;
    case ImageJob::PLAIN: break;
  }
  return plain_image(*job.texture, palette);
}

// Adds the images of one texture to `jobs` and returns the paths its shader draws.
ShaderImages add_images(const Found& found, std::map<std::string, ImageJob>& jobs) {
  ShaderImages images;
  const std::string pack_name = image_pack_name(found.wanted->name);
  if (is_quake_sky(found)) {
    images.sky_back = image_path(pack_name, "_back");
    images.sky_front = image_path(pack_name, "_front");
    jobs[images.sky_back] = {found.texture, ImageJob::SKY_BACK};
    jobs[images.sky_front] = {found.texture, ImageJob::SKY_FRONT};
    images.frames.push_back(images.sky_back);
    return images;
  }
  std::vector<const SourceTexture*> frames = found.surface.frames;
  if (frames.empty()) frames.push_back(found.texture);
  for (const SourceTexture* frame : frames) {
    const std::string frame_name =
        frame == found.texture ? pack_name : pack_name_of(frame->name, found.wanted->name.game);
    const std::string path = image_path(frame_name);
    images.frames.push_back(path);
    jobs.emplace(path, ImageJob{frame, found.surface.fence ? ImageJob::FENCE : ImageJob::PLAIN});
    if (found.surface.glow) {
      const std::string glow = image_path(frame_name, "_glow");
      images.glow_frames.push_back(glow);
      jobs.emplace(glow, ImageJob{frame, ImageJob::GLOW});
    }
  }
  return images;
}

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

bool check_pack_path(const std::string& path, std::string& error) {
  if (path.size() > max_pack_path) {
    error = "'" + path + "' is " + std::to_string(path.size()) + " characters long; Q3 reads paths of at most " +
            std::to_string(max_pack_path);
    return false;
  }
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte >= 127 || c == '\\' || c == '"' || c == ':') {
      error = "'" + path + "' holds a character a pack path cannot hold";
      return false;
    }
  }
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") {
      error = "'" + path + "' has an empty, '.' or '..' part";
      return false;
    }
    if (end == path.size()) break;
    start = end + 1;
  }
  return true;
}

PlanStatus plan_pack(const std::vector<WantedTexture>& wanted, const std::vector<kmap::FogVolume>& fogs,
                     const TextureLookup& lookup,
                     const Palette* game_palette, const std::string& script_name, LightRange range,
                     const MapLight& light, const Progress& progress, PackPlan& out, std::string& error) {
  PackPlan plan;
  std::vector<Found> found;
  std::vector<const WantedTexture*> missing_nonsolid;
  for (const WantedTexture& want : wanted) {
    const SourceTexture* texture = lookup(want.name.library_name);
    if (texture == nullptr && !want.name.alt_library_name.empty()) texture = lookup(want.name.alt_library_name);
    if (texture == nullptr) {
      plan.missing.push_back({want.name.pack_name, want.faces});
      if (want.name.solidity != kmap::Solidity::solid) missing_nonsolid.push_back(&want);
      continue;
    }
    found.push_back({&want, texture, describe_surface(*texture, want.name.game, lookup)});
  }
  plan.textures_found = static_cast<int>(found.size());

  std::map<std::string, ImageJob> jobs;
  std::map<std::string, std::string> shaders;  // name -> text, so that the script is sorted
  for (const Found& item : found) {
    const ShaderImages images = add_images(item, jobs);
    const std::string& pack_name = item.wanted->name.pack_name;
    if (item.surface.frames_dropped > 0)
      plan.notes.push_back(pack_name + ": animation of " +
                           std::to_string(item.surface.frames.size() + item.surface.frames_dropped) +
                           " frames cut to the " + std::to_string(max_anim_frames) + " Q3 plays");
    const kmap::Solidity solidity = item.wanted->name.solidity;
    const std::string image_name = image_pack_name(item.wanted->name);
    const ShaderLight shader_light = shader_light_of(light, image_name);
    const bool overbright = is_overbright(image_name, item.surface, range);
    if (!item.surface.needs_shader() && !shader_light.emits() && !overbright && solidity == kmap::Solidity::solid)
      continue;
    Shader shader = make_shader(image_name, item.surface, images, shader_light, range);
    std::vector<ShaderKind> kinds = shader_kinds(image_name, item.surface, shader_light, range);
    if (solidity != kmap::Solidity::solid) {
      shader.name = "textures/" + pack_name;
      make_nonsolid(shader, solidity);
      kinds.push_back(ShaderKind::nonsolid);
    }
    if (!check_pack_path(shader.name, error)) {
      error = "texture " + pack_name + ": shader name " + error;
      return PlanStatus::bad_name;
    }
    if (overbright) plan.overbright_shaders.insert(shader.name);
    shaders[shader.name] = shader_text(shader);
    ++plan.shaders;
    for (ShaderKind kind : kinds) ++plan.shaders_by_kind[static_cast<size_t>(kind)];
  }
  // A face that must not block keeps letting players through when its
  // texture is missing: its shader then draws the missing image.
  for (const WantedTexture* want : missing_nonsolid) {
    ShaderImages images;
    images.frames.push_back(image_path(image_pack_name(want->name)));
    Shader shader = make_shader(image_pack_name(want->name), Surface{}, images, ShaderLight{}, LightRange::q3);
    shader.name = "textures/" + want->name.pack_name;
    make_nonsolid(shader, want->name.solidity);
    if (!check_pack_path(shader.name, error)) {
      error = "texture " + want->name.pack_name + ": shader name " + error;
      return PlanStatus::bad_name;
    }
    shaders[shader.name] = shader_text(shader);
    ++plan.shaders;
    ++plan.shaders_by_kind[static_cast<size_t>(ShaderKind::nonsolid)];
  }

  // Every check before the slow part: palettes and paths.
  std::set<const SourceTexture*> packed;
  for (const auto& [path, job] : jobs) {
    if (!check_pack_path(path, error)) {
      error = "texture " + job.texture->name + " (" + job.texture->origin + "): image path " + error;
      return PlanStatus::bad_name;
    }
    if (palette_of(*job.texture, game_palette) == nullptr) {
      error = "no palette found: give the game folder or palette.lmp/colormap.pcx (" + job.texture->name +
              " from " + job.texture->origin + " needs one)";
      return PlanStatus::no_palette;
    }
    if (!packed.insert(job.texture).second) continue;
    ++plan.found_per_origin[job.texture->origin];
    if (job.texture->own_palette)
      ++plan.own_palette_textures;
    else
      plan.palette_used = game_palette;
  }

  size_t done = 0;
  for (const auto& [path, job] : jobs) {
    PackFile file{path, {}, false};
    if (!encode_png(render(job, *palette_of(*job.texture, game_palette)), file.bytes, error)) {
      error = "texture " + job.texture->name + " (" + job.texture->origin + "): " + error;
      return PlanStatus::encode_failed;
    }
    plan.files.push_back(std::move(file));
    if (progress) progress(++done, jobs.size());
  }

  // A fog is its shader and an image of its colour.
  for (const kmap::FogVolume& fog : fogs) {
    const Shader shader = fog_shader(fog);
    PackFile image{shader.name + ".png", {}, false};
    if (!encode_png(fog_image(fog), image.bytes, error)) return PlanStatus::encode_failed;
    plan.files.push_back(std::move(image));
    shaders[shader.name] = shader_text(shader);
    ++plan.shaders;
    ++plan.shaders_by_kind[static_cast<size_t>(ShaderKind::fog)];
  }
  // The images in path order, fog images among the textures'.
  std::sort(plan.files.begin(), plan.files.end(), [](const PackFile& a, const PackFile& b) { return a.path < b.path; });
  if (!shaders.empty()) {
    std::string script;
    for (const auto& [name, text] : shaders) script += (script.empty() ? "" : "\n") + text;
    plan.files.push_back({"scripts/" + script_name + ".shader", bytes_of(script), true});
    // Compilers and editors that read only the scripts a shaderlist names find ours too.
    plan.files.push_back({"scripts/shaderlist.txt", bytes_of(script_name + "\n"), true});
  }
  out = std::move(plan);
  return PlanStatus::ok;
}

}  // namespace texpack
