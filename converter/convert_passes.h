// The conversion proper: the output's header, the world pass over the
// first block's brushes and the entity pass over every block after it,
// each block read into the model, rewritten and written.
#ifndef KORVEX_CONVERTER_CONVERT_PASSES_H
#define KORVEX_CONVERTER_CONVERT_PASSES_H

#include <cstdio>

#include "run_state.h"

namespace conv {

// Reads the whole source, writes the output map to out. False when the
// run failed (its console line printed); the output is then incomplete.
[[nodiscard]] bool convert(RunConfig& config, RunState& state, FILE* source, FILE* out);

}  // namespace conv

#endif
