// Where the lumps of a Q3 level lie: shared by the level's readers and
// writers in this folder.
#ifndef KORVEX_PLAY_Q3_LEVEL_H
#define KORVEX_PLAY_Q3_LEVEL_H

#include <cstdint>
#include <span>

#include "lightmap_luxels.h"

namespace play {

inline constexpr uint64_t q3_lightmap_lump = 14;

struct Q3Lump {
  uint64_t offset = 0;
  uint64_t count = 0;  // whole records
};

// Lump `which` (0-16) of a Q3 level (IBSP version 46) of records of
// `record_bytes`. Returns ok and fills `out`; other_format for another
// kind of file, bad_offset when the header or the lump leaves the file,
// bad_size when the lump holds no whole number of records. Reads nothing
// outside `bsp`.
[[nodiscard]] LuxelStatus find_q3_lump(std::span<const uint8_t> bsp, uint64_t which, uint64_t record_bytes, Q3Lump& out);

}  // namespace play

#endif
