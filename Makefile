# The two commands of the README. Both set the machine up first.
# `make install PREFIX=...`: barsandtone, its module and the platform
# libraries in a relocatable layout (cmake/Install.cmake).
PREFIX ?= /usr/local

.PHONY: run test install setup build build-asan build-tsan build-fuzz build-windows test-windows test-tsan fuzz-smoke fuzz clean

JOBS ?= $(shell nproc)

setup:
	@scripts/setup.sh

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

build-tsan: setup
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)

# The libFuzzer programs (clang), in build-fuzz/fuzz.
build-fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

# The Windows x64 module, cross-built with mingw-w64.
build-windows: setup
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

# The default job of barsandtone: what the module says of itself, then a
# default HD Rec. 709 clip with its tone, as files in out/.
run: build
	build/bin/barsandtone -y --out-dir out

test: build build-asan
	ctest --preset default
	ctest --preset asan
	$(MAKE) test-tsan
	$(MAKE) fuzz-smoke
	$(MAKE) test-windows

# The tests again under ThreadSanitizer, the concurrency stress among them.
test-tsan: build-tsan
	ctest --preset tsan

# Every fuzz program for a fixed number of runs from its seeds.
fuzz-smoke: build-fuzz
	scripts/fuzz.sh smoke

# Every fuzz program for FUZZ_SECONDS each (or those in FUZZ_TARGETS).
FUZZ_SECONDS ?= 60
fuzz: build-fuzz
	scripts/fuzz.sh run $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The Windows build's tests under Wine (the script warms Wine's server first).
test-windows: build-windows
	scripts/wine-ctest.sh

install: build
	cmake --install build --prefix $(PREFIX)

clean:
	rm -rf build build-asan build-tsan build-fuzz build-windows out
