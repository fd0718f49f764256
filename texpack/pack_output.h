// Writing a pack: a zip file (.pk3) or a folder tree, each built under a
// temporary name beside the destination and renamed into place only when
// complete. A failed write leaves nothing behind.
#ifndef KORVEX_TEXPACK_PACK_OUTPUT_H
#define KORVEX_TEXPACK_PACK_OUTPUT_H

#include <string>
#include <vector>

#include "pack_plan.h"

namespace texpack {

enum class OutputStatus {
  OK,
  NOT_EMPTY,      // the destination folder exists and holds files
  CREATE_FAILED,  // the temporary file or folder cannot be made
  WRITE_FAILED,   // writing or closing it failed (a full disk, ...)
  RENAME_FAILED,  // it could not be moved to the destination
};

// Writes `files` as a zip archive at `destination`. Returns OK, or another
// status with `error` set; on failure the destination is as it was.
[[nodiscard]] OutputStatus write_zip_pack(const std::string& destination, const std::vector<PackFile>& files,
                                          std::string& error);

// Writes `files` under the folder `destination`, which must not exist or be
// empty. Returns OK, or another status with `error` set; on failure the
// destination is as it was.
[[nodiscard]] OutputStatus write_folder_pack(const std::string& destination, const std::vector<PackFile>& files,
                                             std::string& error);

}  // namespace texpack

#endif
