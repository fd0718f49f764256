#include "run_report.h"

#include <charconv>

namespace {

constexpr std::string_view enter_prompt = "Press ENTER...";

// Reads a whole decimal number at the start of `text`; `rest` is what follows.
bool leading_number(std::string_view text, long& n, std::string_view& rest) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end == text.data()) return false;
  rest = text.substr(static_cast<size_t>(end - text.data()));
  return true;
}

template <typename Visit>
void for_each_line(std::string_view text, Visit visit) {
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    visit(text.substr(start, end - start));
    start = end + 1;
  }
}

void read_line(std::string_view line, MapCounts& counts) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.starts_with("No brush found")) {
    counts.brushes = 0;
    return;
  }
  long n = 0;
  std::string_view rest;
  if (!leading_number(line, n, rest)) return;
  if (rest == " brushes") {
    counts.brushes = n;
  } else if (rest == " entities numbered") {
    counts.entities = counts.written = n;
  } else if (rest.starts_with(" entities (") && rest.ends_with(" replaced)")) {
    long replaced = 0;
    std::string_view tail;
    if (leading_number(rest.substr(11), replaced, tail) && tail == " replaced)") {
      counts.entities = n;
      counts.written = replaced;
    }
  }
}

}  // namespace

MapCounts read_counts(std::string_view console, std::string_view log) {
  MapCounts counts;
  for_each_line(console, [&](std::string_view line) { read_line(line, counts); });
  for_each_line(log, [&](std::string_view line) {
    // A record is its number, then its text; the block lines that follow it
    // never start with these words.
    const size_t text = line.find_first_not_of(" 0123456789");
    if (text != std::string_view::npos && line.substr(text).starts_with("Discarded invalid ")) ++counts.discarded;
  });
  return counts;
}

std::string last_line(std::string_view console) {
  std::string_view text = console;
  for (;;) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    if (!text.ends_with(enter_prompt)) break;
    text.remove_suffix(enter_prompt.size());
  }
  const size_t cut = text.find_last_of('\n');
  return std::string(cut == std::string_view::npos ? text : text.substr(cut + 1));
}
