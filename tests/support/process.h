// Programs run as processes by the tests that need one: signals, terminals,
// other users, exit statuses, installed files.
#ifndef KORVEX_TESTS_SUPPORT_PROCESS_H
#define KORVEX_TESTS_SUPPORT_PROCESS_H

#include <sys/types.h>

#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ProcessSetup {
  std::string program;            // a path; no search of PATH
  std::vector<std::string> args;  // after the program's name
  std::string folder;             // the working folder; "" keeps the test's
  // Standard input: this text, else the descriptor `input_fd` (-1: /dev/null).
  std::optional<std::string> input;
  int input_fd = -1;
  std::vector<std::string> env;  // NAME=VALUE added to the environment; "NAME=" removes NAME
  bool unprivileged = false;     // started as root, the program runs as the user nobody
  bool terminal = false;         // standard input, output and error are a new terminal
  int timeout_seconds = 120;     // then the program is killed
};

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;  // standard output (empty on a terminal)
  std::string err;  // standard error (empty on a terminal)
  bool timed_out = false;
};

// A program started at construction; one still running when the object goes
// is killed. Its output is kept in files outside its working folder.
class ChildProcess {
 public:
  explicit ChildProcess(const ProcessSetup& setup);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The terminal's other end (setup.terminal), else -1.
  int terminal() const { return terminal_; }
  void send(int sig) const;
  // True when the program has ended within `seconds`; its status is then kept.
  bool wait_for(double seconds);
  // Waits until the program ends or its time is up (then kills it). While it
  // runs, `signal_when` is asked every 10 ms; the first time it says yes, `sig`
  // is sent. Returns the status and what the program printed.
  ProcessResult finish(const std::function<bool()>& signal_when = {}, int sig = SIGINT);

 private:
  pid_t pid_ = -1;
  int terminal_ = -1;
  int status_ = 0;
  bool ended_ = false;
  int timeout_seconds_;
  FILE* out_ = nullptr;
  FILE* err_ = nullptr;
};

// Runs the program to its end (see ChildProcess::finish).
ProcessResult run_process(const ProcessSetup& setup, const std::function<bool()>& signal_when = {},
                          int sig = SIGINT);

// Runs a shell command line; its standard output and error together in `out`.
ProcessResult run_shell(const std::string& line);

// The text quoted for the shell.
std::string shell_quoted(const std::string& text);

#endif
