#include "nonsolid_faces.h"

#include <string>

#include "bounded_text.h"
#include "face.h"
#include "map_limits.h"

namespace conv {

conv_status write_nonsolid_faces(kmap::LineBuffer& lines, kmap::Solidity solidity) {
  if (solidity == kmap::Solidity::solid) return CONV_OK;
  std::string text(static_cast<size_t>(kmap::extended_limits.line_chars) + 1, '\0');
  for (int b = 0; b < lines.brush_count(); ++b) {
    const kmap::BrushRange range = lines.brush(b);
    for (int i = range.first; i <= range.last; ++i) {
      kmap::Face face;
      if (!kmap::read_face(lines.view(i), &face, false) || face.texture.text.empty()) continue;
      const std::string name = kmap::nonsolid_texture_name(face.texture.text, solidity);
      if (name == face.texture.text) continue;
      kmap::set_texture(face, name);
      kmap::BoundedText out(text.data(), text.size());
      if (kmap::format_face(face, out) != kmap::FormatResult::ok) return CONV_LINE_TOO_LONG;
      if (const conv_status r = lines.replace_tail(i, 0, out.view()); r != CONV_OK) return r;
    }
  }
  return CONV_OK;
}

}  // namespace conv
