// A Q3 shader as data, and its text in a .shader script.
#ifndef KORVEX_TEXPACK_SHADER_TEXT_H
#define KORVEX_TEXPACK_SHADER_TEXT_H

#include <string>
#include <vector>

namespace texpack {

struct ShaderStage {
  std::vector<std::string> lines;  // "map textures/q1/x.png", "blendFunc GL_ONE GL_ONE", ...
};

struct Shader {
  std::string name;                  // "textures/q1/#water0": the texture path without extension
  std::vector<std::string> header;   // surfaceparms, q3map_ keywords, skyparms, cull, ...
  std::vector<ShaderStage> stages;
};

// The shader as a .shader script writes it: name, braces, tab-indented lines.
[[nodiscard]] std::string shader_text(const Shader& shader);

}  // namespace texpack

#endif
