// The parameter loader on any file, with guard bytes around every target:
// nothing may be written outside them.
#include <cstring>

#include "fuzz_targets.h"
#include "kit.h"

namespace {

constexpr unsigned char guard = 0xA5;

template <typename T>
struct Guarded {
  unsigned char before[16];
  T value;
  unsigned char after[16];
  Guarded() {
    std::memset(before, guard, sizeof before);
    std::memset(&value, 0, sizeof value);
    std::memset(after, guard, sizeof after);
  }
  bool intact() const {
    for (unsigned char b : before)
      if (b != guard) return false;
    for (unsigned char b : after)
      if (b != guard) return false;
    return true;
  }
};

}  // namespace

int fuzz_params(const uint8_t* data, size_t size) {
  enter_fuzz_folder();
  write_input("p.cfg", data, size);
  Guarded<int32_t> count;
  Guarded<double> gain;
  Guarded<char[8]> title;
  Guarded<int32_t[4]> ints;
  Guarded<double[3]> reals;
  Guarded<char[5]> name0, name1;
  char* names[2] = {name0.value, name1.value};
  kit_param table[] = {
      {KIT_P_INT, "count", &count.value, 0, 0, 0, 0},
      {KIT_P_REAL, "gain", &gain.value, 0, 0, 0, 0},
      {KIT_P_STRING, "title", title.value, sizeof title.value, 0, 0, 0},
      {KIT_P_INT_ARRAY, "ints", ints.value, 0, 0, 0, 4},
      {KIT_P_REAL_ARRAY, "reals", reals.value, 0, 0, 0, 3},
      {KIT_P_STRING_ARRAY, "names", names, sizeof name0.value, 0, 0, 2},
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0},
  };
  const int loaded = kit_load_params("p.cfg", table);
  fuzz_check(count.intact() && gain.intact() && title.intact() && ints.intact() && reals.intact() &&
                 name0.intact() && name1.intact(),
             "guards around the targets intact");
  fuzz_check(std::memchr(title.value, '\0', sizeof title.value) != nullptr, "string target terminated");
  const int e = kit_get_lasterr();
  fuzz_check(loaded ? e == KIT_OK : (e == KIT_CONFIG_OPEN || e == KIT_PARAM_NOT_LOADED), "loader status");
  for (const kit_param* row = table; row->type != KIT_P_END; ++row)
    fuzz_check(row->status == 0 || (row->status >= KIT_PARAM_INDEX && row->status <= KIT_PARAM_CONVERT), "row status");
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_params(data, size); }
#endif
