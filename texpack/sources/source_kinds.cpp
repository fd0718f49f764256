#include "source_kinds.h"

#include <algorithm>
#include <array>
#include <utility>

namespace texpack {

namespace {

bool ends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The last path component of a lowercased path.
std::string_view file_name(std::string_view lowered) {
  const size_t slash = lowered.find_last_of("/\\");
  return slash == std::string_view::npos ? lowered : lowered.substr(slash + 1);
}

// The extension of each kind of source; every kind but SourceKind::none has one.
constexpr std::array<std::pair<std::string_view, SourceKind>, 6> kExtensions = {{
    {".wad", SourceKind::wad},
    {".bsp", SourceKind::bsp},
    {".pak", SourceKind::pak},
    {".wal", SourceKind::wal},
    {".lmp", SourceKind::palette_lmp},
    {".pcx", SourceKind::colormap_pcx},
}};
static_assert(kExtensions.size() == static_cast<size_t>(SourceKind::colormap_pcx),
              "one extension for each kind after NONE");

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string lower_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

SourceKind kind_of_named_file(std::string_view path) {
  const std::string lowered = lower_ascii(path);
  for (const auto& [extension, kind] : kExtensions)
    if (ends_with(lowered, extension)) return kind;
  return SourceKind::none;
}

SourceKind kind_in_folder(std::string_view path) {
  const std::string lowered = lower_ascii(path);
  const std::string_view name = file_name(lowered);
  if (name == "palette.lmp") return SourceKind::palette_lmp;
  if (name == "colormap.pcx") return SourceKind::colormap_pcx;
  if (ends_with(name, ".wal")) return wal_place(path) ? SourceKind::wal : SourceKind::none;
  const SourceKind kind = kind_of_named_file(name);
  return kind == SourceKind::wad || kind == SourceKind::bsp || kind == SourceKind::pak ? kind : SourceKind::none;
}

SourceKind kind_in_pak(std::string_view member) {
  std::string lowered = lower_ascii(member);
  std::replace(lowered.begin(), lowered.end(), '\\', '/');
  if (lowered == "gfx/palette.lmp") return SourceKind::palette_lmp;
  if (lowered == "pics/colormap.pcx") return SourceKind::colormap_pcx;
  if (lowered.starts_with("maps/") && ends_with(lowered, ".bsp")) return SourceKind::bsp;
  if (lowered.starts_with("textures/") && ends_with(lowered, ".wal")) return SourceKind::wal;
  if (ends_with(lowered, ".wad") && lowered != "gfx.wad") return SourceKind::wad;
  return SourceKind::none;
}

std::optional<WalPlace> wal_place(std::string_view path) {
  const std::string lowered = lower_ascii(path);
  size_t under = std::string::npos;  // where the part under the last textures/ begins
  for (size_t at = lowered.find("textures"); at != std::string::npos; at = lowered.find("textures", at + 1)) {
    const size_t after = at + 8;
    const bool starts_component = at == 0 || lowered[at - 1] == '/' || lowered[at - 1] == '\\';
    const bool ends_component = after < lowered.size() && (lowered[after] == '/' || lowered[after] == '\\');
    if (starts_component && ends_component) under = after + 1;
  }
  if (under == std::string::npos) return std::nullopt;
  std::string name(path.substr(under));
  std::replace(name.begin(), name.end(), '\\', '/');
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && name.find('/', dot) == std::string::npos) name.erase(dot);
  if (name.empty() || name.back() == '/') return std::nullopt;
  return WalPlace{name, std::string(path.substr(0, under - 1))};
}

bool source_path_less(std::string_view a, std::string_view b) {
  const std::string la = lower_ascii(a), lb = lower_ascii(b);
  size_t i = 0, j = 0;
  while (i < la.size() && j < lb.size()) {
    if (is_digit(la[i]) && is_digit(lb[j])) {
      size_t ie = i, je = j;
      while (ie < la.size() && is_digit(la[ie])) ++ie;
      while (je < lb.size() && is_digit(lb[je])) ++je;
      // Compare the values without converting: drop leading zeros, then
      // the longer run is larger, then digit by digit.
      size_t is = i, js = j;
      while (is + 1 < ie && la[is] == '0') ++is;
      while (js + 1 < je && lb[js] == '0') ++js;
      if (ie - is != je - js) return ie - is < je - js;
      const int order = la.compare(is, ie - is, lb, js, je - js);
      if (order != 0) return order < 0;
      i = ie;
      j = je;
      continue;
    }
    if (la[i] != lb[j]) return static_cast<unsigned char>(la[i]) < static_cast<unsigned char>(lb[j]);
    ++i;
    ++j;
  }
  if (la.size() - i != lb.size() - j) return la.size() - i < lb.size() - j;
  return a < b;
}

}  // namespace texpack
