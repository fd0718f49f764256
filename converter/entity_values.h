// An entity's keys read the way the games' own code reads them: numbers as
// the C library's atof reads them (0 when absent or no number, which is
// also what `if (!self.speed)` tests), spawnflags as a whole number, and
// the angles that give movers and triggers their direction.
#ifndef KORVEX_CONVERTER_ENTITY_VALUES_H
#define KORVEX_CONVERTER_ENTITY_VALUES_H

#include <cstdint>
#include <string>
#include <string_view>

#include "entity.h"
#include "texture_axes.h"

namespace conv {

// The number a value starts with, or 0.
[[nodiscard]] double quake_number(std::string_view text);

// The key's value read as quake_number; 0 when the key is absent.
[[nodiscard]] double key_number(const kmap::Entity& entity, std::string_view key);

// The spawnflags as the games test their bits.
[[nodiscard]] uint32_t spawnflags_of(const kmap::Entity& entity);

// True when the key is present with a value that is not empty.
[[nodiscard]] bool key_present(const kmap::Entity& entity, std::string_view key);

// Three numbers separated by blanks. False (out untouched) otherwise.
[[nodiscard]] bool read_vector(std::string_view text, kmap::Vec3& out);

// The entity's angles (pitch yaw roll): "angle" a stands for (0 a 0); of
// "angle" and "angles" the one written last counts, as the games parse keys
// in order. (0 0 0) when neither is readable.
[[nodiscard]] kmap::Vec3 entity_angles(const kmap::Entity& entity);

// The games' direction vectors of angles in degrees (x forward at yaw 0,
// pitch down positive).
void angle_vectors(const kmap::Vec3& angles, kmap::Vec3* forward, kmap::Vec3* right, kmap::Vec3* up);

// The direction a Quake mover or trigger takes from its angles: yaw -1 up,
// yaw -2 down, else the forward vector.
[[nodiscard]] kmap::Vec3 quake_movedir(const kmap::Vec3& angles);

// The value rounded to `decimals` places (0 to 9), as the shortest decimal
// that reads back to it ("0.3", "2500", "-0.125"); "0" for a value that
// rounds to zero.
[[nodiscard]] std::string number_text(double value, int decimals);

}  // namespace conv

#endif
