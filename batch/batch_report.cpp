#include "batch_report.h"

#include <cstdio>

#include "report_json.h"
#include "summary.h"
#include "version.h"

using namespace conv;

namespace batch {

using nlohmann::json;

namespace {

json counts_json(const MapCounts& c) {
  return {{"brushes", c.brushes},
          {"entities", c.entities},
          {"written", c.written},
          {"left_out", c.left_out},
          {"discarded", c.discarded}};
}

// A CSV field: quoted when it holds a comma, a quote or a line break, a
// quote then doubled.
std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string csv_seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", s);
  return text;
}

}  // namespace

json batch_report_json(const BatchFacts& run, const std::vector<MapJob>& jobs, const std::vector<MapResult>& results) {
  const BatchOptions& o = *run.options;
  json maps = json::array();
  for (size_t i = 0; i < jobs.size(); ++i) {
    const MapJob& job = jobs[i];
    const MapResult& r = results[i];
    const bool ran = r.outcome != Outcome::not_run;
    maps.push_back({{"map", job.shown},
                    {"source", job.source.string()},
                    {"output", job.output.string()},
                    {"log", job.log.string()},
                    {"result", outcome_name(r.outcome)},
                    {"reason", r.reason},
                    {"seconds", r.seconds},
                    {"counts", r.outcome == Outcome::ok ? counts_json(r.counts) : json(nullptr)},
                    {"report", ran ? report_json(r.report) : json(nullptr)}});
  }
  const BatchTotals t = totals_of(results);
  json totals = counts_json(t.counts);
  totals["maps"] = jobs.size();
  totals["seconds"] = t.seconds;
  for (Outcome outcome : {Outcome::ok, Outcome::failed, Outcome::interrupted, Outcome::not_run})
    totals[std::string(outcome_name(outcome))] = t.maps(outcome);
  return {
      {"program", "korvex-batch"},
      {"version", kmap::version},
      {"status", run.status == BatchStatus::completed ? "completed" : "interrupted"},
      {"exit_status", run.exit_status},
      {"seconds", run.seconds},
      {"options",
       {{"inputs", o.inputs},
        {"korvex_args", run.settings->korvex_args},
        {"out_dir", o.out_dir.string()},
        {"jobs", run.settings->jobs},
        {"report", o.report.string()},
        {"csv", o.csv.string()}}},
      {"maps", maps},
      {"totals", totals},
  };
}

std::string summary_csv(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results) {
  std::string csv = "map,result,brushes,written,left_out,discarded,seconds,reason\r\n";
  for (size_t i = 0; i < jobs.size(); ++i) {
    const MapResult& r = results[i];
    const MapCounts& c = r.counts;
    const bool ok = r.outcome == Outcome::ok;
    const std::string fields[] = {
        csv_field(jobs[i].shown),
        std::string(outcome_name(r.outcome)),
        ok ? std::to_string(c.brushes) : "",
        ok ? std::to_string(c.written) : "",
        ok ? std::to_string(c.left_out) : "",
        ok ? std::to_string(c.discarded) : "",
        r.outcome == Outcome::not_run ? "" : csv_seconds(r.seconds),
        csv_field(r.reason),
    };
    for (const std::string& f : fields) csv += f + ",";
    csv.back() = '\r';
    csv += "\n";
  }
  return csv;
}

}  // namespace batch
