// The faces of a brush entity that must not block (func_illusionary and its
// kin, entity_rules.h's FaceTreatment): each face's texture, as the face
// rewrite chose it, is written under its non-solid name (nonsolid_names.h).
#ifndef KORVEX_CONVERTER_NONSOLID_FACES_H
#define KORVEX_CONVERTER_NONSOLID_FACES_H

#include "line_buffer.h"
#include "nonsolid_names.h"
#include "status.h"

namespace conv {

// Renames the texture of every plane line of the block's brushes, which the
// face rewrite has written already; a solid kind changes nothing, nor does a
// line that holds no face. Returns CONV_OK, or CONV_LINE_TOO_LONG with the
// lines before that one renamed. Touches nothing but the brushes' lines.
[[nodiscard]] conv_status write_nonsolid_faces(kmap::LineBuffer& lines, kmap::Solidity solidity);

}  // namespace conv

#endif
