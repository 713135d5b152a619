// The serial card-reader driver, loaded by name at run time: its five entry points as the
// library calls them, and the library-wide binding to them.
#pragma once

#include "vorskel.h"

namespace vorskel::registry {

// The driver's entry points, in the platform's standard calling convention.
using OpenComFn = int(VORSKEL_CALL*)(int port, int baud);
using CloseComFn = int(VORSKEL_CALL*)();
using WriteCardFn = int(VORSKEL_CALL*)(unsigned char* data, int length, int sector, int block,
                                       unsigned char* key);
using ReadCardFn = int(VORSKEL_CALL*)(unsigned char* data, unsigned char* work, int sector,
                                      int block, unsigned char* key);
using ReadIdFn = int(VORSKEL_CALL*)(int value, int mode);

struct DriverBinding {
  OpenComFn open_com = nullptr;
  CloseComFn close_com = nullptr;
  WriteCardFn write_card = nullptr;
  ReadCardFn read_card = nullptr;
  ReadIdFn read_id = nullptr;
};

// Results of binding.
inline constexpr int kDriverNotFound = -10;
inline constexpr int kEntryPointMissing = -11;

// Loads the driver and looks up its entry points, replacing any earlier binding. 0, or one
// of the two codes above (the driver-missing message is shown for kDriverNotFound).
int bind_driver();
// Unbinds and unloads; false when nothing was bound.
bool unbind_driver();
// The bound entry points, or nullptr after showing the open-first message.
const DriverBinding* bound_driver_or_complain();

// Tests load stand-in drivers by another base name; nullptr restores "ombrel".
void set_driver_base_name(const char* base_name);

}  // namespace vorskel::registry
