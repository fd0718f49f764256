#include "q3_level.h"

#include "byte_view.h"

namespace play {
namespace {

constexpr int32_t q3_version = 46;
constexpr uint64_t lump_count = 17;
constexpr uint64_t header_bytes = 8 + lump_count * 8;

}  // namespace

LuxelStatus find_q3_lump(std::span<const uint8_t> data, uint64_t which, uint64_t record_bytes, Q3Lump& out) {
  const texpack::ByteView bsp(data);
  if (!bsp.holds(0, 8) || !bsp.starts_with("IBSP") || bsp.i32(4) != q3_version) return LuxelStatus::other_format;
  if (!bsp.holds(0, header_bytes) || which >= lump_count) return LuxelStatus::bad_offset;
  const int32_t offset = bsp.i32(8 + which * 8);
  const int32_t length = bsp.i32(12 + which * 8);
  if (offset < 0 || length < 0 || !bsp.holds(uint64_t(offset), uint64_t(length))) return LuxelStatus::bad_offset;
  if (uint64_t(length) % record_bytes != 0) return LuxelStatus::bad_size;
  out = {uint64_t(offset), uint64_t(length) / record_bytes};
  return LuxelStatus::ok;
}

}  // namespace play
