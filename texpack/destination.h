// What stands where a pack is to go. Only a regular file (or nothing) is
// ever replaced, and a link is followed: the file it leads to is replaced
// or created, the link itself stays.
#ifndef KORVEX_TEXPACK_DESTINATION_H
#define KORVEX_TEXPACK_DESTINATION_H

#include <sys/types.h>

#include <string>

namespace texpack {

enum class DestinationKind {
  nothing,  // nothing yet: the pack is made at `path`
  file,     // a regular file, replaced at `path`
  folder,
  stream,   // a device or a named pipe: written straight, never replaced
  other,    // a socket: nothing can be written there
};

struct Destination {
  DestinationKind kind = DestinationKind::nothing;
  std::string path;  // where the links lead (a stream keeps the name given)
  mode_t mode = 0;   // permission bits of a file
};

// Looks at `given` and changes nothing. Returns true with `out` set, or
// false with `error` set when a link cannot be read or the links loop.
[[nodiscard]] bool examine_destination(const std::string& given, Destination& out, std::string& error);

}  // namespace texpack

#endif
