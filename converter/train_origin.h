// A train's origin brush (-q3). A Quake train travels with the lowest corner
// of its brushes on the path; a Q3 train travels with its origin, which the
// compiler takes from an origin brush and otherwise puts at the world's
// zero point, so the train would run displaced. An origin brush centred on
// that lowest corner makes it run where it did.
#ifndef KORVEX_CONVERTER_TRAIN_ORIGIN_H
#define KORVEX_CONVERTER_TRAIN_ORIGIN_H

#include "line_buffer.h"
#include "status.h"

namespace conv {

// Adds an origin brush at the lowest corner of the block's brushes, whose
// plane lines are already written for Q3, unless one of them is an origin
// brush already or the corner cannot be found. Writes its faces in the
// Valve 220 form when `valve`. Returns CONV_OK (also when it added
// nothing), CONV_TOO_MANY_LINES or CONV_LINE_TOO_LONG; changes nothing but
// the block.
[[nodiscard]] conv_status add_train_origin(kmap::LineBuffer& lines, bool valve);

}  // namespace conv

#endif
