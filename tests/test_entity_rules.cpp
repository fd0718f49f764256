// The entity rules engine: each action and test with rules written inline,
// then the shipped tables, family by family, each case an entity in and the
// entity and its new companions out.
#include <gtest/gtest.h>

#include "entity_rules.h"
#include "map_text.h"
#include "temp_dir.h"
#include "test_paths.h"

using namespace conv;

namespace {

// A Quake brush for the box (x0 y0 z0)..(x1 y1 z1): each face's points in
// the order that makes its plane face out.
std::string box(double x0, double y0, double z0, double x1, double y1, double z1) {
  auto n = [](double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
  };
  auto point = [&](double x, double y, double z) { return "( " + n(x) + " " + n(y) + " " + n(z) + " ) "; };
  return "{\n" + point(x0, y0, z0) + point(x0, y0 + 1, z0) + point(x0, y0, z0 + 1) + "wall 0 0 0 1 1\n" +
         point(x1, y0, z0) + point(x1, y0, z0 + 1) + point(x1, y0 + 1, z0) + "wall 0 0 0 1 1\n" +
         point(x0, y0, z0) + point(x0, y0, z0 + 1) + point(x0 + 1, y0, z0) + "wall 0 0 0 1 1\n" +
         point(x0, y1, z0) + point(x0 + 1, y1, z0) + point(x0, y1, z0 + 1) + "wall 0 0 0 1 1\n" +
         point(x0, y0, z0) + point(x0 + 1, y0, z0) + point(x0, y0 + 1, z0) + "wall 0 0 0 1 1\n" +
         point(x0, y0, z1) + point(x0, y0 + 1, z1) + point(x0 + 1, y0, z1) + "wall 0 0 0 1 1\n}\n";
}

struct Outcome {
  bool keep = false;
  std::string entity;              // as written (or as left, when left out)
  std::vector<std::string> added;  // the new entities
  FaceTreatment faces;
};

// Runs both passes over the entities (numbered from 1), each with its class
// table name, and returns each outcome and the report.
std::vector<Outcome> run_rules(const RuleSet& set, const std::vector<std::pair<std::string, std::string>>& entities,
                               RulesReport* report_out = nullptr) {
  RuleIndex index(set);
  MapFacts facts;
  std::vector<kmap::Entity> parsed;
  for (const auto& [text, table_class] : entities) parsed.push_back(entity_from_text(text));
  for (size_t i = 0; i < parsed.size(); ++i) facts.note(parsed[i], static_cast<int>(i) + 1);
  facts.finish();
  RulesReport report;
  std::vector<Outcome> outcomes;
  for (size_t i = 0; i < parsed.size(); ++i) {
    EntityVerdict verdict;
    EXPECT_EQ(apply_entity_rules(index, facts, static_cast<int>(i) + 1, entities[i].second, parsed[i], verdict, report),
              CONV_OK);
    Outcome o{verdict.keep, entity_text(parsed[i]), {}, verdict.faces};
    for (const kmap::Entity& e : verdict.added) o.added.push_back(entity_text(e));
    outcomes.push_back(std::move(o));
  }
  if (report_out) *report_out = report;
  return outcomes;
}

RuleSet parsed_rules(const char* text) {
  RuleSet set;
  std::string error;
  EXPECT_TRUE(parse_rules(text, "t.rules", set, error)) << error;
  return set;
}

RuleSet shipped(const char* name) {
  RuleSet set;
  std::string error;
  EXPECT_TRUE(load_rules(source_file(name), set, error)) << error;
  return set;
}

struct ActionCase {
  const char* name;
  const char* rules;
  const char* in;
  const char* table_class;  // the class table's name, "" when it leaves the class out
  const char* out;          // "" when left out
};

const ActionCase action_cases[] = {
    {"default: absent or 0 is set, a value kept", "class a\n default speed 100\n default wait 3\n default lip 8\n",
     "\"classname\" \"a\"\n\"wait\" \"0\"\n\"lip\" \"4\"\n", "a",
     "\"classname\" \"a\"\n\"wait\" \"3\"\n\"lip\" \"4\"\n\"speed\" \"100\"\n"},
    {"default of a text: only an empty or absent text", "class a\n default message \"You found it\"\n",
     "\"classname\" \"a\"\n\"message\" \"0 left\"\n", "a", "\"classname\" \"a\"\n\"message\" \"0 left\"\n"},
    {"set every occurrence; scale a number; scale nothing absent",
     "class a\n set wait 999999 if wait < 0\n scale speed 2\n scale dmg 2\n",
     "\"classname\" \"a\"\n\"wait\" \"-1\"\n\"speed\" \"150\"\n\"wait\" \"-1\"\n", "a",
     "\"classname\" \"a\"\n\"wait\" \"999999\"\n\"speed\" \"300\"\n\"wait\" \"999999\"\n"},
    {"remove and rename", "class a\n remove targetname\n rename mangle angles\n",
     "\"classname\" \"a\"\n\"targetname\" \"t\"\n\"mangle\" \"10 90 0\"\n", "a",
     "\"classname\" \"a\"\n\"angles\" \"10 90 0\"\n"},
    {"flags cleared, set, moved; none left removes the key",
     "class a\n flags clear 4|8\n flags set 16\n flags move 1 2\nclass b\n flags clear 1|4\n",
     "\"classname\" \"a\"\n\"spawnflags\" \"13\"\n", "a", "\"classname\" \"a\"\n\"spawnflags\" \"18\"\n"},
    {"no flags left", "class a\n flags clear 1|4\n", "\"classname\" \"a\"\n\"spawnflags\" \"5\"\n", "a",
     "\"classname\" \"a\"\n"},
    {"offset, also of a missing origin", "class a\n offset 16 16 21\nclass b\n offset 0 0 -3\n",
     "\"classname\" \"b\"\n", "b", "\"classname\" \"b\"\n\"origin\" \"0 0 -3\"\n"},
    {"offset keeps decimals", "class a\n offset 16 16 21\n", "\"classname\" \"a\"\n\"origin\" \"0.5 -16 24.25\"\n",
     "a", "\"classname\" \"a\"\n\"origin\" \"16.5 0 45.25\"\n"},
    {"the first `to` that holds; tests read the source, not the edits",
     "class item\n flags clear 2\n to mega if flag 2 and !flag 1\n to rotten if flag 1\n",
     "\"classname\" \"item\"\n\"spawnflags\" \"2\"\n", "item", "\"classname\" \"mega\"\n"},
    {"no `to` holds: the class table's name", "class item\n to mega if flag 2\n", "\"classname\" \"item\"\n",
     "health", "\"classname\" \"health\"\n"},
    {"a `to` keeps what the class table leaves out", "class fence\n to func_group\n",
     "\"classname\" \"fence\"\n", "", "\"classname\" \"func_group\"\n"},
    {"left out by the class table: not edited", "class a\n set speed 1\n", "\"classname\" \"a\"\n", "",
     ""},
    {"omit", "class * !light*\n omit if flag 2048\n", "\"classname\" \"a\"\n\"spawnflags\" \"2049\"\n", "a", ""},
    {"a name after ! is left out of the section", "class * !light*\n omit if flag 2048\n",
     "\"classname\" \"light_globe\"\n\"spawnflags\" \"2048\"\n", "light",
     "\"classname\" \"light\"\n\"spawnflags\" \"2048\"\n"},
    {"numbers as the games read them: a prefix, else 0", "class a\n set big 1 if health > 9\n set none 1 if dmg = 0\n",
     "\"classname\" \"a\"\n\"health\" \"10 or so\"\n\"dmg\" \"x\"\n", "a",
     "\"classname\" \"a\"\n\"health\" \"10 or so\"\n\"dmg\" \"x\"\n\"big\" \"1\"\n\"none\" \"1\"\n"},
};

TEST(EntityRulesActions, EachActionAndTest) {
  for (const ActionCase& c : action_cases) {
    const RuleSet set = parsed_rules(c.rules);
    const std::vector<Outcome> out = run_rules(set, {{c.in, c.table_class}});
    EXPECT_EQ(out[0].keep, *c.out != '\0') << c.name;
    // A kept entity is edited; one left out is left as it was.
    EXPECT_EQ(out[0].entity, out[0].keep ? c.out : c.in) << c.name;
  }
}

TEST(EntityRulesActions, LostMeaningsAreSaidOncePerClassWithTheirCount) {
  const RuleSet set = parsed_rules("class func_door\n lost \"key doors\" if flag 8|16\nclass monster_*\n lost monsters\n");
  RulesReport report;
  run_rules(set,
            {{"\"classname\" \"func_door\"\n\"spawnflags\" \"8\"\n", "func_door"},
             {"\"classname\" \"func_door\"\n", "func_door"},
             {"\"classname\" \"monster_army\"\n", ""},
             {"\"classname\" \"func_door\"\n\"spawnflags\" \"16\"\n", "func_door"},
             {"\"classname\" \"monster_dog\"\n", ""}},
            &report);
  EXPECT_EQ(rules_report_lines(report),
            (std::vector<std::string>{"func_door: key doors (2 entities)", "monster_army: monsters (1 entity)",
                                      "monster_dog: monsters (1 entity)"}));
  EXPECT_EQ(rules_report_json(report),
            nlohmann::json::parse(
                "{\"table\": \"\", \"changed\": 0, \"omitted\": 0, \"derived\": 0, \"doors_teamed\": 0, \"lost\": ["
                "{\"class\": \"func_door\", \"what\": \"key doors\", \"entities\": 2, \"line\": 2}, "
                "{\"class\": \"monster_army\", \"what\": \"monsters\", \"entities\": 1, \"line\": 4}, "
                "{\"class\": \"monster_dog\", \"what\": \"monsters\", \"entities\": 1, \"line\": 4}]}"));
}

TEST(EntityRulesActions, FacesTellDetailAndSolidity) {
  const RuleSet set = parsed_rules(
      "class ill\n faces nonsolid\nclass vis\n faces nonsolid_opaque\nclass det\n faces detail\nclass w\n to w\n");
  const std::vector<Outcome> out = run_rules(set, {{"\"classname\" \"ill\"\n", "g"},
                                                   {"\"classname\" \"vis\"\n", "g"},
                                                   {"\"classname\" \"det\"\n", "g"},
                                                   {"\"classname\" \"w\"\n", ""}});
  EXPECT_TRUE(out[0].faces.detail);
  EXPECT_EQ(out[0].faces.solidity, kmap::Solidity::nonsolid);
  EXPECT_FALSE(out[1].faces.detail);
  EXPECT_EQ(out[1].faces.solidity, kmap::Solidity::nonsolid_opaque);
  EXPECT_TRUE(out[2].faces.detail);
  EXPECT_EQ(out[2].faces.solidity, kmap::Solidity::solid);
  EXPECT_FALSE(out[3].faces.detail);
  EXPECT_EQ(out[3].faces.solidity, kmap::Solidity::solid);
}

// The shipped tables, one family of the Quake entities that played
// differently in Q3 at a time.
struct ShippedCase {
  const char* name;
  std::string in;
  const char* table_class;
  std::string out;  // "" when left out
  std::vector<std::string> added;
};

const std::string trigger_box = box(0, 0, 0, 64, 64, 32);  // centre 32 32 16

const std::vector<ShippedCase> quake_cases = {
    {"health box: the corner origin moved to the centre, Quake's respawn", "\"classname\" \"item_health\"\n\"origin\" \"100 200 24\"\n",
     "item_health", "\"classname\" \"item_health\"\n\"origin\" \"116 216 45\"\n\"wait\" \"20\"\n", {}},
    {"megahealth by its flag", "\"classname\" \"item_health\"\n\"spawnflags\" \"2\"\n\"origin\" \"0 0 0\"\n",
     "item_health", "\"classname\" \"item_health_mega\"\n\"origin\" \"16 16 21\"\n\"wait\" \"20\"\n", {}},
    {"rotten health heals 15", "\"classname\" \"item_health\"\n\"spawnflags\" \"1\"\n\"origin\" \"0 0 0\"\n",
     "item_health", "\"classname\" \"item_health\"\n\"origin\" \"16 16 21\"\n\"count\" \"15\"\n\"wait\" \"20\"\n", {}},
    {"armor: centred already, raised; a targetname would hide it in Q3",
     "\"classname\" \"item_armor2\"\n\"origin\" \"0 0 0\"\n\"targetname\" \"t\"\n", "item_armor_body",
     "\"classname\" \"item_armor_body\"\n\"origin\" \"0 0 21\"\n\"wait\" \"20\"\n", {}},
    {"an artifact floats 24 above its floor", "\"classname\" \"item_artifact_super_damage\"\n\"origin\" \"8 8 40\"\n",
     "item_quad", "\"classname\" \"item_quad\"\n\"origin\" \"8 8 37\"\n\"wait\" \"60\"\n", {}},
    {"not in deathmatch: left out", "\"classname\" \"item_rockets\"\n\"spawnflags\" \"2048\"\n\"origin\" \"0 0 0\"\n",
     "ammo_rockets", "", {}},
    {"the old ammo box by its flags", "\"classname\" \"item_weapon\"\n\"spawnflags\" \"10\"\n\"origin\" \"0 0 0\"\n", "",
     "\"classname\" \"ammo_rockets\"\n\"origin\" \"16 16 21\"\n\"wait\" \"30\"\n", {}},
    {"door: Quake's speed and wait; DONT_LINK is no crusher",
     "\"classname\" \"func_door\"\n\"angle\" \"90\"\n\"spawnflags\" \"4\"\n" + box(0, 0, 0, 16, 64, 96), "func_door",
     "\"classname\" \"func_door\"\n\"angle\" \"90\"\n" + box(0, 0, 0, 16, 64, 96) + "\"speed\" \"100\"\n\"wait\" \"3\"\n",
     {}},
    {"a door held open for ever; a shootable one", "\"classname\" \"func_door\"\n\"wait\" \"-1\"\n\"health\" \"25\"\n\"speed\" \"200\"\n",
     "func_door", "\"classname\" \"func_door\"\n\"wait\" \"999999\"\n\"health\" \"1\"\n\"speed\" \"200\"\n", {}},
    {"a gold key door stays open once opened", "\"classname\" \"func_door\"\n\"spawnflags\" \"8\"\n", "func_door",
     "\"classname\" \"func_door\"\n\"speed\" \"100\"\n\"wait\" \"999999\"\n", {}},
    {"plat: Quake's speed and crush", "\"classname\" \"func_plat\"\n\"targetname\" \"p\"\n\"spawnflags\" \"1\"\n", "func_plat",
     "\"classname\" \"func_plat\"\n\"speed\" \"150\"\n\"dmg\" \"1\"\n", {}},
    {"trigger_once fires once", "\"classname\" \"trigger_once\"\n\"target\" \"d\"\n", "trigger_multiple",
     "\"classname\" \"trigger_multiple\"\n\"target\" \"d\"\n\"wait\" \"-1\"\n", {}},
    {"trigger_multiple waits 0.2 s; a wait of 0 too", "\"classname\" \"trigger_multiple\"\n\"wait\" \"0\"\n",
     "trigger_multiple", "\"classname\" \"trigger_multiple\"\n\"wait\" \"0.2\"\n", {}},
    {"a NOTOUCH trigger is a relay", "\"classname\" \"trigger_multiple\"\n\"spawnflags\" \"1\"\n\"target\" \"d\"\n",
     "trigger_multiple", "\"classname\" \"target_relay\"\n\"target\" \"d\"\n\"wait\" \"0.2\"\n", {}},
    {"trigger_secret: once, with Quake's message before its targets",
     "\"classname\" \"trigger_secret\"\n\"target\" \"d\"\n" + trigger_box, "trigger_multiple",
     "\"classname\" \"trigger_multiple\"\n\"target\" \"korvex_fire_1\"\n" + trigger_box + "\"wait\" \"-1\"\n",
     {"\"classname\" \"target_print\"\n\"targetname\" \"korvex_fire_1\"\n\"origin\" \"32 32 16\"\n"
      "\"message\" \"You found a secret area!\"\n\"spawnflags\" \"4\"\n",
      "\"classname\" \"target_relay\"\n\"targetname\" \"korvex_fire_1\"\n\"origin\" \"32 32 16\"\n\"target\" \"d\"\n"}},
    {"a delay before the message and the targets",
     "\"classname\" \"trigger_relay\"\n\"origin\" \"1 2 3\"\n\"target\" \"d\"\n\"delay\" \"1.5\"\n\"message\" \"Hi\"\n",
     "target_relay", "\"classname\" \"target_relay\"\n\"origin\" \"1 2 3\"\n\"target\" \"korvex_fire_1\"\n",
     {"\"classname\" \"target_delay\"\n\"targetname\" \"korvex_fire_1\"\n\"origin\" \"1 2 3\"\n\"delay\" \"1.5\"\n"
      "\"target\" \"korvex_fire_1_delayed\"\n",
      "\"classname\" \"target_print\"\n\"targetname\" \"korvex_fire_1_delayed\"\n\"origin\" \"1 2 3\"\n"
      "\"message\" \"Hi\"\n\"spawnflags\" \"4\"\n",
      "\"classname\" \"target_relay\"\n\"targetname\" \"korvex_fire_1_delayed\"\n\"origin\" \"1 2 3\"\n\"target\" \"d\"\n"}},
    {"a delay alone", "\"classname\" \"func_button\"\n\"target\" \"d\"\n\"delay\" \"2\"\n\"origin\" \"0 0 0\"\n",
     "func_button", "\"classname\" \"func_button\"\n\"target\" \"korvex_fire_1\"\n\"origin\" \"0 0 0\"\n",
     {"\"classname\" \"target_delay\"\n\"targetname\" \"korvex_fire_1\"\n\"origin\" \"0 0 0\"\n\"delay\" \"2\"\n"
      "\"target\" \"d\"\n"}},
    {"PLAYER_ONLY is no spectator flag", "\"classname\" \"trigger_teleport\"\n\"spawnflags\" \"3\"\n\"target\" \"t\"\n",
     "trigger_teleport", "\"classname\" \"trigger_teleport\"\n\"target\" \"t\"\n", {}},
    {"a teleport destination 26 higher", "\"classname\" \"info_teleport_destination\"\n\"origin\" \"0 0 24\"\n",
     "misc_teleporter_dest", "\"classname\" \"misc_teleporter_dest\"\n\"origin\" \"0 0 50\"\n", {}},
    {"hurt: silent, once a second", "\"classname\" \"trigger_hurt\"\n\"dmg\" \"10\"\n", "trigger_hurt",
     "\"classname\" \"trigger_hurt\"\n\"dmg\" \"10\"\n\"spawnflags\" \"20\"\n", {}},
    {"push up at 1000: a target 2500 above the centre", "\"classname\" \"trigger_push\"\n\"angle\" \"-1\"\n" + trigger_box,
     "trigger_push", "\"classname\" \"trigger_push\"\n\"angle\" \"-1\"\n" + trigger_box + "\"target\" \"korvex_push_1\"\n",
     {"\"classname\" \"target_position\"\n\"targetname\" \"korvex_push_1\"\n\"origin\" \"32 32 2516\"\n"}},
    {"push up and forward at 100: the arc's top",
     "\"classname\" \"trigger_push\"\n\"angles\" \"-45 0 0\"\n\"speed\" \"100\"\n\"target\" \"old\"\n" + trigger_box,
     "trigger_push",
     "\"classname\" \"trigger_push\"\n\"angles\" \"-45 0 0\"\n\"speed\" \"100\"\n\"target\" \"korvex_push_1\"\n" +
         trigger_box,
     {"\"classname\" \"target_position\"\n\"targetname\" \"korvex_push_1\"\n\"origin\" \"657 32 328.5\"\n"}},
    {"a level push: a trigger firing a target_push every frame",
     "\"classname\" \"trigger_push\"\n\"angle\" \"90\"\n\"speed\" \"50\"\n" + trigger_box, "trigger_push",
     "\"classname\" \"trigger_multiple\"\n" + trigger_box + "\"target\" \"korvex_push_1\"\n\"wait\" \"0.05\"\n",
     {"\"classname\" \"target_push\"\n\"targetname\" \"korvex_push_1\"\n\"origin\" \"32 32 16\"\n\"angles\" \"0 90 0\"\n"
      "\"speed\" \"500\"\n"}},
    {"a push that fires once, clamped to 2000 a side",
     "\"classname\" \"trigger_push\"\n\"angles\" \"-45 180 0\"\n\"spawnflags\" \"1\"\n" + trigger_box, "trigger_push",
     "\"classname\" \"trigger_multiple\"\n" + trigger_box + "\"target\" \"korvex_push_1\"\n\"wait\" \"-1\"\n",
     {"\"classname\" \"target_push\"\n\"targetname\" \"korvex_push_1\"\n\"origin\" \"32 32 16\"\n\"angles\" \"-45 180 0\"\n"
      "\"speed\" \"2828.427\"\n"}},
    {"a push along yaw 360, a hair below the axis",
     "\"classname\" \"trigger_push\"\n\"angle\" \"360\"\n\"speed\" \"200\"\n" + trigger_box, "trigger_push",
     "\"classname\" \"trigger_multiple\"\n" + trigger_box + "\"target\" \"korvex_push_1\"\n\"wait\" \"0.05\"\n",
     {"\"classname\" \"target_push\"\n\"targetname\" \"korvex_push_1\"\n\"origin\" \"32 32 16\"\n\"angles\" \"0 0 0\"\n"
      "\"speed\" \"2000\"\n"}},
    {"a push without angles stops what touches it", "\"classname\" \"trigger_push\"\n" + trigger_box, "trigger_push",
     "\"classname\" \"trigger_multiple\"\n" + trigger_box + "\"target\" \"korvex_push_1\"\n\"wait\" \"0.05\"\n",
     {"\"classname\" \"target_push\"\n\"targetname\" \"korvex_push_1\"\n\"origin\" \"32 32 16\"\n\"angles\" \"0 0 0\"\n"
      "\"speed\" \"0.001\"\n"}},
    {"secret door: one move to where Quake's two end, at 50, shootable",
     "\"classname\" \"func_door_secret\"\n\"angle\" \"0\"\n\"spawnflags\" \"2\"\n" + box(0, 0, 0, 16, 64, 96),
     "func_door",
     "\"classname\" \"func_door\"\n" + box(0, 0, 0, 16, 64, 96) +
         "\"speed\" \"50\"\n\"wait\" \"5\"\n\"health\" \"1\"\n\"angles\" \"0 75.9638 0\"\n\"lip\" \"0\"\n",
     {}},
    {"a secret door that opens once, down first, by its own sizes",
     "\"classname\" \"func_door_secret\"\n\"angle\" \"90\"\n\"spawnflags\" \"5\"\n\"targetname\" \"s\"\n"
     "\"t_width\" \"32\"\n\"t_length\" \"32\"\n" + box(0, 0, 0, 64, 16, 96),
     "func_door",
     "\"classname\" \"func_door\"\n\"targetname\" \"s\"\n" + box(0, 0, 0, 64, 16, 96) +
         "\"speed\" \"50\"\n\"wait\" \"999999\"\n\"angles\" \"45 90 0\"\n\"lip\" \"33.941\"\n",
     {}},
    {"intermission camera", "\"classname\" \"info_intermission\"\n\"angle\" \"90\"\n\"mangle\" \"20 90 0\"\n",
     "info_player_intermission", "\"classname\" \"info_player_intermission\"\n\"angles\" \"20 90 0\"\n", {}},
    {"a torch: Q3's light; start-off is no falloff", "\"classname\" \"light_torch_small_walltorch\"\n\"spawnflags\" \"1\"\n",
     "light", "\"classname\" \"light\"\n", {}},
    {"a globe", "\"classname\" \"light_globe\"\n\"origin\" \"0 0 0\"\n", "", "\"classname\" \"light\"\n\"origin\" \"0 0 0\"\n",
     {}},
    {"illusionary: a group of non-solid faces casting no shadow",
     "\"classname\" \"func_illusionary\"\n" + box(0, 0, 0, 8, 8, 8), "",
     "\"classname\" \"func_group\"\n" + box(0, 0, 0, 8, 8, 8) + "\"_castShadows\" \"0\"\n", {}},
    {"detail illusionary casting its shadow", "\"classname\" \"func_detail_illusionary\"\n\"_shadow\" \"1\"\n", "",
     "\"classname\" \"func_group\"\n", {}},
    {"monsters stay out", "\"classname\" \"monster_army\"\n\"origin\" \"0 0 0\"\n", "", "", {}},
};

void expect_cases(const RuleSet& set, const std::vector<ShippedCase>& cases) {
  for (const ShippedCase& c : cases) {
    const std::vector<Outcome> out = run_rules(set, {{c.in, c.table_class}});
    EXPECT_EQ(out[0].keep, !c.out.empty()) << c.name;
    if (out[0].keep) {
      EXPECT_EQ(out[0].entity, c.out) << c.name;
    }
    EXPECT_EQ(out[0].added, c.added) << c.name;
  }
}

TEST(EntityRulesQuake, EachFamilyPlaysAsInQuake) { expect_cases(shipped("tables/q1.rules"), quake_cases); }

TEST(EntityRulesQuake, TouchingDoorsOpenTogetherAsQuakeLinksThem) {
  // Quake walks from the chain's last member: 1 touches 2, 2 touches 3, so
  // the three open together, and the group answers to 2's name and opens
  // when 3 is shot. 4 stands alone; 5 and 6 touch, but neither will link.
  const RuleSet set = shipped("tables/q1.rules");
  RulesReport report;
  const std::vector<Outcome> out = run_rules(
      set,
      {{"\"classname\" \"func_door\"\n" + box(0, 0, 0, 64, 8, 96), "func_door"},
       {"\"classname\" \"func_door\"\n\"targetname\" \"gate\"\n" + box(64, 0, 0, 128, 8, 96), "func_door"},
       {"\"classname\" \"func_door\"\n\"health\" \"5\"\n" + box(128, 0, 0, 192, 8, 96), "func_door"},
       {"\"classname\" \"func_door\"\n" + box(500, 0, 0, 564, 8, 96), "func_door"},
       {"\"classname\" \"func_door\"\n\"spawnflags\" \"4\"\n" + box(900, 0, 0, 964, 8, 96), "func_door"},
       {"\"classname\" \"func_door\"\n\"spawnflags\" \"4\"\n" + box(964, 0, 0, 1028, 8, 96), "func_door"}},
      &report);
  const std::string keys = "\"speed\" \"100\"\n\"wait\" \"3\"\n";
  EXPECT_EQ(out[0].entity, "\"classname\" \"func_door\"\n" + box(0, 0, 0, 64, 8, 96) + keys +
                               "\"team\" \"korvex_door_1\"\n\"targetname\" \"gate\"\n\"health\" \"1\"\n");
  EXPECT_EQ(out[1].entity, "\"classname\" \"func_door\"\n" + box(64, 0, 0, 128, 8, 96) + keys +
                               "\"team\" \"korvex_door_1\"\n");
  EXPECT_EQ(out[2].entity, "\"classname\" \"func_door\"\n\"health\" \"1\"\n" + box(128, 0, 0, 192, 8, 96) + keys +
                               "\"team\" \"korvex_door_1\"\n");
  EXPECT_EQ(out[3].entity, "\"classname\" \"func_door\"\n" + box(500, 0, 0, 564, 8, 96) + keys);
  // Neither of two touching DONT_LINK doors starts a chain.
  EXPECT_EQ(out[4].entity, "\"classname\" \"func_door\"\n" + box(900, 0, 0, 964, 8, 96) + keys);
  EXPECT_EQ(out[5].entity, "\"classname\" \"func_door\"\n" + box(964, 0, 0, 1028, 8, 96) + keys);
  EXPECT_EQ(report.doors_teamed, 3);
}

TEST(EntityRulesQuake, ADoorThatWillNotLinkIsLinkedByAnEarlierOne) {
  const RuleSet set = shipped("tables/q1.rules");
  const std::vector<Outcome> out = run_rules(
      set, {{"\"classname\" \"func_door\"\n" + box(0, 0, 0, 64, 8, 96), "func_door"},
            {"\"classname\" \"func_door\"\n\"spawnflags\" \"4\"\n" + box(64, 0, 0, 128, 8, 96), "func_door"},
            {"\"classname\" \"func_door\"\n\"spawnflags\" \"2048\"\n" + box(-64, 0, 0, 0, 8, 96), "func_door"}});
  EXPECT_NE(out[0].entity.find("\"team\" \"korvex_door_1\""), std::string::npos);
  EXPECT_NE(out[1].entity.find("\"team\" \"korvex_door_1\""), std::string::npos);
  EXPECT_FALSE(out[2].keep);
}

TEST(EntityRulesQuake, NewNamesNeverMeetTheMapsOwn) {
  const RuleSet set = shipped("tables/q1.rules");
  const std::vector<Outcome> out =
      run_rules(set, {{"\"classname\" \"trigger_push\"\n\"angle\" \"-1\"\n" + trigger_box, "trigger_push"},
                      {"\"classname\" \"info_null\"\n\"targetname\" \"KORVEX_PUSH_1\"\n", "info_null"}});
  EXPECT_NE(out[0].entity.find("\"target\" \"korvex_push_1_2\""), std::string::npos) << out[0].entity;
}

TEST(EntityRulesQuake, IllusionaryFacesAreNonsolidDetail) {
  const RuleSet set = shipped("tables/q1.rules");
  const std::vector<Outcome> out = run_rules(set, {{"\"classname\" \"func_illusionary\"\n", ""},
                                                   {"\"classname\" \"func_illusionary_visblocker\"\n", ""},
                                                   {"\"classname\" \"func_detail_fence\"\n", ""}});
  EXPECT_EQ(out[0].faces.solidity, kmap::Solidity::nonsolid);
  EXPECT_TRUE(out[0].faces.detail);
  EXPECT_EQ(out[1].faces.solidity, kmap::Solidity::nonsolid_opaque);
  EXPECT_FALSE(out[1].faces.detail);
  EXPECT_EQ(out[2].faces.solidity, kmap::Solidity::solid);
  EXPECT_TRUE(out[2].faces.detail);
}

const std::vector<ShippedCase> quake2_cases = {
    {"door: 100 doubled in deathmatch, open 3 s; CRUSHER and team kept",
     "\"classname\" \"func_door\"\n\"spawnflags\" \"36\"\n\"team\" \"t\"\n", "func_door",
     "\"classname\" \"func_door\"\n\"spawnflags\" \"4\"\n\"team\" \"t\"\n\"speed\" \"200\"\n\"wait\" \"3\"\n", {}},
    {"an explicit door speed is doubled too", "\"classname\" \"func_door\"\n\"speed\" \"150\"\n", "func_door",
     "\"classname\" \"func_door\"\n\"speed\" \"300\"\n\"wait\" \"3\"\n", {}},
    {"trigger_once's old TRIGGERED bit", "\"classname\" \"trigger_once\"\n\"spawnflags\" \"1\"\n", "trigger_multiple",
     "\"classname\" \"trigger_multiple\"\n\"wait\" \"-1\"\n", {}},
    {"a trigger for monsters only stays out", "\"classname\" \"trigger_multiple\"\n\"spawnflags\" \"2\"\n",
     "trigger_multiple", "", {}},
    {"a point teleporter becomes a trigger brush over its pad",
     "\"classname\" \"misc_teleporter\"\n\"origin\" \"0 0 -16\"\n\"target\" \"d\"\n", "",
     "\"classname\" \"trigger_teleport\"\n\"target\" \"d\"\n{\n"
     "( -8 -8 8 ) ( -8 -8 -8 ) ( -8 8 -8 ) common/trigger 0 0 0 1 1 0 0 0\n"
     "( 8 8 -8 ) ( 8 -8 -8 ) ( 8 -8 8 ) common/trigger 0 0 0 1 1 0 0 0\n"
     "( 8 -8 -8 ) ( -8 -8 -8 ) ( -8 -8 8 ) common/trigger 0 0 0 1 1 0 0 0\n"
     "( -8 8 8 ) ( -8 8 -8 ) ( 8 8 -8 ) common/trigger 0 0 0 1 1 0 0 0\n"
     "( -8 8 -8 ) ( -8 -8 -8 ) ( 8 -8 -8 ) common/trigger 0 0 0 1 1 0 0 0\n"
     "( 8 -8 8 ) ( -8 -8 8 ) ( -8 8 8 ) common/trigger 0 0 0 1 1 0 0 0\n}\n",
     {}},
    {"a teleport destination 9 higher", "\"classname\" \"misc_teleporter_dest\"\n\"origin\" \"0 0 0\"\n",
     "misc_teleporter_dest", "\"classname\" \"misc_teleporter_dest\"\n\"origin\" \"0 0 9\"\n", {}},
    {"a speaker without a sound would stop the level", "\"classname\" \"target_speaker\"\n", "target_speaker", "", {}},
    {"a global speaker", "\"classname\" \"target_speaker\"\n\"noise\" \"world/x.wav\"\n\"attenuation\" \"-1\"\n\"spawnflags\" \"5\"\n",
     "target_speaker",
     "\"classname\" \"target_speaker\"\n\"noise\" \"world/x.wav\"\n\"attenuation\" \"-1\"\n\"spawnflags\" \"5\"\n", {}},
    {"items keep their origin; a targetname only with TRIGGER_SPAWN",
     "\"classname\" \"item_health\"\n\"origin\" \"1 2 3\"\n\"targetname\" \"t\"\n", "item_health",
     "\"classname\" \"item_health\"\n\"origin\" \"1 2 3\"\n", {}},
    {"a still rotator", "\"classname\" \"func_rotating\"\n\"spawnflags\" \"2\"\n", "func_rotating",
     "\"classname\" \"func_static\"\n\"speed\" \"-100\"\n", {}},
    {"Q3's timer must not add a random second", "\"classname\" \"func_timer\"\n\"wait\" \"4\"\n", "func_timer",
     "\"classname\" \"func_timer\"\n\"wait\" \"4\"\n\"random\" \"0\"\n", {}},
};

TEST(EntityRulesQuake2, EachFamilyPlaysAsInQuake2) { expect_cases(shipped("tables/q2.rules"), quake2_cases); }

}  // namespace
