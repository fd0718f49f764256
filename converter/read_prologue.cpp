#include "read_prologue.h"

#include <vector>

using namespace kmap;

namespace conv {
namespace {

// Enough for the first faces of any real map, little for any machine.
constexpr size_t read_ahead_bytes = 4 << 20;

std::string_view significant(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  line.remove_prefix(first);
  return line.starts_with("//") ? std::string_view() : line;
}

}  // namespace

Prologue read_prologue(TextInput& input, const Limits& limits) {
  Prologue found;
  bool form_known = false;
  bool world_done = false;
  std::vector<char> buffer(static_cast<size_t>(limits.line_chars) + 1);
  hold_input(input);
  int depth = 0;
  int blocks = 0;
  Face face;
  while (input.held.size() < read_ahead_bytes) {
    if ((world_done || found.votes.lines_seen >= game_sample_lines) && form_known) break;
    const int len = read_text_line(input, buffer.data(), static_cast<int>(buffer.size()));
    if (len < 0) break;
    const std::string_view line(buffer.data(), static_cast<size_t>(len));
    const std::string_view s = significant(line);
    if (s.empty()) continue;
    if (s[0] == '{') {
      blocks += depth == 0;
      // A block opened and closed on one line holds nothing.
      if (significant(s.substr(1)) != "}") ++depth;
      continue;
    }
    if (s[0] == '}') {
      if (depth > 0) --depth;
      world_done = world_done || (depth == 0 && blocks == 1);
      continue;
    }
    if (depth != 2) continue;  // key lines, or whatever stands outside a block
    if (blocks == 1) count_game_vote(line, found.votes);
    if (!form_known && read_face(line, &face, true) && !face.texture.text.empty()) {
      found.form = face.form;
      form_known = true;
    }
  }
  replay_held(input);
  return found;
}

}  // namespace conv
