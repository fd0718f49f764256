# Writes a large Quake map within the classic limits: a world of `brushes`
# six-sided brushes, then `lights` light entities and door entities.
# Usage: awk -v brushes=N -v lights=M -f make_map.awk
BEGIN {
  print "// Game: Quake"
  print "{"
  print "\"classname\" \"worldspawn\""
  print "\"wad\" \"gfx/base.wad\""
  for (b = 0; b < brushes; b++) {
    x = (b % 100) * 64; y = int(b / 100) % 100 * 64; z = int(b / 10000) * 64
    print "{"
    printf "( %d %d %d ) ( %d %d %d ) ( %d %d %d ) rock1 0 0 0 1 1\n", x, y, z, x, y + 64, z, x + 64, y, z
    printf "( %d %d %d ) ( %d %d %d ) ( %d %d %d ) rock1 0 0 0 1 1\n", x, y, z + 16, x + 64, y, z + 16, x, y + 64, z + 16
    printf "( %d %d %d ) ( %d %d %d ) ( %d %d %d ) rock1 0 0 0 1 1\n", x, y, z, x + 64, y, z, x, y, z + 64
    printf "( %d %d %d ) ( %d %d %d ) ( %d %d %d ) rock1 0 0 0 1 1\n", x, y + 64, z, x, y + 64, z + 64, x + 64, y + 64, z
    printf "( %d %d %d ) ( %d %d %d ) ( %d %d %d ) rock1 0 0 0 1 1\n", x, y, z, x, y, z + 64, x, y + 64, z
    printf "( %d %d %d ) ( %d %d %d ) ( %d %d %d ) rock1 0 0 0 1 1\n", x + 64, y, z, x + 64, y + 64, z, x + 64, y, z + 64
    print "}"
  }
  print "}"
  for (e = 0; e < lights; e++) {
    print "{"
    print "\"classname\" \"light\""
    printf "\"origin\" \"%d %d %d\"\n", e % 997, e % 991, e % 983
    print "\"light\" \"200\""
    print "}"
    print "{"
    print "\"classname\" \"func_door\""
    print "\"angle\" \"90\""
    print "{"
    printf "( %d 0 0 ) ( %d 64 0 ) ( %d 0 0 ) door1 0 0 0 1 1\n", e, e, e + 64
    print "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) door1 0 0 0 1 1"
    print "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) door1 0 0 0 1 1"
    print "}"
    print "}"
  }
}
