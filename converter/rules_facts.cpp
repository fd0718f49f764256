#include "rules_facts.h"

#include <algorithm>

#include "entity_values.h"
#include "texture_names.h"

namespace conv {
namespace {

constexpr uint32_t door_dont_link = 4;
constexpr uint32_t not_in_deathmatch = 2048;

// Quake's EntitiesTouching: boxes that overlap or share a face.
bool touching(const kmap::Bounds& a, const kmap::Bounds& b) {
  for (int i = 0; i < 3; ++i)
    if (a.mins[i] > b.maxs[i] || a.maxs[i] < b.mins[i]) return false;
  return true;
}

}  // namespace

void MapFacts::note(const kmap::Entity& entity, int number) {
  // One reading of each key line: every entity of the map passes here.
  bool is_door = false;
  for (int k = 0; k < entity.key_count(); ++k) {
    const kmap::KeyLine line = entity.key(k);
    if (!line.quoted_key || line.value.empty()) continue;
    if (line.key == "targetname" || line.key == "target" || line.key == "killtarget" || line.key == "team")
      names_.insert(kmap::ascii_lower(line.value));
    else if (line.key == "classname")
      is_door = line.value == "func_door";
  }
  if (!is_door || entity.classname() != "func_door") return;
  Door door;
  door.number = number;
  door.spawnflags = spawnflags_of(entity);
  if (!kmap::brush_bounds(entity.lines, door.bounds)) return;
  door.targetname = std::string(entity.value("targetname").value_or(""));
  door.health = key_number(entity, "health") != 0;
  doors_.push_back(std::move(door));
}

void MapFacts::finish() {
  // Quake removes the doors it leaves out of deathmatch before any links.
  std::vector<const Door*> live;
  for (const Door& door : doors_)
    if (!(door.spawnflags & not_in_deathmatch)) live.push_back(&door);
  const size_t n = live.size();
  // The doors each door touches, in map order, found by a sweep along x so
  // that a map of many doors is not compared pair by pair.
  std::vector<size_t> by_x(n);
  for (size_t i = 0; i < n; ++i) by_x[i] = i;
  std::sort(by_x.begin(), by_x.end(), [&live](size_t a, size_t b) { return live[a]->bounds.mins[0] < live[b]->bounds.mins[0]; });
  std::vector<std::vector<size_t>> touches(n);
  for (size_t a = 0; a < n; ++a)
    for (size_t b = a + 1; b < n && live[by_x[b]]->bounds.mins[0] <= live[by_x[a]]->bounds.maxs[0]; ++b)
      if (touching(live[by_x[a]]->bounds, live[by_x[b]]->bounds)) {
        touches[by_x[a]].push_back(by_x[b]);
        touches[by_x[b]].push_back(by_x[a]);
      }
  for (std::vector<size_t>& list : touches) std::sort(list.begin(), list.end());
  // LinkDoors, run by each door in map order: a door not yet linked starts
  // a chain and walks the doors after it once, adding each that touches
  // the chain's last member. A door that will not link still joins a chain
  // that an earlier door starts.
  std::vector<bool> linked(n, false);
  for (size_t s = 0; s < n; ++s) {
    if (linked[s]) continue;
    linked[s] = true;
    if (live[s]->spawnflags & door_dont_link) continue;
    std::vector<size_t> chain{s};
    for (;;) {
      // The walk has looked at every door up to the last member: the next
      // member is the first later door that touches it and is free.
      const std::vector<size_t>& next = touches[chain.back()];
      auto it = std::upper_bound(next.begin(), next.end(), chain.back());
      while (it != next.end() && linked[*it]) ++it;
      if (it == next.end()) break;
      linked[*it] = true;
      chain.push_back(*it);
    }
    if (chain.size() < 2) continue;
    DoorGroup group;
    group.team = fresh_name("korvex_door_" + std::to_string(live[s]->number));
    for (size_t member : chain) {
      if (!live[member]->targetname.empty()) group.targetname = live[member]->targetname;
      group.shootable = group.shootable || live[member]->health;
    }
    for (size_t member : chain) {
      group.master = member == s;
      groups_[live[member]->number] = group;
    }
  }
}

const DoorGroup* MapFacts::door_group(int number) const {
  const auto found = groups_.find(number);
  return found == groups_.end() ? nullptr : &found->second;
}

std::string MapFacts::fresh_name(std::string_view stem) {
  std::string name(stem);
  for (int n = 2; names_.count(kmap::ascii_lower(name)); ++n) name = std::string(stem) + "_" + std::to_string(n);
  names_.insert(kmap::ascii_lower(name));
  return name;
}

}  // namespace conv
