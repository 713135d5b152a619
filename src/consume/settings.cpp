// The payment terminals' settings: small commands that each carry one fixed payload built
// from the caller's arguments, and the few queries among them that hand part of the reply
// back. Every export is one row of the table below, run by one small engine.
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "transport/codecs.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::consume {
namespace {

// How one argument goes into the payload.
enum class Put : std::uint8_t {
  kByte,         // low 8 bits of a number
  kWord,         // low 16 bits, little-endian
  kLong,         // 32 bits, little-endian
  kDecimalCard,  // decimal card text, as a 32-bit number (wraps modulo 2^32)
  kHexCard,      // 8 hexadecimal digits, packed two to a byte, first pair first
  kName,         // the first `width` characters of a text at most, the rest zero
  kBlock,        // `width` bytes from the caller's buffer
  kWords,        // `width` 16-bit numbers from the caller's array, 2 bytes each
  kTimeTable,    // twelve integers as three 4-byte periods (see put_time_table)
};

struct Field {
  int offset = 0;
  Put put = Put::kByte;
  int width = 0;
};

// What a query hands back from the reply payload.
enum class Take : std::uint8_t {
  kNothing,
  kByteAlways,  // byte 0 to out[0] whatever the result (after a failure: the 0 sent)
  kBlock,       // on success, kTakenBlock bytes to out[0]
  kLong,        // on success, bytes 0-3 to out[0]
  kDevice,      // on success, the name text to out[0], two signed bytes to out[1], out[2]
};

inline constexpr int kMaxFields = 4;

struct Setting {
  std::uint8_t code;
  int send_len;
  int reply_len;
  std::array<Field, kMaxFields> fields;  // field i takes argument i
  Take take = Take::kNothing;
};

// Reply lengths: the consumption terminals answer most settings with a 131-byte frame.
constexpr int kLongReply = protocol::kLongReply;

constexpr int kCardHexDigits = 8;
constexpr int kDeviceNameChars = 8;
constexpr int kDeviceFirst = 15;   // where the terminal keeps the device's first value
constexpr int kDeviceSecond = 16;  // and its second
constexpr int kAutoValues = 10;
constexpr int kPrintInfoBytes = 46;
constexpr int kCostMulBytes = 32;
constexpr int kTakenBlock = kCostMulBytes;
constexpr int kTimePeriods = 3;
constexpr int kTimeSecondHalf = 6;  // the table's ends follow its starts

// clang-format off
constexpr Setting kComPrint      {85, 1, 1, {{{0, Put::kByte}}}};
constexpr Setting kAddPoint      {86, 1, 1, {{{0, Put::kByte}}}};
constexpr Setting kOverCost      {87, 1, 1, {{{0, Put::kByte}}}};
constexpr Setting kSetPointMod   {90, 1, 1, {{{0, Put::kByte}}}};
constexpr Setting kGetPointMod   {91, 1, 1, {}, Take::kByteAlways};
constexpr Setting kMasterCardId  {7, 4, 4, {{{0, Put::kDecimalCard}}}};
constexpr Setting kMasterCardHex {7, 4, 4, {{{0, Put::kHexCard}}}};
constexpr Setting kMemory        {80, 16, kLongReply,
                                  {{{0, Put::kLong}, {4, Put::kLong}, {8, Put::kLong}, {12, Put::kLong}}}};
constexpr Setting kDaySum        {81, 3, kLongReply, {{{0, Put::kByte}, {1, Put::kWord}}}};
constexpr Setting kAutoX         {82, 2 * kAutoValues, kLongReply, {{{0, Put::kWords, kAutoValues}}}};
constexpr Setting kCostMax       {83, 4, kLongReply, {{{0, Put::kLong}}}};
constexpr Setting kSetDelay      {84, 12, kLongReply, {{{0, Put::kLong}, {4, Put::kLong}, {8, Put::kLong}}}};
constexpr Setting kTimeValue     {92, 8, kLongReply, {{{0, Put::kLong}, {4, Put::kLong}}}};
constexpr Setting kTimeTable     {20, 4 * kTimePeriods, kLongReply, {{{0, Put::kTimeTable}}}};
constexpr Setting kSetDevice     {8, 20, 20,
                                  {{{0, Put::kName, kDeviceNameChars}, {kDeviceFirst, Put::kByte},
                                    {kDeviceSecond, Put::kByte}}}};
constexpr Setting kGetDevice     {9, 0, 20, {}, Take::kDevice};
constexpr Setting kSetPrintInfo  {89, kPrintInfoBytes, kPrintInfoBytes, {{{0, Put::kBlock, kPrintInfoBytes}}}};
constexpr Setting kSetCostMul    {122, kCostMulBytes, kCostMulBytes, {{{0, Put::kBlock, kCostMulBytes}}}};
constexpr Setting kGetCostMul    {123, kCostMulBytes, kCostMulBytes, {{{0, Put::kBlock, kCostMulBytes}}}, Take::kBlock};
constexpr Setting kSetCardMask   {124, 32, 32, {{{0, Put::kLong}}}};
constexpr Setting kGetCardMask   {125, 32, 32, {}, Take::kLong};
// clang-format on

// One argument of a setting: a number or a caller's buffer (read only).
struct Arg {
  Arg(int n) : number(static_cast<std::uint32_t>(n)) {}
  Arg(unsigned int n) : number(n) {}
  Arg(const void* p) : data(p) {}
  std::uint32_t number = 0;
  const void* data = nullptr;
};

// Where a query's answer goes.
struct Out {
  void* a = nullptr;
  void* b = nullptr;
  void* c = nullptr;
};

// Period i of the table goes to bytes 4i..4i+3: the low bytes of its start pair
// (table[2i], table[2i + 1]) and of its end pair (table[6 + 2i], table[7 + 2i]).
void put_time_table(Frame& f, const int* table) {
  for (int i = 0; i < kTimePeriods; ++i) {
    const int start = 2 * i;
    const int end = kTimeSecondHalf + 2 * i;
    f.put8(4 * i + 0, static_cast<std::uint32_t>(table[start]));
    f.put8(4 * i + 1, static_cast<std::uint32_t>(table[start + 1]));
    f.put8(4 * i + 2, static_cast<std::uint32_t>(table[end]));
    f.put8(4 * i + 3, static_cast<std::uint32_t>(table[end + 1]));
  }
}

// Missing buffers and texts (null pointers) leave their field zero.
void put_field(Frame& f, const Field& field, const Arg& arg) {
  const auto* bytes = static_cast<const std::uint8_t*>(arg.data);
  switch (field.put) {
    case Put::kByte:
      f.put8(field.offset, arg.number);
      return;
    case Put::kWord:
      f.put16(field.offset, arg.number);
      return;
    case Put::kLong:
      f.put32(field.offset, arg.number);
      return;
    case Put::kDecimalCard:
      f.put32(field.offset, decimal_text_to_u32(static_cast<const char*>(arg.data)));
      return;
    case Put::kHexCard: {
      // A shorter text is read up to its end only; missing digits count as 0.
      std::uint8_t card[kCardHexDigits / 2];
      hex_prefix_to_bytes(static_cast<const char*>(arg.data), kCardHexDigits, card, sizeof card);
      f.put_bytes(field.offset, card, sizeof card);
      return;
    }
    case Put::kName:
      f.put_text(field.offset, field.width, static_cast<const char*>(arg.data));
      return;
    case Put::kBlock:
      f.put_bytes(field.offset, bytes, field.width);
      return;
    case Put::kWords:
      if (arg.data == nullptr) return;
      for (int i = 0; i < field.width; ++i)
        f.put16(field.offset + 2 * i, static_cast<const std::uint16_t*>(arg.data)[i]);
      return;
    case Put::kTimeTable:
      if (arg.data != nullptr) put_time_table(f, static_cast<const int*>(arg.data));
      return;
  }
}

// Where the reply bytes a query hands back end: a reply cut before them is no usable reply.
int reply_end(Take take) {
  switch (take) {
    case Take::kNothing:
      return 0;
    case Take::kByteAlways:
      return 1;
    case Take::kBlock:
      return kTakenBlock;
    case Take::kLong:
      return 4;
    case Take::kDevice:
      return kDeviceSecond + 1;
  }
  return 0;
}

void take_reply(const Frame& f, Take take, int result, const Out& out) {
  if (take == Take::kByteAlways) {
    if (out.a != nullptr) *static_cast<std::uint8_t*>(out.a) = f.get8(0);
    return;
  }
  if (result != kOk) return;
  switch (take) {
    case Take::kNothing:
    case Take::kByteAlways:
      return;
    case Take::kBlock:
      f.get_bytes(0, out.a, kTakenBlock);
      return;
    case Take::kLong:
      if (out.a != nullptr) *static_cast<std::uint32_t*>(out.a) = f.get32(0);
      return;
    case Take::kDevice: {
      // The name is copied without a terminator: hosts pass buffers that already end in
      // one after the eighth character (a ninth byte of their own may not be there).
      const auto* text = reinterpret_cast<const char*>(f.payload());
      int n = 0;
      while (n < kDeviceNameChars && text[n] != '\0') ++n;
      if (out.a != nullptr) std::memcpy(out.a, text, static_cast<std::size_t>(n));
      if (out.b != nullptr)
        *static_cast<int*>(out.b) = static_cast<std::int8_t>(f.get8(kDeviceFirst));
      if (out.c != nullptr)
        *static_cast<int*>(out.c) = static_cast<std::int8_t>(f.get8(kDeviceSecond));
      return;
    }
  }
}

int run(const Setting& s, std::initializer_list<Arg> args, const Out& out, const char* host,
        int port) {
  Frame f(s.code);
  int i = 0;
  for (const Arg& arg : args) put_field(f, s.fields[static_cast<std::size_t>(i++)], arg);
  const int r = f.exchange(s.send_len, s.reply_len, host, port, reply_end(s.take));
  take_reply(f, s.take, r, out);
  return r;
}

int set(const Setting& s, std::initializer_list<Arg> args, const char* host, int port) {
  return run(s, args, Out{}, host, port);
}

}  // namespace
}  // namespace vorskel::consume

using vorskel::consume::Out;

extern "C" {

VORSKEL_API int VORSKEL_CALL Nemmar_Com_Print(int value, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kComPrint, {value}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_Add_Point(int value, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kAddPoint, {value}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_OverCost(int value, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kOverCost, {value}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_set_point_mod(int value, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kSetPointMod, {value}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_get_point_mod(unsigned char* mode, const char* host, int port) {
  return vorskel::consume::run(vorskel::consume::kGetPointMod, {}, Out{mode}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_MasterCard_id(const char* card, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kMasterCardId, {card}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_MasterCard(const char* card, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kMasterCardHex, {card}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_Memory(unsigned int a, unsigned int b, unsigned int c,
                                           unsigned int d, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kMemory, {a, b, c, d}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_DaySum(int a, int b, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kDaySum, {a, b}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_Auto_x(const unsigned short* values, const char* host,
                                           int port) {
  return vorskel::consume::set(vorskel::consume::kAutoX, {values}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_CostMax(unsigned int value, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kCostMax, {value}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_SetDelay(unsigned int a, unsigned int b, unsigned int c,
                                             const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kSetDelay, {a, b, c}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_TimeValue(unsigned int a, unsigned int b, const char* host,
                                              int port) {
  return vorskel::consume::set(vorskel::consume::kTimeValue, {a, b}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_TimeTable(const int* table, const char* host, const int* port) {
  // The port is read once, before the exchange; without one there is nowhere to send.
  if (port == nullptr) return vorskel::kSendFailed;
  return vorskel::consume::set(vorskel::consume::kTimeTable, {table}, host, *port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_SetDevice(const char* name, int first, int second,
                                              const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kSetDevice, {name, first, second}, host, port);
}
VORSKEL_API int VORSKEL_CALL Nemmar_GetDevice(char* name, int* first, int* second, const char* host,
                                              int port) {
  return vorskel::consume::run(vorskel::consume::kGetDevice, {}, Out{name, first, second}, host,
                               port);
}
VORSKEL_API int VORSKEL_CALL Nemmarv2_SetPrintInfo(const unsigned char* info, const char* host,
                                                   int port) {
  return vorskel::consume::set(vorskel::consume::kSetPrintInfo, {info}, host, port);
}
VORSKEL_API int VORSKEL_CALL Brell_SetCostMul(const unsigned char* table, const char* host,
                                              int port) {
  return vorskel::consume::set(vorskel::consume::kSetCostMul, {table}, host, port);
}
VORSKEL_API int VORSKEL_CALL Brell_GetCostMul(unsigned char* table, const char* host, int port) {
  return vorskel::consume::run(vorskel::consume::kGetCostMul, {table}, Out{table}, host, port);
}
VORSKEL_API int VORSKEL_CALL Brell_SetCardTypeMask(unsigned int mask, const char* host, int port) {
  return vorskel::consume::set(vorskel::consume::kSetCardMask, {mask}, host, port);
}
VORSKEL_API int VORSKEL_CALL Brell_GetCardTypeMask(unsigned int* mask, const char* host, int port) {
  return vorskel::consume::run(vorskel::consume::kGetCardMask, {}, Out{mask}, host, port);
}

}  // extern "C"
