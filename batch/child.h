// Starting one korvex run as a child process in a folder of its own.
#ifndef KORVEX_BATCH_CHILD_H
#define KORVEX_BATCH_CHILD_H

#include <signal.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

// The file in the run's folder that receives its standard output and error.
inline constexpr const char* console_name = "console.txt";

// Starts `program` with `args` in `folder`: standard input from /dev/null,
// standard output and error to folder/console.txt, signal mask `mask` and
// default signal actions. Returns the child's process id, or -1 when no
// process could be made (errno tells why). A program that cannot be executed
// ends the child with status 127 and a line on its console.
[[nodiscard]] pid_t start_child(const std::string& program, const std::vector<std::string>& args,
                                const std::filesystem::path& folder, const sigset_t& mask);

#endif
