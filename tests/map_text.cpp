#include "map_text.h"

#include <cstdlib>

namespace {

std::string_view trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(trimmed(text.substr(start, end - start)));
    start = end + 1;
  }
  return lines;
}

kmap::Entity fresh_entity() {
  kmap::Entity e;
  e.lines.configure(kmap::extended_limits, true);
  return e;
}

// Adds one trimmed line to an entity being read.
void add_line(kmap::Entity& e, std::string_view line) {
  if (line.empty() || line.starts_with("//")) return;
  (void)e.lines.add(line);
  const int i = e.lines.size() - 1;
  if (line == "{")
    e.lines.open_brush(i + 1);
  else if (line == "}")
    e.lines.close_brush(i - 1);
  else if (line.front() == '"')
    e.note_key_line(i);
}

}  // namespace

kmap::Entity entity_from_text(std::string_view text) {
  kmap::Entity e = fresh_entity();
  for (std::string_view line : split_lines(text)) add_line(e, line);
  return e;
}

std::string entity_text(const kmap::Entity& entity) {
  std::string text;
  for (int i = 0; i < entity.lines.size(); ++i) text += std::string(entity.lines.view(i)) + "\n";
  return text;
}

std::vector<NumberedEntity> read_map_entities(std::string_view map, bool numbered_by_comments) {
  // As the converter reads a map: a line whose first character is a brace
  // opens or closes a block, whatever follows it ("{}" opens and closes).
  std::vector<NumberedEntity> entities;
  int depth = 0;
  int comment_number = -1;
  for (std::string_view line : split_lines(map)) {
    if (line.empty()) continue;
    if (depth == 0) {
      // "// entity N, added K" is an entity the conversion made of N.
      if (line.starts_with("// entity "))
        comment_number = line.find(", added ") == std::string_view::npos ? std::atoi(std::string(line.substr(10)).c_str())
                                                                          : -1;
      if (line.front() != '{') continue;
      NumberedEntity next{numbered_by_comments ? comment_number : static_cast<int>(entities.size()), fresh_entity()};
      entities.push_back(std::move(next));
      comment_number = -1;
      depth = trimmed(line.substr(1)).starts_with("}") ? 0 : 1;
      continue;
    }
    if (line == "} {" && depth == 1) {  // one entity closed and the next opened on one line
      entities.push_back({-1, fresh_entity()});
      continue;
    }
    if (line.front() == '}' && depth == 1) {
      depth = 0;
      continue;
    }
    if (line.front() == '{') ++depth;
    if (line.front() == '}') --depth;
    add_line(entities.back().entity, line.front() == '{' ? "{" : line.front() == '}' ? "}" : line);
  }
  return entities;
}
