#include "process.h"

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

std::string read_all(FILE* f) {
  std::string text;
  if (f == nullptr) return text;
  rewind(f);
  char buffer[8192];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  return text;
}

// In the child, between fork and exec: only async-signal-safe calls and
// environment changes, then exec or _exit.
[[noreturn]] void become(const ProcessSetup& setup, int in, int out, int err) {
  if (!setup.folder.empty() && chdir(setup.folder.c_str()) != 0) _exit(126);
  if (in >= 0) dup2(in, 0);
  if (out >= 0) dup2(out, 1);
  if (err >= 0) dup2(err, 2);
  for (const std::string& e : setup.env) {
    const size_t eq = e.find('=');
    if (eq + 1 == e.size())
      unsetenv(e.substr(0, eq).c_str());
    else
      setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
  }
  constexpr uid_t nobody = 65534;
  if (setup.unprivileged && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
    _exit(126);
  std::vector<char*> argv{const_cast<char*>(setup.program.c_str())};
  for (const std::string& a : setup.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(setup.program.c_str(), argv.data());
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const ProcessSetup& setup) : timeout_seconds_(setup.timeout_seconds) {
  if (setup.terminal) {
    pid_ = forkpty(&terminal_, nullptr, nullptr, nullptr);
    if (pid_ == 0) become(setup, -1, -1, -1);
  } else {
    FILE* input = nullptr;
    int in = setup.input_fd;
    if (setup.input) {
      input = tmpfile();
      if (input == nullptr) throw std::runtime_error("tmpfile failed");
      fwrite(setup.input->data(), 1, setup.input->size(), input);
      fflush(input);
      rewind(input);
      in = fileno(input);
    }
    const int null = in < 0 ? open("/dev/null", O_RDONLY) : -1;
    out_ = tmpfile();
    err_ = tmpfile();
    if (out_ == nullptr || err_ == nullptr) throw std::runtime_error("tmpfile failed");
    fflush(stdout);
    fflush(stderr);
    pid_ = fork();
    if (pid_ == 0) become(setup, in < 0 ? null : in, fileno(out_), fileno(err_));
    if (input != nullptr) fclose(input);
    if (null >= 0) close(null);
  }
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

ChildProcess::~ChildProcess() {
  if (!ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (terminal_ >= 0) close(terminal_);
  if (out_ != nullptr) fclose(out_);
  if (err_ != nullptr) fclose(err_);
}

void ChildProcess::send(int sig) const {
  if (!ended_) kill(pid_, sig);
}

bool ChildProcess::wait_for(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ended_) {
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
      ended_ = true;
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return ended_;
}

ProcessResult ChildProcess::finish(const std::function<bool()>& signal_when, int sig) {
  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds_);
  bool signalled = false;
  while (!wait_for(signal_when ? 0.01 : 0.05)) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
      ended_ = true;
      result.timed_out = true;
      break;
    }
    if (!signalled && signal_when && signal_when()) {
      send(sig);
      signalled = true;
    }
  }
  result.status = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  result.out = read_all(out_);
  result.err = read_all(err_);
  return result;
}

ProcessResult run_process(const ProcessSetup& setup, const std::function<bool()>& signal_when, int sig) {
  return ChildProcess(setup).finish(signal_when, sig);
}

ProcessResult run_shell(const std::string& line) {
  ProcessSetup setup;
  setup.program = "/bin/sh";
  setup.args = {"-c", line + " 2>&1"};
  return run_process(setup);
}

std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
