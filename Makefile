# The two commands of the README. Both set the machine up first.
.PHONY: run test setup build build-asan clean

JOBS ?= $(shell nproc)

setup:
	@scripts/setup.sh

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

run: build
	build/bin/barsandtone-run

test: build build-asan
	ctest --preset default
	ctest --preset asan

clean:
	rm -rf build build-asan out
