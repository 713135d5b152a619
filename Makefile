# The project's set-up commands. `make run` builds and runs the main job against the bundled
# simulator; `make test` builds and runs every test. Each target first installs the Debian
# packages it needs that are missing (scripts/install_deps.sh: one dpkg query when nothing
# is). `make windows` cross-builds vorskel.dll (64- and 32-bit) and checks their export
# tables; `make wine-test` runs the 64-bit test suite under Wine; `make test32` runs the suite
# as 32-bit Linux programs; `make package` makes the Debian package.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
# Warnings are errors in every build made here (a plain cmake build leaves them warnings).
WERROR ?= ON
, := ,
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
WIN64 ?= build-win64
WIN32 ?= build-win32
BUILD32 ?= build-32
BUILD_CLANG ?= build-clang
BUILD_PACKAGE ?= build-package
DEPS = scripts/install_deps.sh

# $(call configure,DIR,ARGS): configures DIR unless it was last configured here with the same
# arguments, so a target that needs other settings reconfigures and the usual case costs
# nothing.
configure = args='-DVORSKEL_WERROR=$(WERROR) $(2) $(CMAKE_FLAGS)'; \
  if [ ! -f $(1)/CMakeCache.txt ] || [ "$$(cat $(1)/make-configure 2>/dev/null)" != "$$args" ]; \
  then cmake -S . -B $(1) $$args && echo "$$args" > $(1)/make-configure; fi
NATIVE = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVORSKEL_TESTS=ON -DVORSKEL_BENCH=ON

.PHONY: all build test run clean format asan tsan fuzz fuzz-short bench soak memcheck \
  windows wine-test test32 test-clang consumer-test package

all: build

build:
	@$(DEPS) test
	@$(call configure,$(BUILD),$(NATIVE))
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

# The main job needs neither the test nor the benchmark packages: a build directory made here
# first leaves them out (`make test` adds them), one made by `make test` is used as it is.
run:
	@$(DEPS) run
	@[ -f $(BUILD)/CMakeCache.txt ] || { $(call configure,$(BUILD),-DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DVORSKEL_TESTS=OFF -DVORSKEL_BENCH=OFF); }
	cmake --build $(BUILD) -j $(JOBS) --target vorskel-sim vorskel-cli
	scripts/run_demo.sh $(BUILD)

# The suite built with clang (CI builds it as Release with both compilers).
test-clang:
	@$(DEPS) clang
	@$(call configure,$(BUILD_CLANG),$(NATIVE) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
	cmake --build $(BUILD_CLANG) -j $(JOBS)
	ctest --test-dir $(BUILD_CLANG) -j $(JOBS) --output-on-failure

# The library, the simulator and the suite as 32-bit programs (g++ -m32): what pointer sizes
# and structure layouts of 32-bit hosts do, run and not only compiled.
test32:
	@$(DEPS) test32
	@$(call configure,$(BUILD32),-DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake)
	cmake --build $(BUILD32) -j $(JOBS)
	ctest --test-dir $(BUILD32) -j $(JOBS) --output-on-failure

# A project outside the tree built against an installed prefix, with find_package and with
# pkg-config, run against the simulator (also a test of the suite: consumer_install).
consumer-test: build
	ctest --test-dir $(BUILD) -R '^consumer_install$$' --output-on-failure

# The Debian package (build-package/vorskel_<version>_<arch>.deb), for /usr.
package:
	@$(DEPS) package
	@$(call configure,$(BUILD_PACKAGE),-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DVORSKEL_TESTS=OFF -DVORSKEL_BENCH=OFF)
	cmake --build $(BUILD_PACKAGE) -j $(JOBS)
	cd $(BUILD_PACKAGE) && cpack -G DEB

# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, and under
# ThreadSanitizer.
asan:
	@$(DEPS) test
	@$(call configure,build-asan,-DVORSKEL_SANITIZE=address$(,)undefined -DCMAKE_BUILD_TYPE=Debug)
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan -j $(JOBS) --output-on-failure

tsan:
	@$(DEPS) test
	@$(call configure,build-tsan,-DVORSKEL_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo)
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
	@$(DEPS) memcheck
	@set -e; for t in $(BUILD)/tests/test_*; do \
	  [ -f "$$t" ] && [ -x "$$t" ] || continue; \
	  echo "memcheck: $$t"; \
	  valgrind -q --error-exitcode=9 --leak-check=full $$t \
	    --gtest_filter='-*SixSeconds*:*TimeOut*:*Timeout*:*Timing*' > $(BUILD)/memcheck.log 2>&1 \
	    || { tail -50 $(BUILD)/memcheck.log; exit 1; }; \
	done; echo "memcheck: clean"

FUZZ_SECONDS ?= 60
fuzz:
	@$(DEPS) fuzz
	scripts/run_fuzz.sh $(FUZZ_SECONDS)

fuzz-short:
	@$(DEPS) fuzz
	scripts/run_fuzz.sh 10

windows:
	@$(DEPS) windows
	@$(call configure,$(WIN64),-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DVORSKEL_NATIVE_SIM=$(CURDIR)/$(BUILD)/sim/vorskel-sim)
	@$(call configure,$(WIN32),-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DVORSKEL_TESTS=OFF -DVORSKEL_SIM=OFF)
	cmake --build $(WIN32) -j $(JOBS)
	cmake --build $(WIN64) -j $(JOBS)
	ctest --test-dir $(WIN32) --output-on-failure
	ctest --test-dir $(WIN64) -R '^dll_(exports|client_imports)' --output-on-failure

wine-test: build windows
	scripts/windows_tests.sh $(WIN64)

format:
	git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(WIN64) $(WIN32) $(BUILD32) $(BUILD_CLANG) $(BUILD_PACKAGE)
