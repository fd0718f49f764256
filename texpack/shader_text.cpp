#include "shader_text.h"

namespace texpack {

std::string shader_text(const Shader& shader) {
  std::string text = shader.name + "\n{\n";
  for (const std::string& line : shader.header) text += "\t" + line + "\n";
  for (const ShaderStage& stage : shader.stages) {
    text += "\t{\n";
    for (const std::string& line : stage.lines) text += "\t\t" + line + "\n";
    text += "\t}\n";
  }
  text += "}\n";
  return text;
}

}  // namespace texpack
