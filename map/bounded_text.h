// Building a text in a fixed buffer. Every write goes through add(), which
// checks it against the buffer's size; a piece that does not fit is not
// written, and the overflow is remembered for the caller to report.
#ifndef KORVEX_MAP_BOUNDED_TEXT_H
#define KORVEX_MAP_BOUNDED_TEXT_H

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kmap {

class BoundedText {
 public:
  // size: bytes of buf, terminating zero included (at least 1).
  BoundedText(char* buf, size_t size) : buf_(buf), size_(size) { buf_[0] = '\0'; }

  BoundedText& add(std::string_view piece) {
    if (overflow_ || piece.size() >= size_ - len_) {
      overflow_ = true;
      return *this;
    }
    std::memcpy(buf_ + len_, piece.data(), piece.size());
    len_ += piece.size();
    buf_[len_] = '\0';
    return *this;
  }

  BoundedText& add(long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return add(std::string_view(digits, static_cast<size_t>(end - digits)));
  }

  [[nodiscard]] bool ok() const { return !overflow_; }
  [[nodiscard]] std::string_view view() const { return {buf_, len_}; }

 private:
  char* buf_;
  size_t size_;
  size_t len_ = 0;
  bool overflow_ = false;
};

}  // namespace kmap

#endif
