#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace play {
namespace {

// The signals a wait wakes for; held back between two looks at the flag,
// so that none arrives unseen just before the wait.
sigset_t wake_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&set, sig);
  return set;
}

void on_child(int) {}  // SIGCHLD must be caught, not ignored, to end a wait

}  // namespace

ChildOutcome run_child(const std::vector<std::string>& argv, const std::string& folder, const std::string& log,
                       const std::atomic<bool>& stop) {
  ChildOutcome outcome;
  // Everything the child needs is made before fork: after it, the child
  // only makes system calls.
  std::vector<char*> args;
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);
  const std::string cannot_run = "cannot run " + argv.at(0) + ": ";
  const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (log_fd < 0 || null_fd < 0) {
    outcome.error = log + ": cannot make the log: " + std::strerror(errno);
    if (log_fd >= 0) close(log_fd);
    if (null_fd >= 0) close(null_fd);
    return outcome;
  }

  const sigset_t wake = wake_signals();
  sigset_t previous_mask;
  sigprocmask(SIG_BLOCK, &wake, &previous_mask);
  struct sigaction child_action {};
  struct sigaction previous_child {};
  child_action.sa_handler = on_child;
  sigemptyset(&child_action.sa_mask);
  sigaction(SIGCHLD, &child_action, &previous_child);
  const auto restore = [&] {
    sigaction(SIGCHLD, &previous_child, nullptr);
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    close(log_fd);
    close(null_fd);
  };

  if (stop.load()) {
    restore();
    outcome.end = ChildEnd::stopped;
    return outcome;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    outcome.error = cannot_run + std::strerror(errno);
    restore();
    return outcome;
  }
  if (pid == 0) {
    dup2(null_fd, STDIN_FILENO);
    dup2(log_fd, STDOUT_FILENO);
    dup2(log_fd, STDERR_FILENO);
    // Caught signals get their default action back with exec, ignored ones
    // stay ignored; a closed pipe should end the compiler, as in a shell.
    signal(SIGPIPE, SIG_DFL);
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    if (chdir(folder.c_str()) == 0) execv(args[0], args.data());
    const char* why = std::strerror(errno);
    (void)!write(STDERR_FILENO, cannot_run.data(), cannot_run.size());
    (void)!write(STDERR_FILENO, why, std::strlen(why));
    (void)!write(STDERR_FILENO, "\n", 1);
    _exit(127);
  }

  // Woken by the child's end or a stop; the flag is read with both held.
  sigset_t waiting_mask = previous_mask;
  for (int sig : {SIGINT, SIGTERM, SIGCHLD}) sigdelset(&waiting_mask, sig);
  bool stopped = false;
  int status = 0;
  for (;;) {
    if (stop.load() && !stopped) {
      kill(pid, SIGTERM);
      stopped = true;
    }
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid || (ended < 0 && errno != EINTR)) break;
    sigsuspend(&waiting_mask);
  }
  restore();
  if (stopped) {
    outcome.end = ChildEnd::stopped;
  } else if (WIFSIGNALED(status)) {
    outcome.end = ChildEnd::signalled;
    outcome.code = WTERMSIG(status);
  } else {
    outcome.end = ChildEnd::exited;
    outcome.code = WEXITSTATUS(status);
  }
  return outcome;
}

}  // namespace play
