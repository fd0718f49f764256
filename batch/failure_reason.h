// Why a map of a batch failed, in one line for the summary.
#ifndef KORVEX_BATCH_FAILURE_REASON_H
#define KORVEX_BATCH_FAILURE_REASON_H

#include <string>
#include <string_view>

namespace batch {

// The run's failure line as its report keeps it; when the report has none,
// the last line of the console that is not blank, without the "Press
// ENTER..." prompt korvex shows after some errors; empty when there is none.
[[nodiscard]] std::string failure_reason(std::string_view report_failure, std::string_view console);

}  // namespace batch

#endif
