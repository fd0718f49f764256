#include "map_scan.h"

#include <map>

#include "pack_names.h"

namespace texpack {
namespace {

struct Token {
  std::string_view text;
  int line = 0;
  bool quoted = false;
};

// Whitespace-separated words, "quoted strings" and // comments. Braces and
// parentheses are not split off a word: "{fence" is a texture name.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  bool next(Token& out) {
    for (;;) {
      while (pos_ < text_.size() && is_space(text_[pos_])) {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
      }
      if (pos_ >= text_.size()) return false;
      if (text_.compare(pos_, 2, "//") == 0) {
        skip_line();
        continue;
      }
      break;
    }
    out.line = line_;
    if (text_[pos_] == '"') {
      const size_t start = ++pos_;
      while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') ++pos_;
      out.text = text_.substr(start, pos_ - start);
      out.quoted = true;
      if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
      return true;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
    out.text = text_.substr(start, pos_ - start);
    out.quoted = false;
    return true;
  }

  // The words left on the current line.
  std::vector<std::string_view> rest_of_line() {
    std::vector<std::string_view> words;
    for (;;) {
      while (pos_ < text_.size() && is_space(text_[pos_]) && text_[pos_] != '\n') ++pos_;
      if (pos_ >= text_.size() || text_[pos_] == '\n' || text_.compare(pos_, 2, "//") == 0) break;
      const size_t start = pos_;
      while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
      words.push_back(text_.substr(start, pos_ - start));
    }
    return words;
  }

 private:
  static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
  void skip_line() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

// Numbers after a face's texture name: standard faces have five (Quake) or
// eight (Quake 2); Valve 220 faces have two bracketed axes, then three or six.
bool has_quake2_numbers(const std::vector<std::string_view>& words) {
  size_t after_axes = 0;
  for (size_t i = 0; i < words.size(); ++i)
    if (!words[i].empty() && words[i].back() == ']') after_axes = i + 1;
  const size_t count = words.size() - after_axes;
  return after_axes > 0 ? count >= 6 : count >= 8;
}

std::vector<std::string> split_wad_key(std::string_view value) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string_view::npos) end = value.size();
    std::string_view entry = value.substr(start, end - start);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    if (!entry.empty()) entries.emplace_back(entry);
    start = end + 1;
  }
  return entries;
}

std::string line_error(int line, std::string_view what) {
  return "line " + std::to_string(line) + ": " + std::string(what);
}

}  // namespace

ScanStatus scan_map(std::string_view text, bool converted_hint, bool force_quake2, MapScan& out,
                    std::string& error) {
  MapScan scan;
  std::map<std::string, size_t> index_by_lower;
  bool converted = converted_hint || text.find("converted to Q3A format") != std::string_view::npos;
  bool quake2 = force_quake2;

  Tokenizer tokens(text);
  Token token;
  int depth = 0;
  int entity = -1;
  int points_closed = 0;  // ')' seen in the current face
  int last_line = 1;
  std::string pending_key;
  bool have_key = false;

  while (tokens.next(token)) {
    last_line = token.line;
    const std::string_view word = token.text;
    if (!token.quoted && word == "{") {
      if (depth == 0) ++entity;
      ++depth;
      points_closed = 0;
      continue;
    }
    if (!token.quoted && word == "}") {
      if (depth == 0) {
        error = line_error(token.line, "'}' without a block to close");
        return ScanStatus::UNBALANCED;
      }
      --depth;
      have_key = false;
      continue;
    }
    if (depth == 1) {  // entity keys
      if (!token.quoted) continue;
      if (!have_key) {
        pending_key = std::string(word);
        have_key = true;
        continue;
      }
      have_key = false;
      if (entity == 0 && lower(pending_key) == "wad") scan.wad_entries = split_wad_key(word);
      continue;
    }
    if (depth != 2) continue;  // outside entities, or inside patches and brush primitives

    for (char c : word)
      if (c == ')') ++points_closed;
    if (points_closed < 3) continue;
    points_closed = 0;

    Token name;
    if (!tokens.next(name) || name.line != token.line || (!name.quoted && (name.text == "{" || name.text == "}"))) {
      error = line_error(token.line, "a face without a texture name");
      return ScanStatus::BAD_FACE;
    }
    const std::vector<std::string_view> numbers = tokens.rest_of_line();
    if (has_quake2_numbers(numbers)) quake2 = true;
    const std::string key = lower(name.text);
    if (key.starts_with("q1/") || key.starts_with("q2/")) converted = true;
    if (name.text.find('/') != std::string_view::npos) quake2 = true;
    ++scan.faces;
    const auto [it, added] = index_by_lower.emplace(key, scan.textures.size());
    if (added) scan.textures.push_back({std::string(name.text), 0});
    ++scan.textures[it->second].faces;
  }
  if (depth != 0) {
    error = line_error(last_line, "the map ends inside a block");
    return ScanStatus::UNBALANCED;
  }
  scan.kind = converted ? MapKind::CONVERTED : quake2 ? MapKind::QUAKE2 : MapKind::QUAKE;
  out = std::move(scan);
  return ScanStatus::OK;
}

}  // namespace texpack
