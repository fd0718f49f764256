// Status codes and text scanning.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kit.h"

namespace {

// Every routine that does a job must overwrite whatever status came before.
constexpr int sentinel = 999;
constexpr long null = -1;  // expected offset of a null result

std::string rep(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

// Names a row by its text, or by its length when the text is long.
std::string label(const char* s) {
  if (s == nullptr) return "(null)";
  const std::size_t n = std::strlen(s);
  return n > 24 ? std::to_string(n) + " chars" : "\"" + std::string(s) + "\"";
}

long off(const char* result, const char* base) { return result ? result - base : null; }

TEST(Status, Messages) {
  const struct { int code; const char* text; } rows[] = {
      {0, "no error"}, {1, "bad function argument"}, {2, "memory allocation failed"},
      {7, "too many items"}, {11, "no data (empty)"}, {14, "unexpected end of string"},
      {16, "cannot load the DLL specified"}, {17, "object not found"},
      {23, "end of file reached"}, {26, "WinAPI error: cannot get process exit code"},
      {31, "file or directory is read-only"}, {50, "bad integer (not a number?)"},
      {60, "too many decimal points"}, {70, "cannot open/read config file"},
      {74, "size of specified string buffer < 1"}, {78, "at least one parameter is not loaded"},
      {90, "program name is too long to store"}, {97, "at least one required argument missing"},
      // Rows without text, the delimiter row, codes outside the table.
      {-1, "unknown error"}, {32, "unknown error"}, {49, "unknown error"}, {61, "unknown error"},
      {79, "unknown error"}, {98, "unknown error"}, {109, "unknown error"},
      {110, "unknown error"}, {111, "unknown error"}, {1000, "unknown error"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.code);
    kit_set_lasterr(sentinel);
    EXPECT_STREQ(kit_errmsg(r.code), r.text);
    EXPECT_EQ(kit_get_lasterr(), sentinel);
  }
}

TEST(Scan, CharInSet) {
  const struct { int c; const char* set; int in; } rows[] = {
      {'a', "abc", 1}, {'c', "abc", 1}, {'d', "abc", 0}, {0, "abc", 0}, {'\t', " \t", 1},
      {'x', "", 0}, {0xC8, "\xC8", 1}, {static_cast<char>(0xC8), "\xC8", 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.c);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_char_in_set(r.c, r.set), r.in);
    EXPECT_EQ(kit_get_lasterr(), sentinel);
  }
}

TEST(Scan, GetToken) {
  const struct { const char* src; const char* delims; int len; const char* dst; long at; int status; } rows[] = {
      {"  abc def", nullptr, 64, "abc", 5, KIT_OK}, {"\t\nab cd", nullptr, 64, "ab", 4, KIT_OK},
      {"abc", nullptr, 4, "abc", 3, KIT_OK},
      {"abc", nullptr, 3, "abc", null, KIT_TOO_MANY},  // the longest token is len - 1
      {"abcdef gh", nullptr, 3, "abc", null, KIT_TOO_MANY},
      {"  \n", nullptr, 64, "", null, KIT_END_OF_STRING}, {"", nullptr, 64, "", null, KIT_END_OF_STRING},
      {"x", nullptr, 0, "", null, KIT_NOT_FOUND}, {"x", nullptr, -5, "", null, KIT_NOT_FOUND},
      {"   ", nullptr, 0, "", null, KIT_END_OF_STRING},  // the end is met before len matters
      {",,a b,c", ",", 64, "a b", 5, KIT_OK},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.src) + " len " + std::to_string(r.len));
    char dst[80];
    std::memset(dst, '#', sizeof dst);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(off(kit_get_token(dst, r.src, r.delims, r.len), r.src), r.at);
    EXPECT_STREQ(dst, r.dst);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
}

TEST(Scan, GetTokenRange) {
  // src and end are offsets into text, which may hold zero bytes.
  const struct { std::string text; int src, end, len; const char* dst; long at; int status; } rows[] = {
      {"abc def", 0, 6, 64, "abc", 3, KIT_OK},
      {"abc def", 4, 7, 64, "def", 7, KIT_OK},              // end on the terminating zero
      {"abc def", 4, 6, 64, "def", null, KIT_TOO_MANY},     // the token runs into end
      {"abc ", 0, 3, 4, "abc", 3, KIT_OK}, {"abc ", 0, 3, 3, "abc", null, KIT_TOO_MANY},
      {std::string("\0\0ab ", 5), 0, 4, 64, "ab", 4, KIT_OK},  // zeros skipped like delimiters
      {std::string("ab\0cd", 5), 0, 4, 64, "ab", 2, KIT_OK},
      {"   x", 0, 2, 64, "", null, KIT_END_OF_FILE},
      {"ab", 2, 1, 64, "", null, KIT_END_OF_FILE},          // src beyond end on entry
      {"x ", 0, 1, 0, "", null, KIT_NOT_FOUND},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << label(r.text.c_str()) << " [" << r.src << ".." << r.end
                                    << "] len " << r.len);
    char dst[80];
    std::memset(dst, '#', sizeof dst);
    const char* base = r.text.c_str();
    kit_set_lasterr(sentinel);
    EXPECT_EQ(off(kit_get_token_range(dst, base + r.src, base + r.end, nullptr, r.len), base), r.at);
    EXPECT_STREQ(dst, r.dst);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
}

TEST(Scan, StripExt) {
  const std::string p511 = rep('a', 509) + ".x", p512 = rep('a', 510) + ".x";
  const struct { std::string in; std::string out; int result; int status; } rows[] = {
      {"maps/e1m1.map", "maps/e1m1", 1, KIT_OK}, {"dir.old/name", "dir", 1, KIT_OK},
      {"a.b.c", "a.b", 1, KIT_OK}, {".profile", ".profile", 1, KIT_OK}, {"name", "name", 1, KIT_OK},
      {"", "", 0, KIT_BAD_ARG}, {p511, rep('a', 509), 1, KIT_OK}, {p512, p512, 0, KIT_TOO_MANY},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.in.c_str()));
    std::vector<char> buf(r.in.c_str(), r.in.c_str() + r.in.size() + 1);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_strip_ext(buf.data()), r.result);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_EQ(std::string(buf.data()), r.out);
  }
  EXPECT_EQ(kit_strip_ext(nullptr), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
}

TEST(Scan, CutLineAndCutNl) {
  const struct { const char* in; int len; int result; int status; const char* out; } rows[] = {
      {"abc\nde\n", 512, 3, KIT_OK, "abc"}, {"abc\n", 4, 3, KIT_OK, "abc"},
      {"abc\n", 3, 0, KIT_TOO_MANY, "abc\n"}, {"abc", 4, 3, KIT_OK, "abc"},
      {"abc", 3, 0, KIT_TOO_MANY, "abc"}, {"", 512, 0, KIT_OK, ""}, {"\nx", 512, 0, KIT_OK, ""},
      {"abc\n", 0, 0, KIT_BAD_ARG, "abc\n"}, {"abc\n", -1, 0, KIT_BAD_ARG, "abc\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.in) + " len " + std::to_string(r.len));
    char buf[16];
    std::strcpy(buf, r.in);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_cut_line(buf, r.len), r.result);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_STREQ(buf, r.out);
  }
  EXPECT_EQ(kit_cut_line(nullptr, 10), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);

  char two[] = "ab\ncd\n";
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_cut_nl(two), 1);
  EXPECT_STREQ(two, "ab");
  EXPECT_EQ(kit_get_lasterr(), KIT_OK);
  EXPECT_EQ(kit_cut_nl(nullptr), 1);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
}

TEST(Scan, StrEndAndFindEnd) {
  const char* s = "abc";
  const struct { const char* str; int len; long at; int status; } rows[] = {
      {s, 4, 3, KIT_OK}, {s, 100, 3, KIT_OK}, {s, 3, null, KIT_TOO_MANY}, {"", 1, 0, KIT_OK},
      {s, 0, null, KIT_BAD_ARG}, {nullptr, 5, null, KIT_BAD_ARG},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.str) + " len " + std::to_string(r.len));
    kit_set_lasterr(sentinel);
    EXPECT_EQ(off(kit_find_end(r.str, r.len), r.str), r.at);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_str_end(s), s + 3);
  EXPECT_EQ(kit_get_lasterr(), KIT_OK);
  EXPECT_EQ(kit_str_end(nullptr), nullptr);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
}

TEST(Scan, SkipChars) {
  const std::string b64 = rep(' ', 64) + "x";
  // A null set runs the row through kit_skip_blanks.
  const struct { std::string str; const char* set; int count; long at; int status; } rows[] = {
      {" \t x", nullptr, -1, 3, KIT_OK}, {"x", nullptr, -1, 0, KIT_OK},
      {"   \n", nullptr, -1, null, KIT_END_OF_STRING}, {"  ", nullptr, -1, null, KIT_END_OF_STRING},
      {b64, nullptr, 64, null, KIT_TOO_MANY}, {b64, nullptr, 65, 64, KIT_OK},
      {"x", nullptr, 0, null, KIT_TOO_MANY},  // the count is tested before the character
      {"aab", "a", 3, 2, KIT_OK}, {"aab", "a", 2, null, KIT_TOO_MANY},
      {"\n\nx", "\n", -1, null, KIT_END_OF_STRING},  // a newline stops even when in the set
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.str.c_str()) + " count " + std::to_string(r.count));
    const char* s = r.str.c_str();
    kit_set_lasterr(sentinel);
    EXPECT_EQ(off(r.set ? kit_skip_chars(s, r.set, r.count) : kit_skip_blanks(s, r.count), s), r.at);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
}

TEST(Scan, Unquote) {
  const struct { const char* in; int size; int result; int status; const char* out; } rows[] = {
      {"\"base\"", 64, 1, KIT_OK, "base"}, {"\"", 64, 1, KIT_OK, ""},
      {"\"ab\"cd\"", 64, 1, KIT_OK, "ab"}, {"\"open", 64, 1, KIT_OK, "open"},
      {"xyz", 64, 1, KIT_OK, "yz"}, {"abcdef", 6, 1, KIT_OK, "bcdef"},  // length == size passes
      {"abcdef", 5, 0, KIT_TOO_MANY, "abcdef"}, {"x", 1, 0, KIT_NOT_ENOUGH, "x"},
      {"", 64, 0, KIT_NOT_ENOUGH, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.in) + " size " + std::to_string(r.size));
    char buf[16];
    std::strcpy(buf, r.in);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_unquote(buf, r.size), r.result);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_STREQ(buf, r.out);
  }
  EXPECT_EQ(kit_unquote(nullptr, 64), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_NOT_ENOUGH);
}

// Each row runs through the routine itself and through kit_search_char.
TEST(Scan, FindCharAndFindLastChar) {
  const char* s = "a)b)c";
  const struct { int last; const char* str; int c; int count; long at; int status; } rows[] = {
      {0, s, ')', 512, 1, KIT_OK}, {0, s, ')', 2, 1, KIT_OK}, {0, s, ')', 1, null, KIT_TOO_MANY},
      {0, s, 'x', 512, null, KIT_END_OF_STRING}, {0, s, 'x', 5, null, KIT_TOO_MANY},
      {0, s, 0, 512, null, KIT_END_OF_STRING}, {0, s, ')', 0, null, KIT_BAD_ARG},
      {0, nullptr, ')', 5, null, KIT_BAD_ARG},
      {1, s, ')', 512, 3, KIT_OK}, {1, s, ')', 6, 3, KIT_OK},
      {1, s, ')', 5, null, KIT_TOO_MANY},  // the end must be in sight, c seen or not
      {1, s, 'a', 6, 0, KIT_OK}, {1, s, 'x', 512, null, KIT_END_OF_STRING},
      {1, s, 0, 512, null, KIT_END_OF_STRING}, {1, s, ')', 0, null, KIT_BAD_ARG},
      {1, nullptr, ')', 5, null, KIT_BAD_ARG},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.last ? "last " : "first ") << r.c << " count " << r.count);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(off(r.last ? kit_find_last_char(r.str, r.c, r.count) : kit_find_char(r.str, r.c, r.count),
                  r.str), r.at);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    kit_set_lasterr(sentinel);
    EXPECT_EQ(off(kit_search_char(r.str, r.c, r.count, r.last), r.str), r.at);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
}

TEST(Scan, ReplaceChar) {
  char pieces[] = "a b c";
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_replace_char(pieces, ' ', 0), 1);
  EXPECT_EQ(kit_get_lasterr(), KIT_OK);
  EXPECT_EQ(std::memcmp(pieces, "a\0b\0c", 6), 0);  // the walk goes on to the old end
  char keep[] = "abc";
  EXPECT_EQ(kit_replace_char(keep, 0, 'x'), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
  EXPECT_STREQ(keep, "abc");
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_replace_char(nullptr, 'a', 'b'), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
}

std::string words(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "w" + std::to_string(i) + " ";
  return s;
}

TEST(Scan, SplitAlloc) {
  // No tokens listed: expect w0, w1, ... as made by words().
  const struct { std::string str; const char* delims; std::vector<std::string> tokens; int out; int status; } rows[] = {
      {"  a bb  c ", nullptr, {"a", "bb", "c"}, 3, KIT_OK}, {"\ta\nb", nullptr, {"a", "b"}, 2, KIT_OK},
      {"a b,c;d", ",;", {"a b", "c", "d"}, 3, KIT_OK}, {" \t\n ", nullptr, {}, KIT_EMPTY, KIT_EMPTY},
      {"", nullptr, {}, KIT_BAD_ARG, KIT_BAD_ARG}, {words(255), nullptr, {}, 255, KIT_OK},
      {words(255) + "last", nullptr, {}, KIT_TOO_MANY, KIT_TOO_MANY},  // the 256th is the last
      {words(300), nullptr, {}, KIT_TOO_MANY, KIT_TOO_MANY},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.str.c_str()));
    int out = -12345;
    kit_set_lasterr(sentinel);
    char** got = kit_split_alloc(r.str.c_str(), r.delims, &out);
    EXPECT_EQ(out, r.out);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    if (r.status != KIT_OK) {
      EXPECT_EQ(got, nullptr);
      continue;
    }
    ASSERT_NE(got, nullptr);
    for (int i = 0; i < out; ++i) {
      const auto k = static_cast<std::size_t>(i);
      EXPECT_EQ(got[i], r.tokens.empty() ? "w" + std::to_string(i) : r.tokens[k]) << i;
      std::free(got[i]);
    }
    std::free(got);
  }
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_split_alloc("a b", nullptr, nullptr), nullptr);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
  int out = 0;
  EXPECT_EQ(kit_split_alloc(nullptr, nullptr, &out), nullptr);
  EXPECT_EQ(out, KIT_BAD_ARG);
}

TEST(Scan, SplitPtrs) {
  // Entry i >= 1 sits right after the i-th counted sep; a sep right before
  // the end character is not counted.
  const struct { const char* str; int sep, end; std::vector<long> at; int status; } rows[] = {
      {"a,b,c;x,y", ',', ';', {0, 2}, KIT_OK}, {"a,b,c,d;", ',', ';', {0, 2, 4}, KIT_OK},
      {"a,b,c", ',', ';', {0, 2}, KIT_OK},  // no end character: the zero ends the scan
      {",,x;", ',', ';', {0, 1}, KIT_OK}, {"a,b,;", ',', ';', {0}, KIT_OK},
      {"a,b,", ',', 0, {0}, KIT_OK}, {"a,;", ',', ';', {}, KIT_EMPTY},
      {";a,b", ',', ';', {}, KIT_EMPTY}, {"abc", ',', ';', {}, KIT_EMPTY},
      {nullptr, ',', ';', {}, KIT_BAD_ARG},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.str) + " end " + std::to_string(r.end));
    kit_set_lasterr(sentinel);
    const char** got = kit_split_ptrs(r.str, r.sep, r.end);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    if (r.status != KIT_OK) {
      EXPECT_EQ(got, nullptr);
      continue;
    }
    ASSERT_NE(got, nullptr);
    for (std::size_t i = 0; i < r.at.size(); ++i) EXPECT_EQ(off(got[i], r.str), r.at[i]) << i;
    EXPECT_EQ(got[r.at.size()], nullptr);
    std::free(got);
  }
}

TEST(Scan, MatchPrefix) {
  const std::string p256 = rep('p', 256), p257 = rep('p', 257), text = rep('p', 300);
  const struct { const char* prefix; const char* str; int result; int status; } rows[] = {
      {"abc", "abcdef", 3, KIT_OK}, {"abc", "abc", 3, KIT_OK}, {"abc", "ab", 0, KIT_NOT_FOUND},
      {"abd", "abcdef", 0, KIT_NOT_FOUND}, {"abc", "ABC", 0, KIT_NOT_FOUND},
      {p256.c_str(), text.c_str(), 256, KIT_OK}, {p257.c_str(), text.c_str(), 0, KIT_TOO_MANY},
      {"", "abc", 0, KIT_BAD_ARG}, {nullptr, "abc", 0, KIT_BAD_ARG}, {"abc", nullptr, 0, KIT_BAD_ARG},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(label(r.prefix) + " / " + label(r.str));
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_match_prefix(r.prefix, r.str), r.result);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
}

}  // namespace
