// The keys of Quake light compilers as both translations read them: numbers,
// triples and colours written with or without their leading underscore, the
// direction an angle triple points to, the factor from a Quake light value to
// a Q3 compiler value, and numbers written back in a short form.
//
// A Quake lightmap byte B is R·value (R = the world's "_range", 0.5), and a
// Quake engine shows it as 2·(264/256)·B/255 of the texture (its normal
// light style is 264/256); a Q3 engine shows a byte as 4·B/255. The same
// look takes 0.516 of the byte: a Quake light value v is worth
// 0.516·R·v = 0.258·v in the Q3 compiler. Quake 2 maps lit by the modern
// compiler have R = 1 and show 1.0× at byte 255: 0.25·R.
#ifndef KORVEX_MAP_LIGHT_KEYS_H
#define KORVEX_MAP_LIGHT_KEYS_H

#include <optional>
#include <string>
#include <string_view>

#include "entity.h"
#include "texture_axes.h"

namespace kmap {

// The value of key `name` (which starts with '_'), or else of its spelling
// without the underscore, as the modern Quake compiler reads either; nothing
// when neither is there. Views valid until the entity changes.
[[nodiscard]] std::optional<std::string_view> light_key(const Entity& entity, std::string_view name);

// The number of a light key: its first word read as a number; nothing when
// the key is absent or its first word is no finite number.
[[nodiscard]] std::optional<double> light_number(const Entity& entity, std::string_view name);

// Three numbers of a light key (its first three words); nothing otherwise.
[[nodiscard]] std::optional<Vec3> light_triple(const Entity& entity, std::string_view name);

// The words of a value read as numbers, at most `count`; the numbers read
// before the first word that is none.
[[nodiscard]] int read_numbers(std::string_view text, double* out, int count);

// A colour key on the 0-255 scale: values that all lie within 0-1 are read
// as fractions and multiplied by 255, as the modern compiler does. Nothing
// when absent or not three numbers.
[[nodiscard]] std::optional<Vec3> light_colour(const Entity& entity, std::string_view name);

// The intensity of a Quake light: "light" (else "_light") n, or the n of
// "r g b n"; 300 when absent or zero, as the Quake compilers read it.
[[nodiscard]] double quake_light_value(const Entity& light);

// Its colour on the 0-255 scale: "_color" (else "color"), else the r g b of
// a four-number light value, else white.
[[nodiscard]] Vec3 quake_light_colour(const Entity& light);

// Its falloff, "delay" 0-5; any other value reads as 0 (linear).
[[nodiscard]] int quake_light_delay(const Entity& light);

// Its distance scale, "wait"; 1 when absent or not positive.
[[nodiscard]] double quake_light_wait(const Entity& light);

// The unit vector of a heading (yaw, degrees, counter-clockwise from +x)
// and a pitch (degrees, up positive): a Quake "mangle".
[[nodiscard]] Vec3 direction_of(double yaw, double pitch);

// The largest of the three.
[[nodiscard]] double largest(const Vec3& v);

// The Q3 lightmap byte that looks like a Quake byte of 1.
inline constexpr double quake_byte_ratio = 0.5 * 264 / 256;

// Q3 compiler value per Quake light value of a Quake map with the default
// "_range".
inline constexpr double quake_value_scale = quake_byte_ratio * 0.5;

// Q3 compiler value per Quake light value in a map whose world is `world`:
// 0.516 · "_range" (0.5) for Quake, 0.25 · "_range" (1) for Quake 2, doubled
// when the world sets a "_gamma" other than 1 (the compile then takes
// -compensate 2, so that -gamma acts on the Quake scale).
[[nodiscard]] double light_value_scale(const Entity& world, bool quake2);

// True when the world's "_gamma" asks for -gamma (and -compensate 2).
[[nodiscard]] bool wants_gamma(const Entity& world);

// A number rounded to `decimals` places and written in its shortest form
// ("80", "0.25", "-3.5"); "0" for a value that rounds to zero.
[[nodiscard]] std::string short_number(double value, int decimals = 3);

// A number written with exactly `decimals` places ("0.88", "2.50").
[[nodiscard]] std::string fixed_number(double value, int decimals = 2);

// Three short numbers separated by blanks.
[[nodiscard]] std::string short_triple(const Vec3& v, int decimals = 3);

}  // namespace kmap

#endif
