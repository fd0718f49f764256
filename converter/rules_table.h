// Entity rules (-q3): what a source class becomes in Q3 so that it plays as
// it did in its own game. The table is plain text, one statement per line;
// `#` outside quotes starts a comment, blank lines are ignored.
//
//   class NAME...          the rules below apply to entities whose source
//                          classname matches one of the names (`*` any run
//                          of characters, `?` one; letter case counts, as
//                          in the games' spawn lookup) and none of the
//                          names written after a `!`
//   ACTION ARGS [if TEST [and TEST]...]
//
// Actions:
//   to CLASS               the Q3 class: the first `to` whose tests hold;
//                          when none holds, the class table's name
//   omit                   the entity is left out
//   default KEY VALUE      KEY is VALUE where it is absent, empty or reads
//                          as 0 (the games' `if (!self.key)`)
//   set KEY VALUE          KEY is VALUE
//   scale KEY FACTOR       a present KEY's number is multiplied
//   remove KEY             every KEY line is taken out
//   rename KEY NEWKEY      KEY lines are named NEWKEY
//   flags clear BITS       spawnflags bits cleared
//   flags set BITS         spawnflags bits set
//   flags move BITS BIT    when any of BITS is set: cleared, and BIT set
//   offset X Y Z           the origin moved (a missing origin is 0 0 0)
//   derive KIND            entities or keys computed from several keys (see
//                          Derivation)
//   faces KIND             how the faces of its brushes are written:
//                          detail, nonsolid (see-through, detail),
//                          nonsolid_opaque (walk-through, blocks sight)
//   lost TEXT              what Q3 cannot express, said once per class
// Tests: `flag BITS` (any of the bits set), `!flag BITS` (none), `has KEY`
// (present and not empty), `!has KEY`, and `KEY OP NUMBER` with OP one of
// < <= > >= = != (the value read as the games read a number: 0 when absent
// or no number). BITS is a number or numbers joined by `|`. A word holding
// blanks is written between double quotes.
//
// Tests read the entity as the source has it; actions apply in the order
// written, across every section that matches, and derivations run after
// the key edits.
#ifndef KORVEX_CONVERTER_RULES_TABLE_H
#define KORVEX_CONVERTER_RULES_TABLE_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace conv {

enum class RuleAction : uint8_t {
  to, omit, default_value, set, scale, remove, rename, flags_clear, flags_set, flags_move, offset, derive, faces, lost,
};

// What `derive` computes.
enum class Derivation : uint8_t {
  push,         // trigger_push: a target_position where Quake's push sends
                // the player, or a trigger_multiple firing a target_push
  targets,      // "delay" and "message": a target_delay, target_print and
                // target_relay between the entity and its targets
  door_team,    // touching Quake doors share one "team"
  secret_door,  // a secret door's two moves made one straight move that
                // ends where Quake's second move ends
  teleporter,   // a Quake 2 point teleporter: a trigger_teleport brush
};
inline constexpr std::array<std::string_view, 5> derivation_names{"push", "targets", "door_team", "secret_door",
                                                                  "teleporter"};
static_assert(derivation_names.size() == static_cast<size_t>(Derivation::teleporter) + 1);

// How the faces of an entity's brushes are written.
enum class FaceKind : uint8_t { detail, nonsolid, nonsolid_opaque };
inline constexpr std::array<std::string_view, 3> face_kind_names{"detail", "nonsolid", "nonsolid_opaque"};
static_assert(face_kind_names.size() == static_cast<size_t>(FaceKind::nonsolid_opaque) + 1);

enum class TestKind : uint8_t { flag_any, flag_none, has, lacks, less, less_equal, greater, greater_equal, equal, not_equal };

struct RuleTest {
  TestKind kind = TestKind::has;
  std::string key;     // has, lacks and the comparisons
  uint32_t bits = 0;   // flag_any, flag_none
  double number = 0;   // the comparisons
};

struct Rule {
  RuleAction action = RuleAction::omit;
  std::string key;     // default_value set scale remove rename: the key; to: the class; lost: the text
  std::string value;   // default_value set: the value; rename: the new key
  double number = 0;   // scale: the factor
  uint32_t bits = 0;   // flags_*: the bits
  uint32_t to_bit = 0; // flags_move: the bit set
  std::array<double, 3> offset{};
  Derivation derivation = Derivation::push;
  FaceKind faces = FaceKind::detail;
  std::vector<RuleTest> tests;  // all must hold
  int line = 0;                 // where it stands in its file
};

struct RuleSection {
  std::vector<std::string> patterns;
  std::vector<Rule> rules;
  int line = 0;
};

struct RuleSet {
  std::string path;  // the file read, for reports
  std::vector<RuleSection> sections;
};

// Reads a rules table from text; `path` names it in messages. True, or
// false with error set to "PATH:LINE: what is wrong"; out is written only
// on success.
[[nodiscard]] bool parse_rules(std::string_view text, const std::string& path, RuleSet& out, std::string& error);

// Reads the rules table at path, as parse_rules; a file that cannot be read
// is an error naming it.
[[nodiscard]] bool load_rules(const std::string& path, RuleSet& out, std::string& error);

// True when the section names the class: a pattern matches it and no
// pattern written after a `!` does.
[[nodiscard]] bool section_names(const RuleSection& section, std::string_view classname);

// True when the classname matches the pattern (`*`, `?`; letter case counts).
[[nodiscard]] bool class_pattern_match(std::string_view pattern, std::string_view classname);

}  // namespace conv

#endif
