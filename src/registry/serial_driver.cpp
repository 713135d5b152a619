#include "registry/serial_driver.h"

#include <string>

#include "platform/platform.h"
#include "registry/gbk_texts.h"

namespace vorskel::registry {
namespace {

constexpr char kDefaultBaseName[] = "ombrel";
constexpr char kErrorCaption[] = "Error";
constexpr char kDriverMissing[] = "Cannot find OMBREL.DLL, please check it";

// Library-wide and unguarded: hosts bind and unbind while no card call runs.
struct DriverState {
  std::string base_name = kDefaultBaseName;
  platform::LibraryHandle module = nullptr;
  DriverBinding entry;
  bool bound = false;
};

DriverState& state() {
  static DriverState s;
  return s;
}

template <class Fn>
bool look_up(platform::LibraryHandle module, const char* name, Fn* out) {
  *out = reinterpret_cast<Fn>(platform::find_symbol(module, name));
  return *out != nullptr;
}

}  // namespace

int bind_driver() {
  DriverState& s = state();
  platform::LibraryHandle module = platform::load_library(s.base_name.c_str());
  if (module == nullptr) {
    platform::show_error(kErrorCaption, kDriverMissing);
    return kDriverNotFound;
  }
  // A second open loads the driver again; the earlier reference is released so repeated
  // opens do not pin it.
  if (s.module != nullptr) platform::free_library(s.module);
  s.module = module;
  s.bound = false;
  DriverBinding e;
  // Every entry point is looked up, even after one is missing.
  const int found = int{look_up(module, "Open_ComX", &e.open_com)} +
                    int{look_up(module, "Close_ComX", &e.close_com)} +
                    int{look_up(module, "Write_Card", &e.write_card)} +
                    int{look_up(module, "Read_Card", &e.read_card)} +
                    int{look_up(module, "Read_ID", &e.read_id)};
  const bool all = found == 5;
  if (!all) {
    s.entry = DriverBinding{};
    return kEntryPointMissing;  // the driver stays loaded, but nothing is bound
  }
  s.entry = e;
  s.bound = true;
  return 0;
}

bool unbind_driver() {
  DriverState& s = state();
  if (!s.bound) return false;
  s.entry.close_com();
  platform::free_library(s.module);
  s.module = nullptr;
  s.entry = DriverBinding{};
  s.bound = false;
  return true;
}

const DriverBinding* bound_driver_or_complain() {
  DriverState& s = state();
  if (s.bound) return &s.entry;
  platform::show_error(gbk::kErrorCaption, gbk::kOpenFirst);
  return nullptr;
}

void set_driver_base_name(const char* base_name) {
  state().base_name = base_name != nullptr ? base_name : kDefaultBaseName;
}

}  // namespace vorskel::registry
