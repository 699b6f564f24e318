# make test  - installs missing packages, builds with ASan/UBSan, runs every test,
#              then builds the fuzz targets (clang) and runs each one shortly.
# make fuzz  - builds the fuzz targets and runs each for FUZZ_SECONDS (default 300) or
#              for FUZZ_RUNS executions, FUZZ_PROCESSES processes a target, targets in
#              parallel; reports executions (and their total over runs) and findings per target.
# make run   - installs missing packages, builds, and starts the program on an example
#              project (RUN_PROJECT to choose another); without a display it runs under
#              xvfb-run for RUN_SECONDS (default 20), saves build/screenshot.png and ends it
#              with SIGTERM, failing unless it opened the project and shut down in order.
# make screenshots - builds, then photographs the program's windows under xvfb-run into
#              build/screenshots/*.png (scripts/screenshots.sh); not part of make test.
# make bench - builds the benchmarks in release mode (own build folder, no sanitizers) and
#              prints one table: the kernel's rows and the program's beside them.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_CHECK_SECONDS ?= 20
JOBS ?= $(shell nproc)
# GCC 12 reports false -Wrestrict errors in std::string concatenation once it
# optimises (its bug 105329); every other warning stays an error.
BENCH_FLAGS ?= -O2 -DNDEBUG -Wno-restrict

.PHONY: test deps configure build clean run screenshots bench fuzz-configure fuzz-build fuzz fuzz-check

deps:
	@bash scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZO_SANITIZE=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build fuzz-build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600
	$(MAKE) --no-print-directory fuzz-check

run: build
	BUILD_DIR=$(BUILD_DIR) bash scripts/run.sh

screenshots: build
	BUILD_DIR=$(BUILD_DIR) bash scripts/screenshots.sh

fuzz-configure: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZO_FUZZ=ON

fuzz-build: fuzz-configure
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz_all

fuzz: fuzz-build
	FUZZ_BUILD_DIR=$(FUZZ_BUILD_DIR) FUZZ_JOBS=$(JOBS) bash fuzz/run.sh fuzz

# Every seed and regression input, then a short run of each target; any finding fails.
fuzz-check:
	FUZZ_BUILD_DIR=$(FUZZ_BUILD_DIR) FUZZ_SECONDS=$(FUZZ_CHECK_SECONDS) FUZZ_JOBS=$(JOBS) bash fuzz/run.sh check

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZO_SANITIZE=OFF -DZO_TESTS=OFF \
		"-DCMAKE_CXX_FLAGS_RELEASE=$(BENCH_FLAGS)"
	cmake --build $(BENCH_DIR) -j $(JOBS) --target zobench
	$(BENCH_DIR)/bench/zobench

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_BUILD_DIR) $(BENCH_DIR)
