// Retexturing the faces of a block's brushes: each face is read into the
// face model, given its texture (by the texture rules, or the fixed texture
// of the brush's owner), its points scaled and its alignment written in the
// map's form, then formatted back into its line. A line the model cannot
// read takes the raw road.
#ifndef KORVEX_CONVERTER_REWRITE_FACES_H
#define KORVEX_CONVERTER_REWRITE_FACES_H

#include "fixed_textures.h"
#include "line_buffer.h"
#include "settings.h"
#include "status.h"
#include "texture_rules.h"
#include "texture_sources.h"

namespace conv {

// What a run brings to the faces besides its settings.
struct FaceRewrite {
  TextureChooser* textures = nullptr;  // -t: the rules' verdicts; null: fixed textures
  bool q2 = false;                     // Quake 2 faces: their flags count
  bool valve = false;                  // the map's faces are written in the Valve 220 form (-t)
  const texpack::TextureLibrary* wal = nullptr;  // -wal: the flags of faces that carry none
  bool drop_detail = false;  // no brush is written detail (-nodetail, or a world without structure)
};

// True when the plane line (of a Quake 2 map, with the run's .wal flags)
// marks its brush detail for the Q3 compiler.
[[nodiscard]] bool face_is_detail(const FaceRewrite& rewrite, std::string_view line);

// Rewrites every plane line of the block's brushes, owned by an entity of
// `kind`; `detail` marks them detail for the Q3 compiler (-t). Returns
// CONV_OK, or at the first line that fails CONV_NO_PAREN, CONV_TOKEN,
// CONV_BAD_COORD or CONV_LINE_TOO_LONG; the lines before it stay rewritten.
[[nodiscard]] conv_status rewrite_brush_faces(kmap::LineBuffer& lines, const Settings& settings,
                                              FaceRewrite& rewrite, owner_kind kind, bool detail);

}  // namespace conv

#endif
