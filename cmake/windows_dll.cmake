# vorskel.dll for Windows hosts, cross-built with mingw-w64 (see cmake/mingw-w64-*.cmake).
# Included from the top-level CMakeLists.txt after the library targets, on Windows only.
#
# What hosts rely on: they load vorskel.dll and call its exports by name, so the DLL exports
# exactly the undecorated names of src/exports/exports.txt, nothing else; 32-bit hosts call
# with the standard (callee-pops) convention. The DLL must load on a bare Windows system, so
# it imports only system DLLs: the C++ runtime, libgcc and winpthread are linked in.

set(VORSKEL_WIN_SYSTEM_DLLS KERNEL32.dll WS2_32.dll USER32.dll msvcrt.dll)

# The benchmarks (Google Benchmark, a native simulator process) and the command-line tool
# (built on native header-only packages) are made for Linux only.
set(VORSKEL_BENCH OFF)
set(VORSKEL_CLI OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VORSKEL_WIN_STDCALL ON)
else()
  set(VORSKEL_WIN_STDCALL OFF)
endif()

# The DLL and every program made after this point take the runtime libraries statically.
set(_static_runtime -static -static-libgcc -static-libstdc++)
add_link_options(${_static_runtime})
target_link_options(vorskel PRIVATE ${_static_runtime})
target_link_libraries(vorskel PRIVATE ws2_32 user32)
target_link_libraries(vorskel_static PUBLIC ws2_32 user32)

# The loader entry point (DllMain) lives in library.cpp under VORSKEL_DLL_ENTRY: that file is
# compiled once for the DLL with it and once for the static archive (tests) without it, where
# a static object marks load and unload instead.
set(_lifecycle_source ${PROJECT_SOURCE_DIR}/src/transport/library.cpp)
get_target_property(_objs_sources vorskel_objs SOURCES)
list(REMOVE_ITEM _objs_sources ${_lifecycle_source})
set_property(TARGET vorskel_objs PROPERTY SOURCES ${_objs_sources})
foreach(target vorskel vorskel_static)
  target_sources(${target} PRIVATE ${_lifecycle_source})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${target} PRIVATE VORSKEL_BUILDING _WIN32_WINNT=0x0601
                             WIN32_LEAN_AND_MEAN NOMINMAX)
endforeach()
target_compile_definitions(vorskel PRIVATE VORSKEL_DLL_ENTRY)

# vorskel.dll (not libvorskel.dll), with its import library libvorskel.dll.a beside it.
set_target_properties(vorskel PROPERTIES PREFIX "" OUTPUT_NAME vorskel)

if(VORSKEL_WIN_STDCALL)
  # i686: the objects define _Name@N; the decorated .def names them and --kill-at exports them
  # as Name. The linker's own import library would then lack the Name@N symbols 32-bit
  # clients refer to, so dlltool -k makes it from the same .def: clients link _Name@N and the
  # loader binds it to the undecorated export.
  set(_def ${CMAKE_CURRENT_BINARY_DIR}/vorskel-decorated.def)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/exports.py def-decorated
                  OUTPUT_FILE ${_def} COMMAND_ERROR_IS_FATAL ANY)
  target_sources(vorskel PRIVATE ${_def})
  target_link_options(vorskel PRIVATE -Wl,--kill-at)
  add_custom_command(TARGET vorskel POST_BUILD
    COMMAND ${VORSKEL_MINGW_DLLTOOL} -k -d ${_def} -D vorskel.dll -l $<TARGET_LINKER_FILE:vorskel>
    COMMENT "Import library for stdcall clients (dlltool -k)")
else()
  target_sources(vorskel PRIVATE ${PROJECT_SOURCE_DIR}/src/exports/vorskel.def)
endif()

# A host that links every export through the import library, once as C and once as C++.
set(_client ${CMAKE_CURRENT_BINARY_DIR}/exports_client)
execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/exports.py client-source
                OUTPUT_FILE ${_client}.c COMMAND_ERROR_IS_FATAL ANY)
configure_file(${_client}.c ${_client}.cpp COPYONLY)
add_executable(exports_client_c ${_client}.c)
add_executable(exports_client_cpp ${_client}.cpp)
target_link_libraries(exports_client_c PRIVATE vorskel)
target_link_libraries(exports_client_cpp PRIVATE vorskel)

# The checks: the DLL's export table is the table, undecorated and nothing more; it imports
# only system DLLs; both clients import every name, undecorated, from vorskel.dll; on i686
# every export was compiled as stdcall with the table's argument bytes.
enable_testing()
set(_exports_tool ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/exports.py check
    --objdump ${VORSKEL_MINGW_OBJDUMP})
list(JOIN VORSKEL_WIN_SYSTEM_DLLS "," _system_dlls)
set(_stdcall_check)
if(VORSKEL_WIN_STDCALL)
  set(_stdcall_check --stdcall-archive $<TARGET_FILE:vorskel_static> --nm ${VORSKEL_MINGW_NM})
endif()
add_test(NAME dll_exports
         COMMAND ${_exports_tool} --def ${PROJECT_SOURCE_DIR}/src/exports/vorskel.def
                 --pe-dll $<TARGET_FILE:vorskel> --pe-imports-only ${_system_dlls} ${_stdcall_check})
foreach(lang c cpp)
  add_test(NAME dll_client_imports_${lang}
           COMMAND ${_exports_tool} --pe-client $<TARGET_FILE:exports_client_${lang}>)
endforeach()

# Where the test programs can run (64-bit, under Wine): the client loads vorskel.dll with all
# names bound by the loader, and the example host drives a simulated terminal that runs as a
# native program (VORSKEL_NATIVE_SIM, e.g. build/sim/vorskel-sim) over 127.0.0.1.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME dll_client_loads COMMAND exports_client_c)
  set(VORSKEL_NATIVE_SIM "" CACHE FILEPATH "A native vorskel-sim for the host test under the emulator")
  if(VORSKEL_NATIVE_SIM)
    add_test(NAME host_against_native_simulator
             COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/host_against_sim.sh ${VORSKEL_NATIVE_SIM}
                     $<TARGET_FILE:hello_terminal> ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
endif()
