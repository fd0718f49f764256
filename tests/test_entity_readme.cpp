// The README's table of what each source class becomes, checked against
// the shipped tables: an entity of each class it names gets a class the
// row names (or is left out where the row says so).
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>

#include "class_table.h"
#include "entity_rules.h"
#include "map_text.h"
#include "temp_dir.h"
#include "test_paths.h"

using namespace conv;

namespace {

const char* const heading = "## What each source class becomes";

// The README's text from the table's heading on; empty when there is none.
std::string readme_text() {
  const std::string text = read_file(source_file("README.md")).value_or("");
  const size_t at = text.find(heading);
  return at == std::string::npos ? "" : text.substr(at);
}

std::vector<std::string> backticked(const std::string& cell) {
  static const std::regex name("`([A-Za-z0-9_*]+)`");
  std::vector<std::string> names;
  for (auto it = std::sregex_iterator(cell.begin(), cell.end(), name); it != std::sregex_iterator(); ++it)
    names.push_back((*it)[1]);
  return names;
}

struct Row {
  std::vector<std::string> sources, targets;
  bool left_out = false;
};

// The rows of the table whose header's first cell is `game`.
std::vector<Row> rows_of(const std::string& text, const std::string& game) {
  std::vector<Row> rows;
  std::istringstream in(text);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("| " + game + " |")) {
      inside = true;
      continue;
    }
    if (!inside) continue;
    if (!line.starts_with("|")) break;
    if (line.starts_with("|---")) continue;
    std::vector<std::string> cells;
    std::istringstream parts(line.substr(1));
    for (std::string cell; std::getline(parts, cell, '|');) cells.push_back(cell);
    if (cells.size() < 2) continue;
    Row row{backticked(cells[0]), backticked(cells[1]), cells[1].find("left out") != std::string::npos};
    if (cells[1].find("same") != std::string::npos) row.targets.insert(row.targets.end(), row.sources.begin(), row.sources.end());
    rows.push_back(row);
  }
  return rows;
}

// The class the shipped tables give an entity of the class: empty when left out.
std::string converted_class(RuleIndex& index, const ClassTable& table, const std::string& source) {
  kmap::Entity e = entity_from_text("\"classname\" \"" + source + "\"\n\"origin\" \"0 0 0\"\n\"noise\" \"n\"\n");
  const std::string quoted = "\"" + source + "\"";
  const int slot = find_class(table, quoted.c_str());
  std::string table_class;
  if (slot >= 0) {
    table_class = table.slots[static_cast<size_t>(slot)].target;
    table_class = table_class.substr(1, table_class.size() - 2);
  }
  return rules_class(index, e, table_class);
}

void check_game(const std::string& game, const char* ent, const char* rules) {
  const std::string text = readme_text();
  ASSERT_FALSE(text.empty()) << "README.md has no '" << heading << "'";
  ClassTable table;
  FILE* file = std::fopen(source_file(ent).c_str(), "r");
  ASSERT_NE(file, nullptr) << ent;
  const conv_status loaded = load_class_table(file, table);
  std::fclose(file);
  ASSERT_EQ(loaded, CONV_OK);
  RuleSet set;
  std::string error;
  ASSERT_TRUE(load_rules(source_file(rules), set, error)) << error;
  RuleIndex index(set);
  const std::vector<Row> rows = rows_of(text, game);
  ASSERT_GT(rows.size(), 10u) << game;
  int checked = 0;
  for (const Row& row : rows) {
    for (const std::string& source : row.sources) {
      if (source.find('*') != std::string::npos) continue;
      const std::string got = converted_class(index, table, source);
      ++checked;
      if (row.left_out && (row.targets.empty() || got.empty())) {
        EXPECT_EQ(got, "") << game << " " << source << " is written as " << got;
        continue;
      }
      EXPECT_NE(std::find(row.targets.begin(), row.targets.end(), got), row.targets.end())
          << game << " " << source << " becomes '" << got << "', the README says otherwise";
    }
  }
  EXPECT_GT(checked, 15) << game;
}

TEST(EntityReadme, QuakeTableAgreesWithTheShippedTables) { check_game("Quake", "tables/q1.ent", "tables/q1.rules"); }

TEST(EntityReadme, Quake2TableAgreesWithTheShippedTables) {
  check_game("Quake 2", "tables/q2.ent", "tables/q2.rules");
}

}  // namespace
