// What one korvex run reports: counts read from its console lines and its
// log, and the line that explains a failure.
#ifndef KORVEX_BATCH_RUN_REPORT_H
#define KORVEX_BATCH_RUN_REPORT_H

#include <string>
#include <string_view>

struct MapCounts {
  long brushes = 0;    // world brushes
  long entities = 0;   // entities read, the world not included
  long written = 0;    // entities written
  long discarded = 0;  // invalid objects dropped ("Discarded invalid" records of the log)
  long left_out() const { return entities - written; }
};

// The counts of a completed run's console ("%d brushes", "%d entities (%d
// replaced)", "%d entities numbered", "No brush found..."); the log's records
// give `discarded`. Lines it does not know are skipped.
MapCounts read_counts(std::string_view console, std::string_view log);

// The last line of a console that is not blank, without the "Press ENTER..."
// prompt korvex shows after some errors; empty when there is none.
std::string last_line(std::string_view console);

#endif
