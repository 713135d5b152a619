// A stand-in for the serial card-reader driver, for the registry tests: it keeps a card's
// sectors in memory, fails chosen blocks a given number of times, and records every call.
// The tests reach its control functions through the same shared library the library under
// test loads.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

enum FakeOmbrelEntry {
  kFakeOpenCom = 0,
  kFakeCloseCom = 1,
  kFakeWriteCard = 2,
  kFakeReadCard = 3,
  kFakeReadId = 4,
};

typedef struct FakeOmbrelCall {
  int entry;              /* FakeOmbrelEntry */
  int arg1, arg2;         /* Open_ComX: port, baud; Read_ID: value, mode; Write_Card: length */
  int sector, block;      /* Write_Card, Read_Card */
  unsigned char data[16]; /* Write_Card: the block written */
  unsigned char key[8];   /* Write_Card, Read_Card: the first 8 key bytes */
  int work_zeroed;        /* Read_Card: the work area arrived zeroed */
  int result;
} FakeOmbrelCall;

#define FAKE_OMBREL_SECTORS 64

typedef void (*FakeOmbrelReset)(void);
/* The next `times` calls of entry (write or read) on sector/block fail with result 1. */
typedef void (*FakeOmbrelFail)(int entry, int sector, int block, int times);
/* What Open_ComX, Close_ComX and Read_ID return. */
typedef void (*FakeOmbrelSetResult)(int entry, int result);
typedef int (*FakeOmbrelCallCount)(void);
typedef int (*FakeOmbrelGetCall)(int index, FakeOmbrelCall* out);
typedef void (*FakeOmbrelBlock)(int sector, int block, unsigned char* bytes16);
typedef void (*FakeOmbrelSetBlock)(int sector, int block, const unsigned char* bytes16);

#ifdef __cplusplus
}
#endif
