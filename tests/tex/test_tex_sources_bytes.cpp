#include "test_tex_sources_bytes.h"

namespace texbytes {

void put_u32(Bytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_u16(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_name(Bytes& out, const std::string& name, size_t field) {
  for (size_t i = 0; i < field; ++i) out.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
}

void set_u32(Bytes& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get_u32(const Bytes& in, size_t at) {
  return in.at(at) | in.at(at + 1) << 8 | in.at(at + 2) << 16 | static_cast<uint32_t>(in.at(at + 3)) << 24;
}

uint8_t pattern(int x, int y) { return static_cast<uint8_t>(x * 7 + y * 31 + (x ^ y)); }

namespace {

// The four levels of a pattern texture, at `base` onward, and their offsets.
std::array<uint32_t, 4> put_levels(Bytes& out, uint32_t base, uint32_t width, uint32_t height) {
  std::array<uint32_t, 4> offsets{};
  uint32_t at = base;
  for (int level = 0; level < 4; ++level) {
    offsets[level] = at;
    at += (width >> level) * (height >> level);
  }
  for (int level = 0; level < 4; ++level)
    for (uint32_t y = 0; y < (height >> level); ++y)
      for (uint32_t x = 0; x < (width >> level); ++x)
        out.push_back(level == 0 ? pattern(int(x), int(y)) : static_cast<uint8_t>(200 + level));
  return offsets;
}

}  // namespace

Bytes miptex(const std::string& name, uint32_t width, uint32_t height, int colours) {
  Bytes out;
  put_name(out, name, 16);
  put_u32(out, width);
  put_u32(out, height);
  const size_t offsets_at = out.size();
  for (int i = 0; i < 4; ++i) put_u32(out, 0);
  const auto offsets = put_levels(out, 40, width, height);
  for (int i = 0; i < 4; ++i) set_u32(out, offsets_at + 4 * i, offsets[i]);
  if (colours > 0) {
    put_u16(out, static_cast<uint16_t>(colours));
    for (int i = 0; i < colours; ++i) {
      out.push_back(static_cast<uint8_t>(i));
      out.push_back(static_cast<uint8_t>(255 - i));
      out.push_back(7);
    }
    put_u16(out, 0);
  }
  return out;
}

Bytes wad(const char* magic, const std::vector<Lump>& lumps) {
  Bytes out(magic, magic + 4);
  put_u32(out, static_cast<uint32_t>(lumps.size()));
  put_u32(out, 0);  // directory offset, set below
  std::vector<uint32_t> positions;
  for (const Lump& lump : lumps) {
    positions.push_back(static_cast<uint32_t>(out.size()));
    out.insert(out.end(), lump.data.begin(), lump.data.end());
  }
  set_u32(out, kWadDirectoryAt, static_cast<uint32_t>(out.size()));
  for (size_t i = 0; i < lumps.size(); ++i) {
    put_u32(out, positions[i]);
    put_u32(out, static_cast<uint32_t>(lumps[i].data.size()));
    put_u32(out, static_cast<uint32_t>(lumps[i].data.size()));
    out.push_back(lumps[i].type);
    out.push_back(0);  // compression
    put_u16(out, 0);
    put_name(out, lumps[i].name, 16);
  }
  return out;
}

Bytes bsp(uint32_t version, const std::vector<Bytes>& records, std::vector<int32_t> missing) {
  Bytes lump;
  const size_t entries = records.size() + missing.size();
  put_u32(lump, static_cast<uint32_t>(entries));
  uint32_t at = static_cast<uint32_t>(4 + 4 * entries);
  for (const Bytes& record : records) {
    put_u32(lump, at);
    at += static_cast<uint32_t>(record.size());
  }
  for (int32_t offset : missing) put_u32(lump, static_cast<uint32_t>(offset));
  for (const Bytes& record : records) lump.insert(lump.end(), record.begin(), record.end());

  Bytes out;
  put_u32(out, version);
  const uint32_t lump_at = 4 + 15 * 8;
  for (int i = 0; i < 15; ++i) {
    put_u32(out, i == 2 ? lump_at : 0);
    put_u32(out, i == 2 ? static_cast<uint32_t>(lump.size()) : 0);
  }
  out.insert(out.end(), lump.begin(), lump.end());
  return out;
}

Bytes wal(uint32_t width, uint32_t height, uint32_t flags, uint32_t contents, uint32_t value,
          const std::string& next_frame) {
  Bytes out;
  put_name(out, "not/the/name", 32);
  put_u32(out, width);
  put_u32(out, height);
  const size_t offsets_at = out.size();
  for (int i = 0; i < 4; ++i) put_u32(out, 0);
  put_name(out, next_frame, 32);
  put_u32(out, flags);
  put_u32(out, contents);
  put_u32(out, value);
  const auto offsets = put_levels(out, 100, width, height);
  for (int i = 0; i < 4; ++i) set_u32(out, offsets_at + 4 * i, offsets[i]);
  return out;
}

Bytes pak(const std::vector<Member>& members) {
  Bytes out{'P', 'A', 'C', 'K'};
  put_u32(out, 0);
  put_u32(out, static_cast<uint32_t>(64 * members.size()));
  std::vector<uint32_t> positions;
  for (const Member& member : members) {
    positions.push_back(static_cast<uint32_t>(out.size()));
    out.insert(out.end(), member.data.begin(), member.data.end());
  }
  set_u32(out, 4, static_cast<uint32_t>(out.size()));
  for (size_t i = 0; i < members.size(); ++i) {
    put_name(out, members[i].name, 56);
    put_u32(out, positions[i]);
    put_u32(out, static_cast<uint32_t>(members[i].data.size()));
  }
  return out;
}

std::array<uint8_t, 768> test_palette() {
  std::array<uint8_t, 768> rgb{};
  for (int i = 0; i < 256; ++i) {
    rgb[3 * i] = static_cast<uint8_t>(i);
    rgb[3 * i + 1] = static_cast<uint8_t>(i / 2);
    rgb[3 * i + 2] = static_cast<uint8_t>(255 - i);
  }
  return rgb;
}

Bytes pcx(bool with_palette) {
  Bytes out(128, 0);
  out[0] = 0x0A;  // maker
  out[1] = 5;     // version
  out[2] = 1;     // run-length encoded
  out[3] = 8;     // bits a pixel
  out[65] = 1;    // planes
  for (int i = 0; i < 16; ++i) out.push_back(0xC1), out.push_back(static_cast<uint8_t>(i));  // 16 runs of 1
  if (with_palette) {
    out.push_back(0x0C);
    const auto rgb = test_palette();
    out.insert(out.end(), rgb.begin(), rgb.end());
  }
  return out;
}

}  // namespace texbytes
