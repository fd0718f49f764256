#include "arena.h"

#include <cstdint>

namespace play {
namespace {

// True when `text` is well-formed UTF-8 (ASCII included).
bool is_utf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xe  ? 3
                          : (lead >> 3) == 0x1e ? 4
                                                : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<uint8_t>(text[i + k]) & 0xc0) != 0x80) return false;
    i += length;
  }
  return true;
}

int count_of(const std::map<std::string, int>& classes, const std::string& name) {
  const auto found = classes.find(name);
  return found == classes.end() ? 0 : found->second;
}

}  // namespace

std::string long_name(std::string_view message, std::string_view fallback) {
  // Quake draws bytes 128 and up as its own characters again, in another
  // colour; a modern editor writes UTF-8, whose letters a Q3 font lacks.
  const bool utf8 = is_utf8(message);
  std::string plain;
  for (size_t i = 0; i < message.size(); ++i) {
    auto c = static_cast<uint8_t>(message[i]);
    if (c >= 0x80) {
      if (utf8) continue;
      c &= 0x7f;
    }
    if (c == '\\' && i + 1 < message.size() && message[i + 1] == 'n') {
      ++i;
      c = ' ';
    }
    if (c == '"') c = '\'';
    if (c == ';') c = ',';
    if (c < 0x20 || c == 0x7f || c == '\\') c = ' ';
    if (c == ' ' && (plain.empty() || plain.back() == ' ')) continue;
    plain.push_back(static_cast<char>(c));
  }
  if (plain.size() > longest_long_name) plain.resize(longest_long_name);
  while (!plain.empty() && plain.back() == ' ') plain.pop_back();
  return plain.empty() ? std::string(fallback) : plain;
}

std::vector<std::string> game_types(const std::map<std::string, int>& classes) {
  std::vector<std::string> types = {"ffa"};
  if (count_of(classes, "info_player_deathmatch") >= 2) types.insert(types.end(), {"tourney", "team"});
  if (count_of(classes, "team_CTF_redflag") > 0 && count_of(classes, "team_CTF_blueflag") > 0) types.push_back("ctf");
  return types;
}

std::string arena_text(std::string_view map_name, std::string_view long_name, const std::vector<std::string>& types) {
  std::string type_list;
  for (const std::string& type : types) type_list += (type_list.empty() ? "" : " ") + type;
  return "{\nmap \"" + std::string(map_name) + "\"\nlongname \"" + std::string(long_name) + "\"\ntype \"" + type_list +
         "\"\n}\n";
}

}  // namespace play
