// Putting a finished text (a run's log) where the user asked for it. Only a
// regular file is ever replaced: a link keeps pointing where it did and its
// target gets the bytes, a device or a named pipe is written straight, and
// a folder is refused.
#ifndef KORVEX_BATCH_PLACE_TEXT_H
#define KORVEX_BATCH_PLACE_TEXT_H

#include <filesystem>
#include <string_view>
#include <system_error>

namespace batch {

// Writes `text` as the whole file `to`. A regular file, or a new one, gets
// it through a temporary beside it (.korvex-log-*) renamed over it when
// every byte is written, keeping an old file's permissions; the disk is not
// waited for, as a log is worth no such wait. Returns true, or false with
// `ec` set to the system's reason, leaving `to` as it was unless it is a
// link, device or pipe that took part of the bytes.
[[nodiscard]] bool place_text(std::string_view text, const std::filesystem::path& to, std::error_code& ec);

}  // namespace batch

#endif
