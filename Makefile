# Entry point of the project. On a fresh Debian 12 machine: `make demo` or `make test`.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
HOST := build/host
WIN32 := build/win32
FUZZ := build/fuzz
FUZZ_SECONDS ?= 20

.PHONY: all deps build host win32 test unit-test wine-test demo bench bench-install fuzz fuzz-build clean

all: build

# Installs every Debian package the build and the tests need; quick when all is present.
deps:
	@tools/install-deps

build: host win32

win32:
	@cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
	@cmake --build $(WIN32) -j $(JOBS)
	@cmake --build $(WIN32) -j $(JOBS) --target all_win_tests

host:
	@cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	@cmake --build $(HOST) -j $(JOBS)

# libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer (clang).
fuzz-build:
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DKS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	@cmake --build $(FUZZ) -j $(JOBS)

# Runs every fuzz target for FUZZ_SECONDS on its seed corpus.
fuzz: fuzz-build
	@tests/fuzz/run-all $(FUZZ) $(FUZZ_SECONDS)

# Everything: host unit tests, short fuzz runs and the Wine tests, one summary at the end.
test: deps build fuzz-build
	@cd $(HOST) && ctest -j $(JOBS) --output-on-failure --timeout 900

unit-test: host
	@cd $(HOST) && ctest -j $(JOBS) -L unit --output-on-failure

wine-test: build
	@cd $(HOST) && ctest -j $(JOBS) -L wine --output-on-failure

demo: deps
	@tools/demo

# Packing and decoding figures beside tar/gzip on the same payload (BENCH_MB, default 64).
bench: build
	@tools/bench

# Installation figures: our /silent install beside an NSIS installer and tar -xzf of the same
# payload (BENCH_INSTALL_MB, default 300, in BENCH_INSTALL_FILES files, default 2,000).
bench-install: build
	@tools/bench-install

clean:
	rm -rf build
