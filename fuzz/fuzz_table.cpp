// The replacement-table loader on any file, then lookups of what it stored.
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_targets.h"
#include "class_table.h"

using namespace conv;


int fuzz_table(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.push_back('\0');
  FILE* file = fmemopen(text.data(), size > 0 ? size : 1, "r");
  if (size == 0) (void)fgetc(file);
  ClassTable table;
  const conv_status status = load_class_table(file, table);
  fclose(file);
  fuzz_check(status == CONV_OK || status == CONV_TOKEN, "status 0 or 6");
  if (status != CONV_OK) return 0;
  fuzz_check(table.count >= 1 && table.count <= class_slots, "count within the table");
  for (int i = 0; i < table.count; ++i) {
    const ClassSlot& slot = table.slots[static_cast<size_t>(i)];
    fuzz_check(std::memchr(slot.source, '\0', sizeof slot.source) != nullptr, "source terminated");
    fuzz_check(std::memchr(slot.target, '\0', sizeof slot.target) != nullptr, "target terminated");
    fuzz_check(slot.source[0] == '"' && slot.target[0] == '"', "names quoted");
    const int found = find_class(table, slot.source);
    fuzz_check(found >= 0 && found <= i, "a stored name is found at or before its slot");
  }
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_table(data, size); }
#endif
