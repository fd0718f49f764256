#include "entity.h"

#include "bounded_text.h"
#include "map_limits.h"

namespace kmap {
namespace {

// Room for any key line the extended limits allow.
constexpr size_t line_room = extended_limits.line_chars + 1;

}  // namespace

BoundedText Entity::scratch() {
  if (scratch_.empty()) scratch_.resize(line_room);
  return BoundedText(scratch_.data(), scratch_.size());
}

void Entity::clear() {
  lines.clear();
  key_lines_.clear();
}

int Entity::find(std::string_view name) const {
  for (int k = key_count() - 1; k >= 0; --k) {
    const KeyLine line = key(k);
    if (line.quoted_key && line.key == name) return k;
  }
  return -1;
}

std::optional<std::string_view> Entity::value(std::string_view name) const {
  const int k = find(name);
  if (k < 0) return std::nullopt;
  return key(k).value;
}

conv_status Entity::set_value(int k, std::string_view value) {
  const KeyLine line = key(k);
  const std::string_view text = lines.view(key_line(k));
  BoundedText quoted = scratch();
  size_t col = text.size();
  if (line.has_value)
    col = line.value_col;
  else if (!line.second_word.empty())
    col = static_cast<size_t>(line.second_word.data() - text.data());
  else
    quoted.add(" ");
  quoted.add("\"").add(value).add("\"");
  if (!quoted.ok()) return CONV_LINE_TOO_LONG;
  return lines.replace_tail(key_line(k), static_cast<int>(col), quoted.view());
}

conv_status Entity::set(std::string_view name, std::string_view value) {
  bool found = false;
  for (int k = 0; k < key_count(); ++k) {
    const KeyLine line = key(k);
    if (!line.quoted_key || line.key != name) continue;
    found = true;
    if (const conv_status r = set_value(k, value); r != CONV_OK) return r;
  }
  return found ? CONV_OK : add(name, value);
}

conv_status Entity::rename(std::string_view from, std::string_view to) {
  for (int k = 0; k < key_count(); ++k) {
    const KeyLine line = key(k);
    if (!line.quoted_key || line.key != from) continue;
    const std::string_view text = lines.view(key_line(k));
    // From the key's opening quote: what follows its closing quote stays.
    const size_t open = static_cast<size_t>(line.key.data() - text.data()) - 1;
    const std::string_view rest = text.substr(open + line.key.size() + 2);
    BoundedText renamed = scratch();
    renamed.add("\"").add(to).add("\"").add(rest);
    if (!renamed.ok()) return CONV_LINE_TOO_LONG;
    if (const conv_status r = lines.replace_tail(key_line(k), static_cast<int>(open), renamed.view()); r != CONV_OK)
      return r;
  }
  return CONV_OK;
}

void Entity::remove(std::string_view name) {
  for (int k = key_count() - 1; k >= 0; --k) {
    const KeyLine line = key(k);
    if (!line.quoted_key || line.key != name) continue;
    const int gone = key_line(k);
    lines.erase(gone);
    key_lines_.erase(key_lines_.begin() + k);
    for (int& i : key_lines_)
      if (i > gone) --i;
  }
}

conv_status Entity::add(std::string_view name, std::string_view value) {
  BoundedText line = scratch();
  append_key_line(line, name, value);
  if (!line.ok()) return CONV_LINE_TOO_LONG;
  const conv_status r = lines.add(line.view());
  if (r == CONV_OK) note_key_line(lines.size() - 1);
  return r;
}

}  // namespace kmap
