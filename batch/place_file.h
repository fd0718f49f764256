// Putting a finished file (a run's log) where the user asked for it. Only a
// regular file is ever replaced: a link keeps pointing where it did and its
// target gets the bytes, a device or a named pipe is written straight, and
// a folder is refused.
#ifndef KORVEX_BATCH_PLACE_FILE_H
#define KORVEX_BATCH_PLACE_FILE_H

#include <filesystem>
#include <system_error>

// Moves (or copies) `from` to `to`. Returns true, or false with `ec` set to
// the system's reason, leaving `to` as it was unless it is a link, device or
// pipe that took part of the bytes. `from` may be gone either way.
[[nodiscard]] bool place_file(const std::filesystem::path& from, const std::filesystem::path& to,
                              std::error_code& ec);

#endif
