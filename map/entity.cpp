#include "entity.h"

#include "bounded_text.h"
#include "map_limits.h"

namespace kmap {
namespace {

// Room for any key line the extended limits allow.
constexpr size_t line_room = extended_limits.line_chars + 1;

}  // namespace

BoundedText Entity::scratch() {
  // One edited line at a time, in any entity of the thread: the room is
  // the thread's, made once, and copies of entities do not carry it.
  thread_local std::vector<char> room(line_room);
  return BoundedText(room.data(), room.size());
}

void Entity::clear() {
  lines.clear();
  key_lines_.clear();
  read_.clear();
  looks_ = 0;
}

Entity::ReadKey Entity::read_line(std::string_view text) {
  const KeyLine r = read_key_line(text);
  auto at = [&text](std::string_view part) {
    return static_cast<uint32_t>(part.data() == nullptr ? 0 : part.data() - text.data());
  };
  return {at(r.key),         static_cast<uint32_t>(r.key.size()),
          at(r.value),       static_cast<uint32_t>(r.value.size()),
          at(r.first_word),  static_cast<uint32_t>(r.first_word.size()),
          at(r.second_word), static_cast<uint32_t>(r.second_word.size()),
          static_cast<uint32_t>(r.value_col), r.quoted_key, r.has_value, r.value_closed};
}

void Entity::read_keys() const {
  if (read_.size() == key_lines_.size()) return;
  read_.clear();
  for (int line : key_lines_) read_.push_back(read_line(lines.view(line)));
}

bool Entity::look_up() const {
  if (!indexed() && ++looks_ >= index_after) read_keys();
  return indexed();
}

KeyLine Entity::key(int k) const {
  if (!look_up()) return read_key_line(lines.view(key_line(k)));
  const ReadKey& r = read_[static_cast<size_t>(k)];
  const std::string_view text = lines.view(key_line(k));
  KeyLine out;
  out.quoted_key = r.quoted_key;
  out.key = text.substr(r.key_at, r.key_size);
  out.value = text.substr(r.value_at, r.value_size);
  out.has_value = r.has_value;
  out.value_closed = r.value_closed;
  out.value_col = r.value_col;
  out.first_word = text.substr(r.first_at, r.first_size);
  out.second_word = text.substr(r.second_at, r.second_size);
  return out;
}

bool Entity::key_is(int k, std::string_view name) const {
  if (indexed()) {
    const ReadKey& r = read_[static_cast<size_t>(k)];
    return r.quoted_key && r.key_size == name.size() &&
           lines.view(key_line(k)).compare(r.key_at, r.key_size, name) == 0;
  }
  const std::string_view line = lines.view(key_line(k));
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return line.size() > i + name.size() + 1 && line[i] == '"' && line.compare(i + 1, name.size(), name) == 0 &&
         line[i + 1 + name.size()] == '"';
}

int Entity::find(std::string_view name) const {
  if (look_up()) {
    const auto size = static_cast<uint32_t>(name.size());
    for (int k = key_count() - 1; k >= 0; --k) {
      const ReadKey& r = read_[static_cast<size_t>(k)];
      if (r.key_size == size && r.quoted_key && lines.view(key_line(k)).compare(r.key_at, size, name) == 0) return k;
    }
    return -1;
  }
  for (int k = key_count() - 1; k >= 0; --k)
    if (key_is(k, name)) return k;
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
  const conv_status r = lines.replace_tail(key_line(k), static_cast<int>(col), quoted.view());
  reread(k);
  return r;
}

conv_status Entity::set(std::string_view name, std::string_view value) {
  bool found = false;
  for (int k = 0; k < key_count(); ++k) {
    if (!key_is(k, name)) continue;
    found = true;
    if (const conv_status r = set_value(k, value); r != CONV_OK) return r;
  }
  return found ? CONV_OK : add(name, value);
}

conv_status Entity::rename(std::string_view from, std::string_view to) {
  for (int k = 0; k < key_count(); ++k) {
    if (!key_is(k, from)) continue;
    const KeyLine line = key(k);
    const std::string_view text = lines.view(key_line(k));
    // From the key's opening quote: what follows its closing quote stays.
    const size_t open = static_cast<size_t>(line.key.data() - text.data()) - 1;
    const std::string_view rest = text.substr(open + line.key.size() + 2);
    BoundedText renamed = scratch();
    renamed.add("\"").add(to).add("\"").add(rest);
    if (!renamed.ok()) return CONV_LINE_TOO_LONG;
    const conv_status r = lines.replace_tail(key_line(k), static_cast<int>(open), renamed.view());
    reread(k);
    if (r != CONV_OK) return r;
  }
  return CONV_OK;
}

void Entity::remove(std::string_view name) {
  for (int k = key_count() - 1; k >= 0; --k) {
    if (!key_is(k, name)) continue;
    const int gone = key_line(k);
    lines.erase(gone);
    if (indexed()) read_.erase(read_.begin() + k);
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
  if (r != CONV_OK) return r;
  const bool read = read_.size() == key_lines_.size();
  key_lines_.push_back(lines.size() - 1);
  if (read) read_.push_back(read_line(line.view()));
  return r;
}

}  // namespace kmap
