// Helpers for fuzz targets: a reply source that hands the fuzzer's bytes to the command
// transaction as the terminal's reply.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "transport/transaction.h"

namespace vorskel::fuzz {

inline constexpr std::uint8_t kGuard = 0xCD;

// n bytes of caller memory whose last byte is the last one before a page the process may
// neither read nor write: an export that reads or writes a single byte past the length its
// header documents faults at once, whatever the sanitizer sees. The 16 bytes before it are
// guard bytes, checked when the region is given back. Regions are kept for reuse: mapping
// pages for every input would slow the fuzzer to the system's pace.
class GuardedRegion {
 public:
  explicit GuardedRegion(std::size_t n) : n_(n) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    span_ = (n + sizeof(std::uint64_t) * 2 + page - 1) / page * page;
    std::vector<std::uint8_t*>& pool = free_regions()[span_];
    if (!pool.empty()) {
      base_ = pool.back();
      pool.pop_back();
    } else {
      void* p =
          ::mmap(nullptr, span_ + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p == MAP_FAILED) std::abort();
      base_ = static_cast<std::uint8_t*>(p);
      if (::mprotect(base_ + span_, page, PROT_NONE) != 0) std::abort();
    }
    data_ = base_ + span_ - n;  // page-aligned end: aligned for any structure of size n
    std::memset(data_ - kBefore, kGuard, kBefore);
    std::memset(data_, 0, n);
  }
  ~GuardedRegion() {
    for (std::size_t i = 1; i <= kBefore; ++i)
      if (data_[-static_cast<std::ptrdiff_t>(i)] != kGuard) std::abort();
    free_regions()[span_].push_back(base_);
  }
  GuardedRegion(const GuardedRegion&) = delete;
  GuardedRegion& operator=(const GuardedRegion&) = delete;

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return n_; }

 private:
  static constexpr std::size_t kBefore = 16;
  static std::map<std::size_t, std::vector<std::uint8_t*>>& free_regions() {
    static std::map<std::size_t, std::vector<std::uint8_t*>> regions;
    return regions;
  }
  std::size_t n_;
  std::size_t span_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

// A caller buffer of N bytes, sized as the header documents it, ending at a guard page.
template <std::size_t N>
struct Guarded {
  GuardedRegion region{N};
  std::uint8_t* const data = region.data();
  template <class T>
  T* as() {
    return reinterpret_cast<T*>(data);
  }
  char* text() { return reinterpret_cast<char*>(data); }
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

// A reply of exactly length bytes (a byte ramp, the request's command code at [2]) to each of
// the first kReplies transactions, none after: a call of many transactions stays short.
class LengthReply : public ReplySource {
 public:
  static constexpr int kReplies = 4;
  explicit LengthReply(int length, std::uint8_t seed) : length_(length), seed_(seed) {}
  int exchange(const std::uint8_t* request, int, std::uint8_t* reply, int room) override {
    if (++calls_ > kReplies || length_ > room) return -1;
    for (int i = 0; i < length_; ++i) reply[i] = static_cast<std::uint8_t>(seed_ + i * 37);
    if (length_ > 2) reply[2] = request[2];
    return length_;
  }

 private:
  int length_;
  std::uint8_t seed_;
  int calls_ = 0;
};

// Runs call(index) for every index below count with replies of every length from 0 to a
// whole frame, once per fuzz process before its first input: whatever the corpus holds, each
// reply-reading export meets every reply length, so a decoder reading past what a reply
// carried, or an export trusting a reply too short for it, shows up.
template <class Call>
void sweep_reply_lengths(std::size_t count, Call call) {
  for (std::size_t index = 0; index < count; ++index) {
    for (int length = 0; length <= kFrameCapacity; ++length) {
      LengthReply reply(length, static_cast<std::uint8_t>(index * 11 + length));
      const ScopedReply scope(&reply);
      call(index);
    }
  }
}

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
