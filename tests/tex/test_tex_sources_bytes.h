// Builders of small texture files for the tests, written from the file
// layouts alone (not from the readers), so that a misread layout fails
// instead of agreeing with itself. Texture pixel (x, y) is pattern(x, y).
#ifndef KORVEX_TESTS_TEX_TEST_TEX_SOURCES_BYTES_H
#define KORVEX_TESTS_TEX_TEST_TEX_SOURCES_BYTES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace texbytes {

using Bytes = std::vector<uint8_t>;

inline void put_u32(Bytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
inline void set_u32(Bytes& out, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) out.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}
inline uint32_t get_u32(const Bytes& in, size_t at) {
  return in.at(at) | in.at(at + 1) << 8 | in.at(at + 2) << 16 | static_cast<uint32_t>(in.at(at + 3)) << 24;
}
inline void put_name(Bytes& out, const std::string& name, size_t field) {  // longer names fill the field
  for (size_t i = 0; i < field; ++i) out.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
}
inline uint8_t pattern(int x, int y) { return static_cast<uint8_t>(x * 7 + y * 31 + (x ^ y)); }

// name[field], width, height, 4 level offsets from the record's start,
// `gap` bytes, the levels (level 0 the pattern), then for Half-Life
// (colours > 0) the count, triples (i, 255 - i, 7) and 2 pad bytes.
inline Bytes textured(const std::string& name, size_t field, uint32_t width, uint32_t height, size_t gap,
                      int colours = 0) {
  Bytes out;
  put_name(out, name, field);
  put_u32(out, width);
  put_u32(out, height);
  uint32_t at = static_cast<uint32_t>(out.size() + 16 + gap);
  for (int level = 0; level < 4; at += (width >> level) * (height >> level), ++level) put_u32(out, at);
  out.resize(out.size() + gap);
  for (int level = 0; level < 4; ++level)
    for (uint32_t y = 0; y < (height >> level); ++y)
      for (uint32_t x = 0; x < (width >> level); ++x) out.push_back(level ? 200 + level : pattern(int(x), int(y)));
  if (colours > 0) {
    out.push_back(static_cast<uint8_t>(colours)), out.push_back(static_cast<uint8_t>(colours >> 8));
    for (int i = 0; i < colours; ++i) out.insert(out.end(), {uint8_t(i), uint8_t(255 - i), 7});
    out.insert(out.end(), {0, 0});
  }
  return out;
}
inline Bytes miptex(const std::string& name, uint32_t width, uint32_t height, int colours = 0) {
  return textured(name, 16, width, height, 0, colours);
}
// A .wal: name[32] (not the one maps use) ... and at 56 the next frame's
// name[32], flags, contents, value.
inline Bytes wal(uint32_t width, uint32_t height, uint32_t flags, uint32_t value, const std::string& next) {
  Bytes out = textured("not/its/name", 32, width, height, 44);
  std::copy(next.begin(), next.end(), out.begin() + 56);
  set_u32(out, 88, flags);
  set_u32(out, 96, value);
  return out;
}

struct Entry {
  std::string name;
  Bytes data;
  uint8_t type = 0x44;
};
// A WAD ("WAD2"/"WAD3") or a PAK ("PACK"): header, members, directory.
inline Bytes archive(const char* magic, const std::vector<Entry>& entries) {
  const bool pak = magic[0] == 'P';
  Bytes out(magic, magic + 4);
  put_u32(out, pak ? 0 : static_cast<uint32_t>(entries.size()));
  put_u32(out, pak ? static_cast<uint32_t>(64 * entries.size()) : 0);
  std::vector<uint32_t> at;
  for (const Entry& e : entries) at.push_back(static_cast<uint32_t>(out.size())), out.insert(out.end(), e.data.begin(), e.data.end());
  set_u32(out, pak ? 4 : 8, static_cast<uint32_t>(out.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto size = static_cast<uint32_t>(entries[i].data.size());
    if (pak) {
      put_name(out, entries[i].name, 56), put_u32(out, at[i]), put_u32(out, size);
    } else {
      put_u32(out, at[i]), put_u32(out, size), put_u32(out, size);
      out.insert(out.end(), {entries[i].type, 0, 0, 0});  // type, no compression, pad
      put_name(out, entries[i].name, 16);
    }
  }
  return out;
}

// A compiled map with only a texture lump (right after the 124-byte
// header): count, offsets (the records', then `missing` -1s), records.
inline Bytes bsp(uint32_t version, const std::vector<Bytes>& records, int missing = 0) {
  Bytes lump;
  put_u32(lump, static_cast<uint32_t>(records.size() + missing));
  uint32_t at = static_cast<uint32_t>(4 + 4 * (records.size() + missing));
  for (const Bytes& record : records) put_u32(lump, at), at += static_cast<uint32_t>(record.size());
  for (int i = 0; i < missing; ++i) put_u32(lump, 0xFFFFFFFF);
  for (const Bytes& record : records) lump.insert(lump.end(), record.begin(), record.end());
  Bytes out;
  put_u32(out, version);
  for (uint32_t i = 0; i < 15; ++i) put_u32(out, i == 2 ? 124 : 0), put_u32(out, i == 2 ? uint32_t(lump.size()) : 0);
  out.insert(out.end(), lump.begin(), lump.end());
  return out;
}

// Entry i of the test palette is (i, i / 2, 255 - i).
inline Bytes test_palette() {
  Bytes rgb;
  for (int i = 0; i < 256; ++i) rgb.insert(rgb.end(), {uint8_t(i), uint8_t(i / 2), uint8_t(255 - i)});
  return rgb;
}
// An 8-bit PCX of 16 pixels, with the test palette behind 0x0C at its end or not.
inline Bytes pcx(bool with_palette) {
  Bytes out(128, 0);
  out[0] = 0x0A, out[1] = 5, out[2] = 1, out[3] = 8, out[65] = 1;  // maker, version, RLE, bits, planes
  for (int i = 0; i < 16; ++i) out.insert(out.end(), {0xC1, uint8_t(i)});
  if (with_palette) {
    const Bytes rgb = test_palette();
    out.push_back(0x0C);
    out.insert(out.end(), rgb.begin(), rgb.end());
  }
  return out;
}

}  // namespace texbytes

#endif
