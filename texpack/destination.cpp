#include "destination.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace texpack {
namespace fs = std::filesystem;
namespace {

// The path the links of `given` lead to, the last of which may name nothing
// yet. A relative link target counts from the link's own folder.
bool follow_links(const std::string& given, std::string& resolved, std::string& error) {
  constexpr int most_links = 40;  // as many as the kernel follows in one path
  std::string path = given;
  for (int followed = 0; followed < most_links; ++followed) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      resolved = path;
      return true;
    }
    std::error_code code;
    const fs::path target = fs::read_symlink(path, code);
    if (code) {
      error = given + ": cannot follow the link: " + code.message();
      return false;
    }
    path = target.is_absolute() ? target.string() : (fs::path(path).parent_path() / target).string();
  }
  error = given + ": cannot follow the link: " + std::strerror(ELOOP);
  return false;
}

}  // namespace

bool examine_destination(const std::string& given, Destination& out, std::string& error) {
  Destination found;
  struct stat st;
  if (stat(given.c_str(), &st) == 0) {
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode)) {
      // Opened by the name given: the system follows links no path spells,
      // such as /dev/stdout.
      found.kind = DestinationKind::stream;
      found.path = given;
      out = found;
      return true;
    }
    found.kind = S_ISREG(st.st_mode)   ? DestinationKind::file
                 : S_ISDIR(st.st_mode) ? DestinationKind::folder
                                       : DestinationKind::other;
    found.mode = st.st_mode & 07777;
  } else if (errno != ENOENT && errno != ELOOP) {
    error = given + ": " + std::strerror(errno);
    return false;
  }
  if (!follow_links(given, found.path, error)) return false;
  out = found;
  return true;
}

}  // namespace texpack
