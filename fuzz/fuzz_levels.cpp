// The readers of compiled levels' lightmap samples, which korvex-play runs
// on the levels a user gives, on any bytes. The first byte picks the Quake
// reader, the Q3 one, or the Q3 one asking for every shader's name (each
// shown doubled when it names a Quake texture); the rest is the level.
#include <cmath>
#include <span>
#include <vector>

#include "fuzz_targets.h"
#include "lightmap_luxels.h"

int fuzz_levels(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> level(data + 1, size - 1);
  std::vector<play::Luxel> out(1);  // one already there, which must stay first and as it was
  const play::ShownLight shown = [](std::string_view name) { return name.starts_with("textures/q1/") ? 2.0f : 1.0f; };
  const play::LuxelStatus status = data[0] % 3 == 0   ? play::read_quake_luxels(level, out)
                                   : data[0] % 3 == 1 ? play::read_q3_luxels(level, out)
                                                      : play::read_q3_luxels(level, out, shown);
  fuzz_check(out[0].x == 0 && out[0].y == 0 && out[0].z == 0 && out[0].value == 0, "what was there stays");
  if (status != play::LuxelStatus::ok) fuzz_check(out.size() == 1, "a failure adds nothing");
  for (size_t k = 1; k < out.size(); ++k) {
    const play::Luxel& luxel = out[k];
    fuzz_check(std::isfinite(luxel.x) && std::isfinite(luxel.y) && std::isfinite(luxel.z), "every place is finite");
    fuzz_check(luxel.facing < 6, "every facing is one of the six");
    fuzz_check(luxel.value >= 0 && luxel.value <= 2 * 255, "every light is within a byte, shown at most doubled");
  }
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_levels(data, size); }
#endif
