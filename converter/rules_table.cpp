#include "rules_table.h"
#include "wildcard.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace conv {
namespace {

struct ActionName {
  std::string_view name;
  RuleAction action;
  int words;  // arguments after the name
};

constexpr std::array<ActionName, 12> action_names{{
    {"to", RuleAction::to, 1},
    {"omit", RuleAction::omit, 0},
    {"default", RuleAction::default_value, 2},
    {"set", RuleAction::set, 2},
    {"scale", RuleAction::scale, 2},
    {"remove", RuleAction::remove, 1},
    {"rename", RuleAction::rename, 2},
    {"flags", RuleAction::flags_clear, -1},  // clear|set|move: counted apart
    {"offset", RuleAction::offset, 3},
    {"derive", RuleAction::derive, 1},
    {"faces", RuleAction::faces, 1},
    {"lost", RuleAction::lost, 1},
}};

struct Comparison {
  std::string_view op;
  TestKind kind;
};
constexpr std::array<Comparison, 6> comparisons{{
    {"<", TestKind::less},
    {"<=", TestKind::less_equal},
    {">", TestKind::greater},
    {">=", TestKind::greater_equal},
    {"=", TestKind::equal},
    {"!=", TestKind::not_equal},
}};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// The words of a line: runs of non-blank characters, or text between
// double quotes; `#` outside quotes ends the line. False on an unclosed quote.
bool split_words(std::string_view line, std::vector<std::string>& words) {
  size_t i = 0;
  while (i < line.size()) {
    if (is_blank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    if (line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      words.emplace_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    const size_t start = i;
    while (i < line.size() && !is_blank(line[i]) && line[i] != '"' && line[i] != '#') ++i;
    words.emplace_back(line.substr(start, i - start));
  }
  return true;
}

bool read_number(const std::string& word, double& out) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (end != word.c_str() + word.size() || errno == ERANGE || !std::isfinite(value)) return false;
  out = value;
  return true;
}

// "4", "8|16": bits of spawnflags, each part a positive whole number.
bool read_bits(const std::string& word, uint32_t& out) {
  uint32_t bits = 0;
  std::stringstream parts(word);
  std::string part;
  int count = 0;
  while (std::getline(parts, part, '|')) {
    ++count;
    if (part.empty() || part.size() > 10 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long value = std::stoul(part);
    if (value == 0 || value > 0xffffffffUL) return false;
    bits |= static_cast<uint32_t>(value);
  }
  if (count == 0 || word.back() == '|') return false;
  out = bits;
  return true;
}

std::string joined(const std::vector<std::string>& words, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to; ++i) text += (i > from ? " " : "") + words[i];
  return text;
}

class LineParser {
 public:
  LineParser(const std::string& path, int line, std::string& error) : path_(path), line_(line), error_(error) {}

  bool parse_rule(const std::vector<std::string>& words, Rule& rule) {
    size_t end = words.size();
    for (size_t i = 0; i < words.size(); ++i)
      if (words[i] == "if") {
        end = i;
        break;
      }
    rule.line = line_;
    if (!parse_action(words, end, rule)) return false;
    if (end == words.size()) return true;
    size_t start = end + 1;
    for (;;) {
      size_t stop = start;
      while (stop < words.size() && words[stop] != "and") ++stop;
      if (stop == start) return fail("'" + words[start - 1] + "' without a test after it");
      RuleTest test;
      if (!parse_test(words, start, stop, test)) return false;
      rule.tests.push_back(test);
      if (stop == words.size()) return true;
      start = stop + 1;
      if (start == words.size()) return fail("'and' without a test after it");
    }
  }

  bool fail(const std::string& what) {
    error_ = path_ + ":" + std::to_string(line_) + ": " + what;
    return false;
  }

 private:
  bool parse_action(const std::vector<std::string>& words, size_t end, Rule& rule) {
    const ActionName* found = nullptr;
    for (const ActionName& a : action_names)
      if (words[0] == a.name) found = &a;
    if (found == nullptr)
      return fail("'" + words[0] + "' is no action (to omit default set scale remove rename flags offset derive "
                  "faces lost)");
    rule.action = found->action;
    const size_t args = end - 1;
    if (found->name == "flags") return parse_flags(words, end, rule);
    if (args != static_cast<size_t>(found->words)) return fail(usage_of(found->name));
    switch (rule.action) {
      case RuleAction::to:
      case RuleAction::remove:
      case RuleAction::lost:
        rule.key = words[1];
        if (rule.key.empty()) return fail(usage_of(found->name));
        return true;
      case RuleAction::default_value:
      case RuleAction::set:
      case RuleAction::rename:
        rule.key = words[1];
        rule.value = words[2];
        if (rule.key.empty() || (rule.action == RuleAction::rename && rule.value.empty()))
          return fail(usage_of(found->name));
        return true;
      case RuleAction::scale:
        rule.key = words[1];
        return rule.key.empty() ? fail(usage_of(found->name)) : number(words[2], rule.number);
      case RuleAction::offset:
        for (size_t i = 0; i < 3; ++i)
          if (!number(words[1 + i], rule.offset[i])) return false;
        return true;
      case RuleAction::derive:
        for (size_t i = 0; i < derivation_names.size(); ++i)
          if (words[1] == derivation_names[i]) {
            rule.derivation = static_cast<Derivation>(i);
            return true;
          }
        return fail("'" + words[1] + "' is no derivation (push targets door_team secret_door teleporter)");
      case RuleAction::faces:
        for (size_t i = 0; i < face_kind_names.size(); ++i)
          if (words[1] == face_kind_names[i]) {
            rule.faces = static_cast<FaceKind>(i);
            return true;
          }
        return fail("'" + words[1] + "' is no face kind (detail nonsolid nonsolid_opaque)");
      case RuleAction::omit:
        return true;
      default:
        return fail(usage_of(found->name));
    }
  }

  bool parse_flags(const std::vector<std::string>& words, size_t end, Rule& rule) {
    const std::string how = end > 1 ? words[1] : "";
    if (how == "clear" || how == "set") {
      if (end != 3) return fail("'flags " + how + "' takes the bits");
      rule.action = how == "clear" ? RuleAction::flags_clear : RuleAction::flags_set;
      return bits(words[2], rule.bits);
    }
    if (how == "move") {
      if (end != 4) return fail("'flags move' takes the bits to move and the bit they become");
      rule.action = RuleAction::flags_move;
      return bits(words[2], rule.bits) && bits(words[3], rule.to_bit);
    }
    return fail("'flags' takes clear, set or move");
  }

  bool parse_test(const std::vector<std::string>& words, size_t start, size_t stop, RuleTest& test) {
    const std::string text = joined(words, start, stop);
    if (stop - start == 2) {
      const std::string& what = words[start];
      const std::string& arg = words[start + 1];
      if (what == "flag" || what == "!flag") {
        test.kind = what == "flag" ? TestKind::flag_any : TestKind::flag_none;
        return bits(arg, test.bits);
      }
      if ((what == "has" || what == "!has") && !arg.empty()) {
        test.kind = what == "has" ? TestKind::has : TestKind::lacks;
        test.key = arg;
        return true;
      }
    }
    if (stop - start == 3 && !words[start].empty()) {
      for (const Comparison& c : comparisons)
        if (words[start + 1] == c.op) {
          test.kind = c.kind;
          test.key = words[start];
          return number(words[start + 2], test.number);
        }
    }
    return fail("'" + text + "' is no test (flag BITS, !flag BITS, has KEY, !has KEY, KEY OP NUMBER)");
  }

  static std::string usage_of(std::string_view action) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 11> usages{{
        {"to", "'to' takes a class"},
        {"omit", "'omit' takes nothing but tests"},
        {"default", "'default' takes a key and a value"},
        {"set", "'set' takes a key and a value"},
        {"scale", "'scale' takes a key and a factor"},
        {"remove", "'remove' takes a key"},
        {"rename", "'rename' takes a key and its new name"},
        {"offset", "'offset' takes three numbers"},
        {"derive", "'derive' takes what it computes"},
        {"faces", "'faces' takes a face kind"},
        {"lost", "'lost' takes a text (quoted when it holds blanks)"},
    }};
    for (const auto& [name, text] : usages)
      if (name == action) return std::string(text);
    return std::string(action);
  }

  bool number(const std::string& word, double& out) {
    return read_number(word, out) || fail("'" + word + "' is no number");
  }
  bool bits(const std::string& word, uint32_t& out) {
    return read_bits(word, out) || fail("'" + word + "' are no flag bits (a whole number above 0, or such numbers "
                                        "joined by '|')");
  }

  const std::string& path_;
  int line_;
  std::string& error_;
};

}  // namespace

bool class_pattern_match(std::string_view pattern, std::string_view name) {
  return wildcard_match(pattern, name, {});
}

bool section_names(const RuleSection& section, std::string_view classname) {
  bool named = false;
  for (const std::string& pattern : section.patterns) {
    if (pattern[0] == '!') {
      if (class_pattern_match(std::string_view(pattern).substr(1), classname)) return false;
    } else {
      named = named || class_pattern_match(pattern, classname);
    }
  }
  return named;
}

bool parse_rules(std::string_view text, const std::string& path, RuleSet& out, std::string& error) {
  RuleSet set;
  set.path = path;
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    LineParser parser(path, number, error);
    std::vector<std::string> words;
    if (!split_words(line, words)) return parser.fail("a quote is not closed");
    if (words.empty()) continue;
    if (words[0] == "class") {
      if (words.size() < 2) return parser.fail("'class' names no class");
      RuleSection section;
      section.line = number;
      section.patterns.assign(words.begin() + 1, words.end());
      bool named = false;
      for (const std::string& pattern : section.patterns) {
        if (pattern.empty() || pattern == "!") return parser.fail("'class' names an empty class");
        named = named || pattern[0] != '!';
      }
      if (!named) return parser.fail("'class' names no class, only classes left out");
      set.sections.push_back(std::move(section));
      continue;
    }
    if (set.sections.empty()) return parser.fail("a rule before the first 'class' line");
    Rule rule;
    if (!parser.parse_rule(words, rule)) return false;
    set.sections.back().rules.push_back(std::move(rule));
  }
  out = std::move(set);
  return true;
}

bool load_rules(const std::string& path, RuleSet& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open the file '" + path + "'";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = "cannot read the file '" + path + "'";
    return false;
  }
  return parse_rules(text.str(), path, out, error);
}

}  // namespace conv
