#include "write_blocks.h"

#include <cstring>
#include <string>

using namespace kmap;

namespace conv {
namespace {

constexpr const char* rule_line = "===================================================\n";

}  // namespace

// The writes of one block are the run's hot path: the stream is used by
// this thread alone, so the unlocked calls serve.
void write_lines(FILE* out, const LineBuffer& lines, std::string_view indent) {
  for (int i = 0; i < lines.size(); ++i) {
    fwrite_unlocked(indent.data(), 1, indent.size(), out);
    fwrite_unlocked(lines.text(i), 1, static_cast<size_t>(lines.length(i)), out);
    putc_unlocked('\n', out);
  }
}

void write_brush(FILE* out, const Block& block, int number) {
  fprintf(out, "  // brush %d\n  {\n", number);
  write_lines(out, block.entity.lines, "    ");
  fputs("  }\n", out);
}

void write_entity(FILE* out, const Entity& entity, int number) {
  fprintf(out, "// entity %d\n  {\n", number);
  write_lines(out, entity.lines, "    ");
  fputs("  }\n", out);
}

void write_added_entity(FILE* out, const Entity& entity, int number, int k) {
  fprintf(out, "// entity %d, added %d\n  {\n", number, k);
  write_lines(out, entity.lines, "    ");
  fputs("  }\n", out);
}

bool log_block(const Block& block, RunLog& log) {
  const LineBuffer& lines = block.entity.lines;
  std::string text;
  auto record_line = [&](std::string_view line) {
    text.assign(line);
    text += '\n';
    (void)log.record(text);
  };
  for (int i = 0; i < lines.size(); ++i) record_line(lines.view(i));
  if (const std::string_view last = lines.pending(); !last.empty()) record_line(last);
  (void)log.record(rule_line);
  return log.all_written();
}

}  // namespace conv
