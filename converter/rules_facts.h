// Facts about the whole map that the rules of one entity need, gathered in
// a first pass over the source's entities: which Quake doors move together,
// and which names the map uses, so that new names never meet old ones.
#ifndef KORVEX_CONVERTER_RULES_FACTS_H
#define KORVEX_CONVERTER_RULES_FACTS_H

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "brush_geometry.h"
#include "entity.h"

namespace conv {

// A group of Quake doors that open together, as seen from one member.
struct DoorGroup {
  std::string team;        // the "team" value the group shares
  bool master = false;     // the first member in the map: Q3's team master
  std::string targetname;  // the name the group answers to (Quake: the last member's), or empty
  bool shootable = false;  // a member has health
};

class MapFacts {
 public:
  // Notes one source entity after the world, in source order. Entities the
  // conversion leaves out for editor reasons (omitted layers) are not given.
  void note(const kmap::Entity& entity, int number);

  // Groups the doors as Quake links them; call once, after the last note().
  void finish();

  // The group of two doors or more that entity `number` belongs to, or null.
  [[nodiscard]] const DoorGroup* door_group(int number) const;

  // A name that no targetname, target, killtarget or team of the map holds
  // (letter case aside, as Q3 compares) and no earlier call returned: stem,
  // else stem_2, stem_3, ...
  [[nodiscard]] std::string fresh_name(std::string_view stem);

 private:
  struct Door {
    int number = 0;
    uint32_t spawnflags = 0;
    kmap::Bounds bounds;
    std::string targetname;
    bool health = false;
  };

  std::vector<Door> doors_;
  std::unordered_set<std::string> names_;  // lowercased
  std::unordered_map<int, DoorGroup> groups_;
};

}  // namespace conv

#endif
