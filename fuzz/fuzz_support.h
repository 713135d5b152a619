// Helpers for fuzz targets: a reply source that hands the fuzzer's bytes to the command
// transaction as the terminal's reply.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "transport/transaction.h"

namespace vorskel::fuzz {

inline constexpr std::uint8_t kGuard = 0xCD;

// A caller buffer with guard bytes on both sides; a decoder writing outside it aborts. The
// data is aligned for any caller structure or int table it stands for.
template <std::size_t N>
struct alignas(16) Guarded {
  std::uint8_t before[16];
  std::uint8_t data[N];
  std::uint8_t after[16];
  Guarded() {
    std::memset(before, kGuard, sizeof before);
    std::memset(data, 0, sizeof data);
    std::memset(after, kGuard, sizeof after);
  }
  template <class T>
  T* as() {
    return reinterpret_cast<T*>(data);
  }
  char* text() { return reinterpret_cast<char*>(data); }
  ~Guarded() {
    for (std::uint8_t b : before)
      if (b != kGuard) std::abort();
    for (std::uint8_t b : after)
      if (b != kGuard) std::abort();
  }
};

// Replies with the given bytes. With keep_code set, byte 2 of the reply is forced to the
// request's command code so the decoders behind the code check are reached.
class FixedReply : public ReplySource {
 public:
  FixedReply(const std::uint8_t* data, std::size_t size, bool keep_code)
      : data_(data), size_(size), keep_code_(keep_code) {}
  int exchange(const std::uint8_t* request, int, std::uint8_t* reply, int room) override {
    const int n = static_cast<int>(std::min<std::size_t>(size_, static_cast<std::size_t>(room)));
    if (n > 0) std::memcpy(reply, data_, static_cast<std::size_t>(n));
    if (keep_code_ && n > 2) reply[2] = request[2];
    return size_ > static_cast<std::size_t>(room) ? -1 : n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  bool keep_code_;
};

// Hands out the input as successive replies: each starts with a length byte.
class ReplySequence : public ReplySource {
 public:
  ReplySequence(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  int exchange(const std::uint8_t* request, int, std::uint8_t* reply, int room) override {
    if (pos_ >= size_ || ++calls_ > 300) return -1;
    std::size_t n = static_cast<std::size_t>(data_[pos_++]) * 4;
    n = std::min(n, size_ - pos_);
    if (n > static_cast<std::size_t>(room)) return -1;
    std::memcpy(reply, data_ + pos_, n);
    pos_ += n;
    if (n > 2) reply[2] = request[2];
    return static_cast<int>(n);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  int calls_ = 0;
};

// Installs a reply source for the scope of one fuzz input.
class ScopedReply {
 public:
  explicit ScopedReply(ReplySource* source) { set_reply_source(source); }
  ~ScopedReply() { set_reply_source(nullptr); }
};

// A scratch directory of the fuzz process (downloads write record files and dumps into the
// current directory), removed when the process ends. Each input runs inside it through
// Inside, and the process returns to where it started afterwards: libFuzzer reads and writes
// corpus files by the paths it was given, relative ones included.
class ScratchDirectory {
 public:
  ScratchDirectory()
      : home_(std::filesystem::current_path()),
        dir_(std::filesystem::temp_directory_path() /
             ("vorskel-fuzz-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~ScratchDirectory() {
    std::error_code ec;
    std::filesystem::current_path(home_, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  class Inside {
   public:
    explicit Inside(const ScratchDirectory& s) : s_(s) { std::filesystem::current_path(s_.dir_); }
    ~Inside() { std::filesystem::current_path(s_.home_); }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

   private:
    const ScratchDirectory& s_;
  };

 private:
  std::filesystem::path home_;
  std::filesystem::path dir_;
};

}  // namespace vorskel::fuzz
