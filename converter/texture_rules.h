// Texture rules (-t): a table that chooses each face's texture from its
// source texture name and, for Quake 2 maps, its contents and surface flags.
//
// The table is plain text, one rule per line: a pattern, optional flag
// tests, and the replacement. `#` starts a comment; blank lines are ignored.
//   pattern      a glob on the source name, without regard to case: `*` any
//                run of characters, `?` one character, `\` makes the next
//                character literal (`\*lava*` matches Quake's `*lava1`)
//   +flag !flag  the face's flag is set / clear (Quake 2): water slime lava
//                playerclip monsterclip areaportal origin detail (contents),
//                sky nodraw hint skip (surface)
//   replacement  a Q3 texture name; `@keep`, the source name kept under
//                q1/ or q2/ (lowercased, `*` written `#`); or `@owner`, the
//                fixed texture of the brush's owner
// The first rule that matches a face chooses; a face no rule matches gets
// its owner's fixed texture.
#ifndef KORVEX_CONVERTER_TEXTURE_RULES_H
#define KORVEX_CONVERTER_TEXTURE_RULES_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace conv {

enum class TextureChoice : uint8_t { name, keep, owner };

struct TextureRule {
  std::string pattern;  // as written, escapes included
  std::string tests;    // the flag tests as written, for reports
  uint32_t contents_set = 0, contents_clear = 0;
  uint32_t surface_set = 0, surface_clear = 0;
  TextureChoice choice = TextureChoice::owner;
  std::string name;  // the texture of a TextureChoice::name rule
  int line = 0;      // where the rule stands in its file
};

struct TextureRules {
  std::vector<TextureRule> rules;
  uint32_t contents_tested = 0;  // every contents bit some rule tests
  uint32_t surface_tested = 0;
};

// Longest texture name written (a Q3 shader name).
inline constexpr size_t texture_name_chars = 63;

// Loads the rules of the open file (null: it could not be opened), named
// path in messages. True, or false with error set to a message that names
// the file and the line; rules are written only on success. Never closes
// the file.
[[nodiscard]] bool load_texture_rules(FILE* file, const char* path, TextureRules& rules, std::string& error);

// The first rule that matches the face, or -1.
[[nodiscard]] int match_texture_rule(const TextureRules& rules, std::string_view name, uint32_t contents,
                                     uint32_t surface);

// True when name matches the glob pattern, without regard to case.
[[nodiscard]] bool glob_match(std::string_view pattern, std::string_view name);

// The rules' verdicts by source name and flags, so that each distinct
// texture is looked up once per run; and what they did, for the report.
class TextureChooser {
 public:
  struct Verdict {
    int rule;          // -1: no rule matched
    std::string name;  // the texture to write; empty: the owner's
  };

  TextureChooser(const TextureRules& rules, bool q2)
      : faces_by_rule(rules.rules.size()), rules_(&rules), q2_(q2) {}

  // The verdict for a face; counts it.
  const Verdict& choose(std::string_view name, uint32_t contents, uint32_t surface);

  std::vector<long> faces_by_rule;  // faces each rule chose, by rule index
  long faces_unmatched = 0;
  long faces_owner = 0;             // faces given their owner's texture by a rule or by none
  [[nodiscard]] size_t names_kept() const { return kept_; }
  // The names written for source names kept (@keep), sorted.
  [[nodiscard]] std::vector<std::string> kept_names() const;

 private:
  void count(const Verdict& v);

  const TextureRules* rules_;
  bool q2_;
  std::unordered_map<std::string, Verdict> verdicts_;
  std::string key_;
  // The last face's name, flags and verdict: the faces of a brush mostly
  // share their texture. The map's nodes stay where they are.
  std::string last_name_;
  uint32_t last_contents_ = 0, last_surface_ = 0;
  const Verdict* last_ = nullptr;
  size_t kept_ = 0;
};

}  // namespace conv

#endif
