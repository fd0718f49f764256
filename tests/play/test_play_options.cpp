// korvex-play's command line: every option read, every mistake named.
#include <gtest/gtest.h>

#include "options.h"

namespace {

using play::Options;
using play::OptionsStatus;

TEST(PlayOptions, ReadsEveryOption) {
  const struct {
    std::vector<std::string> words;
    void (*check)(const Options&);
  } cases[] = {
      {{"e1m1.map"},
       [](const Options& o) {
         EXPECT_EQ(o.input, "e1m1.map");
         EXPECT_TRUE(o.sources.empty());
         EXPECT_EQ(o.output, "");
         EXPECT_EQ(o.game, kmap::Game::unknown);
         EXPECT_EQ(o.game_data, "baseoa");
         EXPECT_FALSE(o.strict || o.fast || o.no_compile || o.keep_work);
       }},
      {{"maps/", "id1/", "x.wad", "-o", "out.pk3", "--strict"},
       [](const Options& o) {
         EXPECT_EQ(o.input, "maps/");
         EXPECT_EQ(o.sources, (std::vector<std::string>{"id1/", "x.wad"}));
         EXPECT_EQ(o.output, "out.pk3");
         EXPECT_TRUE(o.strict);
       }},
      {{"-q2", "--compiler", "/opt/q3map2", "--fast", "--game-path", "/q3", "--game-data", "baseq3", "m.map"},
       [](const Options& o) {
         EXPECT_EQ(o.game, kmap::Game::quake2);
         EXPECT_EQ(o.compiler, "/opt/q3map2");
         EXPECT_TRUE(o.fast);
         EXPECT_EQ(o.game_path, "/q3");
         EXPECT_EQ(o.game_data, "baseq3");
       }},
      {{"-q1", "--no-compile", "--keep-work", "--report", "r.json", "m.map"},
       [](const Options& o) {
         EXPECT_EQ(o.game, kmap::Game::quake);
         EXPECT_TRUE(o.no_compile && o.keep_work);
         EXPECT_EQ(o.report, "r.json");
       }},
      // After "--" a word that looks like an option is a file.
      {{"--", "-odd.map", "--strict"},
       [](const Options& o) {
         EXPECT_EQ(o.input, "-odd.map");
         EXPECT_EQ(o.sources, (std::vector<std::string>{"--strict"}));
         EXPECT_FALSE(o.strict);
       }},
      {{"-h"}, [](const Options& o) { EXPECT_TRUE(o.help); }},
      {{"--version"}, [](const Options& o) { EXPECT_TRUE(o.version); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words.front());
    Options options;
    std::string error;
    ASSERT_EQ(play::parse_options(c.words, options, error), OptionsStatus::ok) << error;
    c.check(options);
  }
}

TEST(PlayOptions, NamesEveryMistake) {
  const struct {
    std::vector<std::string> words;
    OptionsStatus status;
    std::string error;
  } cases[] = {
      {{}, OptionsStatus::missing, "no map given: name a .map file or a folder of them"},
      {{"--strict", "id1/"}, OptionsStatus::ok, ""},  // the first file is the map
      {{"-z", "m.map"}, OptionsStatus::unknown_option, "unknown option '-z' (korvex-play --help lists them)"},
      {{"m.map", "-o"}, OptionsStatus::no_value, "option -o needs a value (FILE.pk3)"},
      {{"m.map", "--report", ""}, OptionsStatus::no_value, "option --report needs a value (FILE.json)"},
      {{"m.map", "--compiler"}, OptionsStatus::no_value, "option --compiler needs a value (PATH)"},
      {{"m.map", "-o", "a.pk3", "-o", "b.pk3"}, OptionsStatus::duplicate, "option -o given twice"},
      {{"m.map", "-h", "--help"}, OptionsStatus::duplicate, "option --help given twice"},
      {{"m.map", "-q1", "-q2"}, OptionsStatus::conflict, "options -q1 and -q2 name two games; give one"},
      {{"m.map", "--compiler", "q", "--no-compile"},
       OptionsStatus::conflict,
       "options --compiler and --no-compile contradict each other; give one"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    Options options;
    options.input = "untouched";
    std::string error;
    EXPECT_EQ(play::parse_options(c.words, options, error), c.status);
    if (c.status == OptionsStatus::ok) continue;
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(options.input, "untouched");
  }
}

TEST(PlayOptions, UsageListsEveryOptionWithinEightyColumns) {
  const std::string usage = play::usage_text();
  for (const play::PlayOption& option : play::play_options)
    EXPECT_NE(usage.find(std::string(option.word) + (option.value.empty() ? "" : std::string(" ").append(option.value))),
              std::string::npos)
        << option.word;
  EXPECT_NE(usage.find("q3map2"), std::string::npos);
  for (size_t at = 0, end; (end = usage.find('\n', at)) != std::string::npos; at = end + 1)
    EXPECT_LE(end - at, 79u) << usage.substr(at, end - at);
}

}  // namespace
