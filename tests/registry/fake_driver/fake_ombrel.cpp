// The stand-in serial card-reader driver (see fake_ombrel.h). Built twice: as the driver,
// and without "Read_ID" to show a driver that lacks an entry point.
#include "fake_ombrel.h"

#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#ifdef _WIN32
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

struct Card {
  unsigned char blocks[FAKE_OMBREL_SECTORS][3][16] = {};
};

struct State {
  Card card;
  std::vector<FakeOmbrelCall> calls;
  std::map<std::tuple<int, int, int>, int> failures;  // (entry, sector, block) -> times left
  int results[5] = {0, 0, 0, 0, 0};
};

State& state() {
  static State s;
  return s;
}

bool valid(int sector, int block) {
  return sector >= 0 && sector < FAKE_OMBREL_SECTORS && block >= 0 && block < 3;
}

bool take_failure(int entry, int sector, int block) {
  auto it = state().failures.find({entry, sector, block});
  if (it == state().failures.end() || it->second == 0) return false;
  --it->second;
  return true;
}

FakeOmbrelCall& record(int entry) {
  FakeOmbrelCall c{};
  c.entry = entry;
  state().calls.push_back(c);
  return state().calls.back();
}

void copy_key(FakeOmbrelCall& c, const unsigned char* key) {
  if (key != nullptr) std::memcpy(c.key, key, sizeof c.key);
}

}  // namespace

FAKE_EXPORT int Open_ComX(int port, int baud) {
  FakeOmbrelCall& c = record(kFakeOpenCom);
  c.arg1 = port;
  c.arg2 = baud;
  return c.result = state().results[kFakeOpenCom];
}

FAKE_EXPORT int Close_ComX() {
  return record(kFakeCloseCom).result = state().results[kFakeCloseCom];
}

FAKE_EXPORT int Write_Card(unsigned char* data, int length, int sector, int block,
                           unsigned char* key) {
  FakeOmbrelCall& c = record(kFakeWriteCard);
  c.arg1 = length;
  c.sector = sector;
  c.block = block;
  if (data != nullptr) std::memcpy(c.data, data, sizeof c.data);
  copy_key(c, key);
  if (!valid(sector, block) || take_failure(kFakeWriteCard, sector, block)) return c.result = 1;
  std::memcpy(state().card.blocks[sector][block], data, 16);
  return c.result = 0;
}

FAKE_EXPORT int Read_Card(unsigned char* data, unsigned char* work, int sector, int block,
                          unsigned char* key) {
  FakeOmbrelCall& c = record(kFakeReadCard);
  c.sector = sector;
  c.block = block;
  copy_key(c, key);
  c.work_zeroed = 1;
  for (int i = 0; i < 16; ++i)
    if (work[i] != 0) c.work_zeroed = 0;
  if (!valid(sector, block) || take_failure(kFakeReadCard, sector, block)) return c.result = 1;
  std::memcpy(data, state().card.blocks[sector][block], 16);
  return c.result = 0;
}

#ifndef FAKE_OMBREL_WITHOUT_READ_ID
FAKE_EXPORT int Read_ID(int value, int mode) {
  FakeOmbrelCall& c = record(kFakeReadId);
  c.arg1 = value;
  c.arg2 = mode;
  return c.result = state().results[kFakeReadId];
}
#endif

FAKE_EXPORT void fake_ombrel_reset() {
  state() = State{};
}

FAKE_EXPORT void fake_ombrel_fail(int entry, int sector, int block, int times) {
  state().failures[{entry, sector, block}] = times;
}

FAKE_EXPORT void fake_ombrel_set_result(int entry, int result) {
  if (entry >= 0 && entry < 5) state().results[entry] = result;
}

FAKE_EXPORT int fake_ombrel_call_count() {
  return static_cast<int>(state().calls.size());
}

FAKE_EXPORT int fake_ombrel_call(int index, FakeOmbrelCall* out) {
  if (index < 0 || index >= fake_ombrel_call_count()) return -1;
  *out = state().calls[static_cast<std::size_t>(index)];
  return 0;
}

FAKE_EXPORT void fake_ombrel_block(int sector, int block, unsigned char* bytes16) {
  if (valid(sector, block)) std::memcpy(bytes16, state().card.blocks[sector][block], 16);
}

FAKE_EXPORT void fake_ombrel_set_block(int sector, int block, const unsigned char* bytes16) {
  if (valid(sector, block)) std::memcpy(state().card.blocks[sector][block], bytes16, 16);
}
