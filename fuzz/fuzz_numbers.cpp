// The number readers on any text: whole-string and token readers agree, and
// results stay inside their types.
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz_targets.h"
#include "kit.h"

int fuzz_numbers(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* s = text.c_str();  // cut at the first zero byte, as C text is

  for (int base = -1; base <= 3; ++base) {
    int32_t value = 12345;
    if (kit_str_to_int(s, base, &value)) {
      fuzz_check(base >= KIT_BIN && base <= KIT_HEX, "only valid bases convert");
    } else {
      fuzz_check(value == 12345, "integer target untouched on failure");
    }
    int32_t token_value = 0;
    if (const char* next = kit_get_int(s, nullptr, base, &token_value)) {
      fuzz_check(next > s && next <= s + std::strlen(s), "token reader stays in the text");
    }
    if (!text.empty()) {
      int32_t range_value = 0;
      kit_get_int_range(s, s + std::strlen(s), " ,", base, &range_value);
    }
  }

  double real = -7.0;
  if (kit_str_to_real(s, &real)) {
    fuzz_check(std::isfinite(real), "accepted reals are finite");
    fuzz_check(std::fabs(real) < 1e308, "accepted reals stay far from overflow");
  } else {
    fuzz_check(real == -7.0, "real target untouched on failure");
  }
  double token_real = 0;
  kit_get_real(s, " \t", &token_real);
  if (std::strlen(s) > 0) kit_get_real_range(s, s + std::strlen(s) - 1, nullptr, &token_real);

  char bits[33];
  uint32_t word = 0;
  std::memcpy(&word, data, size < sizeof word ? size : sizeof word);
  for (int n : {8, 16, 32}) {
    fuzz_check(kit_to_binstr(&word, n, bits) == 1 && std::strlen(bits) == static_cast<size_t>(n), "bit string length");
  }
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_numbers(data, size); }
#endif
