// The raw road: a plane line the face model cannot read (no parenthesis,
// points that are not three of three numbers, a texture that stands too far
// from them) is still retextured as the classic converter did, from its text:
// its first nine words are the coordinates, and its texture part begins
// after the line's last right parenthesis.
#ifndef KORVEX_CONVERTER_REWRITE_RAW_PLANE_H
#define KORVEX_CONVERTER_REWRITE_RAW_PLANE_H

#include <string_view>

#include "line_buffer.h"
#include "settings.h"
#include "status.h"

namespace conv {

// Gives line i the texture text (a name and its alignment), its points
// scaled by the size factor first. Returns CONV_OK, CONV_NO_PAREN,
// CONV_TOKEN, CONV_BAD_COORD or CONV_LINE_TOO_LONG; on failure the line may
// keep its scaled points (the log shows it so). scratch holds a whole line.
[[nodiscard]] conv_status rewrite_raw_plane(kmap::LineBuffer& lines, int i, const Settings& settings,
                                            std::string_view texture, char* scratch);

}  // namespace conv

#endif
