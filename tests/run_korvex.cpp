#include "run_korvex.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "korvex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave folders without permissions behind them.
  for (const auto& e : fs::recursive_directory_iterator(path_, ignored))
    if (e.is_directory(ignored)) fs::permissions(e.path(), fs::perms::owner_all, ignored);
  fs::remove_all(path_, ignored);
}

void TempDir::write(std::string_view name, std::string_view text) const {
  std::ofstream out(file(name), std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::optional<std::string> TempDir::read(std::string_view name) const { return read_file(file(name)); }

bool TempDir::exists(std::string_view name) const {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(file(name), ignored));
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string source_file(std::string_view relative) {
  return std::string(KORVEX_SOURCE_DIR) + "/" + std::string(relative);
}

std::string with_crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string conversion_header(std::string_view source, bool q2) {
  return std::string(q2 ? "// Quake2 " : "// Quake ") + "map '" + std::string(source) +
         "' converted to Q3A format\n// Converter: KORVEX\n// by the KORVEX developers, 2026\n";
}

RunResult run_korvex(const TempDir& dir, const std::vector<std::string>& args,
                     std::string_view input, int timeout_seconds, bool unprivileged) {
  const std::string in_path = dir.file(".stdin");
  const std::string out_path = dir.file(".stdout");
  const std::string err_path = dir.file(".stderr");
  dir.write(".stdin", input);

  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    const int in = open(in_path.c_str(), O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    constexpr uid_t nobody = 65534;
    if (unprivileged && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
      _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(KORVEX_BIN));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(KORVEX_BIN, argv.data());
    _exit(127);
  }

  RunResult result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

  std::string console = read_file(out_path).value_or("");
  result.errors = read_file(err_path).value_or("");
  std::remove(in_path.c_str());
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  size_t cut = 0;
  for (int line = 0; line < 2 && cut != std::string::npos; ++line) {
    cut = console.find('\n', cut);
    if (cut != std::string::npos) ++cut;
  }
  if (cut == std::string::npos) cut = console.size();
  result.banner = console.substr(0, cut);
  result.console = console.substr(cut);
  return result;
}

std::string record(int n, std::string_view text) {
  char number[16];
  snprintf(number, sizeof number, "%5d ", n);
  return number + std::string(text) + "\n\n";
}
