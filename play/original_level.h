// The author's own compiled level among the files a user gave for the
// textures: the map's name with .bsp, alone, in a folder or in a PAK.
#ifndef KORVEX_PLAY_ORIGINAL_LEVEL_H
#define KORVEX_PLAY_ORIGINAL_LEVEL_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace play {

struct OriginalLevel {
  std::string origin;          // "e1m1.bsp", "id1/pak0.pak:maps/e1m1.bsp"
  std::vector<uint8_t> bytes;
};

// The compiled levels the sources hold, by name: looked through once, in
// the sources' order, so that a run of many maps searches its game folders
// once. Names compare without regard to case; the first source that holds
// a name wins. Reads only directories and PAK directories until a level is
// asked for; unreadable or damaged files are passed over.
class OriginalLevels {
 public:
  // Files given by name, files in folders searched recursively in the
  // texture search's order, and the maps/*.bsp of PAKs (given by name or
  // met in a folder).
  explicit OriginalLevels(const std::vector<std::string>& sources);

  // The level named `map_name`.bsp: true with `out` filled, or false when
  // there is none or it cannot be read, leaving `out` untouched.
  [[nodiscard]] bool find(const std::string& map_name, OriginalLevel& out) const;

 private:
  struct Place {
    std::string path;    // the file, or the PAK holding it
    std::string member;  // "" : the file itself; else the PAK member's name
    uint32_t offset = 0, size = 0;
  };
  void add_file(const std::string& path);
  std::map<std::string, Place> by_name_;  // "e1m1.bsp" -> its first place
};


}  // namespace play

#endif
