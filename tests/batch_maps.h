// The maps korvex-batch's tests convert: a good one, a small one and one
// cut off inside its first brush.
#ifndef KORVEX_TESTS_BATCH_MAPS_H
#define KORVEX_TESTS_BATCH_MAPS_H

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "temp_dir.h"

// The example map plus a monster: 2 world brushes (one discarded), 5
// entities of which the shipped table writes 4.
inline constexpr std::string_view good_map = R"({
"classname" "worldspawn"
"wad" "gfx/base.wad"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) rock1 0 0 0 1 1
( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) rock1 0 0 0 1 1
}
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) sky1 0 0 0 1 1
}
}
{
"classname" "light"
"origin" "32 32 48"
"light" "200"
}
{
"classname" "monster_army"
"origin" "8 8 24"
}
{
"classname" "info_notnull"
"origin" "0 0 0"
}
{
"classname" "info_player_start"
"origin" "16 16 24"
}
{
"classname" "func_door"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) door1 0 0 0 1 1
( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) door1 0 0 0 1 1
( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) door1 0 0 0 1 1
}
}
)";

inline constexpr std::string_view small_map = R"({
"classname" "worldspawn"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) rock1 0 0 0 1 1
( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) rock1 0 0 0 1 1
}
}
{
"classname" "info_player_start"
"origin" "16 16 24"
}
)";

// Ends inside its first brush.
inline constexpr std::string_view broken_map = R"({
"classname" "worldspawn"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
)";

// A world of `brushes` six-sided brushes: long enough to be caught running.
inline std::string big_map(int brushes) {
  std::string text = "{\n\"classname\" \"worldspawn\"\n";
  char brush[768];
  for (int b = 0; b < brushes; ++b) {
    const int x = b % 1000 * 64, y = b / 1000 * 64;
    std::snprintf(brush, sizeof brush,
                  "{\n( %d %d 0 ) ( %d 64 0 ) ( 64 %d 0 ) rock1 0 0 0 1 1\n"
                  "( %d %d 16 ) ( 64 %d 16 ) ( %d 64 16 ) rock1 0 0 0 1 1\n"
                  "( %d %d 0 ) ( 64 %d 0 ) ( %d %d 64 ) rock1 0 0 0 1 1\n"
                  "( %d 64 0 ) ( %d 64 64 ) ( 64 64 0 ) rock1 0 0 0 1 1\n"
                  "( %d %d 0 ) ( %d %d 64 ) ( %d 64 0 ) rock1 0 0 0 1 1\n"
                  "( 64 %d 0 ) ( 64 64 0 ) ( 64 %d 64 ) rock1 0 0 0 1 1\n}\n",
                  x, y, x, y, x, y, y, x, x, y, y, x, y, x, x, x, y, x, y, x, y, y);
    text += brush;
  }
  return text + "}\n{\n\"classname\" \"info_player_start\"\n\"origin\" \"16 16 24\"\n}\n";
}

// Writes each (name, text) into the folder, making the folders on its way.
inline void write_files(const TempDir& dir, const std::vector<std::pair<std::string, std::string_view>>& files) {
  for (const auto& [name, text] : files) dir.write(name, text);
}

#endif
