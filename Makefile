# The project's set-up commands. `make run` builds and runs the main job against the bundled
# simulator; `make test` builds and runs every test. `make windows` cross-builds vorskel.dll
# (64- and 32-bit) and checks their export tables; `make wine-test` runs the 64-bit test
# suite under Wine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
WIN64 ?= build-win64
WIN32 ?= build-win32

.PHONY: all build test run clean format asan tsan fuzz fuzz-short bench soak memcheck \
  windows wine-test

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

run: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target vorskel-sim vorskel-cli
	scripts/run_demo.sh $(BUILD)

# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, and under
# ThreadSanitizer.
asan:
	cmake -S . -B build-asan -DVORSKEL_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan -j $(JOBS) --output-on-failure

tsan:
	cmake -S . -B build-tsan -DVORSKEL_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j $(JOBS) --output-on-failure

# The ratios against the raw loops, then what each step of a download costs on its own, then
# two contexts on two threads against one.
bench: build
	$(BUILD)/bench/vorskel-bench
	$(BUILD)/bench/vorskel-steps-bench
	$(BUILD)/bench/vorskel-contexts-bench

# One million transactions; memory, descriptors and threads before and after.
soak: build
	$(BUILD)/bench/vorskel-soak 1000000

# Every test program under valgrind memcheck (tests that time real time-outs are skipped:
# valgrind's slowness would make them measure valgrind).
memcheck: build
	@set -e; for t in $(BUILD)/tests/test_*; do \
	  [ -f "$$t" ] && [ -x "$$t" ] || continue; \
	  echo "memcheck: $$t"; \
	  valgrind -q --error-exitcode=9 --leak-check=full $$t \
	    --gtest_filter='-*SixSeconds*:*TimeOut*:*Timeout*:*Timing*' > $(BUILD)/memcheck.log 2>&1 \
	    || { tail -50 $(BUILD)/memcheck.log; exit 1; }; \
	done; echo "memcheck: clean"

FUZZ_SECONDS ?= 60
fuzz:
	scripts/run_fuzz.sh $(FUZZ_SECONDS)

fuzz-short:
	scripts/run_fuzz.sh 10

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
