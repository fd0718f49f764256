#include "korvex_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "disk_files.h"
#include "memory_files.h"
#include "process.h"
#include "run.h"
#include "table_search.h"
#include "test_paths.h"

using namespace conv;

namespace fs = std::filesystem;

namespace {

// Standard output split after its second line.
void split_banner(const std::string& out, KorvexRun& run) {
  size_t cut = 0;
  for (int line = 0; line < 2 && cut != std::string::npos; ++line) {
    cut = out.find('\n', cut);
    if (cut != std::string::npos) ++cut;
  }
  if (cut == std::string::npos) cut = out.size();
  run.banner = out.substr(0, cut);
  run.console = out.substr(cut);
}

// The regular files below the folder, by relative path; pipes and devices
// are never opened.
Files regular_files(const TempDir& dir) {
  Files files;
  std::error_code code;
  for (auto it = fs::recursive_directory_iterator(dir.path(), fs::directory_options::skip_permission_denied, code);
       !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
    if (!it->is_regular_file(code) || it->is_symlink(code)) continue;
    const std::string name = it->path().lexically_relative(dir.path()).generic_string();
    if (auto text = read_file(it->path().string())) files[name] = std::move(*text);
  }
  return files;
}

// korvex_run with the console in memory.
KorvexRun run_in_process(const Args& args, RunFiles& files) {
  std::vector<std::string> words{"korvex"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  char* out_text = nullptr;
  char* err_text = nullptr;
  size_t out_size = 0, err_size = 0;
  static char newline[] = "\n";
  Console console;
  console.out = open_memstream(&out_text, &out_size);
  console.err = open_memstream(&err_text, &err_size);
  console.in = fmemopen(newline, 1, "r");
  console.interactive = false;
  KorvexRun run;
  run.status = korvex_run(static_cast<int>(words.size()), argv.data(), console, files, &run.report);
  fclose(console.out);
  fclose(console.err);
  fclose(console.in);
  split_banner(std::string(out_text, out_size), run);
  run.errors.assign(err_text, err_size);
  free(out_text);
  free(err_text);
  return run;
}

// The shipped tables at the paths where a run looks for them beyond its own
// folder (kmap::find_table), as the built program finds them on disk; read
// once.
const Files& shipped_tables() {
  static const Files tables = [] {
    Files found;
    std::error_code code;
    for (const auto& e : fs::directory_iterator(source_file("tables"), code)) {
      const std::string path = kmap::find_table(e.path().filename().string(), [](const std::string&) { return false; });
      if (path.find('/') == std::string::npos) continue;  // found nowhere
      if (auto text = read_file(path)) found[path] = std::move(*text);
    }
    return found;
  }();
  return tables;
}

}  // namespace

std::optional<std::string> KorvexRun::file(const std::string& name) const {
  auto found = files.find(name);
  // A folder's files go by their plain relative paths.
  if (found == files.end()) found = files.find(fs::path(name).lexically_normal().generic_string());
  if (found == files.end()) return std::nullopt;
  return found->second;
}

KorvexRun run_korvex(const Args& args, Files files) {
  MemoryFiles memory;
  memory.texts = std::move(files);
  const Files& shipped = shipped_tables();
  memory.texts.insert(shipped.begin(), shipped.end());  // the run's own files first
  KorvexRun run = run_in_process(args, memory);
  for (auto& [name, text] : memory.texts) {
    const auto table = shipped.find(name);
    if (table != shipped.end() && table->second == text) continue;  // a shipped table, as it was
    run.files[name] = std::move(text);
    run.names.push_back(name);
  }
  return run;
}

KorvexRun run_korvex_in(const TempDir& dir, const Args& args) {
  KorvexRun run;
  {
    DiskFiles disk(dir.path());
    run = run_in_process(args, disk);
  }
  run.files = regular_files(dir);
  run.names = dir.tree();
  return run;
}

KorvexRun run_korvex_process(const TempDir& dir, const Args& args, std::string_view input, int timeout_seconds,
                             bool unprivileged) {
  ProcessSetup setup;
  setup.program = korvex_bin();
  setup.args = args;
  setup.folder = dir.path();
  setup.input = std::string(input);
  setup.unprivileged = unprivileged;
  setup.timeout_seconds = timeout_seconds;
  const ProcessResult p = run_process(setup);
  KorvexRun run;
  run.status = p.status;
  run.timed_out = p.timed_out;
  split_banner(p.out, run);
  run.errors = p.err;
  run.files = regular_files(dir);
  run.names = dir.tree();
  return run;
}

Want Want::none() {
  Want w;
  w.kind_ = Kind::none;
  return w;
}

Want Want::starting(std::string head) {
  Want w;
  w.kind_ = Kind::starting;
  w.whole_ = std::move(head);
  return w;
}

Want Want::ending(std::string tail) {
  Want w;
  w.kind_ = Kind::ending;
  w.whole_ = std::move(tail);
  return w;
}

Want Want::has(std::vector<std::string> pieces, std::vector<std::string> lacking) {
  Want w;
  w.kind_ = Kind::pieces;
  w.has_ = std::move(pieces);
  w.lacks_ = std::move(lacking);
  return w;
}

void Want::check(const std::optional<std::string>& actual, std::string_view what) const {
  switch (kind_) {
    case Kind::any:
      return;
    case Kind::none:
      EXPECT_FALSE(actual.has_value()) << what << " is there:\n" << actual.value_or("");
      return;
    case Kind::whole:
      EXPECT_EQ(actual.value_or("<none>"), whole_) << what;
      return;
    case Kind::starting:
      EXPECT_TRUE(actual && actual->starts_with(whole_))
          << what << " does not start with:\n" << whole_ << "\nit is:\n" << actual.value_or("<none>");
      return;
    case Kind::ending:
      EXPECT_TRUE(actual && actual->ends_with(whole_))
          << what << " does not end in:\n" << whole_ << "\nit is:\n" << actual.value_or("<none>");
      return;
    case Kind::pieces:
      if (!actual) {
        ADD_FAILURE() << what << " is not there";
        return;
      }
      for (const std::string& piece : has_)
        EXPECT_NE(actual->find(piece), std::string::npos) << what << " lacks:\n" << piece << "\nin:\n" << *actual;
      for (const std::string& piece : lacks_)
        EXPECT_EQ(actual->find(piece), std::string::npos) << what << " holds:\n" << piece << "\nin:\n" << *actual;
      return;
  }
}

Golden& Golden::args(Args args) {
  args_ = std::move(args);
  return *this;
}

Golden& Golden::input(const std::string& file, std::string text) {
  inputs_[file] = std::move(text);
  return *this;
}

Golden& Golden::inputs(const Files& files) {
  for (const auto& [file, text] : files) inputs_[file] = text;
  return *this;
}

Golden& Golden::status(int status) {
  status_ = status;
  return *this;
}

Golden& Golden::console(Want want) {
  console_ = std::move(want);
  return *this;
}

Golden& Golden::errors(Want want) {
  errors_ = std::move(want);
  return *this;
}

Golden& Golden::output(const std::string& file, Want want) {
  outputs_[file] = std::move(want);
  return *this;
}

Golden& Golden::names(std::vector<std::string> names) {
  names_ = std::move(names);
  return *this;
}

Golden& Golden::on_disk() {
  disk_ = true;
  return *this;
}

KorvexRun Golden::check() const {
  SCOPED_TRACE(name_);
  KorvexRun run;
  if (disk_) {
    TempDir dir;
    for (const auto& [file, text] : inputs_) dir.write(file, text);
    run = run_korvex_in(dir, args_);
    for (const std::string& name : run.names)
      EXPECT_FALSE(name.starts_with(".korvex-") || name.find("/.korvex-") != std::string::npos)
          << "left behind: " << name;
  } else {
    run = run_korvex(args_, inputs_);
  }
  EXPECT_EQ(run.status, status_) << run.console;
  console_.check(run.console, "console");
  errors_.check(run.errors, "standard error");
  for (const auto& [file, want] : outputs_) want.check(run.file(file), file);
  if (names_) {
    EXPECT_EQ(run.names, *names_);
  }
  return run;
}

std::pair<std::string, std::string> disk_file(const std::string& path) {
  return {path, read_file(path).value_or("<cannot read " + path + ">")};
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

std::string record(int n, std::string_view text) {
  char number[16];
  snprintf(number, sizeof number, "%5d ", n);
  return number + std::string(text) + "\n\n";
}
