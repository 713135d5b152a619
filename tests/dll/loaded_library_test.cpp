// The built library as a host meets it: loaded at run time (vorskel.dll under Windows,
// libvorskel.so elsewhere), every export found by its name, driven against a simulated
// terminal, unloaded and loaded again. The other suites link the static archive; this one
// exercises the loader entry point and the export table of the real file.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "vorskel.h"

namespace vorskel {
namespace {

constexpr std::uint8_t kSetTimeCode = 3;

class LoadedLibrary {
 public:
  LoadedLibrary() {
#ifdef _WIN32
    handle_ = ::LoadLibraryA(VORSKEL_LIBRARY_PATH);
#else
    // Kept mapped after dlclose: the two locks live until the process ends (a host thread
    // may still hold one), and a leak checker would count them lost once the image is gone.
    handle_ = ::dlopen(VORSKEL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
#endif
  }
  ~LoadedLibrary() {
    unload();
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const {
    return handle_ != nullptr;
  }
  void unload() {
    if (handle_ == nullptr) return;
#ifdef _WIN32
    ::FreeLibrary(static_cast<HMODULE>(handle_));
#else
    ::dlclose(handle_);
#endif
    handle_ = nullptr;
  }

  void* find(const char* name) const {
#ifdef _WIN32
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return ::dlsym(handle_, name);
#endif
  }
  // The export `name` as a pointer of the type F (declared with the library's convention).
  template <class F>
  F get(const char* name) const {
    return reinterpret_cast<F>(find(name));
  }

 private:
  void* handle_ = nullptr;
};

using NoArgs = int(VORSKEL_CALL*)(void);
using BindPort = void(VORSKEL_CALL*)(int, int);
using HostCall = int(VORSKEL_CALL*)(const char*, int);
using GetTotal = int(VORSKEL_CALL*)(unsigned int*, unsigned int*, const char*, int);

std::vector<std::string> table_names() {
  std::ifstream in(std::string(VORSKEL_SOURCE_DIR) + "/src/exports/exports.txt");
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream fields(line);
    std::string name;
    if (fields >> name && name[0] != '[') names.push_back(name);
  }
  return names;
}

TEST(LoadedLibrary, EveryExportIsFoundByItsName) {
  LoadedLibrary lib;
  ASSERT_TRUE(lib.loaded()) << VORSKEL_LIBRARY_PATH;
  const auto names = table_names();
  ASSERT_FALSE(names.empty());
  for (const auto& name : names) EXPECT_NE(lib.find(name.c_str()), nullptr) << name;
  EXPECT_EQ(lib.find("vorskel_library_attach_not_exported"), nullptr);
}

TEST(LoadedLibrary, WorksAgainAfterUnloadAndReload) {
  sim::Simulator terminal(sim::make_model("vorsk"));
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("load " + std::to_string(round + 1));
    LoadedLibrary lib;
    ASSERT_TRUE(lib.loaded());
    // Free local ports, so parallel test programs never collide on 5102/5202.
    lib.get<BindPort>("Sondo_Bind_Port")(0, 0);
    ASSERT_EQ(lib.get<NoArgs>("Vorsk_OpenSocket")(), 0);
    terminal.clear_requests();
    EXPECT_EQ(lib.get<HostCall>("Vorsk_SetTime")("127.0.0.1", terminal.port()), 0);
    ASSERT_TRUE(terminal.wait_for_requests(1, std::chrono::seconds(2)));
    EXPECT_EQ(terminal.requests().front().code(), kSetTimeCode);
    unsigned int total = 0, second = 0;
    EXPECT_EQ(lib.get<GetTotal>("Vorsk_GetTotal")(&total, &second, "127.0.0.1", terminal.port()),
              0);
    ASSERT_EQ(lib.get<NoArgs>("Vorsk_OpenWatch")(), 0);
    EXPECT_EQ(lib.get<HostCall>("Vorsk_Watch2Me")("127.0.0.1", terminal.port()), 23);
    ASSERT_TRUE(terminal.wait_for_requests(3, std::chrono::seconds(2)));
#ifdef _WIN32
    // FreeLibrary with both endpoints still open: the detach closes them and releases the
    // socket library, and the next load starts afresh.
    lib.unload();
    EXPECT_EQ(::GetModuleHandleA("vorskel.dll"), nullptr) << "still loaded after FreeLibrary";
#else
    // The image stays mapped (see LoadedLibrary), so a host closes what it opened.
    EXPECT_EQ(lib.get<NoArgs>("Vorsk_CloseWatch")(), 0);
    EXPECT_EQ(lib.get<NoArgs>("Vorsk_CloseSocket")(), 0);
    lib.unload();
#endif
  }
}

}  // namespace
}  // namespace vorskel
