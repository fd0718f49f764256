#include "texture_rules.h"

#include <array>
#include <cctype>
#include <algorithm>

#include "texture_names.h"
#include "wildcard.h"

using namespace kmap;

namespace conv {
namespace {

struct FlagName {
  std::string_view name;
  bool surface;  // a surface flag, else a contents bit
  uint32_t bit;
};

// The Quake 2 flags a rule may test.
constexpr std::array<FlagName, 12> flag_names{{
    {"water", false, 32},
    {"slime", false, 16},
    {"lava", false, 8},
    {"playerclip", false, 65536},
    {"monsterclip", false, 131072},
    {"areaportal", false, 32768},
    {"origin", false, 16777216},
    {"detail", false, 134217728},
    {"sky", true, 4},
    {"nodraw", true, 128},
    {"hint", true, 256},
    {"skip", true, 512},
}};

// A pattern is well formed when no escape is left without its character.
bool pattern_ok(std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i)
    if (pattern[i] == '\\' && ++i == pattern.size()) return false;
  return true;
}

bool name_ok(std::string_view name) {
  if (name.empty() || name.size() > texture_name_chars) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x21 || c == '"' || c == '\\') return false;
  return true;
}

}  // namespace

bool glob_match(std::string_view pattern, std::string_view name) {
  return wildcard_match(pattern, name, {.fold_case = true, .escapes = true});
}

bool load_texture_rules(FILE* file, const char* path, TextureRules& rules, std::string& error) {
  if (file == nullptr) {
    error = std::string("cannot open the file '") + path + "'";
    return false;
  }
  std::string text;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  if (ferror(file)) {
    error = std::string(path) + ": read error";
    return false;
  }
  TextureRules loaded;
  std::string line;
  int number = 0;
  size_t at = 0;
  auto fail = [&](const std::string& what) {
    error = std::string(path) + ":" + std::to_string(number) + ": " + what;
    return false;
  };
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    line.assign(text, at, end - at);
    at = end + 1;
    ++number;
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::vector<std::string> words;
    for (size_t i = 0; i < line.size();) {
      while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      const size_t first = i;
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      if (i > first) words.emplace_back(line, first, i - first);
    }
    if (words.empty()) continue;
    if (words.size() < 2) return fail("a rule needs a pattern and a replacement");
    TextureRule rule;
    rule.line = number;
    rule.pattern = words.front();
    if (!pattern_ok(rule.pattern)) return fail("pattern '" + rule.pattern + "' ends in an escape");
    if (rule.pattern.size() > texture_name_chars)
      return fail("pattern '" + rule.pattern + "' is longer than " + std::to_string(texture_name_chars) +
                  " characters");
    for (size_t w = 1; w + 1 < words.size(); ++w) {
      const std::string& test = words[w];
      const FlagName* flag = nullptr;
      for (const FlagName& f : flag_names)
        if (test.size() > 1 && test.substr(1) == f.name) flag = &f;
      if ((test[0] != '+' && test[0] != '!') || flag == nullptr)
        return fail("'" + test + "' is no flag test (+flag or !flag: water slime lava playerclip monsterclip "
                    "areaportal origin detail sky nodraw hint skip)");
      uint32_t& set = flag->surface ? rule.surface_set : rule.contents_set;
      uint32_t& clear = flag->surface ? rule.surface_clear : rule.contents_clear;
      (test[0] == '+' ? set : clear) |= flag->bit;
      rule.tests += (rule.tests.empty() ? "" : " ") + test;
    }
    const std::string& replacement = words.back();
    if (replacement == "@keep") {
      rule.choice = TextureChoice::keep;
    } else if (replacement == "@owner") {
      rule.choice = TextureChoice::owner;
    } else if (replacement[0] == '@') {
      return fail("'" + replacement + "' is no replacement (@keep, @owner or a texture name)");
    } else if (!name_ok(replacement)) {
      return fail("texture name '" + replacement + "' is longer than " + std::to_string(texture_name_chars) +
                  " characters or holds a quote or backslash");
    } else {
      rule.choice = TextureChoice::name;
      rule.name = replacement;
    }
    loaded.contents_tested |= rule.contents_set | rule.contents_clear;
    loaded.surface_tested |= rule.surface_set | rule.surface_clear;
    loaded.rules.push_back(std::move(rule));
  }
  rules = std::move(loaded);
  return true;
}

int match_texture_rule(const TextureRules& rules, std::string_view name, uint32_t contents, uint32_t surface) {
  for (size_t i = 0; i < rules.rules.size(); ++i) {
    const TextureRule& r = rules.rules[i];
    if ((contents & r.contents_set) != r.contents_set || (contents & r.contents_clear) != 0) continue;
    if ((surface & r.surface_set) != r.surface_set || (surface & r.surface_clear) != 0) continue;
    if (glob_match(r.pattern, name)) return static_cast<int>(i);
  }
  return -1;
}

const TextureChooser::Verdict& TextureChooser::choose(std::string_view name, uint32_t contents,
                                                      uint32_t surface) {
  contents &= rules_->contents_tested;
  surface &= rules_->surface_tested;
  if (last_ != nullptr && name == last_name_ && contents == last_contents_ && surface == last_surface_) {
    count(*last_);
    return *last_;
  }
  key_.assign(name);
  if (contents != 0 || surface != 0) {
    key_ += '\0';
    key_ += std::to_string(contents);
    key_ += ',';
    key_ += std::to_string(surface);
  }
  auto found = verdicts_.find(key_);
  if (found == verdicts_.end()) {
    Verdict v{match_texture_rule(*rules_, name, contents, surface), {}};
    if (v.rule >= 0) {
      const TextureRule& r = rules_->rules[static_cast<size_t>(v.rule)];
      if (r.choice == TextureChoice::name) v.name = r.name;
      if (r.choice == TextureChoice::keep) {
        v.name = kept_texture_name(name, q2_ ? Game::quake2 : Game::quake);
        // A name too long for a shader keeps its owner's texture instead.
        if (v.name.size() > texture_name_chars) v.name.clear();
        else ++kept_;
      }
    }
    found = verdicts_.emplace(key_, std::move(v)).first;
  }
  last_ = &found->second;
  last_name_.assign(name);
  last_contents_ = contents;
  last_surface_ = surface;
  count(*last_);
  return *last_;
}

void TextureChooser::count(const Verdict& v) {
  if (v.rule >= 0) ++faces_by_rule[static_cast<size_t>(v.rule)];
  else ++faces_unmatched;
  if (v.name.empty()) ++faces_owner;
}

std::vector<std::string> TextureChooser::kept_names() const {
  std::vector<std::string> names;
  for (const auto& [key, verdict] : verdicts_)
    if (verdict.rule >= 0 && rules_->rules[static_cast<size_t>(verdict.rule)].choice == TextureChoice::keep &&
        !verdict.name.empty())
      names.push_back(verdict.name);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace conv
