// Writing a file the batch makes itself (a map's log, the run's report and
// its CSV) by the rules korvex writes its output map by.
#ifndef KORVEX_BATCH_WRITE_TEXT_H
#define KORVEX_BATCH_WRITE_TEXT_H

#include <filesystem>
#include <string_view>
#include <system_error>

namespace batch {

// Writes `text` as the whole file at `path`: a regular file (or a new one)
// is replaced only once every byte is written, through a temporary beside
// it; a link keeps pointing where it did and its target gets the text; a
// device or a named pipe is written straight; a folder is refused. Returns
// true, or false with `ec` set to the system's reason, leaving a regular
// file as it was.
[[nodiscard]] bool write_text(const std::filesystem::path& path, std::string_view text, std::error_code& ec);

}  // namespace batch

#endif
