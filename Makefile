# Front door. Every target installs what is missing and configures CMake when needed.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build build-asan demo test test-release test-asan test-large bench clean bench-micro windows

all: build

deps:
	@bash scripts/install-deps.sh

build/CMakeCache.txt: | deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build-asan/CMakeCache.txt: | deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_SANITIZE=ON -DORVEX_BUILD_BENCH=OFF $(CMAKE_FLAGS)

build: deps build/CMakeCache.txt
	cmake --build build -j$(JOBS)

build-asan: deps build-asan/CMakeCache.txt
	cmake --build build-asan -j$(JOBS)

demo: build
	@bash scripts/demo.sh

test: test-release test-asan

test-release: build
	cd build && ctest -LE large --output-on-failure -j$(JOBS)

test-asan: build-asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -LE large --output-on-failure -j$(JOBS)

test-large: build
	cd build && ctest -L large --output-on-failure

bench: build
	@bash scripts/install-deps.sh --bench
	@bash bench/compare.sh

windows:
	@bash scripts/build-windows.sh

clean:
	rm -rf build build-asan build-win demo.mov
