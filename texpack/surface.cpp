#include "surface.h"

#include <algorithm>

namespace texpack {
namespace {

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && lower(text.substr(0, prefix.size())) == prefix;
}

Liquid quake_liquid(std::string_view name) {
  if (name.empty() || name[0] != '*') return Liquid::none;
  if (starts_with_nocase(name, "*lava")) return Liquid::lava;
  if (starts_with_nocase(name, "*slime")) return Liquid::slime;
  if (starts_with_nocase(name, "*tele")) return Liquid::teleport;
  return Liquid::water;
}

// The frame character of a Quake animation name ("+3name" -> '3'), or 0.
char quake_frame_char(std::string_view name) {
  if (name.size() < 3 || name[0] != '+') return 0;
  const char c = static_cast<char>(lower(name.substr(1, 1))[0]);
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'j') ? c : 0;
}

// Frames of a Quake sequence: '0'.. or 'a'.. upwards while they exist;
// every frame of one sequence gets the same list, so that they stay in step.
std::vector<const SourceTexture*> quake_frames(std::string_view name, const TextureLookup& lookup) {
  const char frame = quake_frame_char(name);
  const char first = frame <= '9' ? '0' : 'a';
  std::vector<const SourceTexture*> frames;
  for (char c = first; c < first + 10; ++c) {
    std::string frame_name(name);
    frame_name[1] = c;
    const SourceTexture* found = lookup(frame_name);
    if (found == nullptr) break;
    frames.push_back(found);
  }
  return frames;
}

// Frames of a Quake 2 chain from this texture on, as the game plays them.
std::vector<const SourceTexture*> quake2_frames(const SourceTexture& texture, const TextureLookup& lookup) {
  std::vector<const SourceTexture*> frames{&texture};
  const SourceTexture* current = &texture;
  while (current->wal && !current->wal->anim_next.empty() && frames.size() < 64) {
    const SourceTexture* next = lookup(current->wal->anim_next);
    if (next == nullptr || next == &texture) break;
    if (std::find(frames.begin(), frames.end(), next) != frames.end()) break;
    frames.push_back(next);
    current = next;
  }
  return frames.size() > 1 ? frames : std::vector<const SourceTexture*>{};
}

void describe_quake(const SourceTexture& texture, const TextureLookup& lookup, Surface& out) {
  const std::string_view name = texture.name;
  out.liquid = quake_liquid(name);
  // "*waterskip" and its kind: the liquid's volume without its faces.
  out.nodraw = out.liquid != Liquid::none && name.size() >= 4 && lower(name.substr(name.size() - 4)) == "skip";
  out.sky = starts_with_nocase(name, "sky");
  const std::string_view base = quake_frame_char(name) ? name.substr(2) : name;
  out.fence = !base.empty() && base[0] == '{';
  if (quake_frame_char(name)) {
    out.frames = quake_frames(name, lookup);
    if (out.frames.size() < 2) out.frames.clear();  // a lone frame stays still
    out.frame_rate = quake_frame_rate;
  }
  // Liquids and skies are drawn without lighting already; a texture with its
  // own palette (Half-Life) has no fullbright range.
  if (out.liquid == Liquid::none && !out.sky && texture.own_palette == nullptr && !texture.wal) {
    out.glow = has_fullbright_pixels(texture);
    for (const SourceTexture* frame : out.frames) out.glow = out.glow || has_fullbright_pixels(*frame);
  }
}

void describe_quake2(const SourceTexture& texture, const TextureLookup& lookup, Surface& out) {
  if (!texture.wal) return;
  const WalInfo& wal = *texture.wal;
  if (wal.contents & WAL_LAVA)
    out.liquid = Liquid::lava;
  else if (wal.contents & WAL_SLIME)
    out.liquid = Liquid::slime;
  else if (wal.contents & WAL_WATER)
    out.liquid = Liquid::water;
  out.sky = (wal.flags & WAL_SKY) != 0;
  out.warp = (wal.flags & WAL_WARP) != 0;
  out.flowing = (wal.flags & WAL_FLOWING) != 0;
  out.nodraw = (wal.flags & WAL_NODRAW) != 0;
  out.slick = (wal.flags & WAL_SLICK) != 0;
  if (wal.flags & WAL_TRANS33)
    out.alpha = 0.33f;
  else if (wal.flags & WAL_TRANS66)
    out.alpha = 0.66f;
  if (wal.flags & WAL_LIGHT) out.light = wal.value;
  out.frames = quake2_frames(texture, lookup);
  if (!out.frames.empty()) out.frame_rate = quake2_frame_rate;
}

}  // namespace

bool has_fullbright_pixels(const SourceTexture& texture) {
  return std::any_of(texture.indices.begin(), texture.indices.end(), [](uint8_t index) {
    return index >= first_fullbright_index && index <= last_fullbright_index;
  });
}

Surface describe_surface(const SourceTexture& texture, Game game, const TextureLookup& lookup) {
  Surface surface;
  if (game == Game::quake)
    describe_quake(texture, lookup, surface);
  else
    describe_quake2(texture, lookup, surface);
  if (surface.frames.size() > max_anim_frames) {
    surface.frames_dropped = surface.frames.size() - max_anim_frames;
    surface.frames.resize(max_anim_frames);
  }
  return surface;
}

}  // namespace texpack
