#include "text_width.h"

#include <array>
#include <cstdint>

namespace batch {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Characters that take no column of their own.
constexpr std::array<Range, 7> zero_width{{
    {0x0300, 0x036F},  // combining diacritical marks
    {0x1AB0, 0x1AFF},  // combining diacritical marks extended
    {0x1DC0, 0x1DFF},  // combining diacritical marks supplement
    {0x200B, 0x200F},  // zero-width space, joiners, direction marks
    {0x20D0, 0x20FF},  // combining marks for symbols
    {0xFE00, 0xFE0F},  // variation selectors
    {0xFE20, 0xFE2F},  // combining half marks
}};

// Characters drawn two columns wide.
constexpr std::array<Range, 15> double_width{{
    {0x1100, 0x115F},    // Hangul Jamo initials
    {0x2E80, 0x303E},    // CJK radicals, symbols and punctuation
    {0x3041, 0x33FF},    // Hiragana, Katakana, Bopomofo, CJK compatibility
    {0x3400, 0x4DBF},    // CJK extension A
    {0x4E00, 0x9FFF},    // CJK unified ideographs
    {0xA000, 0xA4CF},    // Yi
    {0xAC00, 0xD7A3},    // Hangul syllables
    {0xF900, 0xFAFF},    // CJK compatibility ideographs
    {0xFE30, 0xFE4F},    // CJK compatibility forms
    {0xFF00, 0xFF60},    // fullwidth forms
    {0xFFE0, 0xFFE6},    // fullwidth signs
    {0x1F300, 0x1F64F},  // pictographs and emoticons
    {0x1F900, 0x1F9FF},  // supplemental pictographs
    {0x20000, 0x2FFFD},  // CJK extensions B to F
    {0x30000, 0x3FFFD},  // CJK extension G
}};

template <size_t N>
constexpr bool sorted_and_apart(const std::array<Range, N>& ranges) {
  for (size_t i = 0; i < N; ++i)
    if (ranges[i].first > ranges[i].last || (i > 0 && ranges[i - 1].last >= ranges[i].first)) return false;
  return true;
}
static_assert(sorted_and_apart(zero_width));
static_assert(sorted_and_apart(double_width));

template <size_t N>
bool in(const std::array<Range, N>& ranges, char32_t c) {
  for (const Range& r : ranges)
    if (c >= r.first && c <= r.last) return true;
  return false;
}

// Decodes the character at text[at]; returns its length in bytes, or 0 when
// the bytes there are no valid UTF-8.
size_t decode(std::string_view text, size_t at, char32_t& c) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  constexpr std::array<char32_t, 5> smallest{0, 0, 0x80, 0x800, 0x10000};  // by length: no overlong forms
  if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  c = value;
  return length;
}

}  // namespace

size_t display_width(std::string_view text) {
  size_t width = 0;
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const size_t length = decode(text, at, c);
    if (length == 0) {
      ++width;
      ++at;
      continue;
    }
    at += length;
    width += in(zero_width, c) ? 0 : in(double_width, c) ? 2 : 1;
  }
  return width;
}

}  // namespace batch
