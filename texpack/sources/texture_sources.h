// Texture sources: the game files a texture pack is made from (WAD2, WAD3,
// compiled Quake maps, Quake 2 .wal files, PAK archives) and the palettes
// that colour them. Readers work on bytes in memory, so that a PAK member
// and a loose file take the same road, and so that they can be fuzzed.
//
// Nothing here writes a file or prints: every failure comes back as a
// status and a message that names the file and what is wrong with it.
#ifndef KORVEX_TEXPACK_SOURCES_TEXTURE_SOURCES_H
#define KORVEX_TEXPACK_SOURCES_TEXTURE_SOURCES_H

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace texpack {

// 256 RGB triples, and the file it was read from (for the report).
struct Palette {
  std::array<uint8_t, 768> rgb{};
  std::string origin;  // "id1/pak0.pak:gfx/palette.lmp", "palette.lmp", ...
};

// What a Quake 2 .wal header says about its surface.
struct WalInfo {
  uint32_t flags = 0;      // SURF_LIGHT 1, SLICK 2, SKY 4, WARP 8, TRANS33 16, TRANS66 32, FLOWING 64, NODRAW 128
  uint32_t contents = 0;   // water 32, slime 16, lava 8, ...
  uint32_t value = 0;      // light value
  std::string anim_next;   // next frame's name, "" for none
};

// One decoded texture: mip level 0 as palette indices.
struct SourceTexture {
  std::string name;  // the name maps use: a miptex name as stored ("*water0",
                     // "+0slipbotsd", "{fence"), or a .wal's path under
                     // textures/ without extension ("e1u1/floor1_3")
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;               // width * height, top row first
  std::shared_ptr<const Palette> own_palette; // WAD3's per-texture palette; null: the game palette
  std::optional<WalInfo> wal;                 // set for .wal textures
  std::string origin;                         // "cr8_czg.wad", "pak0.pak:maps/e1m1.bsp", ...
};

enum class SourceStatus {
  ok,
  open_failed,    // the file cannot be read
  truncated,      // shorter than its header or directory says
  bad_magic,      // not the format it was taken for
  bad_offset,     // a lump, entry or mip offset outside the file or lump
  bad_size,       // a texture of zero or huge size, an entry count too large
  bad_name,       // an empty or unterminated-and-too-long name
  no_palette,     // a PCX without its 256-colour palette, a WAD3 texture without colours
};

// The readers. Each returns SourceStatus::ok and appends to `out`, or
// another status with `error` set to "<origin>: <what is wrong>"; on
// failure `out` is left as it was. Every offset and size is checked
// against the data; nothing outside `data` is read. Statuses: truncated
// (shorter than a header or a table it announces), bad_magic (another
// format; a compressed WAD lump), bad_offset (a directory, lump, member or
// mip level outside the file or its lump), bad_size (a count that cannot
// fit, zero entries in a WAD, a side of 0 or over 4096, over 256 colours),
// bad_name (an empty or unterminated name), no_palette (a Half-Life
// texture or PCX without colours). WAD entries other than miptex (0x43,
// 0x44) are skipped unread. A BSP's textures whose pixels stayed in a WAD
// (mip offsets 0) or that the compiler did not find (-1) are skipped.
[[nodiscard]] SourceStatus read_wad(std::span<const uint8_t> data, const std::string& origin,
                                    std::vector<SourceTexture>& out, std::string& error);  // WAD2 and WAD3
[[nodiscard]] SourceStatus read_bsp(std::span<const uint8_t> data, const std::string& origin,
                                    std::vector<SourceTexture>& out, std::string& error);  // BSP29, BSP2, 2PSB, BSP30
// `name` is the one maps use (the path under textures/ without ".wal");
// the file's internal name is not read. bad_name when `name` is empty.
[[nodiscard]] SourceStatus read_wal(std::span<const uint8_t> data, const std::string& name,
                                    const std::string& origin, std::vector<SourceTexture>& out,
                                    std::string& error);
// The palettes write `out` only on ok. palette.lmp is exactly 768 bytes.
[[nodiscard]] SourceStatus read_palette_lmp(std::span<const uint8_t> data, const std::string& origin,
                                            Palette& out, std::string& error);
[[nodiscard]] SourceStatus read_colormap_pcx(std::span<const uint8_t> data, const std::string& origin,
                                             Palette& out, std::string& error);

// A PAK's members, every one named and inside `data`.
struct PakEntry {
  std::string name;  // "maps/e1m1.bsp", as stored
  uint32_t offset = 0;
  uint32_t size = 0;
};
[[nodiscard]] SourceStatus read_pak_directory(std::span<const uint8_t> data, const std::string& origin,
                                              std::vector<PakEntry>& out, std::string& error);

enum class SourceKind;  // what a file holds, by its name (source_kinds.h)

// Everything found in the paths a user gave, looked up by name without
// regard to case. The first source given wins a name; later copies are
// noted in `duplicates`. Reads files only; writes and prints nothing.
class TextureLibrary {
 public:
  // Adds a file (.wad, .bsp, .pak, .wal, .lmp palette, .pcx colormap) or a
  // folder, searched recursively in sorted order: *.wad, *.bsp, *.pak
  // (pak0.pak before pak1.pak, pak2 before pak10), palette.lmp,
  // colormap.pcx, and *.wal inside a textures/ folder, named by their path
  // under it; file names match without regard to case. From a PAK:
  // maps/*.bsp, textures/**/*.wal, gfx/palette.lmp, pics/colormap.pcx and
  // *.wad but gfx.wad (the status-bar pictures). A file already read is
  // not read again. Returns ok, or the failure of a file given by name:
  // open_failed (missing, unreadable), bad_size (over 1 GiB), bad_magic (no
  // known kind), or what its reader said, with error set. Damaged files
  // met in a folder and damaged PAK members are listed in `problems` and
  // skipped.
  [[nodiscard]] SourceStatus add_path(const std::string& path, std::string& error);

  // Finds a WAD named by a map's "wad" key: only the file name counts
  // (DOS and Unix folders are ignored), looked for case-insensitively
  // directly in each of `folders` in turn; adds it. True when added (or
  // read before); false with error set when it is nowhere or is damaged.
  [[nodiscard]] bool add_wad_by_name(std::string_view wad_key_entry, const std::vector<std::string>& folders,
                                     std::string& error);

  // The texture kept for a name, compared without regard to case, or null.
  // The pointer stays valid as long as the library.
  [[nodiscard]] const SourceTexture* find(std::string_view name) const;

  // The game palette: the first one met (PAK's gfx/palette.lmp,
  // palette.lmp, colormap.pcx), or null when none was given.
  [[nodiscard]] const Palette* palette() const;

  // Source -> textures read from it, duplicates included, 0 for a source
  // without any. A source is a WAD or map file ("pak0.pak:maps/e1m1.bsp"
  // inside a PAK); .wal files count under their textures/ folder
  // ("baseq2/textures", "pak0.pak:textures").
  std::map<std::string, int> textures_per_origin;
  // "name: kept from A, also in B"; a second palette: "palette: kept from A, also in B".
  std::vector<std::string> duplicates;
  std::vector<std::string> problems;  // damaged files skipped, each "<origin>: <what is wrong>"

 private:
  [[nodiscard]] SourceStatus add_file(const std::string& path, SourceKind kind, std::string& error);
  [[nodiscard]] SourceStatus add_folder(const std::string& path, std::string& error);
  [[nodiscard]] SourceStatus add_pak(std::span<const uint8_t> pak, const std::string& origin, std::string& error);
  // wal_path: the path whose part under textures/ names a .wal; container:
  // "" for a loose file, "<pak>:" for a member.
  [[nodiscard]] SourceStatus add_bytes(std::span<const uint8_t> data, SourceKind kind, const std::string& origin,
                                       const std::string& wal_path, const std::string& container,
                                       std::string& error);
  void keep_textures(std::vector<SourceTexture>& found, const std::string& counted_as);
  void keep_palette(Palette& found);

  std::deque<SourceTexture> textures_;  // a deque: find()'s pointers survive later additions
  std::map<std::string, size_t> by_lower_name_;
  std::optional<Palette> palette_;
  std::set<std::string> files_read_;  // canonical paths, so that a file named twice counts once
};

}  // namespace texpack

#endif
