#include "locate.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace fs = std::filesystem;

namespace {

bool executable(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec) && access(p.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> find_korvex() {
  std::error_code ec;
  // Absolute, since every run starts in a folder of its own.
  if (const char* chosen = std::getenv("KORVEX_BIN"); chosen != nullptr && chosen[0] != '\0')
    return executable(chosen) ? std::optional<std::string>(fs::absolute(chosen, ec).string()) : std::nullopt;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && executable(self.parent_path() / "korvex")) return (self.parent_path() / "korvex").string();
  const char* path = std::getenv("PATH");
  for (std::string_view rest = path != nullptr ? path : ""; !rest.empty();) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    const fs::path candidate = fs::path(folder.empty() ? "." : folder) / "korvex";
    if (executable(candidate)) return fs::absolute(candidate, ec).string();
  }
  return std::nullopt;
}
