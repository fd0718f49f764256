// The brush-face model and the texture rules on any input: a line that
// parses is written back byte for byte; a rule table loads or is refused
// with a message naming its file; patterns match without running away.
#include <cstring>
#include <string>
#include <string_view>

#include "face.h"
#include "fuzz_targets.h"
#include "texture_rules.h"

using namespace kmap;
using namespace conv;

int fuzz_faces(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Every line of the input as a plane line.
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    Face face;
    if (parse_face(line, &face)) {
      std::string out(line.size() + 1, '\0');
      BoundedText written(out.data(), out.size());
      fuzz_check(format_face(face, written) == FormatResult::ok && written.view() == line, "a parsed face is written back as it was");
    }
    if (read_face(line, &face, true)) fuzz_check(face.points.size() <= line.size(), "points within the line");
    at = end + 1;
  }
  // The input as a rule table, then its first line's words as a pattern and
  // a name.
  std::string copy(text);
  copy.push_back('\0');
  FILE* file = fmemopen(copy.data(), size > 0 ? size : 1, "r");
  if (size == 0) (void)fgetc(file);
  TextureRules rules;
  std::string error;
  const bool loaded = load_texture_rules(file, "rules.tex", rules, error);
  fclose(file);
  if (!loaded)
    fuzz_check(error.rfind("rules.tex", 0) == 0, "a refusal names the file");
  const size_t cut = text.find(' ');
  if (cut != std::string_view::npos) (void)glob_match(text.substr(0, cut), text.substr(cut + 1));
  return 0;
}

#ifdef KORVEX_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_faces(data, size); }
#endif
