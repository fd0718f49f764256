// Builders of small texture files for the tests, written from the file
// layouts alone (not from the readers), so that a reader's misreading of a
// layout shows up as a failure instead of agreeing with itself.
#ifndef KORVEX_TEST_TEX_SOURCES_BYTES_H
#define KORVEX_TEST_TEX_SOURCES_BYTES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace texbytes {

using Bytes = std::vector<uint8_t>;

void put_u32(Bytes& out, uint32_t value);
void put_u16(Bytes& out, uint16_t value);
void put_name(Bytes& out, const std::string& name, size_t field);  // zero-padded; longer names fill the field
void set_u32(Bytes& out, size_t at, uint32_t value);
[[nodiscard]] uint32_t get_u32(const Bytes& in, size_t at);

// Pixel (x, y) of every synthetic texture: a pattern that differs per row
// and column, so that a transposed or shifted read shows.
[[nodiscard]] uint8_t pattern(int x, int y);

// A miptex record: header, four levels of the pattern, and for Half-Life
// (colours > 0) the count, that many triples (i, 255 - i, 7) and 2 pad bytes.
[[nodiscard]] Bytes miptex(const std::string& name, uint32_t width, uint32_t height, int colours = 0);

struct Lump {
  std::string name;
  uint8_t type;
  Bytes data;
};
// A WAD with its lumps first and the directory at the end.
[[nodiscard]] Bytes wad(const char* magic, const std::vector<Lump>& lumps);
inline constexpr size_t kWadDirectoryAt = 8;  // where a WAD header keeps the directory offset

// A compiled map of the given version word with only a texture lump:
// a count, then the offsets (-1 entries written as given) and the records.
[[nodiscard]] Bytes bsp(uint32_t version, const std::vector<Bytes>& records, std::vector<int32_t> missing = {});
inline constexpr size_t kBspTextureLumpAt = 4 + 2 * 8;  // offset, then length

// A Quake 2 texture of the pattern with the given surface fields.
[[nodiscard]] Bytes wal(uint32_t width, uint32_t height, uint32_t flags, uint32_t contents, uint32_t value,
                        const std::string& next_frame);

struct Member {
  std::string name;
  Bytes data;
};
[[nodiscard]] Bytes pak(const std::vector<Member>& members);

// A 256-colour palette (entry i = i, i/2, 255-i) and an 8-bit PCX carrying
// it at its end, or without it.
[[nodiscard]] std::array<uint8_t, 768> test_palette();
[[nodiscard]] Bytes pcx(bool with_palette);

}  // namespace texbytes

#endif
