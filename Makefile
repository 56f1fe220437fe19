# The two commands of the README. Both set the machine up first.
.PHONY: run test setup build build-asan build-windows test-windows clean

JOBS ?= $(shell nproc)

setup:
	@scripts/setup.sh

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

# The Windows x64 module, cross-built with mingw-w64.
build-windows: setup
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

# The host's report of the module, then the default job of barsandtone: a
# default HD Rec. 709 clip with its tone, as files in out/.
run: build
	build/bin/barsandtone-run
	build/bin/barsandtone --out-dir out

test: build build-asan
	ctest --preset default
	ctest --preset asan
	$(MAKE) test-windows

# The Windows build's tests under Wine (the script warms Wine's server first).
test-windows: build-windows
	scripts/wine-ctest.sh

clean:
	rm -rf build build-asan build-windows out
