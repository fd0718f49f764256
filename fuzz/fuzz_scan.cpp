// The token and scan routines on any text: results stay inside the text,
// bounded routines never look past their bound, tokens fit their limit.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "kit.h"

int fuzz_scan(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int len = data[0] % 80 - 8;  // limits and counts, some of them bad
  const int c = data[1];
  const char delims[] = {static_cast<char>(data[2]), ' ', '\0'};
  // The text lives in a buffer of exactly its own size, so that reading past
  // its end shows under the address sanitizer.
  const size_t n = size - 3;
  std::vector<char> text(data + 3, data + size);
  text.push_back('\0');
  const char* s = text.data();
  const char* end = s + std::strlen(s);
  auto inside = [&](const char* p) { return p == nullptr || (p >= s && p <= end); };

  std::vector<char> token(static_cast<size_t>(len > 0 ? len : 0) + 1);
  for (const char* p = s; p != nullptr;) {
    p = kit_get_token(token.data(), p, delims, len);
    fuzz_check(inside(p), "token position inside the text");
    if (p != nullptr) fuzz_check(std::strlen(token.data()) < static_cast<size_t>(len), "token shorter than len");
  }
  if (n > 0) {
    const char* last = s + n - 1;
    for (const char* p = s; p != nullptr && p <= last;) {
      p = kit_get_token_range(token.data(), p, last, nullptr, len);
      fuzz_check(p == nullptr || (p >= s && p <= last + 1), "range token position inside the range");
    }
  }
  fuzz_check(inside(kit_skip_chars(s, delims, len)), "skip_chars inside");
  fuzz_check(inside(kit_skip_blanks(s, len)), "skip_blanks inside");
  fuzz_check(inside(kit_find_char(s, c, len)), "find_char inside");
  const char* last_c = kit_find_last_char(s, c, len);
  fuzz_check(inside(last_c) && (last_c == nullptr || *last_c == static_cast<char>(c)), "find_last_char");
  fuzz_check(inside(kit_find_end(s, len)), "find_end inside");
  const std::string other(data + 2, data + size);
  kit_match_prefix(s, other.c_str());

  std::vector<char> work(text);
  const int cut = kit_cut_line(work.data(), len);
  fuzz_check(cut >= 0 && static_cast<size_t>(cut) <= n, "cut_line length");
  work = text;
  kit_unquote(work.data(), len);
  work = text;
  kit_strip_ext(work.data());
  work = text;
  kit_replace_char(work.data(), c, data[2]);
  work = text;
  kit_cut_nl(work.data());

  int out = 0;
  if (char** parts = kit_split_alloc(s, delims, &out)) {
    fuzz_check(out > 0 && out < 256, "split count");
    for (int i = 0; i < out; ++i) std::free(parts[i]);
    std::free(parts);
  }
  if (const char** ptrs = kit_split_ptrs(s, c, data[2])) {
    int count = 0;
    while (ptrs[count] != nullptr) {
      fuzz_check(inside(ptrs[count]), "split_ptrs positions inside");
      ++count;
    }
    std::free(ptrs);
  }
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_scan(data, size); }
#endif
