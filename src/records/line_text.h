// The text of one record file line, in storage of its own: a download decodes thousands of
// records through one line without touching the heap.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace vorskel::records {

class LineText {
 public:
  // Room for the longest line: eight entry texts of at most 63 characters, their spaces, and
  // the longest terminal address text that gets a record file. Text beyond it is cut.
  static constexpr std::size_t kCapacity = 640;

  LineText() { text_[0] = '\0'; }

  void clear() {
    size_ = 0;
    text_[0] = '\0';
  }
  LineText& operator+=(std::string_view more) {
    const std::size_t n = std::min(more.size(), kCapacity - size_);
    std::memcpy(text_ + size_, more.data(), n);
    size_ += n;
    text_[size_] = '\0';
    return *this;
  }
  // Copies up to the zero in one pass: the parts of a line are short texts.
  LineText& operator+=(const char* more) {
    std::size_t n = size_;  // a local count: stores into text_ could alias size_
    while (n < kCapacity && *more != '\0') text_[n++] = *more++;
    text_[n] = '\0';
    size_ = n;
    return *this;
  }
  LineText& operator+=(char c) { return *this += std::string_view(&c, 1); }

  const char* c_str() const { return text_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {text_, size_}; }
  operator std::string_view() const { return view(); }

  friend bool operator==(const LineText& a, std::string_view b) { return a.view() == b; }

 private:
  char text_[kCapacity + 1];
  std::size_t size_ = 0;
};

}  // namespace vorskel::records
