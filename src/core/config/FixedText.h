#pragma once
// A zero-terminated 8-bit text field of N bytes: at most N-1 characters, cut, never overrun.
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t N>
class FixedText {
  static_assert(N > 0, "a text field needs room for its terminator");

 public:
  FixedText() { clear(); }
  FixedText(std::string_view text) { assign(text); }  // NOLINT: implicit like the C field
  FixedText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  void assign(std::string_view text) {
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    if (n) std::memcpy(data_, text.data(), n);
    std::memset(data_ + n, 0, N - n);
  }
  void clear() { std::memset(data_, 0, N); }

  const char* c_str() const { return data_; }
  std::size_t size() const { return std::strlen(data_); }
  bool empty() const { return data_[0] == '\0'; }
  std::string str() const { return std::string(data_); }
  std::string_view view() const { return std::string_view(data_); }
  static constexpr std::size_t capacity() { return N; }

  friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(const FixedText& a, std::string_view b) { return a.view() != b; }

 private:
  char data_[N];
};
