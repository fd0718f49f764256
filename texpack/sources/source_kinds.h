// Which files are texture sources, what a .wal is called, and the order in
// which a folder's files are read. Names compare without regard to case.
#ifndef KORVEX_TEXPACK_SOURCES_SOURCE_KINDS_H
#define KORVEX_TEXPACK_SOURCES_SOURCE_KINDS_H

#include <optional>
#include <string>
#include <string_view>

namespace texpack {

enum class SourceKind { none, wad, bsp, pak, wal, palette_lmp, colormap_pcx };  // colormap_pcx last

// ASCII lower case.
[[nodiscard]] std::string lower_ascii(std::string_view text);

// A file named by the user: known by its extension alone.
[[nodiscard]] SourceKind kind_of_named_file(std::string_view path);

// A file met while searching a folder: *.wad, *.bsp, *.pak, palette.lmp,
// colormap.pcx, and *.wal inside a textures/ folder.
[[nodiscard]] SourceKind kind_in_folder(std::string_view path);

// A PAK member: maps/*.bsp, textures/**/*.wal, gfx/palette.lmp,
// pics/colormap.pcx, *.wad but the status-bar pictures' gfx.wad.
[[nodiscard]] SourceKind kind_in_pak(std::string_view member);

// Where a .wal sits: its name, the path under the last textures/ folder
// without the extension ("e1u1/floor1_3"), and that folder ("baseq2/textures").
struct WalPlace {
  std::string name;
  std::string folder;
};
// The place of a .wal path ('/' or '\' separated), or nothing when no
// textures/ folder holds it.
[[nodiscard]] std::optional<WalPlace> wal_place(std::string_view path);

// Folder order: by lowercased path, runs of digits by their value
// (pak2.pak before pak10.pak), ties broken bytewise.
[[nodiscard]] bool source_path_less(std::string_view a, std::string_view b);

}  // namespace texpack

#endif
