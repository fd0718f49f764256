// korvex run by the tests: in this process, on files in memory or in a
// temporary folder; as the built program only where a process matters.
// Golden cases: a run's arguments, its input files and its expected
// outputs side by side, checked by one function.
#ifndef KORVEX_TESTS_SUPPORT_KORVEX_RUNNER_H
#define KORVEX_TESTS_SUPPORT_KORVEX_RUNNER_H

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run_report.h"
#include "temp_dir.h"

using Args = std::vector<std::string>;
using Files = std::map<std::string, std::string>;  // texts by file name

struct KorvexRun {
  int status = -1;      // exit status (a process's: or 128 + signal number)
  std::string banner;   // the first two lines of standard output
  std::string console;  // standard output after them
  std::string errors;   // standard error
  Files files;          // after the run: every text in memory, or a folder's regular files by relative path
  std::vector<std::string> names;  // every file after the run, sorted (in a folder: TempDir::tree())
  conv::RunReport report;     // filled by runs in this process
  bool timed_out = false;

  // The text of a file after the run, or nothing when there is none.
  std::optional<std::string> file(const std::string& name) const;
  // Standard output whole, banner included.
  std::string out() const { return banner + console; }
};

// Runs korvex in this process on `files` alone, and the shipped tables where
// the built program would find them beyond its folder: it reads and writes
// nothing else, on disk or on the terminal (its standard input is no
// terminal). The files after the run leave the shipped tables out.
KorvexRun run_korvex(const Args& args, Files files = {});

// Runs korvex in this process on the folder's files, relative paths
// counting from it.
KorvexRun run_korvex_in(const TempDir& dir, const Args& args);

// Runs the built program in the folder, standard input from `input`. With
// `unprivileged`, a run started as root runs as the user nobody.
KorvexRun run_korvex_process(const TempDir& dir, const Args& args, std::string_view input = "\n",
                             int timeout_seconds = 120, bool unprivileged = false);

// What a text must be: anything (the default), all of it, its start or its
// end, or pieces it holds and pieces it lacks; for a file, also that there
// is none.
class Want {
 public:
  Want() = default;
  Want(std::string whole) : kind_(Kind::whole), whole_(std::move(whole)) {}
  Want(const char* whole) : Want(std::string(whole)) {}
  static Want none();
  static Want has(std::vector<std::string> pieces, std::vector<std::string> lacking = {});
  static Want lacks(std::vector<std::string> pieces) { return has({}, std::move(pieces)); }
  static Want present() { return has({}); }
  static Want starting(std::string head);
  static Want ending(std::string tail);

  // Adds a failure to the running test when `actual` is not as wanted.
  void check(const std::optional<std::string>& actual, std::string_view what) const;

 private:
  enum class Kind { any, whole, pieces, starting, ending, none };
  Kind kind_ = Kind::any;
  std::string whole_;
  std::vector<std::string> has_, lacks_;
};

// One run in this process: its arguments and input files, and what it
// must give, written side by side:
//   Golden("name").args({"-s", "a.map"}).input("a.map", map)
//       .status(0).console("...").output("a.q1n", "...").output("korvex.log", Want::none())
class Golden {
 public:
  explicit Golden(std::string name) : name_(std::move(name)) {}

  Golden& args(Args args);
  Golden& input(const std::string& file, std::string text);
  Golden& inputs(const Files& files);
  Golden& status(int status);                      // 0 unless given
  Golden& console(Want want);                      // standard output after the banner
  Golden& errors(Want want);                       // standard error
  Golden& output(const std::string& file, Want want);  // a file after the run
  Golden& names(std::vector<std::string> names);   // every file after the run (KorvexRun::names)
  // In a temporary folder rather than in memory; no temporary output may be
  // left there.
  Golden& on_disk();

  const std::string& name() const { return name_; }
  // Runs the case and checks what it wants, failures named by the case;
  // returns the run for the checks a case makes of its own.
  KorvexRun check() const;

 private:
  std::string name_;
  Args args_;
  Files inputs_;
  int status_ = 0;
  Want console_, errors_;
  std::map<std::string, Want> outputs_;
  std::optional<std::vector<std::string>> names_;
  bool disk_ = false;
};

// A file of the disk by its path, to put among a run's files in memory.
std::pair<std::string, std::string> disk_file(const std::string& path);

// The text with every "\n" turned into "\r\n".
std::string with_crlf(std::string_view text);

// The header lines that conversion mode writes before the world block.
std::string conversion_header(std::string_view source, bool q2 = false);

// A record of korvex.log as a run writes it: the number, the text and the
// empty line that follows every record.
std::string record(int n, std::string_view text);

// The line that closes a block's record in the log.
inline const std::string rule = "===================================================";

#endif
