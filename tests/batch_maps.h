// The maps korvex-batch's tests convert: a good one, a small one and one
// cut off inside its first brush.
#ifndef KORVEX_TESTS_BATCH_MAPS_H
#define KORVEX_TESTS_BATCH_MAPS_H

#include <string_view>

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

#endif
