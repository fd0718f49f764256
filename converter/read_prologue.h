// The look ahead before a conversion: the first plane lines of the map,
// read and then read again by the passes. They tell the game the map was
// made for (the world's first plane lines vote) and the form in which its
// faces carry their alignment (the first face with a texture), which the
// whole map is written in.
#ifndef KORVEX_CONVERTER_READ_PROLOGUE_H
#define KORVEX_CONVERTER_READ_PROLOGUE_H

#include "face.h"
#include "game.h"
#include "map_limits.h"
#include "text_input.h"

namespace conv {

struct Prologue {
  kmap::GameVotes votes;
  kmap::AlignForm form = kmap::AlignForm::none;  // of the first face with a texture
};

// Reads ahead from the input's current place until the votes and the form
// are known, the map ends, or a few megabytes were read, and leaves the
// input where it was: the passes read the same bytes again.
[[nodiscard]] Prologue read_prologue(kmap::TextInput& input, const kmap::Limits& limits);

}  // namespace conv

#endif
