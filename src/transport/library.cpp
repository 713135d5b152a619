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

#ifdef VORSKEL_DLL_ENTRY
#include <windows.h>

// The loader entry point of vorskel.dll. The C runtime has constructed the library's static
// objects before it calls this, and destroys them after the detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      vorskel::library_attach();
      break;
    case DLL_PROCESS_DETACH:
      // When the host unloads the library (FreeLibrary) the endpoints are closed and the
      // socket library released. When the whole process ends (reserved is not null), the
      // other threads have already been stopped, possibly inside a transaction, and the
      // system reclaims the sockets itself: releasing anything then only risks a hang.
      if (reserved == nullptr) vorskel::library_detach();
      break;
    default:  // thread attach and detach: nothing to do
      break;
  }
  return TRUE;
}
#endif
