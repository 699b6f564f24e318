# make test  - installs missing packages, builds with ASan/UBSan, runs every test.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: test deps configure build clean

deps:
	@bash scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZO_SANITIZE=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

clean:
	rm -rf $(BUILD_DIR)
