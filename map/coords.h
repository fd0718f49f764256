// Reading and writing the numbers of a map: coordinates, factors, light
// values. Classic mode reads with the library's digit-by-digit reader and
// rounds scaled coordinates down to integers; extended mode reads correctly
// rounded and writes the shortest decimal that reads back to the same
// double, so off-grid vertices keep their place.
#ifndef KORVEX_MAP_COORDS_H
#define KORVEX_MAP_COORDS_H

#include "bounded_text.h"

namespace kmap {

// Reads a whole-text number. True and *value, or false (value untouched).
[[nodiscard]] bool read_number(const char* text, double* value, bool extended);

// Writes a whole value as a signed 32-bit integer; false when it is outside
// that range (or not a number), so that nothing undefined is computed.
[[nodiscard]] bool add_int32(BoundedText& out, double whole);

// Writes value * factor as a coordinate, rounded down in classic mode.
// False when it has no value to write.
[[nodiscard]] bool add_coord(BoundedText& out, double value, double factor, bool extended);

// Writes a value in the shortest form that reads back to it, without an
// exponent; false when it is not finite.
[[nodiscard]] bool add_real(BoundedText& out, double value);

}  // namespace kmap

#endif
