#include "lightmap_luxels.h"

namespace play {

LuxelStatus read_q3_luxels(std::span<const uint8_t>, std::vector<Luxel>&) { return LuxelStatus::other_format; }

}  // namespace play
