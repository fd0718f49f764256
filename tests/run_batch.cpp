#include "run_batch.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "run_korvex.h"

BatchRun run_batch(const std::string& cwd, const std::vector<std::string>& args, const std::vector<std::string>& env,
                   const std::function<bool()>& signal_when, int sig, int timeout_seconds) {
  const std::string out_path = cwd + "/.batch-stdout";
  const std::string err_path = cwd + "/.batch-stderr";
  std::vector<char*> argv{const_cast<char*>(KORVEX_BATCH_BIN)};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (chdir(cwd.c_str()) != 0 || in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const std::string& e : env) {
      const size_t eq = e.find('=');
      if (eq + 1 == e.size())
        unsetenv(e.substr(0, eq).c_str());
      else
        setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
    execv(KORVEX_BATCH_BIN, argv.data());
    _exit(127);
  }

  BatchRun run;
  int status = 0;
  bool signalled = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      run.timed_out = true;
      break;
    }
    if (!signalled && signal_when && signal_when()) {
      kill(pid, sig);
      signalled = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = read_file(out_path).value_or("");
  run.err = read_file(err_path).value_or("");
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return run;
}

std::map<std::string, SummaryRow> read_summary(const std::string& out) {
  std::map<std::string, SummaryRow> rows;
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);  // the heading
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    SummaryRow row;
    words >> row.map >> row.result;
    if (row.map == "total") {
      std::string ok;
      words >> ok;  // "N ok"
      row.result += " " + ok;
    }
    if (row.result != "ok" && row.map != "total") {
      std::string dash;
      for (int i = 0; i < 5; ++i) words >> dash;  // four counts and the time
      std::getline(words >> std::ws, row.reason);
    } else {
      for (long n; row.counts.size() < 4 && words >> n;) row.counts.push_back(n);
    }
    rows[row.map] = row;
    if (row.map == "total") break;
  }
  return rows;
}
