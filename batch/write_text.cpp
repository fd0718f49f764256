#include "write_text.h"

#include <cerrno>

#include "disk_files.h"

using namespace conv;

namespace batch {

bool write_text(const std::filesystem::path& path, std::string_view text, std::error_code& ec) {
  DiskFiles files;
  errno = 0;
  if (files.write_whole(path.c_str(), text)) return true;
  ec = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
  return false;
}

}  // namespace batch
