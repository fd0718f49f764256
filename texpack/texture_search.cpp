#include "texture_search.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "map_light.h"
#include "pack_names.h"

namespace texpack {
namespace fs = std::filesystem;
namespace {

// The names of the maps, each once (case ignored), in order of first use.
struct SortedNames {
  std::vector<WantedTexture> wanted;
  std::vector<std::string> stock;
  std::vector<MissingTexture> tools;
  std::vector<kmap::FogVolume> fogs;  // the fog volumes the converter wrote
};

void add_faces(std::vector<MissingTexture>& list, std::map<std::string, size_t>& index, const std::string& name,
               int faces) {
  const auto [it, added] = index.emplace(lower(name), list.size());
  if (added)
    list.push_back({name, faces});
  else
    list[it->second].faces += faces;
}

SortedNames sort_names(const std::vector<const MapScan*>& maps) {
  SortedNames sorted;
  std::map<std::string, size_t> wanted_index;
  std::map<std::string, size_t> tool_index;
  std::set<std::string> stock_seen;
  for (const MapScan* scan : maps) {
    for (const TextureUse& use : scan->textures) {
      kmap::FogVolume fog;
      if (scan->kind == MapKind::converted && kmap::read_fog_texture_name(use.name, fog)) {
        if (std::find(sorted.fogs.begin(), sorted.fogs.end(), fog) == sorted.fogs.end()) sorted.fogs.push_back(fog);
        continue;
      }
      PackName name;
      NameClass name_class;
      if (scan->kind == MapKind::converted)
        name_class = classify_converted_name(use.name, name);
      else
        name_class = classify_source_name(use.name, scan->kind == MapKind::quake2 ? Game::quake2 : Game::quake, name);
      if (name_class == NameClass::stock) {
        if (stock_seen.insert(lower(use.name)).second) sorted.stock.push_back(use.name);
        continue;
      }
      if (name_class == NameClass::tool) {
        add_faces(sorted.tools, tool_index, name.pack_name, use.faces);
        continue;
      }
      const auto [it, added] = wanted_index.emplace(lower(name.pack_name), sorted.wanted.size());
      if (added)
        sorted.wanted.push_back({name, use.faces});
      else
        sorted.wanted[it->second].faces += use.faces;
    }
  }
  return sorted;
}

// The library's duplicate notes, without those of one file met twice.
std::vector<std::string> real_duplicates(const std::vector<std::string>& duplicates) {
  std::vector<std::string> kept;
  for (const std::string& line : duplicates) {
    const size_t from = line.find(": kept from ");
    const size_t also = line.find(", also in ");
    if (from != std::string::npos && also != std::string::npos && also > from &&
        line.substr(from + 12, also - from - 12) == line.substr(also + 10))
      continue;
    kept.push_back(line);
  }
  return kept;
}

// The light the maps ask of one pack: every surface light (the first map
// to light a texture decides it), and the sky's sun only when every map
// asks for the same, since the maps share one shader per sky texture.
MapLight shared_light(const std::vector<const MapScan*>& maps) {
  MapLight shared;
  bool first = true;
  for (const MapScan* scan : maps) {
    MapLight light = map_light_of(*scan);
    if (first) shared.sky = light.sky;
    else if (shared.sky != light.sky) shared.sky.clear();
    first = false;
    shared.surfaces.merge(light.surfaces);
  }
  return shared;
}

}  // namespace

SearchStatus search_textures(const std::vector<const MapScan*>& maps, const std::vector<std::string>& sources,
                             const std::string& script_name, LightRange range, const Progress& progress,
                             TextureLibrary& library,
                             RunFacts& facts, PackPlan& plan, std::string& error) {
  SortedNames sorted = sort_names(maps);

  // The maps' own WADs first, found by file name in the folders given.
  std::vector<std::string> folders;
  for (const std::string& source : sources) {
    std::error_code code;
    if (fs::is_directory(source, code)) folders.push_back(source);
  }
  std::vector<std::string> wad_notes;
  std::set<std::string> entries_seen;
  for (const MapScan* scan : maps)
    for (const std::string& entry : scan->wad_entries) {
      if (!entries_seen.insert(lower(entry)).second) continue;
      std::string wad_error;
      if (!library.add_wad_by_name(entry, folders, wad_error))
        wad_notes.push_back(wad_error.empty() ? "'" + entry + "' is in none of the folders given" : wad_error);
    }
  for (const std::string& source : sources)
    if (library.add_path(source, error) != SourceStatus::ok) return SearchStatus::source_failed;

  RunFacts found = facts;
  found.wanted = std::move(sorted.wanted);
  found.stock = std::move(sorted.stock);
  found.tools = std::move(sorted.tools);
  found.wad_notes = std::move(wad_notes);
  found.duplicates = real_duplicates(library.duplicates);
  found.problems = library.problems;
  found.sources = sources;
  if (found.wanted.empty() && sorted.fogs.empty()) {
    facts = std::move(found);
    return SearchStatus::nothing_wanted;
  }
  PackPlan planned;
  const MapLight light = shared_light(maps);
  const TextureLookup lookup = [&library](std::string_view name) { return library.find(name); };
  if (plan_pack(found.wanted, sorted.fogs, lookup, library.palette(), script_name, range, light, progress, planned,
                error) != PlanStatus::ok)
    return SearchStatus::plan_failed;
  facts = std::move(found);
  plan = std::move(planned);
  return SearchStatus::ok;
}

}  // namespace texpack
