// Status codes and text scanning. One table: each row is a call on buf (the
// row's text, zero-padded), the result it must give (an offset into buf for a
// pointer, -1 for null), the last status it must leave (S: left alone) and,
// where given, the text that buf or dst must hold afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "kit.h"

namespace {

constexpr int S = 999;  // the last status before every call
char buf[2048], dst[2048];
const std::string A509(509, 'a'), A511 = A509 + ".x", A512 = A509 + "a.x", P256(256, 'p'), P257(257, 'p');
const std::string B64 = std::string(64, ' ') + "x";

long res(const void* p) { return p ? static_cast<const char*>(p) - buf : -1; }
long res(int v) { return v; }
// dst gets the message of code; the result is always 0.
int msg(int code) { return std::strcpy(dst, kit_errmsg(code)) != dst; }

// The token routines from buf (a range: offsets a to b) into dst.
const char* tok(int len, const char* delims = nullptr) { return kit_get_token(dst, buf, delims, len); }
const char* range(int a, int b, int len) { return kit_get_token_range(dst, buf + a, buf + b, nullptr, len); }

// kit_split_alloc on buf: dst gets each token followed by a newline; returns *out.
int split(const char* delims) {
  int out = -12345;
  char** tokens = kit_split_alloc(buf, delims, &out);
  dst[0] = '\0';
  for (int i = 0; tokens != nullptr && i < out; ++i) std::strcat(std::strcat(dst, tokens[i]), "\n");
  for (int i = 0; tokens != nullptr && i < out; ++i) std::free(tokens[i]);
  std::free(tokens);
  return out;
}

// kit_split_ptrs on buf: dst gets the entries' offsets; returns the entries before the null one.
int ptrs(int sep, int end) {
  const char** array = kit_split_ptrs(buf, sep, end);
  int n = array ? 0 : -1;
  for (dst[0] = '\0'; n >= 0 && array[n] != nullptr; ++n)
    std::strcat(dst, (std::to_string(array[n] - buf) + " ").c_str());
  std::free(array);
  return n;
}

// got: the buffer that must hold out afterwards (out null: not looked at).
struct Row {
  std::string in; const char* call; long (*run)(); long want; int status; const char *got, *out = nullptr;
};
#define R(got, in, f, want, status, ...) {in, #f, [] { return res(f); }, want, status, got, __VA_ARGS__}
// B: out is looked for in buf, D: in dst. The call's text names the row.
#define B(...) R(buf, __VA_ARGS__)
#define D(...) R(dst, __VA_ARGS__)

TEST(Scan, EveryRoutine) {
  std::string W255;  // w0 to w254, each ending in a newline
  for (int i = 0; i < 255; ++i) W255 += std::string("w").append(std::to_string(i)) + "\n";
  const Row rows[] = {
      // Messages; rows without text, the delimiter row and codes outside the table are unknown.
      D("", msg(0), 0, S, "no error"), D("", msg(7), 0, S, "too many items"),
      D("", msg(110), 0, S, "unknown error"), D("", msg(14), 0, S, "unexpected end of string"),
      D("", msg(17), 0, S, "object not found"), D("", msg(23), 0, S, "end of file reached"),
      D("", msg(90), 0, S, "program name is too long to store"),
      D("", msg(97), 0, S, "at least one required argument missing"), D("", msg(-1), 0, S, "unknown error"),
      D("", msg(32), 0, S, "unknown error"), D("", msg(1000), 0, S, "unknown error"),
      // Set membership, by byte value; the zero is never a member.
      B("", kit_char_in_set('c', "abc"), 1, S), B("", kit_char_in_set('d', "abc"), 0, S),
      B("", kit_char_in_set(0, "abc"), 0, S), B("", kit_char_in_set(0xC8, "\xC8"), 1, S),
      B("", kit_char_in_set(-56, "\xC8"), 1, S),
      // Tokens: len - 1 characters at most.
      D("\t\n abc def", tok(64), 6, 0, "abc"), D("abc", tok(4), 3, 0, "abc"), D("abc", tok(3), -1, 7, "abc"),
      D(" \n ", tok(64), -1, 14, ""), D("x", tok(0), -1, 17, ""), D(",,a b,c", tok(64, ","), 5, 0, "a b"),
      // Tokens in a range, its end included: a token must end inside it.
      D("abc def", range(0, 3, 4), 3, 0, "abc"), D("abc def", range(0, 3, 3), -1, 7, "abc"),
      D("abc def", range(0, 2, 64), -1, 7, "abc"), D("abc def", range(4, 7, 64), 7, 0, "def"),
      D(std::string("\0\0ab ", 5), range(0, 4, 64), 4, 0, "ab"), D("   x", range(0, 2, 64), -1, 23, ""),
      D("ab", range(2, 1, 64), -1, 23, ""), D("x ", range(0, 1, 0), -1, 17, ""),
      // Extensions: the last dot counts, unless at index 0; 511 characters at most.
      B("maps/e1m1.map", kit_strip_ext(buf), 1, 0, "maps/e1m1"),
      B("dir.old/name", kit_strip_ext(buf), 1, 0, "dir"), B("a.b.c", kit_strip_ext(buf), 1, 0, "a.b"),
      B(".profile", kit_strip_ext(buf), 1, 0, ".profile"), B(A511, kit_strip_ext(buf), 1, 0, A509.c_str()),
      B(A512, kit_strip_ext(buf), 0, 7, A512.c_str()), B("", kit_strip_ext(buf), 0, 1, ""),
      // Lines and ends.
      B("abc\nde\n", kit_cut_line(buf, 512), 3, 0, "abc"), B("abc\n", kit_cut_line(buf, 4), 3, 0, "abc"),
      B("abc\n", kit_cut_line(buf, 3), 0, 7, "abc\n"), B("", kit_cut_line(buf, 512), 0, 0, ""),
      B("abc\n", kit_cut_line(buf, 0), 0, 1, "abc\n"), B("ab\ncd\n", kit_cut_nl(buf), 1, 0, "ab"),
      B("", kit_cut_nl(nullptr), 1, 1), B("abc", kit_find_end(buf, 4), 3, 0),
      B("abc", kit_find_end(buf, 3), -1, 7), B("abc", kit_find_end(buf, 0), -1, 1),
      B("abc", kit_str_end(buf), 3, 0), B("", kit_str_end(nullptr), -1, 1),
      // Skipping: a negative count sets no bound; a newline stops even when in the set.
      B(" \t x", kit_skip_blanks(buf, -1), 3, 0), B("  \n", kit_skip_blanks(buf, -1), -1, 14),
      B("  ", kit_skip_blanks(buf, -1), -1, 14), B(B64, kit_skip_blanks(buf, 64), -1, 7),
      B(B64, kit_skip_blanks(buf, 65), 64, 0), B("x", kit_skip_blanks(buf, 0), -1, 7),
      B("\n\nx", kit_skip_chars(buf, "\n", -1), -1, 14),
      // Unquoting: a length equal to size passes.
      B("\"base\"", kit_unquote(buf, 64), 1, 0, "base"), B("\"", kit_unquote(buf, 64), 1, 0, ""),
      B("ab", kit_unquote(buf, 2), 1, 0, "b"), B("abc", kit_unquote(buf, 2), 0, 7, "abc"),
      B("x", kit_unquote(buf, 1), 0, 8, "x"), B("", kit_unquote(buf, 64), 0, 8, ""),
      // Characters: the count is tested first, then the end.
      B("a)b)c", kit_find_char(buf, ')', 2), 1, 0), B("a)b)c", kit_find_char(buf, ')', 1), -1, 7),
      B("a)b)c", kit_find_char(buf, 'x', 5), -1, 7), B("a)b)c", kit_find_char(buf, 'x', 6), -1, 14),
      B("a)b)c", kit_find_char(buf, 0, 512), -1, 14), B("a)b)c", kit_find_char(buf, ')', 0), -1, 1),
      B("a)b)c", kit_find_last_char(buf, ')', 6), 3, 0), B("a)b)c", kit_find_last_char(buf, ')', 5), -1, 7),
      B("a)b)c", kit_find_last_char(buf, 'x', 512), -1, 14),
      B("a)b)c", kit_find_last_char(buf, ')', 0), -1, 1), B("a)b)c", kit_search_char(buf, ')', 512, 0), 1, 0),
      B("a)b)c", kit_search_char(buf, ')', 512, 7), 3, 0),
      // Replacing goes on to the string's original end.
      R(buf + 2, "a b c", kit_replace_char(buf, ' ', 0), 1, 0, "b"),
      B("abc", kit_replace_char(buf, 0, 'x'), 0, 1, "abc"),
      // Splitting into at most 255 tokens.
      D("  a bb  c ", split(nullptr), 3, 0, "a\nbb\nc\n"), D("a b,c;d", split(",;"), 3, 0, "a b\nc\nd\n"),
      D(" \t\n ", split(nullptr), 11, 11, ""), D("", split(nullptr), 1, 1, ""),
      D(W255, split(nullptr), 255, 0, W255.c_str()), D(W255 + "last", split(nullptr), 7, 7, ""),
      B("a b", kit_split_alloc(buf, nullptr, nullptr), -1, 1),
      // Positions: entry i >= 1 right after the i-th counted sep; a sep right before the end character
      // is not counted.
      D("a,b,c,d;", ptrs(',', ';'), 3, 0, "0 2 4 "), D(",,x;", ptrs(',', ';'), 2, 0, "0 1 "),
      D("a,b,;", ptrs(',', ';'), 1, 0, "0 "), D("a,b,c", ptrs(',', ';'), 2, 0, "0 2 "),
      D("a,;", ptrs(',', ';'), -1, 11, ""), D(";a,b", ptrs(',', ';'), -1, 11, ""),
      B("", kit_split_ptrs(nullptr, ',', ';'), -1, 1),
      // Prefixes of up to 256 characters.
      B("abcdef", kit_match_prefix("abc", buf), 3, 0), B("ab", kit_match_prefix("abc", buf), 0, 17),
      B("abcdef", kit_match_prefix("abd", buf), 0, 17), B(P257, kit_match_prefix(P256.c_str(), buf), 256, 0),
      B(P257, kit_match_prefix(P257.c_str(), buf), 0, 7), B("abc", kit_match_prefix("", buf), 0, 1),
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.call << " on \"" << r.in.substr(0, 24) << "\"");
    std::memset(buf, 0, sizeof buf);
    r.in.copy(buf, r.in.size());
    std::memset(dst, '#', sizeof dst - 1);
    kit_set_lasterr(S);
    EXPECT_EQ(r.run(), r.want);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_STREQ(r.out ? r.got : nullptr, r.out);
  }
}

}  // namespace
