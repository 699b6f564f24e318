# make test  - installs missing packages, builds with ASan/UBSan, runs every test.
# make bench - builds the kernel's benchmarks in release mode (own build folder,
#              no sanitizers) and prints their table.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc)
# GCC 12 reports false -Wrestrict errors in std::string concatenation once it
# optimises (its bug 105329); every other warning stays an error.
BENCH_FLAGS ?= -O2 -DNDEBUG -Wno-restrict

.PHONY: test deps configure build clean bench

deps:
	@bash scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZO_SANITIZE=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZO_SANITIZE=OFF -DZO_TESTS=OFF \
		"-DCMAKE_CXX_FLAGS_RELEASE=$(BENCH_FLAGS)"
	cmake --build $(BENCH_DIR) -j $(JOBS) --target zobench
	$(BENCH_DIR)/bench/zobench

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
