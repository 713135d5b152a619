# The project's set-up commands. `make run` builds and runs the main job against the bundled
# simulator; `make test` builds and runs every test. `make windows` cross-builds vorskel.dll
# (64- and 32-bit) and checks their export tables; `make wine-test` runs the 64-bit test
# suite under Wine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
WIN64 ?= build-win64
WIN32 ?= build-win32

.PHONY: all build test run clean format windows wine-test

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

run: build
	scripts/run_demo.sh $(BUILD)

$(WIN64)/CMakeCache.txt:
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DVORSKEL_NATIVE_SIM=$(CURDIR)/$(BUILD)/sim/vorskel-sim

$(WIN32)/CMakeCache.txt:
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DVORSKEL_TESTS=OFF -DVORSKEL_SIM=OFF

windows: $(WIN64)/CMakeCache.txt $(WIN32)/CMakeCache.txt
	cmake --build $(WIN32) -j $(JOBS)
	cmake --build $(WIN64) -j $(JOBS)
	ctest --test-dir $(WIN32) --output-on-failure
	ctest --test-dir $(WIN64) -R '^dll_(exports|client_imports)' --output-on-failure

wine-test: build windows
	scripts/windows_tests.sh $(WIN64)

format:
	git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(WIN64) $(WIN32)
