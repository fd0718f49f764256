#include "summary.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "text_width.h"

namespace {

constexpr std::array<const char*, 4> outcome_names{"skipped", "ok", "failed", "interrupted"};
static_assert(outcome_names.size() == static_cast<size_t>(Outcome::interrupted) + 1);

std::string format_row(int map_width, const std::string& map, const std::string& result, const std::string& brushes,
                       const std::string& written, const std::string& left_out, const std::string& discarded,
                       const std::string& time) {
  char line[256];
  std::snprintf(line, sizeof line, "  %-11s %9s %9s %9s %9s %9s", result.c_str(), brushes.c_str(), written.c_str(),
                left_out.c_str(), discarded.c_str(), time.c_str());
  std::string row = map;
  row.append(static_cast<size_t>(map_width) - std::min(display_width(map), static_cast<size_t>(map_width)), ' ');
  return row + line;
}

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2fs", s);
  return text;
}

}  // namespace

std::string summary_table(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results) {
  int width = 5;  // "total"
  for (const MapJob& job : jobs) width = std::max(width, static_cast<int>(display_width(job.shown)));
  std::string text = format_row(width, "map", "result", "brushes", "written", "left out", "discarded", "time") + "\n";
  MapCounts total;
  double time = 0;
  std::array<size_t, outcome_names.size()> by_outcome{};
  for (size_t i = 0; i < jobs.size(); ++i) {
    const MapResult& r = results[i];
    ++by_outcome[static_cast<size_t>(r.outcome)];
    time += r.seconds;
    std::string row;
    if (r.outcome == Outcome::ok) {
      const MapCounts& c = r.counts;
      total.brushes += c.brushes;
      total.entities += c.entities;
      total.written += c.written;
      total.discarded += c.discarded;
      row = format_row(width, jobs[i].shown, "ok", std::to_string(c.brushes), std::to_string(c.written),
                       std::to_string(c.left_out()), std::to_string(c.discarded), seconds(r.seconds));
    } else {
      row = format_row(width, jobs[i].shown, outcome_names[static_cast<size_t>(r.outcome)], "-", "-", "-", "-",
                       r.outcome == Outcome::not_run ? "-" : seconds(r.seconds));
      if (!r.reason.empty()) row += "  " + r.reason;
    }
    text += row + "\n";
  }
  const size_t ok = by_outcome[static_cast<size_t>(Outcome::ok)];
  text += format_row(width, "total", std::to_string(ok) + " ok", std::to_string(total.brushes),
                     std::to_string(total.written), std::to_string(total.left_out()),
                     std::to_string(total.discarded), seconds(time)) + "\n";
  text += std::to_string(jobs.size()) + (jobs.size() == 1 ? " map: " : " maps: ") + std::to_string(ok) + " ok";
  for (size_t o = 0; o < outcome_names.size(); ++o)
    if (o != static_cast<size_t>(Outcome::ok) && by_outcome[o] != 0)
      text += ", " + std::to_string(by_outcome[o]) + " " + outcome_names[o];
  return text + "\n";
}
