#include "shader_text.h"

namespace texpack {

std::string shader_text(const ShaderSpec& spec) {
  std::string text = spec.name + "\n{\n";
  for (const std::string& line : spec.header) text += "\t" + line + "\n";
  for (const ShaderStage& stage : spec.stages) {
    text += "\t{\n";
    for (const std::string& line : stage.lines) text += "\t\t" + line + "\n";
    text += "\t}\n";
  }
  text += "}\n";
  return text;
}

}  // namespace texpack
