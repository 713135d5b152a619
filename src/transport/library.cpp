#include "transport/library.h"

namespace vorskel {

Library& library() {
  static Library state;
  return state;
}

void library_attach() {
  Library& lib = library();
  if (lib.command != nullptr) return;
  lib.command_port.store(kDefaultCommandPort);
  lib.watch_port.store(kDefaultWatchPort);
  lib.command = new TNet();
  lib.watch = new TNet();
  // Never destroyed: a host thread may still hold a lock while the process ends.
  if (lib.command_lock == nullptr) lib.command_lock = new std::recursive_mutex();
  if (lib.record_read_lock == nullptr) lib.record_read_lock = new std::recursive_mutex();
}

void library_detach() {
  Library& lib = library();
  delete lib.command;
  lib.command = nullptr;
  delete lib.watch;
  lib.watch = nullptr;
}

#ifndef VORSKEL_DLL_ENTRY
namespace {
// Without a loader entry point, static construction and destruction mark load and unload.
struct LoadUnload {
  LoadUnload() { library_attach(); }
  ~LoadUnload() { library_detach(); }
} load_unload;
}  // namespace
#endif

}  // namespace vorskel
