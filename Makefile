# Entry points for people and CI. Every target installs missing packages first.
JOBS ?= $(shell nproc)
SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: all deps build test package sanitize bench fuzz fuzz-run run clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

test: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

# The Debian package, as build/corvale_<version>_<architecture>.deb.
package: build
	cmake --build build --target package

sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCORVALE_SANITIZE=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $(CMAKE_FLAGS)
	cmake --build build-sanitize -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DCORVALE_BUILD_BENCH=ON \
	  -DCORVALE_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	bench/run-all build-bench

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVALE_BUILD_FUZZ=ON \
	  -DCORVALE_BUILD_TESTS=OFF -DCORVALE_BUILD_VIEWER=OFF \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)

fuzz-run: fuzz
	fuzz/run-all build-fuzz $(SECONDS)

# Starts the viewer on the bundled sample Picture Book.
run: build
	build/src/viewer/Corvale build/samples/Demo/Demo.pbk

clean:
	rm -rf build build-sanitize build-bench build-fuzz
