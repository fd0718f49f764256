#include "child.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

pid_t start_child(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& folder, const sigset_t& mask) {
  // Everything the child needs is prepared here: after fork it only makes
  // system calls.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string console = (folder / console_name).string();
  // Hints and reports on standard error are kept apart: the console's last
  // line is the failure the summary shows.
  const std::string errors = (folder / "stderr.txt").string();
  const std::string failed = "cannot run " + program + ": ";

  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int in = open("/dev/null", O_RDONLY);
  const int out = open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(127);
  dup2(in, STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD}) signal(sig, SIG_DFL);
  sigprocmask(SIG_SETMASK, &mask, nullptr);
  execv(program.c_str(), argv.data());
  const char* why = std::strerror(errno);
  (void)!write(STDOUT_FILENO, failed.data(), failed.size());
  (void)!write(STDOUT_FILENO, why, std::strlen(why));
  (void)!write(STDOUT_FILENO, "\n", 1);
  _exit(127);
}
