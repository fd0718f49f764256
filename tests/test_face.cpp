// The brush-face model: what a plane line is parsed into, how it is written
// back, and that every plane line of the real maps survives the round trip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "face.h"
#include "test_paths.h"

using namespace kmap;

namespace {

struct FaceCase {
  const char* line;
  AlignForm form;
  const char* texture;
  int align_count;
  bool has_flags;
  const char* tail;
};

const FaceCase parsed[] = {
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) metal1_1 0 0 0 1 1", AlignForm::standard, "metal1_1", 5, false, ""},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor1_3 16 -8 90 0.5 0.5 134217728 4 10",
     AlignForm::standard, "e1u1/floor1_3", 5, true, ""},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) *water0 [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1", AlignForm::valve220,
     "*water0", 15, false, ""},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w [ 1 0 0 8.5 ] [ 0 -1 0 -2 ] 45 0.25 1e-1 1 2 3",
     AlignForm::valve220, "w", 15, true, ""},
    {"  (0 0 0)(0 64 0)(64 0 0)\ttex 0 0 0 1 1", AlignForm::standard, "tex", 5, false, ""},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) tex 0 0 0 1 1 // a note", AlignForm::standard, "tex", 5, false,
     "// a note"},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) tex 0 0 0 1 1 0 0", AlignForm::standard, "tex", 5, false, "0 0"},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) tex", AlignForm::none, "tex", 0, false, ""},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) tex 0 0 zero 1 1", AlignForm::none, "tex", 0, false, "0 0 zero 1 1"},
    {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) tex [ 1 0 0 0 ] [ 0 -1 0 ] 0 1 1", AlignForm::none, "tex", 0,
     false, "[ 1 0 0 0 ] [ 0 -1 0 ] 0 1 1"},
    {"( 1.5 -2e3 +7 ) ( a b c ) ( 64 0 0 ) tex 0 0 0 1 1   ", AlignForm::standard, "tex", 5, false, ""},
};

class FaceParse : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceParse, PartsAndRoundTrip) {
  const FaceCase& c = GetParam();
  Face face;
  ASSERT_TRUE(parse_face(c.line, &face));
  EXPECT_EQ(face.form, c.form);
  EXPECT_EQ(face.texture.text, c.texture);
  EXPECT_EQ(face.align_count, c.align_count);
  EXPECT_EQ(face.has_flags, c.has_flags);
  EXPECT_EQ(face.tail.text, c.tail);
  char buf[512];
  BoundedText out(buf, sizeof buf);
  ASSERT_EQ(format_face(face, out), FormatResult::ok);
  EXPECT_EQ(out.view(), c.line);
}

INSTANTIATE_TEST_SUITE_P(Lines, FaceParse, ::testing::ValuesIn(parsed));

TEST(FaceParse, PointsAndNumbers) {
  Face face;
  ASSERT_TRUE(parse_face("( 1 2 3 ) ( -4 5.5 6 ) ( 7 8 9e1 ) t [ 1 0 0 16 ] [ 0 0 -1 -32 ] 0 2 3", &face));
  EXPECT_EQ(face.points, "( 1 2 3 ) ( -4 5.5 6 ) ( 7 8 9e1 )");
  const char* coords[] = {"1", "2", "3", "-4", "5.5", "6", "7", "8", "9e1"};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(face.coords[i], coords[i]) << i;
  EXPECT_EQ(face.align[align_at::u_off].text, "16");
  EXPECT_EQ(face.align[align_at::v_first + 2].text, "-1");
  EXPECT_EQ(face.align[align_at::valve_yscale].text, "3");
}

TEST(FaceParse, LinesTheModelLeavesToTheTextRoad) {
  for (const char* line : {"", "( 0 0 0 ) ( 0 64 0 ) tex 0 0 0 1 1", "( 0 0 0 ( 0 64 0 ) ( 64 0 0 ) t",
                           "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) tex)name 1", "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 )",
                           "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) (tex 0 0 0 1 1", "1 2 3 4 5 6 7 8 9 t",
                           "( 0 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) t", "( ) ( 0 64 0 ) ( 64 0 0 ) t"}) {
    Face face;
    EXPECT_FALSE(parse_face(line, &face)) << line;
  }
}

TEST(FaceFormat, ReplacedPartsTakeOneBlank) {
  Face face;
  ASSERT_TRUE(parse_face("( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 )   tex\t16 0 0 1 1", &face));
  set_texture(face, "q1/tex");
  set_flags(face, {FaceNumber{"0"}, FaceNumber{"0"}, FaceNumber{"0"}});
  char buf[128];
  BoundedText out(buf, sizeof buf);
  ASSERT_EQ(format_face(face, out), FormatResult::ok);
  EXPECT_EQ(out.view(), "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/tex\t16 0 0 1 1 0 0 0");
  char small[16];
  BoundedText cut(small, sizeof small);
  EXPECT_EQ(format_face(face, cut), FormatResult::too_long);
}

// Every plane line of every real map parses, and is written back byte for
// byte.
TEST(FaceCorpus, EveryPlaneLineRoundTrips) {
  namespace fs = std::filesystem;
  const fs::path corpus = corpus_dir();
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus beside the project";
  long lines = 0;
  long by_form[3] = {0, 0, 0};
  char buf[1 << 16];
  for (const char* game : {"q1", "q2"}) {
    for (const auto& entry : fs::directory_iterator(corpus / game)) {
      if (entry.path().extension() != ".map") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::string line;
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] != '(') continue;
        Face face;
        ASSERT_TRUE(parse_face(line, &face)) << entry.path() << ": " << line;
        BoundedText out(buf, sizeof buf);
        ASSERT_EQ(format_face(face, out), FormatResult::ok);
        ASSERT_EQ(out.view(), line) << entry.path();
        ++by_form[static_cast<int>(face.form)];
        ++lines;
      }
    }
  }
  EXPECT_GT(lines, 100000);
  EXPECT_GT(by_form[static_cast<int>(AlignForm::valve220)], 0);
  EXPECT_GT(by_form[static_cast<int>(AlignForm::standard)], 0);
  RecordProperty("plane_lines", std::to_string(lines));
}

}  // namespace
