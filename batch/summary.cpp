#include "summary.h"

#include <algorithm>
#include <cstdio>

#include "text_width.h"

namespace batch {
namespace {

constexpr std::array<std::string_view, 4> outcome_names{"skipped", "ok", "failed", "interrupted"};
static_assert(outcome_names.size() == static_cast<size_t>(Outcome::interrupted) + 1);
static_assert(outcome_names.size() == BatchTotals{}.maps_by_outcome.size());

std::string format_row(int map_width, const std::string& map, std::string_view result, const std::string& brushes,
                       const std::string& written, const std::string& left_out, const std::string& discarded,
                       const std::string& time) {
  char line[256];
  std::snprintf(line, sizeof line, "  %-11.*s %9s %9s %9s %9s %9s", static_cast<int>(result.size()), result.data(),
                brushes.c_str(), written.c_str(), left_out.c_str(), discarded.c_str(), time.c_str());
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

std::string_view outcome_name(Outcome outcome) { return outcome_names[static_cast<size_t>(outcome)]; }

BatchTotals totals_of(const std::vector<MapResult>& results) {
  BatchTotals t;
  for (const MapResult& r : results) {
    ++t.maps_by_outcome[static_cast<size_t>(r.outcome)];
    t.seconds += r.seconds;
    if (r.outcome != Outcome::ok) continue;
    t.counts.brushes += r.counts.brushes;
    t.counts.entities += r.counts.entities;
    t.counts.written += r.counts.written;
    t.counts.left_out += r.counts.left_out;
    t.counts.discarded += r.counts.discarded;
  }
  return t;
}

std::string summary_table(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results) {
  int width = 5;  // "total"
  for (const MapJob& job : jobs) width = std::max(width, static_cast<int>(display_width(job.shown)));
  std::string text = format_row(width, "map", "result", "brushes", "written", "left out", "discarded", "time") + "\n";
  for (size_t i = 0; i < jobs.size(); ++i) {
    const MapResult& r = results[i];
    std::string row;
    if (r.outcome == Outcome::ok) {
      const MapCounts& c = r.counts;
      row = format_row(width, jobs[i].shown, "ok", std::to_string(c.brushes), std::to_string(c.written),
                       std::to_string(c.left_out), std::to_string(c.discarded), seconds(r.seconds));
    } else {
      row = format_row(width, jobs[i].shown, outcome_name(r.outcome), "-", "-", "-", "-",
                       r.outcome == Outcome::not_run ? "-" : seconds(r.seconds));
      if (!r.reason.empty()) row += "  " + r.reason;
    }
    text += row + "\n";
  }
  const BatchTotals total = totals_of(results);
  const size_t ok = total.maps(Outcome::ok);
  text += format_row(width, "total", std::to_string(ok) + " ok", std::to_string(total.counts.brushes),
                     std::to_string(total.counts.written), std::to_string(total.counts.left_out),
                     std::to_string(total.counts.discarded), seconds(total.seconds)) + "\n";
  text += std::to_string(jobs.size()) + (jobs.size() == 1 ? " map: " : " maps: ") + std::to_string(ok) + " ok";
  for (size_t o = 0; o < outcome_names.size(); ++o)
    if (o != static_cast<size_t>(Outcome::ok) && total.maps_by_outcome[o] != 0)
      text += ", " + std::to_string(total.maps_by_outcome[o]) + " " + std::string(outcome_names[o]);
  return text + "\n";
}

}  // namespace batch
