#include "failure_reason.h"

namespace batch {
namespace {

constexpr std::string_view enter_prompt = "Press ENTER...";

}  // namespace

std::string failure_reason(std::string_view report_failure, std::string_view console) {
  if (!report_failure.empty()) return std::string(report_failure);
  std::string_view text = console;
  for (;;) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    if (!text.ends_with(enter_prompt)) break;
    text.remove_suffix(enter_prompt.size());
  }
  const size_t cut = text.find_last_of('\n');
  return std::string(cut == std::string_view::npos ? text : text.substr(cut + 1));
}

}  // namespace batch
