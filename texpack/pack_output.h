// Writing a pack: a zip file (.pk3) or a folder tree. A new or regular file
// is built under a temporary name beside it and renamed into place only when
// complete; a device or a named pipe gets the finished archive's bytes
// straight. A folder is made beside its place and renamed there, or, when an
// empty folder stands there already, filled and kept. Links are followed,
// never replaced. A failed write leaves nothing behind.
#ifndef KORVEX_TEXPACK_PACK_OUTPUT_H
#define KORVEX_TEXPACK_PACK_OUTPUT_H

#include <string>
#include <vector>

#include "pack_plan.h"

namespace texpack {

enum class OutputStatus {
  ok,
  not_empty,      // the destination folder exists and holds files
  wrong_kind,     // a folder where a file goes, a file where a folder goes, a socket
  create_failed,  // the destination's links or the temporary file or folder failed
  write_failed,   // writing or closing failed (a full disk, ...)
  rename_failed,  // it could not be moved to the destination
};

// Writes `bytes` as the file at `destination` (a report, an archive built
// elsewhere), on the same road as a zip pack. Returns ok, or another status
// with `error` set, naming the system's reason; on failure the destination
// is as it was (a device or a pipe may have taken some bytes).
[[nodiscard]] OutputStatus write_file(const std::string& destination, const std::vector<uint8_t>& bytes,
                                      std::string& error);

// The zip archive of `files`, built in memory: true with `bytes` written,
// or false with `error` set when libzip fails.
[[nodiscard]] bool build_zip(const std::vector<PackFile>& files, std::vector<uint8_t>& bytes, std::string& error);

// Writes `files` as a zip archive at `destination`. Returns ok, or another
// status with `error` set, naming the system's reason; on failure the
// destination is as it was (a device or a pipe may have taken some bytes).
[[nodiscard]] OutputStatus write_zip_pack(const std::string& destination, const std::vector<PackFile>& files,
                                          std::string& error);

// Writes `files` under the folder `destination`, which must not exist or be
// empty. Returns ok, or another status with `error` set; on failure the
// destination is as it was.
[[nodiscard]] OutputStatus write_folder_pack(const std::string& destination, const std::vector<PackFile>& files,
                                             std::string& error);

}  // namespace texpack

#endif
