// The end of a completed run: the summary on the console, what -t and -q3
// did on standard error, and the run's report.
#ifndef KORVEX_CONVERTER_RUN_SUMMARY_H
#define KORVEX_CONVERTER_RUN_SUMMARY_H

#include "run_state.h"

namespace conv {

// The count lines and the discard warning of a completed run.
void print_summary(const RunConfig& config, RunState& state);

// The texture rules' counts and the entity graph's edits, on standard
// error: the console's lines stay as they are for the scripts that read them.
void report_playable(const RunConfig& config, RunState& state);

// Fills the run's report from its configuration and state.
void fill_report(const RunConfig& config, RunState& state, int status);

}  // namespace conv

#endif
