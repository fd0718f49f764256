#include "convert_map.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "disk_files.h"
#include "run.h"
#include "table_search.h"

using namespace conv;

namespace play {
namespace fs = std::filesystem;
namespace {

// A FILE* that writes into memory; its text once closed.
class MemoryStream {
 public:
  MemoryStream() : stream_(open_memstream(&buffer_, &size_)) {}
  ~MemoryStream() {
    close();
    std::free(buffer_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  [[nodiscard]] FILE* stream() const { return stream_; }
  [[nodiscard]] std::string text() {
    close();
    return buffer_ != nullptr ? std::string(buffer_, size_) : std::string();
  }

 private:
  void close() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
  }
  char* buffer_ = nullptr;
  size_t size_ = 0;
  FILE* stream_;
};

// The table `name` as found from the working folder, made absolute: the
// run itself works in another folder. "" when it is nowhere.
std::string table_path(const char* name) {
  const std::string found = kmap::find_table(name);
  std::error_code code;
  if (!fs::is_regular_file(found, code)) return "";
  return fs::absolute(found, code).string();
}

}  // namespace

std::string find_keep_table(kmap::Game game) {
  return table_path(game == kmap::Game::quake2 ? "q2-keep.tex" : "q1-keep.tex");
}

Conversion convert_map(const std::string& source, const std::string& keep_table, kmap::Game game,
                       const std::string& folder, const std::string& output, const std::atomic<bool>& stop) {
  std::error_code code;
  // The pack korvex-play writes holds the fog volume's shader.
  std::vector<std::string> words = {"korvex", "-q3", "-fog", game == kmap::Game::quake2 ? "-q2" : "-q1",
                                    "-t",     keep_table,      "-s",  fs::absolute(source, code).string(),
                                    "-d",     output};
  // Missing, it is korvex that says so, naming the table asked for.
  const std::string class_table = table_path(game == kmap::Game::quake2 ? "q2.ent" : "q1.ent");
  if (!class_table.empty()) words.insert(words.end(), {"-e", class_table});
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  Conversion conversion;
  MemoryStream out;
  MemoryStream err;
  if (out.stream() == nullptr || err.stream() == nullptr) {
    conversion.report.failure = "cannot open the console in memory";
    return conversion;
  }
  Console console;
  console.out = out.stream();
  console.err = err.stream();
  console.in = nullptr;  // never read: the console is not interactive
  console.interactive = false;
  console.stop = &stop;
  DiskFiles files(folder);
  conversion.status = korvex_run(static_cast<int>(words.size()), argv.data(), console, files, &conversion.report);
  conversion.console = out.text();
  conversion.messages = err.text();
  return conversion;
}

}  // namespace play
